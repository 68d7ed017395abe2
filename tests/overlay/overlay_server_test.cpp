// The overlay's server on a free loopback port: what it serves to whom,
// its event streams, and clients that misbehave.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "overlay/overlay_server.h"
#include "overlay/page_assets.h"
#include "tests/overlay/overlay_client.h"

namespace overlay {
namespace {

using namespace std::chrono_literals;
using overlay_test::EventStream;
using overlay_test::getRequest;
using overlay_test::rawRequest;

class OverlayServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server.hub().publish(EventKind::Layout, "event: layout\ndata: {}\n\n");
    server.hub().publish(EventKind::State, state(1));
    ASSERT_TRUE(server.start(0));
    port = server.port();
  }
  static std::string state(int seq, size_t padding = 0) {
    return "event: state\ndata: {\"seq\":" + std::to_string(seq) + ",\"pad\":\"" + std::string(padding, 'x') +
           "\"}\n\n";
  }
  std::string host() const { return "127.0.0.1:" + std::to_string(port); }

  OverlayServer server;
  uint16_t port = 0;
};

TEST_F(OverlayServerTest, ServesThePageToGetsForItsOwnHostAndRefusesTheRest) {
  const std::string p = std::to_string(port);
  const struct {
    const char* what;
    std::string request;
    int status;
    const char* contentType;  // prefix expected, or null
  } cases[] = {
      {"page", getRequest(port, "/"), 200, "text/html; charset=utf-8"},
      {"style", getRequest(port, "/overlay.css"), 200, "text/css"},
      {"script", getRequest(port, "/overlay.js"), 200, "text/javascript"},
      {"localhost", "GET / HTTP/1.1\r\nHost: LocalHost:" + p + "\r\nConnection: close\r\n\r\n", 200, "text/html"},
      {"unknown path", getRequest(port, "/secret"), 404, nullptr},
      {"another name (DNS rebinding)", "GET / HTTP/1.1\r\nHost: evil.example:" + p + "\r\nConnection: close\r\n\r\n", 403, nullptr},
      {"no port", "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n", 403, nullptr},
      {"another port", "GET / HTTP/1.1\r\nHost: 127.0.0.1:1" + p + "\r\nConnection: close\r\n\r\n", 403, nullptr},
      {"no Host", "GET / HTTP/1.0\r\n\r\n", 403, nullptr},
      {"two Hosts", "GET / HTTP/1.1\r\nHost: 127.0.0.1:" + p + "\r\nHost: evil.example\r\nConnection: close\r\n\r\n", 403, nullptr},
      {"wrong Host for the stream", "GET /events HTTP/1.1\r\nHost: evil.example:" + p + "\r\nConnection: close\r\n\r\n", 403, nullptr},
      {"POST", "POST /events HTTP/1.1\r\nHost: " + host() + "\r\nContent-Length: 5\r\nConnection: close\r\n\r\nhello", 405, nullptr},
      {"PUT", "PUT / HTTP/1.1\r\nHost: " + host() + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n", 405, nullptr},
      {"DELETE", "DELETE / HTTP/1.1\r\nHost: " + host() + "\r\nConnection: close\r\n\r\n", 405, nullptr},
      {"HEAD", "HEAD / HTTP/1.1\r\nHost: " + host() + "\r\nConnection: close\r\n\r\n", 405, nullptr},
      {"CORS preflight", "OPTIONS /events HTTP/1.1\r\nHost: " + host() + "\r\nOrigin: http://evil.example\r\n"
                         "Access-Control-Request-Method: GET\r\nConnection: close\r\n\r\n", 405, nullptr},
      {"TRACE", "TRACE / HTTP/1.1\r\nHost: " + host() + "\r\nConnection: close\r\n\r\n", 405, nullptr},
      // A method HTTP does not define: the request line does not parse.
      {"unknown method", "BREW / HTTP/1.1\r\nHost: " + host() + "\r\nConnection: close\r\n\r\n", 400, nullptr},
      {"GET with a body", "GET / HTTP/1.1\r\nHost: " + host() + "\r\nContent-Length: 3\r\nConnection: close\r\n\r\nabc", 400, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const overlay_test::RawResponse r = rawRequest(port, c.request);
    EXPECT_EQ(r.status, c.status);
    if (c.contentType) {
      EXPECT_EQ(r.header("content-type").rfind(c.contentType, 0), 0u) << r.header("content-type");
    }
    if (c.status == 405) {
      EXPECT_EQ(r.header("allow"), "GET");
    }
    for (const auto& [name, value] : r.headers) EXPECT_NE(name.rfind("access-control-", 0), 0u) << name;
    EXPECT_EQ(r.header("cache-control"), "no-store");
  }
  // The page as the build embedded it, under a policy that runs its own script only.
  const overlay_test::RawResponse page = rawRequest(port, getRequest(port, "/"));
  EXPECT_EQ(page.body, pageAssets().front().bytes);
  EXPECT_NE(page.header("content-security-policy").find("script-src 'self'"), std::string::npos);
}

TEST_F(OverlayServerTest, AStreamGetsWhatIsThereAtOnceThenEachNewState) {
  EventStream stream(port);
  ASSERT_EQ(stream.waitForEvent("state", 10s), 1);
  EXPECT_EQ(stream.status(), 200);
  EXPECT_EQ(stream.events()[0].name, "layout");
  EXPECT_NE(stream.events()[1].data.find("\"seq\":1"), std::string::npos);
  server.hub().publish(EventKind::State, state(2));
  ASSERT_EQ(stream.waitForEvent("state", 10s, 2), 2);
  EXPECT_NE(stream.events()[2].data.find("\"seq\":2"), std::string::npos);
}

TEST_F(OverlayServerTest, SixteenStreamsAtOnceTheSeventeenthIsTurnedAwayUntilOneEnds) {
  std::vector<std::unique_ptr<EventStream>> streams;
  for (int i = 0; i < EventHub::MaxStreams; ++i) {
    streams.push_back(std::make_unique<EventStream>(port));
    ASSERT_GE(streams.back()->waitForEvent("state", 10s), 0) << i;
  }
  const overlay_test::RawResponse refused = rawRequest(port, getRequest(port, "/events"));
  EXPECT_EQ(refused.status, 503);
  // The page itself is still served.
  EXPECT_EQ(rawRequest(port, getRequest(port, "/")).status, 200);

  // A client goes away; the server finds out at its next writes.
  streams.pop_back();
  int seq = 2;
  std::unique_ptr<EventStream> late;
  for (int attempt = 0; attempt < 50 && !(late && late->status() == 200); ++attempt) {
    server.hub().publish(EventKind::State, state(seq++));
    std::this_thread::sleep_for(50ms);
    late = std::make_unique<EventStream>(port);
    late->waitFor([](const auto&) { return true; }, 2s);
  }
  ASSERT_TRUE(late);
  EXPECT_EQ(late->status(), 200);
}

TEST_F(OverlayServerTest, AStreamThatNeverReadsIsCutOffWhileTheOthersGoOn) {
  // A client that asks for the stream with a tiny receive buffer and never reads.
  const int stuck = socket(AF_INET, SOCK_STREAM, 0);
  const int small = 1024;
  setsockopt(stuck, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  ASSERT_EQ(connect(stuck, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  const std::string request = getRequest(port, "/events");
  ASSERT_EQ(send(stuck, request.data(), request.size(), 0), static_cast<ssize_t>(request.size()));

  EventStream reader(port);
  ASSERT_GE(reader.waitForEvent("state", 10s), 0);
  // Large states, faster than the stuck client's buffers take them: its
  // thread blocks in a write until the write timeout cuts it off.
  int seq = 2;
  for (int i = 0; i < 400 && server.hub().openStreams() > 1; ++i) {
    server.hub().publish(EventKind::State, state(seq++, 256 * 1024));
    std::this_thread::sleep_for(25ms);
  }
  EXPECT_EQ(server.hub().openStreams(), 1);
  const std::string newest = "\"seq\":" + std::to_string(seq - 1) + ",";
  EXPECT_GE(reader.waitFor([&](const auto& e) { return e.data.find(newest) != std::string::npos; }, 10s), 0);
  close(stuck);
}

TEST_F(OverlayServerTest, ASecondServerCannotHaveThePortAndTheFirstGetsItBackAfterStopping) {
  OverlayServer second;
  EXPECT_FALSE(second.start(port));
  EXPECT_FALSE(second.running());

  EventStream stream(port);
  ASSERT_GE(stream.waitForEvent("state", 10s), 0);
  server.stop();
  EXPECT_FALSE(server.running());
  EXPECT_TRUE(stream.waitFor([](const auto&) { return false; }, 10s) == -1 && stream.ended());

  OverlayServer again;
  again.hub().publish(EventKind::State, state(7));
  ASSERT_TRUE(again.start(port));
  EventStream next(port);
  EXPECT_EQ(next.waitForEvent("state", 10s), 0);
}

}  // namespace
}  // namespace overlay
