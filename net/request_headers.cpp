#include "net/request_headers.h"

#include <string_view>

#include "net/header_text.h"

namespace {

constexpr std::string_view kLineBreak = "\r\n";

struct DefaultHeader {
  std::string_view searchedFor;
  std::string_view line;
  bool postOnly;
};

// In the order they are added; the search texts end in a blank except Content-Type's.
constexpr DefaultHeader kDefaultHeaders[] = {
    {"User-Agent: ",
     "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n",
     false},
    {"Accept: ", "Accept: text/html, application/xhtml+xml, */*\r\n", false},
    {"Accept-Encoding: ", "Accept-Encoding: identity\r\n", false},
    {"Accept-Language: ", "Accept-Language: zh-cn\r\n", false},
    {"Content-Type:", "Content-Type: application/x-www-form-urlencoded\r\n", true},
    {"Cache-Control: ", "Cache-Control: no-cache\r\n", false},
};

constexpr int32_t kPost = 1;

bool contains(const Text& text, std::string_view needle, bool ignoreCase) {
  return findText(text, needle, 1, ignoreCase) != -1;
}

}  // namespace

Text buildRequestHeaders(const Text& extraHeaders, int32_t method, const Text& sendCookies,
                         bool addDefaultHeaders, bool normalizeHeaders) {
  Text block = extraHeaders.empty() ? Text() : extraHeaders + Text(kLineBreak);
  if (addDefaultHeaders) {
    for (const DefaultHeader& h : kDefaultHeaders) {
      if (h.postOnly && method != kPost) continue;
      if (!contains(block, h.searchedFor, true)) block += h.line;
    }
  }
  if (normalizeHeaders) block = normalizeHeaderNames(block);
  if (contains(block, "Connection", false) && headerValue(block, "Connection") == "keep-alive")
    block = replaceText(block, "Connection: keep-alive\r\n", "");
  if (!contains(block, "Cookie:", true) && !sendCookies.empty()) {
    block += kLineBreak;
    if (!contains(sendCookies, "Cookie:", true)) block += "Cookie: ";
    block += sendCookies;
    block += kLineBreak;
  }
  return block;
}

Text normalizeHeaderNames(const Text& block) {
  Text out;
  forEachPiece(block, kLineBreak, [&](std::string_view line) {
    const int32_t colon = findText(line, ":");
    if (colon == -1) return;
    const std::string_view name = line.substr(0, static_cast<size_t>(colon) - 1);
    if (findText(name, "-") != -1) {
      bool first = true;
      forEachPiece(name, "-", [&](std::string_view piece) {
        if (!first) out += '-';
        first = false;
        out += capitalizeFirst(Text(piece));
      });
    } else {
      out += capitalizeFirst(Text(name));
    }
    out += line.substr(static_cast<size_t>(colon) - 1);
    out += kLineBreak;
  });
  dropLast(out, kLineBreak.size());
  return out;
}

Text capitalizeFirst(const Text& text) {
  Text out(text);
  if (!out.empty() && out[0] >= 'a' && out[0] <= 'z') out[0] = static_cast<char>(out[0] - 32);
  return out;
}

Text headerValue(const Text& block, const Text& name) {
  Text value;
  bool found = false;
  forEachPiece(block, kLineBreak, [&](std::string_view line) {
    if (found || line.substr(0, name.size()) != name) return;
    found = true;
    value = textAfterLast(Text(line), name + ": ");
  });
  return value;
}

Text textAfterLast(const Text& text, const Text& separator) {
  if (separator.empty()) return {};
  int32_t last = -1;
  for (int32_t at = findText(text, separator); at != -1;) {
    last = at;
    const auto step = static_cast<int32_t>(gbkCharSize(text, static_cast<size_t>(at - 1)));
    at = findText(text, separator, at + step);
  }
  if (last == -1) return {};
  return text.substr(static_cast<size_t>(last - 1) + separator.size());
}
