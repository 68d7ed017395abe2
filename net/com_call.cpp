#include "net/com_call.h"

#include <cstring>
#include <string>

#include "net/wide_text.h"
#include "platform/system/memory_probe.h"

void* comMethodAt(const void* object, int32_t slot) {
  if (slot < 0 || IsBadReadPtr(object, sizeof(void*))) return nullptr;
  std::uintptr_t table = 0;
  std::memcpy(&table, object, sizeof table);
  // The table itself lives in read-only data: its entry for the slot must be
  // readable, and what the entry points at must be code.
  const std::uintptr_t entry = table + static_cast<std::uintptr_t>(slot) * sizeof(void*);
  if (entry < table || IsBadReadPtr(reinterpret_cast<const void*>(entry), sizeof(void*)))
    return nullptr;
  void* method = nullptr;
  std::memcpy(&method, reinterpret_cast<const void*>(entry), sizeof method);
  return IsBadCodePtr(method) ? nullptr : method;
}

void releaseComObject(void** object) {
  if (!object || !*object) return;
  callComMethod(*object, 2);
  *object = nullptr;
}

Text bstrToText(BSTR text) {
  // lstrlenW: the units up to the terminating zero.
  const size_t length = text ? std::char_traits<WideChar>::length(text) : 0;
  if (length == 0) return {};
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  return fromWideText(ByteArray(bytes, bytes + 2 * length + 2));
}
