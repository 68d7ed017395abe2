// Cookie strings: "name=value" items separated by "; ". Taken from a
// response's Set-Cookie lines (attributes dropped) and merged with the
// cookies a request sent. Plain text functions over GBK text; no state.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/text/text.h"

// The name=value part of every "Set-Cookie:" line (any letter case) that
// carries an attribute, joined with "; ". A line without ";" after the
// name adds nothing.
Text cookiesFromHeaders(const std::vector<Text>& lines);

// New items first, then the old ones whose name the new list lacks; items
// whose value is "deleted" are dropped and identical items kept once.
Text mergeCookieStrings(const Text& oldCookies, const Text& newCookies);

// The text before the first "=" (the whole item without one), without
// leading and trailing blanks.
Text cookieName(const Text& item);

// True when some item's cookieName equals `name` exactly.
bool hasCookieName(const std::vector<Text>& items, const Text& name);

// The pieces of `text` split at `separator`, each exact text once, joined again.
Text dedupeItems(const Text& text, const Text& separator);

// The 1-based index of the first item equal to `text`, or -1.
int32_t indexOfItem(const std::vector<Text>& items, const Text& text);
