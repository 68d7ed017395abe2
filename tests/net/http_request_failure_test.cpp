// httpRequest's numbered failures: each message produced for real, either
// through the stand-in's test seam or by servers that refuse, stall, break
// off or misbehave; what is written and what is left alone; pending window
// messages processed where the engine processes them; COM left balanced.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

#include "platform/com/class_registry.h"
#include "platform/system/pending_messages.h"
#include "platform/winhttp/test_seam.h"
#include "tests/net/http_call.h"
#include "tests/support/test_servers.h"

namespace {

using namespace http_test;
using namespace kestrune_test;
using winhttp_test_seam::Call;
using winhttp_test_seam::FailCall;

int processed = 0;

class HttpFailureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    processed = 0;
    setPendingMessageProcessor([] { ++processed; });
  }
  void TearDown() override { setPendingMessageProcessor(nullptr); }
};

// Only the status text was written; the result is empty.
void expectOnlyStatus(const HttpOutcome& o, const std::string& message, const char* what) {
  EXPECT_EQ(message, o.status()) << what;
  EXPECT_EQ("", o.result) << what;
  EXPECT_EQ(kUntouched, o.receivedCookies) << what;
  EXPECT_EQ(kUntouched, o.responseHeaders) << what;
  EXPECT_EQ(kUntouched, o.redirectLocation) << what;
  EXPECT_EQ(kUntouchedBytes, o.responseBody) << what;
}

// A port on 127.0.0.1 where nothing listens.
int closedPort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

TEST_F(HttpFailureTest, EachStepsFailureThroughTheSeam) {
  HttpTestServer server;
  ASSERT_TRUE(server.running());
  server.on("*", "*", TestResponse{200, {}, "ok"});
  const HttpCall plain{server.url("/")};
  HttpCall serverCredentials = plain;
  serverCredentials.serverUser = "u";
  serverCredentials.serverPassword = "p";
  HttpCall bothCredentials = serverCredentials;
  bothCredentials.proxyUser = "pu";
  bothCredentials.proxyPassword = "pp";
  HttpCall proxyCredentials = plain;
  proxyCredentials.proxyUser = "pu";
  proxyCredentials.proxyPassword = "pp";
  HttpCall withCookies = plain;
  withCookies.sendCookies = "a=1";
  HttpCall noRedirect = plain;
  noRedirect.noRedirect = true;

  struct Case {
    Call call;
    int occurrence;
    HttpCall request;
    const char* message;
    bool processesMessages;
  };
  const Case cases[] = {
      {Call::CheckPlatform, 1, plain, "700 当前系统不支持WinHttp服务!", true},
      {Call::CrackUrl, 1, plain, "701 解析URL地址失败!", true},
      {Call::Open, 1, plain, "702 创建WinHttp会话失败!", true},
      {Call::SetTimeouts, 1, plain, "705 设置超时时间失败!", true},
      {Call::Connect, 1, plain, "703 创建WinHttp连接失败!", true},
      {Call::OpenRequest, 1, plain, "704 创建WinHttp请求失败!", true},
      {Call::SetCredentials, 1, serverCredentials, "707 设置代理凭证失败!", false},
      {Call::SetCredentials, 2, bothCredentials, "707 设置代理凭证失败!", false},
      {Call::SetCredentials, 1, proxyCredentials, "707 设置代理凭证失败!", false},
      {Call::SetOption, 1, plain, "忽略错误/证书错误  失败！", false},
      {Call::SetOption, 2, plain, "708 禁止自动设置Cookies失败!", false},
      {Call::SetOption, 2, withCookies, "708 禁止自动设置Cookies失败!", false},
      {Call::SetOption, 3, noRedirect, "709 重定向设置失败!", false},
      {Call::AddRequestHeaders, 1, plain, "710 设置协议头失败!", true},
      {Call::SendRequest, 1, plain, "711 发送请求失败!", true},
      {Call::ReceiveResponse, 1, plain, "712 服务器未响应!", true},
  };
  for (const Case& c : cases) {
    processed = 0;
    const int comBefore = comInitializeCount();
    const size_t requestsBefore = server.requestCount();
    FailCall fail(c.call, c.occurrence);
    const HttpOutcome o = perform(c.request);
    EXPECT_TRUE(fail.fired()) << c.message;
    expectOnlyStatus(o, c.message, c.message);
    EXPECT_EQ(c.processesMessages ? 1 : 0, processed) << c.message;
    EXPECT_EQ(comBefore, comInitializeCount()) << c.message;
    if (c.call <= Call::SendRequest) {
      EXPECT_EQ(requestsBefore, server.requestCount()) << c.message;  // nothing went out
    }
  }
}

TEST_F(HttpFailureTest, OneHalfOfACredentialPairMakesNoCredentialsCall) {
  HttpTestServer server;
  server.on("GET", "/", TestResponse{200, {}, "ok"});
  HttpCall onlyUser{server.url("/")};
  onlyUser.serverUser = "u";
  onlyUser.proxyPassword = "p";
  FailCall fail(Call::SetCredentials);
  const HttpOutcome o = perform(onlyUser);
  EXPECT_FALSE(fail.fired());
  EXPECT_EQ("200 OK", o.status());
  EXPECT_FALSE(server.lastRequest().hasHeader("Authorization"));
}

TEST_F(HttpFailureTest, ABrokenReadKeepsTheMessageAndWhatArrived) {
  // A seam failure after the first block, and a server that closes mid-body.
  HttpTestServer server;
  server.on("GET", "/", TestResponse{200, {{"Set-Cookie", "a=1; path=/"}}, "complete body"});
  {
    FailCall fail(Call::ReadData);
    const HttpOutcome o = perform({server.url("/")});
    EXPECT_TRUE(fail.fired());
    EXPECT_EQ("713 读取数据失败!", o.status());
    EXPECT_EQ("a=1", o.receivedCookies);
    EXPECT_EQ("", o.body());
    EXPECT_NE(kUntouched, o.responseHeaders);
  }
  ScriptedServer broken([](ScriptedConnection& c) {
    if (!c.readRequest()) return;
    c.send("HTTP/1.1 200 OK\r\nSet-Cookie: sid=abc; path=/\r\nLocation: /elsewhere\r\n"
           "Content-Length: 100\r\n\r\npartial");
  });
  const int comBefore = comInitializeCount();
  processed = 0;
  const HttpOutcome o = perform({broken.url("/")});
  EXPECT_EQ("713 读取数据失败!", o.status());
  EXPECT_EQ("partial", o.result);
  EXPECT_EQ("partial", o.body());
  EXPECT_EQ("sid=abc", o.receivedCookies);
  EXPECT_EQ("/elsewhere", o.redirectLocation);
  EXPECT_EQ(0u, o.responseHeaders.find("HTTP/1.1 200 OK\r\n"));
  EXPECT_EQ(1, processed);
  EXPECT_EQ(comBefore, comInitializeCount());
}

TEST_F(HttpFailureTest, AFailedHeaderQueryReturnsNothingAndLeavesTheBody) {
  HttpTestServer server;
  server.on("GET", "/", TestResponse{200, {}, "body"});
  const int comBefore = comInitializeCount();
  FailCall fail(Call::QueryHeaders, 2);  // the call that fills the buffer
  const HttpOutcome o = perform({server.url("/")});
  EXPECT_TRUE(fail.fired());
  EXPECT_EQ("", o.result);
  EXPECT_EQ(kUntouchedBytes, o.responseBody);
  EXPECT_EQ(kUntouched, o.statusText);
  EXPECT_EQ(kUntouched, o.responseHeaders);
  EXPECT_EQ(1, processed);
  EXPECT_EQ(comBefore, comInitializeCount());  // no uninitialise without its initialise
}

TEST_F(HttpFailureTest, RealFailuresWithoutTheSeam) {
  ScriptedServer silent(scripts::neverAnswer());
  ScriptedServer acceptOnly(scripts::acceptOnly());
  HttpTestServer server;
  server.on("*", "*", TestResponse{200, {}, "ok"});
  auto headers = [&](Text lines) {
    HttpCall c{server.url("/")};
    c.extraHeaders = lines;
    c.normalizeHeaders = false;
    return c;
  };
  HttpCall noAnswer{silent.url("/")};
  noAnswer.timeoutSeconds = 1;
  HttpCall noRead{acceptOnly.url("/")};
  noRead.timeoutSeconds = 1;
  struct Case {
    const char* what;
    HttpCall request;
    const char* message;
  };
  const Case cases[] = {
      {"empty URL", {""}, "701 解析URL地址失败!"},
      {"no URL at all", {"not a url"}, "701 解析URL地址失败!"},
      {"another scheme", {"ftp://127.0.0.1/"}, "701 解析URL地址失败!"},
      {"a lone CR in a value", headers("X-A: 1\rInjected: 1"), "710 设置协议头失败!"},
      {"a lone LF in a value", headers("X-A: 1\nInjected: 1"), "710 设置协议头失败!"},
      {"a blank in a name", headers("Bad Name: 1"), "710 设置协议头失败!"},
      {"a line without colon", headers("no colon here"), "710 设置协议头失败!"},
      {"a refused port", {"http://127.0.0.1:" + std::to_string(closedPort()) + "/"}, "711 发送请求失败!"},
      {"a server that never answers", noAnswer, "712 服务器未响应!"},
      {"a server that never reads", noRead, "712 服务器未响应!"},
  };
  for (const Case& c : cases) {
    const auto start = std::chrono::steady_clock::now();
    const HttpOutcome o = perform(c.request);
    expectOnlyStatus(o, c.message, c.what);
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    RecordProperty(c.what, std::to_string(seconds));
  }
  EXPECT_EQ(0u, server.requestCount());  // refused headers never reach the server
}

TEST_F(HttpFailureTest, HostileServersEndWithinTheTimeoutWithAMessage) {
  struct Case {
    const char* what;
    Script script;
    const char* message;
    std::string partialBody;  // for 713
  };
  const Case cases[] = {
      {"headers one byte at a time", scripts::slowHeaders(std::chrono::milliseconds(200)), "712 服务器未响应!", ""},
      {"a 1 MiB header line", scripts::hugeHeaderLine(), "712 服务器未响应!", ""},
      {"a malformed status line", scripts::malformedStatusLine(), "712 服务器未响应!", ""},
      {"a reset instead of a response", scripts::resetAfterRequest(), "712 服务器未响应!", ""},
      {"chunked encoding that breaks off", scripts::brokenChunked("abc"), "713 读取数据失败!", "abc"},
      {"a close mid-body", scripts::closeMidBody("partial", 100), "713 读取数据失败!", "partial"},
      {"a reset mid-body", scripts::resetMidBody("partial", 100), "713 读取数据失败!", "partial"},
  };
  for (const Case& c : cases) {
    ScriptedServer server(c.script);
    HttpCall request{server.url("/")};
    request.timeoutSeconds = 2;
    const HttpOutcome o = perform(request);
    EXPECT_EQ(c.message, o.status()) << c.what;
    if (c.partialBody.empty()) {
      expectOnlyStatus(o, c.message, c.what);
    } else {
      EXPECT_EQ(c.partialBody, o.body()) << c.what;
      EXPECT_EQ(c.partialBody, o.result) << c.what;
    }
  }
}


TEST_F(HttpFailureTest, AServerThatStopsReadingTheBodyCostsOneTimeoutNotOnePerBlock) {
  // The engine writes every block without looking at the results; after the
  // first write timed out, the others must not wait again.
  ScriptedServer server(scripts::acceptOnly());
  HttpCall upload{server.url("/upload")};
  upload.method = HttpPut;
  upload.bodyBytes.assign(48 << 20, 'x');  // far more than the socket buffers hold
  upload.timeoutSeconds = 1;
  const auto start = std::chrono::steady_clock::now();
  const HttpOutcome o = perform(upload);
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  expectOnlyStatus(o, "712 服务器未响应!", "a server that stops reading");
  EXPECT_LT(seconds, 10.0);  // one wait of a second or so; forty without the fix
}

}  // namespace
