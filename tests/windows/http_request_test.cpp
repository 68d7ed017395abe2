// The request engine on the system's WinHTTP, against the loopback peer that
// scripts/test-windows runs on the Linux side (plain HTTP, and HTTPS whose
// certificates only the security flags 0x3300 let through).
#include <gtest/gtest.h>

#include "net/http_request.h"
#include "platform/text/gbk.h"
#include "tests/windows/wine.h"

namespace {

struct Exchange {
  Text result, status, cookies, headers, location = "unset";
  ByteArray body;
};

Exchange request(const std::string& url, int32_t method = HttpGet, const Text& bodyText = {},
                 const Text& sendCookies = {}, bool noRedirect = false) {
  Exchange e;
  e.result = httpRequest(url, method, bodyText, sendCookies, &e.cookies, {}, &e.headers, noRedirect,
                         {}, {}, {}, {}, {}, 10, &e.location, &e.status, &e.body);
  return e;
}

std::string url(const char* path) { return "http://" + peerAddress("KESTRUNE_TEST_HTTP") + path; }

}  // namespace

TEST(WindowsHttpRequest, PlainAndSecureExchangesIgnoringCertificateErrors) {
  struct Case {
    const char* variable;
    const char* scheme;
  } cases[] = {{"KESTRUNE_TEST_HTTP", "http"},
               {"KESTRUNE_TEST_HTTPS", "https"},
               {"KESTRUNE_TEST_HTTPS_WRONG_HOST", "https"},
               {"KESTRUNE_TEST_HTTPS_EXPIRED", "https"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.variable);
    const Exchange e = request(std::string(c.scheme) + "://" + peerAddress(c.variable) + "/hello");
    EXPECT_EQ(e.result, "hi");
    EXPECT_EQ(e.status, "200 OK");
    EXPECT_EQ(e.cookies, "sid=abc; lang=zh");
    EXPECT_EQ(e.headers.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
    EXPECT_EQ(e.location, "unset");
    EXPECT_EQ(e.body, ByteArray({'h', 'i'}));
  }
}

TEST(WindowsHttpRequest, RequestsCarryTheDefaultHeadersCookiesAndBody) {
  const std::string echo = url("/echo");
  const Exchange get = request(echo);
  EXPECT_NE(get.result.find("GET /echo\n"), std::string::npos) << get.result;
  for (const char* line : {"User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\n",
                           "Accept-Language: zh-cn\n", "Accept-Encoding: identity\n"})
    EXPECT_NE(get.result.find(line), std::string::npos) << line << get.result;
  EXPECT_EQ(get.result.find("Content-Type"), std::string::npos);

  const Exchange post = request(echo, HttpPost, "a=1&b=价"_gbk, "k=v; w=2");
  EXPECT_NE(post.result.find("POST /echo\n"), std::string::npos) << post.result;
  EXPECT_NE(post.result.find("Content-Type: application/x-www-form-urlencoded\n"), std::string::npos);
  EXPECT_NE(post.result.find("Cookie: k=v; w=2\n"), std::string::npos) << post.result;
  EXPECT_EQ(post.result.substr(post.result.size() - 8), "a=1&b=" + "价"_gbk);
  EXPECT_EQ(post.cookies, "k=v; w=2");  // nothing new, the sent ones merged in

  for (int32_t method : {HttpPut, HttpDelete, HttpPatch, HttpOptions})
    EXPECT_EQ(request(echo, method).result.rfind(std::string(httpVerb(method)) + " /echo\n", 0), 0u)
        << httpVerb(method);
}

TEST(WindowsHttpRequest, RedirectsStatusesAndFailures) {
  const Exchange followed = request(url("/redirect"));
  EXPECT_EQ(followed.result, "hi");
  EXPECT_EQ(followed.status, "200 OK");

  const Exchange held = request(url("/redirect"), HttpGet, {}, {}, true);
  EXPECT_EQ(held.result, "");
  EXPECT_EQ(held.status, "302 Found");
  EXPECT_EQ(held.location, "/hello");

  const Exchange missing = request(url("/status/404"));
  EXPECT_EQ(missing.result, "missing");
  EXPECT_EQ(missing.status, "404 Not Found");

  const Exchange refused = request("http://127.0.0.1:1/hello");
  EXPECT_EQ(refused.result, "");
  EXPECT_EQ(refused.status, "711 发送请求失败!"_gbk);
  EXPECT_EQ(refused.cookies, "");  // written only after a response
  EXPECT_EQ(request("not a url").status, "701 解析URL地址失败!"_gbk);
}

TEST(WindowsHttpRequest, PageInAnotherCharsetIsReadThroughTheStreamObject) {
  SKIP_UNDER_WINE(wine_gap::StreamByName);
  const Exchange page = request(url("/charset/utf-8"));
  EXPECT_NE(page.result.find("中文页面"_gbk), std::string::npos) << page.result;
}
