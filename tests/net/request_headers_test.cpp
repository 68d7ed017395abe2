#include "net/request_headers.h"

#include <gtest/gtest.h>

#include "platform/text/gbk.h"

namespace {

const Text kUserAgent =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)";
const Text kAccept = "Accept: text/html, application/xhtml+xml, */*";
const Text kRest = "Accept-Encoding: identity\r\nAccept-Language: zh-cn";
const Text kCache = "Cache-Control: no-cache";
const Text kFormType = "Content-Type: application/x-www-form-urlencoded";
// The default lines of a GET, as normalisation leaves them (no final CR LF).
const Text kDefaults = kUserAgent + "\r\n" + kAccept + "\r\n" + kRest + "\r\n" + kCache;

struct BuildCase {
  const char* what;
  Text extra;
  int32_t method;
  Text cookies;
  bool defaults;
  bool normalize;
  Text expected;
};

TEST(BuildRequestHeaders, ExactBlocks) {
  const BuildCase cases[] = {
      {"defaults alone", "", 0, "", true, true, kDefaults},
      {"nothing at all", "", 0, "", false, false, ""},
      {"caller's lines keep their order, defaults follow", "X-A: 1", 0, "", true, true,
       "X-A: 1\r\n" + kDefaults},
      {"a lower-case accept line satisfies the Accept default", "accept: */*", 0, "", true, true,
       "Accept: */*\r\n" + kUserAgent + "\r\n" + kRest + "\r\n" + kCache},
      {"Accept-Encoding does not satisfy Accept", "Accept-Encoding: gzip", 0, "", true, true,
       "Accept-Encoding: gzip\r\n" + kUserAgent + "\r\n" + kAccept +
           "\r\nAccept-Language: zh-cn\r\n" + kCache},
      {"a POST gets a form content type", "", 1, "", true, true,
       kUserAgent + "\r\n" + kAccept + "\r\n" + kRest + "\r\n" + kFormType + "\r\n" + kCache},
      {"Content-Type without blank satisfies the search", "content-type:text/plain", 1, "", true, true,
       "Content-Type:text/plain\r\n" + kDefaults},
      {"method 9 is no POST", "", 9, "", true, true, kDefaults},
      {"a keep-alive line followed by CR LF is removed", "Connection: keep-alive\r\nX-A: 1", 0, "",
       true, true, "X-A: 1\r\n" + kDefaults},
      {"a keep-alive last line of a normalised block stays", "X-A: 1\r\nConnection: keep-alive", 0,
       "", false, true, "X-A: 1\r\nConnection: keep-alive"},
      {"another Connection value stays", "Connection: close", 0, "", false, false,
       "Connection: close\r\n"},
      {"keep-alive in other letter case stays", "Connection: Keep-Alive", 0, "", false, false,
       "Connection: Keep-Alive\r\n"},
      {"a longer name beginning with Connection is asked first",
       "Connection-X: 1\r\nConnection: keep-alive", 0, "", false, false,
       "Connection-X: 1\r\nConnection: keep-alive\r\n"},
      {"cookies get their own line", "", 0, "a=1; b=2", false, false, "\r\nCookie: a=1; b=2\r\n"},
      {"cookies that name themselves", "", 0, "Cookie: a=1", false, false, "\r\nCookie: a=1\r\n"},
      {"a caller's Cookie line is not repeated", "Cookie: z=9", 0, "a=1", false, false,
       "Cookie: z=9\r\n"},
      {"without normalisation an empty line precedes the cookies", "", 0, "a=1", true, false,
       kUserAgent + "\r\n" + kAccept + "\r\n" + kRest + "\r\n" + kCache + "\r\n\r\nCookie: a=1\r\n"},
      {"with normalisation the cookie line follows directly", "", 0, "a=1", true, true,
       kDefaults + "\r\nCookie: a=1\r\n"},
      // 乁 is 0x81 0x55: its trail byte is "U", which must not begin "User-Agent: ".
      {"no match inside a double-byte character", "乁ser-Agent: x"_gbk, 0, "", true, false,
       "乁ser-Agent: x\r\n"_gbk + kUserAgent + "\r\n" + kAccept + "\r\n" + kRest + "\r\n" + kCache +
           "\r\n"},
  };
  for (const BuildCase& c : cases)
    EXPECT_EQ(buildRequestHeaders(c.extra, c.method, c.cookies, c.defaults, c.normalize), c.expected)
        << c.what;
}

TEST(NormalizeHeaderNames, EachDashPieceCapitalised) {
  const std::pair<Text, Text> cases[] = {
      {"content-type: text/plain", "Content-Type: text/plain"},
      {"x-REQUESTED-with:1", "X-REQUESTED-With:1"},
      {"a: 1\r\nno colon\r\nb:2\r\n", "A: 1\r\nB:2"},
      {"\r\nhost: x", "Host: x"},
      {"host:a:b", "Host:a:b"},
      {": v", ": v"},
      {"-x: v", "-X: v"},
      {"x--y: v", "X--Y: v"},
      {"x-: v", "X: v"},  // the empty piece after the last dash is dropped
      {"no colon", ""},
      {"", ""},
      {"中-a: 1"_gbk, "中-A: 1"_gbk},
  };
  for (const auto& [block, expected] : cases) EXPECT_EQ(normalizeHeaderNames(block), expected) << block;
}

TEST(CapitalizeFirst, OnlyAnAsciiLowerCaseFirstByte) {
  const std::pair<Text, Text> cases[] = {
      {"abc", "Abc"}, {"zeta", "Zeta"}, {"Abc", "Abc"}, {"aBC", "ABC"}, {"1a", "1a"},
      {"{a", "{a"},   {"`a", "`a"},     {"", ""},       {"中"_gbk, "中"_gbk},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(capitalizeFirst(text), expected) << text;
}

TEST(HeaderValue, FirstLineBeginningWithTheName) {
  struct Case {
    Text block, name, expected;
  };
  const Case cases[] = {
      {"Connection: keep-alive", "Connection", "keep-alive"},
      {"A: 1\r\nConnection: close\r\nConnection: x", "Connection", "close"},
      {"Connection-X: 1\r\nConnection: keep-alive", "Connection", ""},
      {"connection: keep-alive", "Connection", ""},
      {"X: Connection: y", "Connection", ""},
      {"Connection: a Connection: b", "Connection", "b"},
      {"Connection:keep-alive", "Connection", ""},
      {"", "Connection", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(headerValue(c.block, c.name), c.expected) << c.block;
}

TEST(TextAfterLast, LastOccurrenceCaseSensitive) {
  struct Case {
    Text text, separator, expected;
  };
  const Case cases[] = {
      {"a=b=c", "=", "c"},   {"abc", "x", ""},   {"abc", "c", ""},  {"aaa", "aa", ""},
      {"aXbxc", "X", "bxc"}, {"", "=", ""},      {"abc", "", ""},
      {"乁: a"_gbk, "U: ", ""},  // "U: " only across a character's trail byte
      {"中: a"_gbk, ": ", "a"},
  };
  for (const Case& c : cases) EXPECT_EQ(textAfterLast(c.text, c.separator), c.expected) << c.text;
}

}  // namespace
