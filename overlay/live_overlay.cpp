#include "overlay/live_overlay.h"

#include <algorithm>

#include "overlay/live_area_json.h"

namespace overlay {

namespace {

using namespace std::chrono_literals;

constexpr auto SyncInterval = 1s;
// A window timer runs no faster than this (USER_TIMER_MINIMUM): the period
// assumed until one has been measured.
constexpr int32_t ShortestTimerInterval = 10;

}  // namespace

LiveOverlay::LiveOverlay(LiveAreaCapture capture) : capture_(std::move(capture)) {}

LiveOverlay::~LiveOverlay() { server_.stop(); }

bool LiveOverlay::start(uint16_t port) {
  server_.hub().publish(EventKind::Layout, layoutEvent(capture_.layout()));
  changed();
  return server_.start(port);
}

void LiveOverlay::publishState() { server_.hub().publish(EventKind::State, stateEvent(capture_.state(), ++seq_)); }

void LiveOverlay::changed() {
  publishState();
  const int32_t interval = capture_.marqueeInterval();
  const Clock::time_point now = Clock::now();
  if (interval != interval_) {
    // Switched on or off, or a new speed: measure afresh.
    interval_ = interval;
    period_ = std::max(interval, ShortestTimerInterval);
    measuredFrom_ = now;
    measuredTicks_ = 0;
  }
  left_ = capture_.marqueeLeft();
  syncMarquee(now);
}

void LiveOverlay::marqueeTicked() {
  const Clock::time_point now = Clock::now();
  ++measuredTicks_;
  if (now - measuredFrom_ >= SyncInterval) {
    period_ = std::chrono::duration<double, std::milli>(now - measuredFrom_).count() / measuredTicks_;
    measuredFrom_ = now;
    measuredTicks_ = 0;
  }
  const int32_t left = capture_.marqueeLeft();
  const bool jumped = left > left_;
  left_ = left;
  if (jumped || now - syncedAt_ >= SyncInterval) syncMarquee(now);
}

void LiveOverlay::syncMarquee(Clock::time_point now) {
  syncedAt_ = now;
  MarqueeMotion motion;
  motion.box = capture_.marqueeBox();
  motion.running = interval_ > 0;
  motion.left = left_;
  motion.period = period_;
  server_.hub().publish(EventKind::Marquee, marqueeEvent(motion));
}

}  // namespace overlay
