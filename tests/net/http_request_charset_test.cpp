// httpRequest's charset correction: a page that declares a charset other
// than "gbk" and "gb2312" in its first 1024 bytes is decoded again from its
// bytes through the stream component.
#include <gtest/gtest.h>

#include "tests/net/http_call.h"
#include "tests/support/test_servers.h"

namespace {

using namespace http_test;
using namespace kestrune_test;

TEST(HttpCharset, PagesDecodedByTheirDeclaration) {
  const std::string utf8 = "\xe4\xb8\xad\xe6\x96\x87";  // 中文 in UTF-8
  const std::string big5 = "\xa4\xa4\xa4\xe5";          // 中文 in Big5
  const std::string padding(1100, ' ');
  struct Case {
    const char* what;
    std::string page;
    Text expected;
  };
  const Case cases[] = {
      {"utf-8", "<meta charset=\"utf-8\">" + utf8, "<meta charset=\"utf-8\">中文"_gbk},
      {"utf-8 in http-equiv", "<META http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">" + utf8,
       "<META http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">中文"_gbk},
      {"a byte-order mark goes", "\xef\xbb\xbf<meta charset=utf-8>" + utf8, "<meta charset=utf-8>中文"_gbk},
      {"big5", "<meta charset=\"big5\">" + big5, "<meta charset=\"big5\">中文"_gbk},
      // 0xFF is no GBK: decoded again it becomes "?", left alone it stays.
      {"GBK in capitals is decoded again", "<meta charset=\"GBK\">"_gbk + "中"_gbk + "\xff",
       "<meta charset=\"GBK\">中?"_gbk},
      {"gbk is not", "<meta charset=\"gbk\">"_gbk + "中"_gbk + "\xff", "<meta charset=\"gbk\">中"_gbk + "\xff"},
      {"gb2312 is not", "<meta charset=gb2312>"_gbk + "中"_gbk + "\xff", "<meta charset=gb2312>中"_gbk + "\xff"},
      {"a declaration past 1024 bytes is not seen", padding + "<meta charset=\"utf-8\">" + utf8,
       padding + "<meta charset=\"utf-8\">" + utf8},
      {"an unknown charset keeps the text", "<meta charset=\"foo\">" + utf8, "<meta charset=\"foo\">" + utf8},
      {"no declaration", "<p>" + utf8, "<p>" + utf8},
  };
  for (const Case& c : cases) {
    HttpTestServer server;
    server.on("GET", "/", TestResponse{200, {}, c.page, "text/html"});
    const HttpOutcome o = perform(HttpCall(server.url("/")));
    EXPECT_EQ("200 OK", o.status()) << c.what;
    EXPECT_EQ(c.expected, o.result) << c.what;
    EXPECT_EQ(c.page, o.body()) << c.what;  // the bytes stay as received
  }
}

}  // namespace
