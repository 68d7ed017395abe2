// BSTR: a 32-bit byte count, then the UTF-16 units, then a zero unit. The
// BSTR points at the first unit.
#include <cstdlib>
#include <cstring>

#include "platform/com/variant.h"

namespace {

BSTR allocateBytes(const void* data, size_t byteLength) {
  if (byteLength > 0x7FFFFFF0u) return nullptr;
  auto* block = static_cast<char*>(std::malloc(sizeof(uint32_t) + byteLength + 2 * sizeof(OLECHAR)));
  if (!block) return nullptr;
  uint32_t count = static_cast<uint32_t>(byteLength);
  std::memcpy(block, &count, sizeof count);
  char* units = block + sizeof(uint32_t);
  if (data) std::memcpy(units, data, byteLength);
  else std::memset(units, 0, byteLength);
  // Zero terminator (two zero bytes after an odd byte length too).
  units[byteLength] = 0;
  units[byteLength + 1] = 0;
  units[byteLength + 2] = 0;
  return reinterpret_cast<BSTR>(units);
}

char* blockOf(BSTR text) { return reinterpret_cast<char*>(text) - sizeof(uint32_t); }

}  // namespace

BSTR SysAllocString(LPCOLESTR text) {
  if (!text) return nullptr;
  size_t n = 0;
  while (text[n]) ++n;
  return allocateBytes(text, n * sizeof(OLECHAR));
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  return allocateBytes(text, static_cast<size_t>(length) * sizeof(OLECHAR));
}

BSTR SysAllocStringByteLen(const char* bytes, UINT byteLength) {
  return allocateBytes(bytes, byteLength);
}

int SysReAllocString(BSTR* target, LPCOLESTR text) {
  if (!target) return 0;
  BSTR fresh = SysAllocString(text);
  if (text && !fresh) return 0;
  SysFreeString(*target);
  *target = fresh;
  return 1;
}

void SysFreeString(BSTR text) {
  if (text) std::free(blockOf(text));
}

UINT SysStringByteLen(BSTR text) {
  if (!text) return 0;
  uint32_t count;
  std::memcpy(&count, blockOf(text), sizeof count);
  return count;
}

UINT SysStringLen(BSTR text) { return SysStringByteLen(text) / sizeof(OLECHAR); }

