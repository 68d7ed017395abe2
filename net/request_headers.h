// The request header block handed to WinHTTP: the caller's lines, the default
// headers a browser would send, capitalised names, the Connection line and
// the Cookie line. Plain text functions over GBK text; no state.
//
// Header names are matched by substring search over the whole block (ASCII
// letters folded where a search ignores case), not line by line.
#pragma once

#include <cstdint>

#include "platform/text/text.h"

// The header block for one request: `extraHeaders` (lines separated by CR LF)
// with the default headers that are missing when `addDefaultHeaders`, names
// capitalised when `normalizeHeaders`, "Connection: keep-alive" lines
// removed, and a Cookie line from `sendCookies` when the block has none.
// `method` is the engine's method index (1 is POST, which also gets a
// Content-Type line).
Text buildRequestHeaders(const Text& extraHeaders, int32_t method, const Text& sendCookies,
                         bool addDefaultHeaders, bool normalizeHeaders);

// Every line "name:rest" of the CR LF block becomes "Name:rest" with each
// dash-separated piece of the name capitalised; lines without a colon are
// dropped; the result carries no CR LF after its last line.
Text normalizeHeaderNames(const Text& block);

// The first byte upper-cased when it is an ASCII lower-case letter.
Text capitalizeFirst(const Text& text);

// The value after "name: " on the first line that begins with `name`
// (case-sensitive; a longer name that begins with it qualifies too); empty
// when there is no such line.
Text headerValue(const Text& block, const Text& name);

// The text after the last occurrence of `separator` (case-sensitive); empty
// when it does not occur.
Text textAfterLast(const Text& text, const Text& separator);
