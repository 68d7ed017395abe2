// The overlay's server on Winsock, its page and event stream fetched from
// the Linux side through the loopback peer (/fetch), as streaming software
// on the same machine fetches them.
#include <gtest/gtest.h>

#include "net/http_request.h"
#include "overlay/overlay_server.h"
#include "tests/windows/wine.h"

namespace {

// The raw response of a request the peer made to 127.0.0.1:port, as
// "status N", header lines, an empty line, the body.
std::string fetched(uint16_t port, const std::string& query) {
  ByteArray body;
  httpRequest("http://" + peerAddress("KESTRUNE_TEST_HTTP") + "/fetch?port=" + std::to_string(port) + "&" + query,
              HttpGet, {}, {}, nullptr, {}, nullptr, false, {}, {}, {}, {}, {}, 30, nullptr, nullptr, &body);
  return std::string(body.begin(), body.end());
}

class WindowsOverlayServer : public ::testing::Test {
 protected:
  void SetUp() override {
    server.hub().publish(overlay::EventKind::Layout, "event: layout\ndata: {\"width\":488}\n\n");
    server.hub().publish(overlay::EventKind::State, "event: state\ndata: {\"seq\":1}\n\n");
    ASSERT_TRUE(server.start(0));
  }
  overlay::OverlayServer server;
};

TEST_F(WindowsOverlayServer, ThePageAndItsEventStreamReachTheLinuxSide) {
  const std::string page = fetched(server.port(), "path=/");
  EXPECT_EQ(page.rfind("status 200\n", 0), 0u) << page;
  EXPECT_NE(page.find("<div id=\"stage\"></div>"), std::string::npos) << page;
  EXPECT_EQ(fetched(server.port(), "path=/overlay.js").rfind("status 200\n", 0), 0u);

  const std::string events = fetched(server.port(), "path=/events&ms=1500");
  EXPECT_EQ(events.rfind("status 200\n", 0), 0u) << events;
  EXPECT_NE(events.find("content-type: text/event-stream\n"), std::string::npos) << events;
  EXPECT_NE(events.find("event: layout\ndata: {\"width\":488}\n\n"), std::string::npos) << events;
  EXPECT_NE(events.find("event: state\ndata: {\"seq\":1}\n\n"), std::string::npos) << events;
}

TEST_F(WindowsOverlayServer, OtherHostsAndMethodsAreRefusedAndThePortIsItsOwn) {
  const std::string port = std::to_string(server.port());
  EXPECT_EQ(fetched(server.port(), "path=/&host=evil.example:" + port).rfind("status 403\n", 0), 0u);
  EXPECT_EQ(fetched(server.port(), "path=/&method=DELETE").rfind("status 405\n", 0), 0u);
  overlay::OverlayServer second;
  EXPECT_FALSE(second.start(server.port()));
}

}  // namespace
