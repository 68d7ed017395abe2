// The live overlay on the GUI thread's side: publishes the live area to the
// overlay's server, its layout once, its state after each change, and the
// scrolling caption's motion, which the page animates by itself: a sync when
// the marquee is switched or its speed changes, when the caption jumps back
// to the right, and once a second while it runs (with the period its timer
// really keeps, measured here), never one per tick.
#pragma once

#include <chrono>
#include <cstdint>

#include "overlay/live_area_capture.h"
#include "overlay/overlay_server.h"

namespace overlay {

class LiveOverlay {
 public:
  explicit LiveOverlay(LiveAreaCapture capture);
  ~LiveOverlay();  // stops serving
  LiveOverlay(const LiveOverlay&) = delete;
  LiveOverlay& operator=(const LiveOverlay&) = delete;

  // Publishes the area as it is now and serves it on 127.0.0.1:port (0: a
  // free port). False when the port cannot be had.
  bool start(uint16_t port);
  uint16_t port() const { return server_.port(); }
  OverlayServer& server() { return server_; }

  // After a handler changed the live area: its state, and the marquee's motion.
  void changed();
  // After a tick of the marquee's timer: a sync only when one is due.
  void marqueeTicked();

 private:
  using Clock = std::chrono::steady_clock;
  void publishState();
  void syncMarquee(Clock::time_point now);

  LiveAreaCapture capture_;
  OverlayServer server_;
  uint64_t seq_ = 0;
  // The marquee: the interval last seen, the left after the last tick, when
  // the last sync went out, and the measurement of the timer's period.
  int32_t interval_ = 0;
  int32_t left_ = 0;
  Clock::time_point syncedAt_{};
  Clock::time_point measuredFrom_{};
  uint32_t measuredTicks_ = 0;
  double period_ = 0;
};

}  // namespace overlay
