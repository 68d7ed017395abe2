// Character sets of the stream component by the names browsers and the
// original component accept (ASCII letter case ignored, common aliases),
// and conversion between their bytes and UTF-16 through glibc's iconv.
//
// Decoding never stops at bad input: an ill-formed byte becomes U+FFFD and
// the next byte is tried, an incomplete sequence at the end becomes one
// U+FFFD. Encoding writes "?" for a character the set cannot hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

enum class ByteOrderMark { None, Utf8, Utf16Le, Utf16Be };

struct Charset {
  const char* iconvName;  // the converter's name for it
  ByteOrderMark bom;      // the mark the set writes at the start of a stream
};

// The set behind a name, or nothing when the name is unknown (or the
// converter lacks the set).
std::optional<Charset> findCharset(std::u16string_view name);

// The bytes of `bom`; empty for ByteOrderMark::None.
std::string_view byteOrderMarkBytes(ByteOrderMark bom);

struct DecodedText {
  std::u16string text;
  size_t bytesRead = 0;
};

// Decodes `bytes`; stops after `maxUnits` UTF-16 units or, when `stopAfter`
// is not empty, right after the first occurrence of it in the decoded text.
// bytesRead is the number of bytes the returned text came from.
DecodedText decodeText(const Charset& charset, std::span<const unsigned char> bytes,
                       size_t maxUnits = SIZE_MAX, std::u16string_view stopAfter = {});

// The bytes of `text` in `charset` (no byte-order mark).
std::string encodeText(const Charset& charset, std::u16string_view text);
