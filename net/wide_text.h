// Conversions between local text and UTF-16 through a code page, and the
// program-wide values the HTTP client reads.
#pragma once

#include <cstdint>

#include "platform/text/text.h"

// Code page of every conversion between local text and UTF-16 (GBK).
extern int32_t DefaultCodePage;
// Block size in which request bodies are written.
extern int32_t HttpBlockSize;

// UTF-16LE bytes of `text` (read up to its first zero byte) followed by one
// zero character; empty text gives an empty array.
ByteArray toWideText(const Text& text, int32_t codePage = DefaultCodePage);

// Local text from UTF-16LE bytes, up to the first zero character; empty in,
// empty out.
Text fromWideText(const ByteArray& bytes, int32_t codePage = DefaultCodePage);
