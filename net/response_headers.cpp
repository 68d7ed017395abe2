#include "net/response_headers.h"

#include <string_view>

#include "net/cookie_text.h"
#include "net/header_text.h"

namespace {

constexpr int32_t kStatusStart = 10;  // after "HTTP/1.1 "
constexpr std::string_view kLocation = "Location: ";

void write(Text* target, const Text& value) {
  if (target) *target = value;
}

}  // namespace

void readResponseHeaders(const Text& headerText, const Text& sendCookies, bool mergeCookies,
                         const ResponseHeaderOutputs& out) {
  write(out.responseHeaders, headerText);

  Text status;
  const int32_t lineEnd = findText(headerText, "\r\n", kStatusStart);
  if (lineEnd != -1) status = headerText.substr(kStatusStart - 1, lineEnd - kStatusStart);
  write(out.statusText, status);

  const std::vector<Text> lines = splitText(headerText, "\r\n");
  Text cookies = cookiesFromHeaders(lines);
  write(out.receivedCookies, cookies);

  for (const Text& line : lines) {
    if (beginsWithIgnoringCase(line, kLocation))
      write(out.redirectLocation, line.substr(kLocation.size()));
  }

  if (mergeCookies && !sendCookies.empty()) write(out.receivedCookies, mergeCookieStrings(sendCookies, cookies));
}
