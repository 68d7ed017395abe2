// httpRequest on the wire against loopback servers: the request as sent
// (line, headers, body), the outputs of a response, cookies, redirects,
// credentials and proxies.
#include <gtest/gtest.h>

#include <algorithm>

#include "net/wide_text.h"
#include "platform/winhttp/test_seam.h"
#include "tests/net/http_call.h"
#include "tests/support/test_servers.h"

namespace {

using namespace http_test;
using namespace kestrune_test;

// Every Cookie header value the server saw for `path`, joined.
std::string cookiesSentTo(const std::vector<RecordedRequest>& requests, std::string_view path) {
  std::string all;
  for (const RecordedRequest& r : requests)
    if (r.target == path)
      for (const auto& [name, value] : r.headers)
        if (equalsIgnoreCase(name, "Cookie")) all += value + ";";
  return all;
}

TEST(HttpExchange, TheNoticesCallWithTheUrlAlone) {
  ScriptedServer server(scripts::respond("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello"));
  Text received = kUntouched, headers = kUntouched, location = kUntouched, status = kUntouched;
  ByteArray body;
  const Text result = httpRequest(server.url("/Admins/ksxt.json"), HttpGet, {}, {}, &received, {},
                                  &headers, false, {}, {}, {}, {}, {}, 0, &location, &status, &body);
  EXPECT_EQ("hello", result);
  EXPECT_EQ("200 OK", status);
  EXPECT_EQ("", received);
  EXPECT_EQ(kUntouched, location);
  EXPECT_EQ(bytesOf("hello"), body);
  EXPECT_EQ(0u, headers.find("HTTP/1.1 200 OK\r\n"));
  EXPECT_EQ(headers.size() - 4, headers.rfind("\r\n\r\n"));

  ASSERT_EQ(1u, server.requests().size());
  const RecordedRequest r = server.requests()[0];
  EXPECT_EQ("GET", r.method);
  EXPECT_EQ("/Admins/ksxt.json", r.target);
  EXPECT_EQ("HTTP/1.1", r.version);
  EXPECT_EQ("127.0.0.1:" + std::to_string(server.port()), r.header("Host"));
  const HeaderList expected = {
      {"User-Agent", "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)"},
      {"Accept", "text/html, application/xhtml+xml, */*"},
      {"Accept-Encoding", "identity"},
      {"Accept-Language", "zh-cn"},
      {"Cache-Control", "no-cache"},
  };
  HeaderList sent;
  for (const auto& h : r.headers)
    if (h.first != "Host" && !(h.first == "Content-Length" && h.second == "0")) sent.push_back(h);
  EXPECT_EQ(expected, sent) << r.rawHead;
}

TEST(HttpExchange, MethodIndicesAndTheUrlsObjectName) {
  HttpTestServer server;
  server.on("*", "*", TestResponse{200, {}, "ok"});
  struct Case {
    int32_t method;
    const char* verb;
    bool formType;
  };
  const Case methods[] = {{0, "GET", false},     {1, "POST", true},    {2, "HEAD", false},
                          {3, "PUT", false},     {4, "OPTIONS", false}, {5, "DELETE", false},
                          {8, "PATCH", false},   {9, "GET", false},    {-1, "GET", false}};
  for (const Case& c : methods) {
    HttpCall call(server.url("/m"));
    call.method = c.method;
    const HttpOutcome o = perform(call);
    EXPECT_EQ("200 OK", o.status()) << c.method;
    const RecordedRequest r = server.lastRequest();
    EXPECT_EQ(c.verb, r.method) << c.method;
    EXPECT_EQ(c.formType ? "application/x-www-form-urlencoded" : "", r.header("Content-Type")) << c.method;
  }
  const std::string base = "http://127.0.0.1:" + std::to_string(server.port());
  const std::pair<std::string, std::string> targets[] = {
      {base + "?x=1", "/"},  // no path: "/" and the query is dropped
      {base + "/a/b?x=1&y=2", "/a/b?x=1&y=2"},
      {base + "/a#fragment", "/a"},
  };
  for (const auto& [url, target] : targets) {
    EXPECT_EQ("200 OK", perform(HttpCall(url)).status()) << url;
    EXPECT_EQ(target, server.lastRequest().target) << url;
  }
}

TEST(HttpExchange, RequestBodiesArriveIntact) {
  HttpTestServer server;
  server.on("*", "*", TestResponse{200, {}, "ok"});
  const std::string big = patternBytes(0, 2 * 1024 * 1024 + 1);  // three blocks
  struct Case {
    const char* what;
    Text bodyText;
    ByteArray bodyBytes;
    std::string expected;
  };
  const Case cases[] = {
      {"text", "a=1&b=2", {}, "a=1&b=2"},
      {"bytes win over text", "ignored", bytesOf(std::string("x\0y", 3)), std::string("x\0y", 3)},
      {"nothing", "", {}, ""},
      {"2 MiB in blocks", "", bytesOf(big), big},
  };
  for (const Case& c : cases) {
    HttpCall call(server.url("/upload"));
    call.method = HttpPost;
    call.bodyText = c.bodyText;
    call.bodyBytes = c.bodyBytes;
    EXPECT_EQ("200 OK", perform(call).status()) << c.what;
    const RecordedRequest r = server.lastRequest();
    EXPECT_TRUE(r.body == c.expected) << c.what << ": " << r.body.size() << " bytes";
    EXPECT_EQ(std::to_string(c.expected.size()), r.header("Content-Length")) << c.what;
    EXPECT_FALSE(r.hasHeader("Transfer-Encoding")) << c.what;
    EXPECT_FALSE(r.hasHeader("Expect")) << c.what;
  }
}

TEST(HttpExchange, ResponseBodiesAsReceived) {
  ScriptedServer zero(scripts::respond(std::string("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nab\0cd", 43)));
  const HttpOutcome o = perform(HttpCall(zero.url("/")));
  EXPECT_EQ(std::string("ab\0cd", 5), o.body());
  EXPECT_EQ("ab", o.result);
}

TEST(HttpExchange, CookiesSentReceivedAndMerged) {
  HttpTestServer server;
  server.on("GET", "/", TestResponse{200, {{"Set-Cookie", "sid=abc; path=/"}, {"Set-Cookie", "x=1"}}, "ok"});
  struct Case {
    Text sendCookies;
    bool merge;
    std::string cookieSent;
    Text received;
  };
  const Case cases[] = {
      {"a=1; b=2", true, "a=1; b=2", "sid=abc; a=1; b=2"},
      {"a=1; b=2", false, "a=1; b=2", "sid=abc"},
      {"Cookie: a=1", true, "a=1", "sid=abc; Cookie: a=1"},
      {"sid=old", true, "sid=old", "sid=abc"},
      {"", true, "", "sid=abc"},
  };
  for (const Case& c : cases) {
    HttpCall call(server.url("/"));
    call.sendCookies = c.sendCookies;
    call.mergeCookies = c.merge;
    const HttpOutcome o = perform(call);
    EXPECT_EQ(c.received, o.receivedCookies) << c.sendCookies;
    const RecordedRequest r = server.lastRequest();
    EXPECT_EQ(c.cookieSent.empty() ? 0 : 1, r.headerCount("Cookie")) << c.sendCookies;
    EXPECT_EQ(c.cookieSent, r.header("Cookie")) << c.sendCookies;
  }
}

TEST(HttpExchange, RedirectChainsWithCookies) {
  HttpTestServer server;
  server.on("*", "/r1", TestResponse{302, {{"Location", "/r2"}, {"Set-Cookie", "hop=1; path=/"}}, "moved"});
  server.on("*", "/r2", TestResponse{301, {{"Location", "/final"}}, ""});
  server.on("*", "/p", TestResponse{303, {{"Location", "/final"}}, ""});
  server.on("*", "/final", TestResponse{200, {{"Set-Cookie", "f=2; path=/"}}, "done"});

  HttpCall follow(server.url("/r1"));
  follow.sendCookies = "a=1";
  HttpOutcome o = perform(follow);
  EXPECT_EQ("200 OK", o.status());
  EXPECT_EQ("done", o.result);
  EXPECT_EQ("f=2; a=1", o.receivedCookies);
  EXPECT_EQ(kUntouched, o.redirectLocation);  // the final response has no Location
  std::vector<RecordedRequest> seen = server.requests();
  ASSERT_EQ(3u, seen.size());
  EXPECT_NE(std::string::npos, cookiesSentTo(seen, "/r2").find("hop=1"));
  EXPECT_NE(std::string::npos, cookiesSentTo(seen, "/final").find("a=1"));

  // Without cookies to send the cookie feature is off: the hop's cookie stays behind.
  const size_t before = server.requestCount();
  o = perform(HttpCall(server.url("/r1")));
  EXPECT_EQ("200 OK", o.status());
  seen = server.requests();
  seen.erase(seen.begin(), seen.begin() + static_cast<std::ptrdiff_t>(before));
  EXPECT_EQ("", cookiesSentTo(seen, "/r2"));

  HttpCall stop(server.url("/r1"));
  stop.noRedirect = true;
  o = perform(stop);
  EXPECT_EQ("302 Found", o.status());
  EXPECT_EQ("/r2", o.redirectLocation);
  EXPECT_EQ("hop=1", o.receivedCookies);
  EXPECT_EQ("moved", o.result);
  EXPECT_EQ("/r1", server.lastRequest().target);

  HttpCall post(server.url("/p"));
  post.method = HttpPost;
  post.bodyText = "data";
  o = perform(post);
  EXPECT_EQ("200 OK", o.status());
  EXPECT_EQ("GET", server.lastRequest().method);  // 303 continues with GET and no body
  EXPECT_EQ("", server.lastRequest().body);
}

TEST(HttpExchange, HttpsToHttpIsNotFollowedHttpToHttpsIs) {
  HttpTestServer plain;
  HttpTestServer secure(makeCertificate(CertificateKind::SelfSigned));
  ASSERT_TRUE(secure.running());
  plain.on("*", "/x", TestResponse{200, {}, "plain"});
  plain.on("*", "/up", TestResponse{302, {{"Location", secure.url("/final")}}, ""});
  secure.on("*", "/down", TestResponse{302, {{"Location", plain.url("/x")}}, "not followed"});
  secure.on("*", "/final", TestResponse{200, {}, "secure"});

  HttpOutcome o = perform(HttpCall(secure.url("/down")));
  EXPECT_EQ("302 Found", o.status());
  EXPECT_EQ(plain.url("/x"), o.redirectLocation);
  EXPECT_EQ("not followed", o.result);
  EXPECT_EQ(0u, plain.requestCount());

  o = perform(HttpCall(plain.url("/up")));
  EXPECT_EQ("200 OK", o.status());
  EXPECT_EQ("secure", o.result);
}

// All four timeouts of the session: timeoutSeconds x 1000, and 30 s for 0 or
// less; without a proxy the session has none.
TEST(HttpExchange, SessionGetsTheTimeoutsOfTheCall) {
  HttpTestServer origin;
  origin.on("*", "*", TestResponse{200, {}, "origin"});
  const struct {
    int32_t seconds;
    int milliseconds;
  } cases[] = {{0, 30000}, {-1, 30000}, {-30, 30000}, {5, 5000}, {1, 1000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.seconds);
    winhttp_test_seam::RecordSessionCalls record;
    HttpCall call(origin.url("/"));
    call.timeoutSeconds = c.seconds;
    EXPECT_EQ("origin", perform(call).result);
    const auto calls = record.calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].call, winhttp_test_seam::Call::Open);
    EXPECT_EQ(calls[0].accessType, WINHTTP_ACCESS_TYPE_NO_PROXY);
    EXPECT_EQ(calls[0].proxy, u"");
    EXPECT_EQ(calls[1].call, winhttp_test_seam::Call::SetTimeouts);
    for (int ms : {calls[1].resolve, calls[1].connect, calls[1].send, calls[1].receive})
      EXPECT_EQ(ms, c.milliseconds);
  }
}

TEST(HttpExchange, ServerCredentialsAndProxies) {
  HttpTestServer origin;
  origin.on("*", "*", TestResponse{200, {}, "origin"});
  HttpTestServer secure(makeCertificate(CertificateKind::SelfSigned));
  secure.on("*", "*", TestResponse{200, {}, "secure origin"});

  HttpCall basic(origin.url("/"));
  basic.serverUser = "u";
  basic.serverPassword = "p";
  perform(basic);
  EXPECT_EQ("Basic dTpw", origin.lastRequest().header("Authorization"));

  // The session gets the address alone for https and "http=" before it for
  // http, and the request really goes through the proxy: an absolute-form
  // request line for http, a tunnel for https, in the proxy's own log.
  TinyProxy proxy;
  ASSERT_TRUE(proxy.running()) << proxy.failure();
  const std::string address = proxy.address();
  struct ProxyCase {
    std::string url, result, sessionProxy, proxySaw;
  } proxyCases[] = {
      {origin.url("/via-proxy"), "origin", "http=" + address,
       "): GET http://127.0.0.1:" + std::to_string(origin.port()) + "/via-proxy HTTP/1.1"},
      {secure.url("/tunnel"), "secure origin", address,
       "): CONNECT 127.0.0.1:" + std::to_string(secure.port()) + " HTTP/1.1"},
  };
  HttpOutcome o;
  for (const ProxyCase& c : proxyCases) {
    SCOPED_TRACE(c.url);
    winhttp_test_seam::RecordSessionCalls record;
    HttpCall viaProxy(c.url);
    viaProxy.proxyAddress = proxy.address();
    o = perform(viaProxy);
    EXPECT_EQ(c.result, o.result) << o.status();
    const auto calls = record.calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front().accessType, WINHTTP_ACCESS_TYPE_NAMED_PROXY);
    EXPECT_EQ(calls.front().proxy, std::u16string(c.sessionProxy.begin(), c.sessionProxy.end()));
    EXPECT_NE(std::string::npos, proxy.log().find(c.proxySaw)) << proxy.log();
  }

  TinyProxy guarded({"pu", "pp"});
  ASSERT_TRUE(guarded.running()) << guarded.failure();
  HttpCall refused(origin.url("/guarded"));
  refused.proxyAddress = guarded.address();
  o = perform(refused);
  EXPECT_EQ(0u, o.status().find("407")) << o.status();
  HttpCall admitted = refused;
  admitted.proxyUser = "pu";
  admitted.proxyPassword = "pp";
  o = perform(admitted);
  EXPECT_EQ("200 OK", o.status());
  EXPECT_EQ("origin", o.result);
}

}  // namespace
