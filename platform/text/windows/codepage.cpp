// The whole-string helpers on the system's MultiByteToWideChar and
// WideCharToMultiByte (flags 0): the two-call pattern, size first.
#include "platform/text/codepage.h"

#include <climits>

bool isSupportedCodePage(uint32_t codePage) { return IsValidCodePage(codePage == CP_ACP ? GetACP() : codePage) != 0; }

WideString multiByteToUtf16(std::string_view bytes, uint32_t codePage) {
  if (bytes.empty() || bytes.size() > INT_MAX) return {};
  const int length = static_cast<int>(bytes.size());
  int units = MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
  if (units <= 0) return {};
  WideString out(static_cast<size_t>(units), L'\0');
  units = MultiByteToWideChar(codePage, 0, bytes.data(), length, out.data(), units);
  out.resize(units > 0 ? static_cast<size_t>(units) : 0);
  return out;
}

std::string utf16ToMultiByte(WideStringView units, uint32_t codePage) {
  if (units.empty() || units.size() > INT_MAX) return {};
  const int length = static_cast<int>(units.size());
  int bytes = WideCharToMultiByte(codePage, 0, units.data(), length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string out(static_cast<size_t>(bytes), '\0');
  bytes = WideCharToMultiByte(codePage, 0, units.data(), length, out.data(), bytes, nullptr, nullptr);
  out.resize(bytes > 0 ? static_cast<size_t>(bytes) : 0);
  return out;
}
