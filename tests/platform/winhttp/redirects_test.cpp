// Redirects by WinHTTP's default policy, with the cookies a redirecting
// response sets, and Basic credentials only for the first origin.
#include <gtest/gtest.h>

#include "tests/platform/winhttp/exchange.h"
#include "tests/support/test_servers.h"

namespace winhttp_test {
namespace {

using namespace kestrune_test;

TestResponse redirect(int status, std::string location, HeaderList extra = {}) {
  extra.emplace_back("Location", std::move(location));
  return TestResponse{status, std::move(extra), ""};
}

std::vector<std::string> trail(const HttpTestServer& server) {
  std::vector<std::string> lines;
  for (const RecordedRequest& r : server.requests())
    lines.push_back(r.method + " " + r.target + (r.body.empty() ? "" : " +body") +
                    (r.hasHeader("Content-Length") ? " CL=" + r.header("Content-Length") : "") +
                    (r.hasHeader("Cookie") ? " Cookie=" + r.header("Cookie") : ""));
  return lines;
}

TEST(RedirectTest, ChainCarriesCookiesSetOnTheWay) {
  HttpTestServer server;
  server.on("GET", "/a", redirect(302, "/b", {{"Set-Cookie", "s=1; Path=/"}}));
  server.on("GET", "/b", redirect(301, "c?x=1", {{"Set-Cookie", "t=2"}, {"Set-Cookie", "u=0; Max-Age=0"}}));
  server.on("GET", "/c", TestResponse{200, {{"X-Final", "yes"}}, "done"});
  ExchangePlan plan;
  plan.url = server.url("/a");
  plan.headers = u"Cookie: u=9; v=8";
  ExchangeResult r = exchange(plan);
  ASSERT_EQ(r.failedStep, Step::None) << stepName(r.failedStep) << " " << r.error;
  EXPECT_EQ(r.body, "done");
  EXPECT_EQ(r.status, 200);
  // The raw headers are the final response's, ending in an empty line.
  EXPECT_NE(r.rawHeaders.find("X-Final: yes\r\n"), std::string::npos) << r.rawHeaders;
  EXPECT_EQ(r.rawHeaders.find("Location"), std::string::npos);
  EXPECT_TRUE(r.rawHeaders.starts_with("HTTP/1.1 200 OK\r\n"));
  EXPECT_TRUE(r.rawHeaders.ends_with("\r\n\r\n"));
  // u=0 with Max-Age=0 is a deletion: the caller's u=9 stays; t=2 has path /.
  EXPECT_EQ(trail(server), (std::vector<std::string>{"GET /a Cookie=u=9; v=8", "GET /b Cookie=u=9; v=8; s=1",
                                                       "GET /c?x=1 Cookie=u=9; v=8; s=1; t=2"}));
}

struct PolicyCase {
  const char* name;
  std::u16string verb;
  std::string body;
  int status;
  DWORD disable;
  int finalStatus;
  std::vector<std::string> trail;
};

class RedirectPolicyTest : public testing::TestWithParam<PolicyCase> {};

TEST_P(RedirectPolicyTest, FollowsWinHttpsDefaultPolicy) {
  const PolicyCase& c = GetParam();
  HttpTestServer server;
  server.on("*", "/from", redirect(c.status, "/to", {{"Set-Cookie", "k=v; path=/"}}));
  server.on("*", "/to", TestResponse{200, {}, "arrived"});
  ExchangePlan plan;
  plan.url = server.url("/from");
  plan.verb = c.verb;
  plan.body = c.body;
  plan.disable = c.disable;
  ExchangeResult r = exchange(plan);
  ASSERT_EQ(r.failedStep, Step::None) << stepName(r.failedStep) << " " << r.error;
  EXPECT_EQ(r.status, c.finalStatus);
  EXPECT_EQ(trail(server), c.trail);
}

INSTANTIATE_TEST_SUITE_P(
    Policy, RedirectPolicyTest,
    testing::Values(
        PolicyCase{"SeeOtherAfterPostIsGetWithoutBody", u"POST", "form=1", 303, 0, 200,
                   {"POST /from +body CL=6", "GET /to Cookie=k=v"}},
        PolicyCase{"FoundAfterPostIsGet", u"POST", "form=1", 302, 0, 200,
                   {"POST /from +body CL=6", "GET /to Cookie=k=v"}},
        PolicyCase{"MovedAfterPostIsGet", u"POST", "", 301, 0, 200, {"POST /from CL=0", "GET /to Cookie=k=v"}},
        PolicyCase{"SeeOtherAfterPutIsGet", u"PUT", "x", 303, 0, 200, {"PUT /from +body CL=1", "GET /to Cookie=k=v"}},
        PolicyCase{"TemporaryKeepsTheVerb", u"DELETE", "", 307, 0, 200, {"DELETE /from", "DELETE /to Cookie=k=v"}},
        PolicyCase{"PermanentKeepsPostWithoutBody", u"POST", "", 308, 0, 200,
                   {"POST /from CL=0", "POST /to CL=0 Cookie=k=v"}},
        // A streamed body cannot be sent again: the redirect is the answer.
        PolicyCase{"TemporaryWithBodyIsTheResponse", u"POST", "data", 307, 0, 307, {"POST /from +body CL=4"}},
        PolicyCase{"RedirectsDisabled", u"GET", "", 302, WINHTTP_DISABLE_REDIRECTS, 302, {"GET /from"}},
        PolicyCase{"CookiesDisabled", u"GET", "", 302, WINHTTP_DISABLE_COOKIES, 200, {"GET /from", "GET /to"}}),
    [](const testing::TestParamInfo<PolicyCase>& info) { return std::string(info.param.name); });

TEST(RedirectTest, HttpsToHttpIsNotFollowed) {
  HttpTestServer plain;
  plain.on("GET", "/", TestResponse{200, {}, "plain"});
  HttpTestServer secure(makeCertificate(CertificateKind::SelfSigned));
  secure.on("GET", "/", redirect(302, plain.url("/")));
  ExchangePlan plan;
  plan.url = secure.url("/");
  ExchangeResult r = exchange(plan);
  ASSERT_EQ(r.failedStep, Step::None) << stepName(r.failedStep) << " " << r.error;
  EXPECT_EQ(r.status, 302);
  EXPECT_NE(r.rawHeaders.find("Location: " + plain.url("/")), std::string::npos);
  EXPECT_EQ(plain.requestCount(), 0u);
}

TEST(RedirectTest, HttpToHttpsIsFollowed) {
  HttpTestServer secure(makeCertificate(CertificateKind::SelfSigned));
  secure.on("GET", "/s", TestResponse{200, {}, "secure"});
  HttpTestServer plain;
  plain.on("GET", "/", redirect(301, secure.url("/s")));
  ExchangePlan plan;
  plan.url = plain.url("/");
  ExchangeResult r = exchange(plan);
  ASSERT_EQ(r.failedStep, Step::None) << stepName(r.failedStep) << " " << r.error;
  EXPECT_EQ(r.body, "secure");
}

TEST(RedirectTest, EndlessRedirectsFailTheReceive) {
  HttpTestServer server;
  server.on("GET", "/loop", redirect(302, "/loop"));
  ExchangePlan plan;
  plan.url = server.url("/loop");
  ExchangeResult r = exchange(plan);
  EXPECT_EQ(r.failedStep, Step::Receive);
  EXPECT_EQ(r.error, ERROR_WINHTTP_REDIRECT_FAILED);
  EXPECT_EQ(server.requestCount(), 11u);  // the first request and ten redirects
}

TEST(RedirectTest, ServerCredentialsStayWithTheFirstOrigin) {
  HttpTestServer other;
  other.on("GET", "/", TestResponse{200, {}, "other"});
  HttpTestServer server;
  server.on("GET", "/", redirect(302, "/same"));
  server.on("GET", "/same", redirect(302, other.url("/")));
  ExchangePlan plan;
  plan.url = server.url("/");
  plan.serverUser = u"user";
  plan.serverPassword = u"pa:ss";
  ExchangeResult r = exchange(plan);
  ASSERT_EQ(r.failedStep, Step::None) << stepName(r.failedStep) << " " << r.error;
  EXPECT_EQ(r.body, "other");
  ASSERT_EQ(server.requestCount(), 2u);
  for (const RecordedRequest& request : server.requests())
    EXPECT_EQ(request.header("Authorization"), "Basic dXNlcjpwYTpzcw==");  // user:pa:ss
  EXPECT_FALSE(other.lastRequest().hasHeader("Authorization"));
}


TEST(RedirectTest, CookiesWithControlCharactersAreNotCarried) {
  // A bare CR in a cookie would reach the next request's Cookie line, where a
  // server that ends lines at CR reads the rest as a header of its own.
  ScriptedServer server([](ScriptedConnection& c) {
    while (auto request = c.readRequest()) {
      if (request->target == "/from")
        c.send("HTTP/1.1 302 Found\r\nLocation: /to\r\n"
               "Set-Cookie: a=1\rX-Injected: yes; path=/\r\n"
               "Set-Cookie: b=2\x01; path=/\r\n"
               "Set-Cookie: c\x7f=3; path=/\r\n"
               "Set-Cookie: fine=4; path=/\r\n"
               "Content-Length: 0\r\n\r\n");
      else
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
    }
  });
  ExchangePlan plan;
  plan.url = server.url("/from");
  ExchangeResult r = exchange(plan);
  ASSERT_EQ(r.failedStep, Step::None) << stepName(r.failedStep) << " " << r.error;
  EXPECT_EQ(r.body, "ok");
  const std::vector<RecordedRequest> requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].header("Cookie"), "fine=4");
  EXPECT_EQ(requests[1].rawHead.find("Injected"), std::string::npos) << requests[1].rawHead;
}

}  // namespace
}  // namespace winhttp_test
