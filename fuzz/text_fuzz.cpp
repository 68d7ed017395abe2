// GBK text rules (find, split, replace, textToInt) and code-page conversion
// (MultiByteToWideChar / WideCharToMultiByte for 936, 65001 and CP_ACP) on
// arbitrary bytes and UTF-16 units, with the properties each promises.
#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "platform/text/codepage.h"
#include "platform/text/gbk.h"
#include "platform/text/text.h"

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool foldedEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    if (fold(static_cast<unsigned char>(a[i])) != fold(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

// findText: the first character boundary from `start` where the needle
// stands, walked independently.
void checkFind(const std::string& hay, const std::string& needle, int32_t start, bool ignoreCase) {
  const int32_t found = findText(hay, needle, start, ignoreCase);
  int32_t expected = -1;
  const size_t from = start < 1 ? 0 : static_cast<size_t>(start) - 1;
  if (from < hay.size()) {
    if (needle.empty()) {
      expected = static_cast<int32_t>(from + 1);
    } else {
      for (size_t pos = from; pos < hay.size(); pos += gbkCharSize(hay, pos)) {
        const std::string_view at = std::string_view(hay).substr(pos, needle.size());
        if (ignoreCase ? foldedEqual(at, needle) : at == needle) {
          expected = static_cast<int32_t>(pos + 1);
          break;
        }
      }
    }
  }
  FUZZ_CHECK(found == expected);
}

std::string joined(const std::vector<Text>& pieces, std::string_view separator) {
  std::string out;
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (i) out += separator;
    out += pieces[i];
  }
  return out;
}

void checkSplitAndReplace(const std::string& text, const std::string& separator, const std::string& to) {
  const std::vector<Text> pieces = splitText(text, separator);
  FUZZ_CHECK(forEachPiece(text, separator, [](std::string_view) {}) == pieces.size());
  if (separator.empty()) {
    FUZZ_CHECK(pieces.size() == (text.empty() ? 0u : 1u));
    FUZZ_CHECK(replaceText(text, separator, to) == text);
    return;
  }
  // The pieces and separators give the text back; only a trailing separator
  // leaves no piece behind it.
  const std::string whole = joined(pieces, separator);
  const bool trailing = whole != text;
  FUZZ_CHECK(whole == text || whole + separator == text);
  for (const Text& piece : pieces) FUZZ_CHECK(findText(piece, separator) == -1);
  // replaceText cuts at the same places.
  FUZZ_CHECK(replaceText(text, separator, to) == joined(pieces, to) + (trailing ? to : ""));
  FUZZ_CHECK(replaceText(text, separator, separator) == text);
}

void checkTextToInt(const std::string& text) {
  const int32_t value = textToInt(text);
  // The reference: strtoll on the same leading blanks, sign and digits, clamped.
  size_t i = text.find_first_not_of(" \t\r\n\v\f");
  if (i == std::string::npos) i = text.size();
  size_t j = i;
  if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
  const size_t digitsEnd = std::min(text.find_first_not_of("0123456789", j), text.size());
  if (digitsEnd == j) {
    FUZZ_CHECK(value == 0);
    return;
  }
  long double expected = 0;
  for (size_t k = j; k < digitsEnd; ++k) expected = std::min<long double>(expected * 10 + (text[k] - '0'), 1e12L);
  if (text[i] == '-') expected = -expected;
  expected = std::clamp<long double>(expected, INT32_MIN, INT32_MAX);
  FUZZ_CHECK(value == static_cast<int32_t>(expected));
}

std::u16string decode(const std::string& bytes, uint32_t codePage) {
  std::u16string units(bytes.size() + 1, u'\0');
  const int needed = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  FUZZ_CHECK(needed == static_cast<int>(multiByteToUtf16(bytes, codePage).size()));
  if (bytes.empty()) {
    FUZZ_CHECK(needed == 0);
    return {};
  }
  FUZZ_CHECK(needed >= 1);
  // Too small a buffer fails (a size of 0 asks for the length); the exact size succeeds.
  if (needed > 1)
    FUZZ_CHECK(MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), units.data(), needed - 1) == 0);
  const int written = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), units.data(), needed);
  FUZZ_CHECK(written == needed);
  units.resize(static_cast<size_t>(written));
  return units;
}

std::string encode(const std::u16string& units, uint32_t codePage, bool* usedDefault) {
  if (units.empty()) return {};
  int* used = nullptr;
  int usedFlag = 0;
  if (codePage != CP_UTF8 && usedDefault) used = &usedFlag;
  const int needed = WideCharToMultiByte(codePage, 0, units.data(), static_cast<int>(units.size()), nullptr, 0, nullptr, used);
  FUZZ_CHECK(needed >= 1);
  std::string bytes(static_cast<size_t>(needed), '\0');
  if (needed > 1)
    FUZZ_CHECK(WideCharToMultiByte(codePage, 0, units.data(), static_cast<int>(units.size()), bytes.data(), needed - 1, nullptr, nullptr) == 0);
  FUZZ_CHECK(WideCharToMultiByte(codePage, 0, units.data(), static_cast<int>(units.size()), bytes.data(), needed, nullptr, used) == needed);
  if (usedDefault) *usedDefault = usedFlag != 0;
  FUZZ_CHECK(bytes == utf16ToMultiByte(units, codePage));
  return bytes;
}

bool hasReplacement(const std::u16string& units) {
  return units.find(kReplacement) != std::u16string::npos;
}

bool hasLoneSurrogate(const std::u16string& units) {
  for (size_t i = 0; i < units.size(); ++i) {
    const char16_t u = units[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      return true;
    }
  }
  return false;
}

void checkConversions(const std::string& bytes, const std::u16string& wide) {
  // UTF-8: well-formed bytes (no replacement made) come back unchanged.
  const std::u16string fromUtf8 = decode(bytes, CP_UTF8);
  if (!hasReplacement(fromUtf8)) FUZZ_CHECK(encode(fromUtf8, CP_UTF8, nullptr) == bytes);
  // GBK: a unit the table gives back maps to the same unit again, and every
  // decoded character is one unit.
  const std::u16string fromGbk = decode(bytes, CP_GBK);
  FUZZ_CHECK(fromGbk == decode(bytes, CP_ACP));
  size_t characters = 0;
  for (size_t i = 0; i < bytes.size(); i += gbkCharSize(bytes, i)) ++characters;
  FUZZ_CHECK(fromGbk.size() == characters);
  bool usedDefault = false;
  const std::string gbk = encode(fromGbk, CP_GBK, &usedDefault);
  FUZZ_CHECK(usedDefault == hasReplacement(fromGbk));
  if (!usedDefault) {
    FUZZ_CHECK(decode(gbk, CP_GBK) == fromGbk);
    FUZZ_CHECK(gbkToUtf8(gbk) == encode(fromGbk, CP_UTF8, nullptr));
    FUZZ_CHECK(utf8ToGbk(gbkToUtf8(gbk)) == gbk);
  }
  // Arbitrary UTF-16 units: to UTF-8 and back unchanged unless a surrogate
  // stands alone; to GBK and back unchanged unless a default was used.
  if (!wide.empty()) {
    const std::u16string back = decode(encode(wide, CP_UTF8, nullptr), CP_UTF8);
    if (!hasLoneSurrogate(wide)) FUZZ_CHECK(back == wide);
    FUZZ_CHECK(back.size() <= wide.size());
    bool lost = false;
    const std::string asGbk = encode(wide, CP_GBK, &lost);
    if (!lost) FUZZ_CHECK(decode(asGbk, CP_GBK) == wide);
  }
  // Up to and including the terminating zero.
  const std::string zeroTerminated = bytes.substr(0, bytes.find('\0'));
  const int counted = MultiByteToWideChar(CP_GBK, 0, zeroTerminated.c_str(), -1, nullptr, 0);
  FUZZ_CHECK(counted == static_cast<int>(multiByteToUtf16(zeroTerminated, CP_GBK).size()) + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const uint8_t flags = in.byte();
  const int32_t start = static_cast<int8_t>(in.byte());
  const std::string needle = in.field();
  const std::string to = in.field();
  const std::string text = in.rest();

  checkFind(text, needle, start, flags & 1);
  checkSplitAndReplace(text, needle, to);
  checkTextToInt(text);
  checkTextToInt(needle);

  std::u16string wide;
  for (size_t i = 0; i + 1 < text.size(); i += 2)
    wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(text[i]) | static_cast<unsigned char>(text[i + 1]) << 8));
  checkConversions(text, wide);
  return 0;
}
