#include "platform/text/codepage.h"

#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/text/gbk_table.h"
#include "platform/text/text.h"

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// GBK tables. The decoding table is generated when the program is built,
// from glibc's converter (gbk_table_generator.cpp: exactly the pairs glibc
// knows), so that no converter is loaded at run time; the encoding table is
// its inverse, made on the first character outside ASCII that is encoded.
struct GbkEncoding {
  // encode[unit] = GBK code (lead << 8 | trail), a single byte below 0x100, 0 = none
  std::vector<uint16_t> encode = std::vector<uint16_t>(0x10000, 0);

  GbkEncoding() {
    for (unsigned c = 1; c < 0x80; ++c) encode[c] = static_cast<uint16_t>(c);
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
      for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
        const char16_t unit = GbkDecodeTable[(lead - 0x81) * 256 + trail];
        if (unit != 0 && encode[unit] == 0) encode[unit] = static_cast<uint16_t>(lead << 8 | trail);
      }
    }
    // Code page 936 gives the single byte 0x80 to the euro sign.
    encode[0x20AC] = 0x80;
  }
};

const GbkEncoding& gbkEncoding() {
  static const GbkEncoding tables;
  return tables;
}

uint32_t resolve(uint32_t codePage) {
  return (codePage == CP_ACP || codePage == CP_OEMCP) ? CP_GBK : codePage;
}

// Characters as gbkCharSize sees them: a pair that is no character becomes
// one U+FFFD, and so does every single byte of 0x81 and above.
void decodeGbk(std::string_view in, std::u16string& out) {
  for (size_t i = 0; i < in.size();) {
    const unsigned char b = static_cast<unsigned char>(in[i]);
    const size_t size = gbkCharSize(in, i);
    if (size == 2) {
      const char16_t unit = GbkDecodeTable[(b - 0x81) * 256 + static_cast<unsigned char>(in[i + 1])];
      out.push_back(unit != 0 ? unit : kReplacement);
    } else if (b < 0x80) {
      out.push_back(b);
    } else {
      out.push_back(b == 0x80 ? char16_t{0x20AC} : kReplacement);
    }
    i += size;
  }
}

// UTF-8 decoding with maximal-subpart replacement (one U+FFFD per bad piece).
void decodeUtf8(std::string_view in, std::u16string& out) {
  size_t i = 0;
  const size_t n = in.size();
  auto byte = [&](size_t k) { return static_cast<unsigned char>(in[k]); };
  while (i < n) {
    unsigned char b = byte(i);
    if (b < 0x80) {
      out.push_back(b);
      ++i;
      continue;
    }
    int need;
    uint32_t cp;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) { need = 1; cp = b & 0x1F; }
    else if (b >= 0xE0 && b <= 0xEF) {
      need = 2; cp = b & 0x0F;
      if (b == 0xE0) lo = 0xA0;
      if (b == 0xED) hi = 0x9F;  // no surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
      need = 3; cp = b & 0x07;
      if (b == 0xF0) lo = 0x90;
      if (b == 0xF4) hi = 0x8F;
    } else {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    size_t j = i + 1;
    bool ok = true;
    for (int k = 0; k < need; ++k, ++j) {
      if (j >= n) { ok = false; break; }
      unsigned char c = byte(j);
      unsigned char l = (k == 0) ? lo : 0x80, h = (k == 0) ? hi : 0xBF;
      if (c < l || c > h) { ok = false; break; }
      cp = (cp << 6) | (c & 0x3F);
    }
    if (!ok) {
      out.push_back(kReplacement);
      i = j;  // resume at the byte that broke the sequence
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i = j;
  }
}

// `fallback` stands for every unit GBK cannot hold; `usedFallback` (may be
// null) is set when that happened.
void encodeGbk(std::u16string_view in, std::string& out, char fallback = '?',
               bool* usedFallback = nullptr) {
  for (char16_t u : in) {
    uint16_t code = u < 0x80 ? u : gbkEncoding().encode[u];
    if (u == 0) {
      out.push_back('\0');
    } else if (code == 0) {
      out.push_back(fallback);
      if (usedFallback) *usedFallback = true;
    } else if (code < 0x100) {
      out.push_back(static_cast<char>(code));
    } else {
      out.push_back(static_cast<char>(code >> 8));
      out.push_back(static_cast<char>(code & 0xFF));
    }
  }
}

void encodeUtf8(std::u16string_view in, std::string& out) {
  for (size_t i = 0; i < in.size(); ++i) {
    uint32_t cp = in[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 &&
        in[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (in[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
}

}  // namespace

bool isSupportedCodePage(uint32_t codePage) {
  codePage = resolve(codePage);
  return codePage == CP_GBK || codePage == CP_UTF8;
}

WideString multiByteToUtf16(std::string_view bytes, uint32_t codePage) {
  std::u16string out;
  out.reserve(bytes.size());
  switch (resolve(codePage)) {
    case CP_GBK: decodeGbk(bytes, out); break;
    case CP_UTF8: decodeUtf8(bytes, out); break;
    default: break;
  }
  return out;
}

std::string utf16ToMultiByte(WideStringView units, uint32_t codePage) {
  std::string out;
  out.reserve(units.size() * 2);
  switch (resolve(codePage)) {
    case CP_GBK: encodeGbk(units, out); break;
    case CP_UTF8: encodeUtf8(units, out); break;
    default: break;
  }
  return out;
}

int MultiByteToWideChar(uint32_t codePage, uint32_t flags, const char* multiByte,
                        int cbMultiByte, char16_t* wideChar, int cchWideChar) {
  if (!isSupportedCodePage(codePage) || multiByte == nullptr || cbMultiByte == 0 ||
      cbMultiByte < -1 || cchWideChar < 0 || (cchWideChar > 0 && wideChar == nullptr))
    return 0;
  size_t len = cbMultiByte == -1 ? std::strlen(multiByte) + 1 : static_cast<size_t>(cbMultiByte);
  std::u16string units = multiByteToUtf16(std::string_view(multiByte, len), codePage);
  if (cchWideChar == 0) return static_cast<int>(units.size());
  if (units.size() > static_cast<size_t>(cchWideChar)) return 0;  // buffer too small
  std::memcpy(wideChar, units.data(), units.size() * sizeof(char16_t));
  return static_cast<int>(units.size());
}

int WideCharToMultiByte(uint32_t codePage, uint32_t flags, const char16_t* wideChar,
                        int cchWideChar, char* multiByte, int cbMultiByte,
                        const char* defaultChar, int* usedDefaultChar) {
  if (!isSupportedCodePage(codePage) || wideChar == nullptr || cchWideChar == 0 ||
      cchWideChar < -1 || cbMultiByte < 0 || (cbMultiByte > 0 && multiByte == nullptr))
    return 0;
  size_t len = 0;
  if (cchWideChar == -1) {
    while (wideChar[len] != 0) ++len;
    ++len;
  } else {
    len = static_cast<size_t>(cchWideChar);
  }
  const std::u16string_view units(wideChar, len);
  std::string bytes;
  if (resolve(codePage) == CP_UTF8) {
    // As on Windows: UTF-8 has no default character, so asking for one is an error.
    if (defaultChar || usedDefaultChar) return 0;
    encodeUtf8(units, bytes);
  } else {
    bool used = false;
    encodeGbk(units, bytes, defaultChar ? defaultChar[0] : '?', &used);
    if (usedDefaultChar) *usedDefaultChar = used ? 1 : 0;
  }
  if (cbMultiByte == 0) return static_cast<int>(bytes.size());
  if (bytes.size() > static_cast<size_t>(cbMultiByte)) return 0;
  std::memcpy(multiByte, bytes.data(), bytes.size());
  return static_cast<int>(bytes.size());
}
