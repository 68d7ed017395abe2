#include "platform/text/text.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

unsigned char foldAscii(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

bool matchesAt(std::string_view hay, size_t pos, std::string_view needle, bool ignoreCase) {
  if (hay.size() - pos < needle.size()) return false;
  if (!ignoreCase)
    return hay[pos] == needle[0] && hay.compare(pos, needle.size(), needle) == 0;
  for (size_t i = 0; i < needle.size(); ++i) {
    if (foldAscii(static_cast<unsigned char>(hay[pos + i])) !=
        foldAscii(static_cast<unsigned char>(needle[i])))
      return false;
  }
  return true;
}

}  // namespace

size_t gbkCharSize(std::string_view text, size_t pos) {
  if (pos + 1 >= text.size()) return 1;
  const auto lead = static_cast<unsigned char>(text[pos]);
  const auto trail = static_cast<unsigned char>(text[pos + 1]);
  return lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE && trail != 0x7F ? 2 : 1;
}

int32_t findText(std::string_view hay, std::string_view needle, int32_t start, bool ignoreCase) {
  if (start < 1) start = 1;
  size_t pos = static_cast<size_t>(start) - 1;
  if (pos >= hay.size()) return -1;
  if (needle.empty()) return start;
  if (needle.size() > hay.size() - pos) return -1;
  // A match cannot begin after `last`; the scan still steps character by character.
  const size_t last = hay.size() - needle.size();
  while (pos <= last) {
    if (matchesAt(hay, pos, needle, ignoreCase)) return static_cast<int32_t>(pos + 1);
    pos += gbkCharSize(hay, pos);
  }
  return -1;
}

std::vector<Text> splitText(std::string_view text, std::string_view sep) {
  std::vector<Text> pieces;
  forEachPiece(text, sep, [&](std::string_view piece) { pieces.emplace_back(piece); });
  return pieces;
}

Text replaceText(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty()) return Text(text);
  Text out;
  out.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    if (matchesAt(text, pos, from, false)) {
      out.append(to);
      pos += from.size();
    } else {
      const size_t step = gbkCharSize(text, pos);
      out.append(text.substr(pos, step));
      pos += step;
    }
  }
  return out;
}

int32_t textToInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' ||
                             text[i] == '\n' || text[i] == '\v' || text[i] == '\f'))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int64_t value = 0;
  const int64_t limit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > limit) value = limit;  // keeps the accumulator bounded
  }
  if (negative) return static_cast<int32_t>(-value);  // -2^31 is representable
  return value >= limit ? std::numeric_limits<int32_t>::max() : static_cast<int32_t>(value);
}

Text intToText(int64_t value) { return std::to_string(value); }

int32_t truncToInt(double value) {
  if (std::isnan(value)) return 0;
  double t = std::trunc(value);
  if (t >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (t <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(t);
}
