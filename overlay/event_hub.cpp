#include "overlay/event_hub.h"

namespace overlay {

void EventHub::publish(EventKind kind, std::string event) {
  auto fresh = std::make_shared<const std::string>(std::move(event));
  const auto k = static_cast<size_t>(kind);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    events_[k].swap(fresh);
    ++versions_[k];
  }
  changed_.notify_all();
  // `fresh` now holds the event replaced, freed here outside the lock.
}

bool EventHub::openStream() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (stopped_ || streams_ >= MaxStreams) return false;
  ++streams_;
  return true;
}

void EventHub::closeStream() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (streams_ > 0) --streams_;
}

int EventHub::openStreams() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return streams_;
}

EventHub::Wait EventHub::next(Cursor& cursor, std::string& out, std::chrono::milliseconds timeout) {
  std::array<std::shared_ptr<const std::string>, EventKindCount> due;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    const bool woken = changed_.wait_for(lock, timeout, [&] {
      return stopped_ || cursor.sent != versions_;
    });
    if (stopped_) return Wait::Stopped;
    if (!woken) return Wait::Idle;
    for (int k = 0; k < EventKindCount; ++k) {
      if (cursor.sent[k] == versions_[k]) continue;
      cursor.sent[k] = versions_[k];
      due[k] = events_[k];
    }
  }
  for (const auto& event : due)
    if (event) out += *event;
  return Wait::Events;
}

void EventHub::stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
  }
  changed_.notify_all();
}

}  // namespace overlay
