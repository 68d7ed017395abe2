// Local text: GBK (code page 936) bytes in a std::string.
// Lengths and positions count bytes; comparison is byte for byte.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using Text = std::string;

// Allocates like std::allocator, but a byte added without a value (resize,
// the count constructor) is left as it is, not zeroed: a buffer grown to
// receive data is written once, by the data.
template <typename T>
struct UninitialisedAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UninitialisedAllocator<U>;
  };
  UninitialisedAllocator() = default;
  template <typename U>
  UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... A>
  void construct(U* p, A&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<A>(args)...);
  }
};

// A counted byte buffer (request and response bodies, UTF-16 text bytes).
// ByteArray(n) and resize(n) do not zero the new bytes: give the value
// (ByteArray(n, 0)) where zeros are meant.
using ByteArray = std::vector<unsigned char, UninitialisedAllocator<unsigned char>>;

// The one notion of a character that every scanner of local text shares with
// the code-page 936 decoder: the number of bytes (1 or 2) of the character at
// text[pos]. Two for a lead byte 0x81-0xFE followed by a trail byte 0x40-0xFE
// other than 0x7F; one for everything else, including 0x80, 0xFF, a lead byte
// at the end and a lead byte before a byte that cannot be a trail byte (that
// byte then stands on its own, so an ASCII delimiter never hides behind it).
size_t gbkCharSize(std::string_view text, size_t pos);

// Finds needle in haystack, scanning forward from the 1-based byte position
// `start` and stepping over two-byte characters as a whole, so a match never
// begins on a trail byte. Returns the 1-based position or -1. An empty needle
// is found at `start` in any text that reaches it. With ignoreCase, ASCII
// letters compare without case.
int32_t findText(std::string_view haystack, std::string_view needle,
                 int32_t start = 1, bool ignoreCase = false);

// Calls visit(piece) for each piece of `text` split at `separator`, with the
// rules of splitText below, without allocating; returns the piece count.
template <typename Visit>
size_t forEachPiece(std::string_view text, std::string_view separator, Visit&& visit) {
  if (text.empty()) return 0;
  if (separator.empty()) {
    visit(text);
    return 1;
  }
  size_t count = 0, pieceStart = 0, pos = 0;
  while (pos < text.size()) {
    if (text[pos] == separator[0] && text.compare(pos, separator.size(), separator) == 0) {
      visit(text.substr(pieceStart, pos - pieceStart));
      ++count;
      pos += separator.size();
      pieceStart = pos;
    } else {
      pos += gbkCharSize(text, pos);
    }
  }
  if (pieceStart < text.size()) {
    visit(text.substr(pieceStart));
    ++count;
  }
  return count;
}

// Splits at every occurrence of separator (double-byte aware). Empty pieces
// between separators are kept; a trailing separator adds no empty last
// piece; an empty text gives no pieces.
std::vector<Text> splitText(std::string_view text, std::string_view separator);

// Replaces every occurrence of `from` (double-byte aware, left to right).
Text replaceText(std::string_view text, std::string_view from, std::string_view to);

// Optional blanks, optional sign, then the leading decimal digits; anything
// else gives 0. Values beyond 32 bits saturate at INT32_MIN / INT32_MAX.
int32_t textToInt(std::string_view text);

// Plain decimal, no separators.
Text intToText(int64_t value);

// Truncation toward zero; NaN gives 0 and values beyond 32 bits saturate.
int32_t truncToInt(double value);
