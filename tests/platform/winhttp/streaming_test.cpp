// Bodies stream through the stand-in in both directions with bounded
// buffers; the receive timeout bounds each wait, not the transfer.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "tests/platform/winhttp/exchange.h"
#include "tests/support/test_servers.h"

namespace winhttp_test {
namespace {

using namespace kestrune_test;
using namespace std::chrono_literals;

TEST(StreamingTest, TwoMebibyteBodyWrittenInBlocksArrivesIntact) {
  for (size_t block : {size_t{64 * 1024}, size_t{1 << 20}, size_t{777}}) {
    ScriptedServer server(scripts::respond("HTTP/1.1 204 No Content\r\n\r\n"));
    ExchangePlan plan;
    plan.url = server.url("/upload");
    plan.verb = u"POST";
    plan.body = patternBytes(0, 2 << 20);
    plan.block = block;
    ExchangeResult r = exchange(plan);
    ASSERT_EQ(r.failedStep, Step::None) << stepName(r.failedStep) << " " << r.error;
    EXPECT_EQ(r.status, 204);
    ASSERT_EQ(server.requests().size(), 1u);
    const RecordedRequest got = server.requests()[0];
    EXPECT_EQ(got.header("Content-Length"), std::to_string(2 << 20));
    EXPECT_FALSE(got.hasHeader("Expect"));
    EXPECT_FALSE(got.hasHeader("Transfer-Encoding"));
    EXPECT_TRUE(got.body == plan.body) << "block " << block << ": " << got.body.size() << " bytes arrived";
  }
}

// httplib on its own refuses form bodies over 8 KiB.
TEST(StreamingTest, TestServerRecordsLargeFormBodiesWhole) {
  HttpTestServer server;
  server.on("POST", "/form", TestResponse{200, {}, "taken"});
  for (const char16_t* type : {u"Content-Type: application/x-www-form-urlencoded", u""}) {
    ExchangePlan plan;
    plan.url = server.url("/form");
    plan.verb = u"POST";
    plan.headers = type;
    plan.body = "a=" + std::string(20000, 'b');
    ExchangeResult r = exchange(plan);
    EXPECT_EQ(r.body, "taken");
    EXPECT_TRUE(server.lastRequest().body == plan.body) << narrow(type) << ": " << server.lastRequest().body.size() << " " << r.status;
  }
}

TEST(StreamingTest, LargeDownloadIsNotBufferedWhole) {
  constexpr size_t size = 64 << 20;
  ScriptedServer server(scripts::streamBody(size));
  Handles h;
  h.session = WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, u"", nullptr, 0);
  h.connection = WinHttpConnect(h.session, u"127.0.0.1", static_cast<INTERNET_PORT>(server.port()), 0);
  h.request = WinHttpOpenRequest(h.connection, u"GET", u"/big", nullptr, nullptr, nullptr, 0);
  ASSERT_TRUE(WinHttpSendRequest(h.request, nullptr, 0, nullptr, 0, 0, 0));
  ASSERT_TRUE(WinHttpReceiveResponse(h.request, nullptr));
  // While nobody reads, the server can only fill the socket buffers and the
  // stand-in's own bounded buffer.
  std::this_thread::sleep_for(500ms);
  DWORD available = 0;
  ASSERT_TRUE(WinHttpQueryDataAvailable(h.request, &available));
  EXPECT_LE(available, 4u << 20);
  EXPECT_LT(server.bytesSent(), size / 2);

  size_t total = 0;
  bool intact = true;
  std::vector<char> buffer(300000);
  for (;;) {
    DWORD read = 0;
    ASSERT_TRUE(WinHttpReadData(h.request, buffer.data(), static_cast<DWORD>(buffer.size()), &read));
    if (read == 0) break;
    intact = intact && std::string_view(buffer.data(), read) == patternBytes(total, read);
    total += read;
  }
  EXPECT_EQ(total, size);
  EXPECT_TRUE(intact);
}

TEST(StreamingTest, SlowButSteadyBodyOutlastsTheReceiveTimeout) {
  // Ten pieces 300 ms apart: three seconds in all, never a second's silence.
  ScriptedServer server([](ScriptedConnection& c) {
    if (!c.readRequest() || !c.send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n")) return;
    for (char piece = '0'; piece <= '9'; ++piece) {
      c.idle(300ms);
      if (!c.send(std::string(1, piece))) return;
    }
  });
  ExchangePlan plan;
  plan.url = server.url("/slow");
  plan.timeoutMs = 1000;
  ExchangeResult r = exchange(plan);
  EXPECT_EQ(r.failedStep, Step::None) << stepName(r.failedStep) << " " << r.error;
  EXPECT_EQ(r.body, "0123456789");
}

TEST(StreamingTest, BodyIsDeliveredAsSentWithoutDecoding) {
  const std::string gzipped("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03\x00\0binary", 19);
  ScriptedServer server(scripts::respond("HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: " +
                                         std::to_string(gzipped.size()) + "\r\n\r\n" + gzipped));
  ExchangePlan plan;
  plan.url = server.url("/gz");
  ExchangeResult r = exchange(plan);
  EXPECT_EQ(r.failedStep, Step::None);
  EXPECT_EQ(r.body, gzipped);
}

TEST(StreamingTest, InterimAnswersAreSkipped) {
  ScriptedServer server(scripts::respond(
      "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 103 Early Hints\r\nLink: </s.css>\r\n\r\n"
      "HTTP/1.1 201 Created\r\nContent-Length: 4\r\n\r\nmade"));
  ExchangePlan plan;
  plan.url = server.url("/");
  ExchangeResult r = exchange(plan);
  EXPECT_EQ(r.failedStep, Step::None);
  EXPECT_EQ(r.rawHeaders, "HTTP/1.1 201 Created\r\nContent-Length: 4\r\n\r\n");
  EXPECT_EQ(r.body, "made");
}

TEST(StreamingTest, ChunkedBodyIsDecodedAndTrailersIgnored) {
  ScriptedServer server(scripts::respond(
      "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n6\r\n world\r\n0\r\nX-Trailer: 1\r\n\r\n"));
  ExchangePlan plan;
  plan.url = server.url("/chunked");
  ExchangeResult r = exchange(plan);
  EXPECT_EQ(r.failedStep, Step::None);
  EXPECT_EQ(r.body, "hello world");
  EXPECT_EQ(r.rawHeaders.find("X-Trailer"), std::string::npos);
}

}  // namespace
}  // namespace winhttp_test
