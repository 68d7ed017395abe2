// Where the network fails, the call that reports it: the send for a
// connection that cannot be made, the receive for a missing or broken
// answer, a read for a body that breaks off. Hostile peers end within their
// timeout with a failure.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

#include "tests/platform/winhttp/exchange.h"
#include "tests/support/test_servers.h"

namespace winhttp_test {
namespace {

using namespace kestrune_test;
using namespace std::chrono_literals;

// A loopback port nothing listens on.
int closedPort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);
  return ntohs(address.sin_port);
}

Script bodyThenStall(std::string partial) {
  return [partial](ScriptedConnection& c) {
    if (c.readRequest() && c.send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n" + partial)) c.hold(10s);
  };
}

struct FailureCase {
  const char* name;
  Script script;
  Step step;
  DWORD error;
  std::string partialBody;
};

class PeerFailureTest : public testing::TestWithParam<FailureCase> {};

TEST_P(PeerFailureTest, FailsTheRightCallWithinTheTimeout) {
  const FailureCase& c = GetParam();
  ScriptedServer server(c.script);
  ExchangePlan plan;
  plan.url = server.url("/");
  plan.timeoutMs = 1000;
  auto started = std::chrono::steady_clock::now();
  ExchangeResult r = exchange(plan);
  auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  EXPECT_EQ(stepName(r.failedStep), std::string(stepName(c.step)));
  EXPECT_EQ(r.error, c.error);
  EXPECT_EQ(r.body, c.partialBody);
  RecordProperty("seconds", std::to_string(seconds));
}

INSTANTIATE_TEST_SUITE_P(
    Peers, PeerFailureTest,
    testing::Values(
        FailureCase{"NeverAnswers", scripts::neverAnswer(), Step::Receive, ERROR_WINHTTP_TIMEOUT, ""},
        FailureCase{"NeverReads", scripts::acceptOnly(), Step::Receive, ERROR_WINHTTP_TIMEOUT, ""},
        FailureCase{"SlowlorisHeaders", scripts::slowHeaders(200ms), Step::Receive, ERROR_WINHTTP_TIMEOUT, ""},
        FailureCase{"HugeHeaderLine", scripts::hugeHeaderLine(), Step::Receive,
                    ERROR_WINHTTP_HEADER_SIZE_OVERFLOW, ""},
        FailureCase{"HeadersOver64KiB", scripts::hugeHeaderLine(70 * 1024), Step::Receive,
                    ERROR_WINHTTP_HEADER_SIZE_OVERFLOW, ""},
        FailureCase{"MalformedStatusLine", scripts::malformedStatusLine(), Step::Receive,
                    ERROR_WINHTTP_INVALID_SERVER_RESPONSE, ""},
        FailureCase{"NotHttpAtAll", scripts::respond("hello there\r\n\r\n"), Step::Receive,
                    ERROR_WINHTTP_INVALID_SERVER_RESPONSE, ""},
        FailureCase{"ClosesWithoutAnswer", scripts::respond(""), Step::Receive,
                    ERROR_WINHTTP_INVALID_SERVER_RESPONSE, ""},
        FailureCase{"ResetAfterRequest", scripts::resetAfterRequest(), Step::Receive,
                    ERROR_WINHTTP_CONNECTION_ERROR, ""},
        FailureCase{"ClosesMidBody", scripts::closeMidBody(std::string("partial\0body", 12), 100), Step::Read,
                    ERROR_WINHTTP_CONNECTION_ERROR, std::string("partial\0body", 12)},
        FailureCase{"ResetMidBody", scripts::resetMidBody("partial", 100), Step::Read,
                    ERROR_WINHTTP_CONNECTION_ERROR, "partial"},
        FailureCase{"ChunkedBreaksOff", scripts::brokenChunked("first chunk"), Step::Read,
                    ERROR_WINHTTP_CONNECTION_ERROR, "first chunk"},
        FailureCase{"BodyStalls", bodyThenStall("so far"), Step::Read, ERROR_WINHTTP_TIMEOUT, "so far"}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST(ConnectFailureTest, RefusedPortFailsTheSend) {
  ExchangePlan plan;
  plan.url = "http://127.0.0.1:" + std::to_string(closedPort()) + "/";
  ExchangeResult r = exchange(plan);
  EXPECT_EQ(r.failedStep, Step::Send);
  EXPECT_EQ(r.error, ERROR_WINHTTP_CANNOT_CONNECT);
}

TEST(ConnectFailureTest, NameThatDoesNotResolveFailsTheSend) {
  // A label over 63 characters: the resolver refuses it without asking any
  // name server, so nothing leaves the machine.
  ExchangePlan plan;
  plan.url = "http://" + std::string(64, 'a') + ".invalid/";
  ExchangeResult r = exchange(plan);
  EXPECT_EQ(r.failedStep, Step::Send);
  EXPECT_EQ(r.error, ERROR_WINHTTP_NAME_NOT_RESOLVED);
}

TEST(ConnectFailureTest, NameThatCannotBeAHostFailsTheSend) {
  Handles h;
  h.session = WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, u"", nullptr, 0);
  h.connection = WinHttpConnect(h.session, u"no such/host", 80, 0);
  ASSERT_NE(h.connection, nullptr);
  h.request = WinHttpOpenRequest(h.connection, u"GET", u"/", nullptr, nullptr, nullptr, 0);
  EXPECT_FALSE(WinHttpSendRequest(h.request, nullptr, 0, nullptr, 0, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_WINHTTP_NAME_NOT_RESOLVED);
  // The request is spent.
  EXPECT_FALSE(WinHttpReceiveResponse(h.request, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
}

TEST(ConnectFailureTest, TlsHandshakeWithAPlainServerFailsTheSend) {
  ScriptedServer server([](ScriptedConnection& c) {
    c.send("HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n");
  });
  ExchangePlan plan;
  plan.url = "https://127.0.0.1:" + std::to_string(server.port()) + "/";
  plan.timeoutMs = 2000;
  ExchangeResult r = exchange(plan);
  EXPECT_EQ(r.failedStep, Step::Send);
  EXPECT_EQ(r.error, ERROR_WINHTTP_SECURE_FAILURE);
}

TEST(ConnectFailureTest, SilentTlsPeerFailsTheSendWithinTheReceiveTimeout) {
  // The connection is made at once; the handshake then waits on the receive
  // timeout alone, not on the long connect timeout as well.
  ScriptedServer server(scripts::acceptOnly());
  ExchangePlan plan;
  plan.url = "https://127.0.0.1:" + std::to_string(server.port()) + "/";
  plan.timeoutMs = 500;
  plan.connectTimeoutMs = 60000;
  const auto started = std::chrono::steady_clock::now();
  ExchangeResult r = exchange(plan);
  EXPECT_EQ(r.failedStep, Step::Send);
  EXPECT_EQ(r.error, ERROR_WINHTTP_TIMEOUT);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));  // not 60 s
}

TEST(ConnectFailureTest, ServerThatNeverReadsTheBodyFailsAWrite) {
  ScriptedServer server(scripts::acceptOnly());
  ExchangePlan plan;
  plan.url = server.url("/upload");
  plan.verb = u"PUT";
  plan.body.assign(64 << 20, 'x');  // more than the socket buffers hold
  plan.timeoutMs = 1000;
  ExchangeResult r = exchange(plan);
  EXPECT_EQ(r.failedStep, Step::Write);
  EXPECT_EQ(r.error, ERROR_WINHTTP_TIMEOUT);
}

}  // namespace
}  // namespace winhttp_test
