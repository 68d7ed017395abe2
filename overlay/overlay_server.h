// The overlay's HTTP server: the page, its style and script, and the event
// stream of the live area, on 127.0.0.1 only, from threads of its own. It
// reads the page the build embedded and the events of its hub, nothing else.
//
// Read-only and local: GET only (anything else 405, with the body left
// unread), a Host that is not 127.0.0.1:PORT or localhost:PORT is refused
// (403), so a page of another site that has a name resolve to this machine
// gets nothing from it; no CORS headers; at most EventHub::MaxStreams event
// streams (503 after that). Connections are handled by a bounded set of
// threads with short timeouts: a client that stops reading is cut off after
// the write timeout, idle connections after the keep-alive timeout, and
// connections beyond what the threads can take wait in the system's queue.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "overlay/event_hub.h"

namespace overlay {

class OverlayServer {
 public:
  OverlayServer();
  ~OverlayServer();  // stop()
  OverlayServer(const OverlayServer&) = delete;
  OverlayServer& operator=(const OverlayServer&) = delete;

  // What the event streams send; publish into it from any thread.
  EventHub& hub() { return hub_; }

  // Binds 127.0.0.1:port (0: a free port the system picks) and serves from
  // then on. False when the address cannot be had: another program or
  // another instance of this one listens there.
  bool start(uint16_t port);
  // Ends every stream and connection and waits for the server's threads
  // (a client blocked in a write holds one for at most the write timeout).
  // Idempotent.
  void stop();
  bool running() const;
  uint16_t port() const { return port_; }

 private:
  struct Impl;
  EventHub hub_;
  std::unique_ptr<Impl> impl_;
  uint16_t port_ = 0;
};

}  // namespace overlay
