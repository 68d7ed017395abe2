#include "net/response_headers.h"

#include <gtest/gtest.h>

namespace {

const Text kUntouched = "(caller's value)";

struct Case {
  const char* what;
  Text headers;
  Text sendCookies;
  bool merge;
  Text status, cookies, location;
};

TEST(ReadResponseHeaders, FourOutputsFromTheRawBlock) {
  const Case cases[] = {
      {"cookies without attributes dropped", 
       "HTTP/1.1 200 OK\r\nSet-Cookie: sid=abc; path=/\r\nSet-Cookie: lang=zh; HttpOnly\r\n"
       "Set-Cookie: x=1\r\n\r\n",
       "", true, "200 OK", "sid=abc; lang=zh", kUntouched},
      {"a location in any letter case", "HTTP/1.1 302 Found\r\nlocation: /next\r\n\r\n", "", true,
       "302 Found", "", "/next"},
      {"the last location wins", "HTTP/1.1 301 Moved\r\nLocation: /a\r\nLOCATION: /b\r\n\r\n", "",
       true, "301 Moved", "", "/b"},
      {"a location needs its blank", "HTTP/1.1 302 Found\r\nLocation:/a\r\n\r\n", "", true,
       "302 Found", "", kUntouched},
      {"sent cookies merged", "HTTP/1.1 200 OK\r\nSet-Cookie: sid=abc; p\r\nSet-Cookie: lang=zh; p\r\n\r\n",
       "sid=old; u=7", true, "200 OK", "sid=abc; lang=zh; u=7", kUntouched},
      {"merge switched off", "HTTP/1.1 200 OK\r\nSet-Cookie: sid=abc; p\r\n\r\n", "sid=old; u=7",
       false, "200 OK", "sid=abc", kUntouched},
      {"merge of nothing received", "HTTP/1.0 404 Not Found\r\n\r\n", "a=1", true, "404 Not Found",
       "a=1", kUntouched},
      {"no CR LF after byte 10", "HTTP/1.1 200 OK", "", true, "", "", kUntouched},
      {"shorter than a status line", "HTTP/1.1", "", true, "", "", kUntouched},
      {"a protocol field of other length", "HTTP/2 200\r\n\r\n", "", true, "0", "", kUntouched},
      {"the reason phrase may be empty", "HTTP/1.1 204\r\n\r\n", "", true, "204", "", kUntouched},
  };
  for (const Case& c : cases) {
    Text headers = kUntouched, status = kUntouched, cookies = kUntouched, location = kUntouched;
    readResponseHeaders(c.headers, c.sendCookies, c.merge, {&headers, &status, &cookies, &location});
    EXPECT_EQ(headers, c.headers) << c.what;
    EXPECT_EQ(status, c.status) << c.what;
    EXPECT_EQ(cookies, c.cookies) << c.what;
    EXPECT_EQ(location, c.location) << c.what;
  }
}

TEST(ReadResponseHeaders, OutputsNotGivenAreSkipped) {
  Text status;
  readResponseHeaders("HTTP/1.1 200 OK\r\nLocation: /x\r\n\r\n", "a=1", true, {nullptr, &status});
  EXPECT_EQ(status, "200 OK");
}

}  // namespace
