#include "platform/com/com_types.h"

namespace {

int hexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

bool readHex(std::u16string_view text, size_t at, size_t digits, uint64_t& out) {
  out = 0;
  for (size_t i = 0; i < digits; ++i) {
    int v = hexValue(text[at + i]);
    if (v < 0) return false;
    out = out << 4 | static_cast<uint64_t>(v);
  }
  return true;
}

}  // namespace

bool parseGuid(std::u16string_view text, GUID& out) {
  // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
  if (text.size() != 38 || text[0] != u'{' || text[37] != u'}') return false;
  if (text[9] != u'-' || text[14] != u'-' || text[19] != u'-' || text[24] != u'-') return false;
  uint64_t v;
  GUID g{};
  if (!readHex(text, 1, 8, v)) return false;
  g.Data1 = static_cast<uint32_t>(v);
  if (!readHex(text, 10, 4, v)) return false;
  g.Data2 = static_cast<uint16_t>(v);
  if (!readHex(text, 15, 4, v)) return false;
  g.Data3 = static_cast<uint16_t>(v);
  static constexpr size_t byteAt[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (int i = 0; i < 8; ++i) {
    if (!readHex(text, byteAt[i], 2, v)) return false;
    g.Data4[i] = static_cast<uint8_t>(v);
  }
  out = g;
  return true;
}

std::u16string guidToString(REFGUID g) {
  static const char16_t digits[] = u"0123456789ABCDEF";
  std::u16string s = u"{";
  auto put = [&](uint64_t value, int count) {
    for (int i = count - 1; i >= 0; --i) s += digits[(value >> (i * 4)) & 0xF];
  };
  put(g.Data1, 8);
  s += u'-';
  put(g.Data2, 4);
  s += u'-';
  put(g.Data3, 4);
  s += u'-';
  put(g.Data4[0], 2);
  put(g.Data4[1], 2);
  s += u'-';
  for (int i = 2; i < 8; ++i) put(g.Data4[i], 2);
  s += u'}';
  return s;
}

int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int cchMax) {
  std::u16string s = guidToString(guid);
  if (!buffer || cchMax < static_cast<int>(s.size()) + 1) return 0;
  for (size_t i = 0; i < s.size(); ++i) buffer[i] = s[i];
  buffer[s.size()] = 0;
  return static_cast<int>(s.size()) + 1;
}
