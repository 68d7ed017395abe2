// Request-header building, response-header reading and cookie merging on
// arbitrary text (net/request_headers, net/response_headers,
// net/cookie_text, net/header_text).
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "net/cookie_text.h"
#include "net/header_text.h"
#include "net/request_headers.h"
#include "net/response_headers.h"

namespace {

bool containsIgnoringCase(const Text& text, std::string_view needle) {
  return findText(text, needle, 1, true) != -1;
}

// Items of a cookie string as the merge reads them.
std::vector<Text> items(const Text& cookies) {
  Text text = trimBlanks(cookies);
  if (!text.empty() && text.back() == ';') text += ' ';
  return splitText(text, "; ");
}

void checkRequestHeaders(const Text& extra, int32_t method, const Text& cookies, bool addDefaults,
                         bool normalize) {
  const Text block = buildRequestHeaders(extra, method, cookies, addDefaults, normalize);
  if (addDefaults) {  // method 1 is POST
    for (std::string_view name : {"User-Agent: ", "Accept: ", "Accept-Encoding: ", "Accept-Language: ",
                                  "Cache-Control: "})
      FUZZ_CHECK(containsIgnoringCase(block, name));
    if (method == 1) FUZZ_CHECK(containsIgnoringCase(block, "Content-Type:"));
  }
  if (!cookies.empty()) FUZZ_CHECK(containsIgnoringCase(block, "Cookie:"));

  const Text normalized = normalizeHeaderNames(extra);
  // Normalised names stay as they are, except that a name ending in "-"
  // loses that dash each time (splitting leaves no piece after it).
  FUZZ_CHECK(normalizeHeaderNames(normalized) == normalized || findText(normalized, "-:") != -1);
  FUZZ_CHECK(normalized.size() <= extra.size());
  forEachPiece(normalized, "\r\n", [](std::string_view line) { FUZZ_CHECK(findText(line, ":") != -1); });
}

void checkTextAfterLast(const Text& text, const Text& separator) {
  const Text after = textAfterLast(text, separator);
  if (separator.empty() || findText(text, separator) == -1) {
    FUZZ_CHECK(after.empty());
    return;
  }
  FUZZ_CHECK(after.size() + separator.size() <= text.size());
  FUZZ_CHECK(text.compare(text.size() - after.size() - separator.size(), std::string::npos, separator + after) == 0);
}

void checkMerge(const Text& oldCookies, const Text& newCookies) {
  const Text merged = mergeCookieStrings(oldCookies, newCookies);
  const std::vector<Text> known[] = {items(oldCookies), items(newCookies)};
  std::set<Text> seen;
  forEachPiece(merged, "; ", [&](std::string_view piece) {
    const Text item(piece);
    FUZZ_CHECK(seen.insert(item).second);  // each item once
    FUZZ_CHECK(!item.ends_with("=deleted"));
    FUZZ_CHECK(std::count(known[0].begin(), known[0].end(), item) + std::count(known[1].begin(), known[1].end(), item) > 0);
  });
  for (const Text& item : known[1])
    if (!item.ends_with("=deleted") && !item.empty()) FUZZ_CHECK(seen.count(item) == 1);
}

void checkResponseHeaders(const Text& headers, const Text& sendCookies, bool merge) {
  // No line of the block holds a CR LF, so no value read from one does.
  const Text unset = "\r\n";
  Text block = unset, status = unset, cookies = unset, location = unset;
  readResponseHeaders(headers, sendCookies, merge, {&block, &status, &cookies, &location});
  FUZZ_CHECK(block == headers);
  const int32_t lineEnd = findText(headers, "\r\n", 10);
  FUZZ_CHECK(status == (lineEnd == -1 ? Text() : headers.substr(9, static_cast<size_t>(lineEnd) - 10)));
  const std::vector<Text> lines = splitText(headers, "\r\n");
  const Text received = cookiesFromHeaders(lines);
  FUZZ_CHECK(cookies == (merge && !sendCookies.empty() ? mergeCookieStrings(sendCookies, received) : received));
  const bool hasLocation = std::any_of(lines.begin(), lines.end(), [](const Text& line) {
    return beginsWithIgnoringCase(line, "Location: ");
  });
  FUZZ_CHECK(hasLocation ? location != unset : location == unset);
  // Only the outputs given are written.
  readResponseHeaders(headers, sendCookies, merge, {});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const uint8_t flags = in.byte();
  const int32_t method = static_cast<int32_t>(in.choice(10));
  const Text cookies = in.field();
  const Text other = in.field();
  const Text text = in.rest();

  checkRequestHeaders(text, method, cookies, flags & 1, flags & 2);
  checkResponseHeaders(text, cookies, flags & 4);
  checkMerge(cookies, other);
  checkMerge(other, text);
  checkTextAfterLast(text, other);
  (void)headerValue(text, other);
  FUZZ_CHECK(cookieName(other) == trimBlanks(cookieName(other)));
  // Each piece once, in the order of first occurrence (a separator that no
  // piece can end or begin to form, so that the joined pieces split alike).
  const Text separator = "; ";
  const std::vector<Text> pieces = splitText(text, separator);
  std::vector<Text> firsts;
  for (const Text& piece : pieces)
    if (indexOfItem(firsts, piece) == -1) firsts.push_back(piece);
  const std::vector<Text> kept = splitText(dedupeItems(text, separator), separator);
  FUZZ_CHECK(kept.size() <= firsts.size());
  FUZZ_CHECK(std::equal(kept.begin(), kept.end(), firsts.begin()));
  return 0;
}
