// Between the GUI thread and the event streams: the newest event of each
// kind (layout, state, marquee) with its version, and the places of the
// streams. The GUI thread publishes; each stream's thread waits for what it
// has not sent yet.
//
// A stream is sent only the newest event of each kind: one that falls
// behind skips the events in between. So nothing queues up for a client
// that reads slowly or not at all, each stream's backlog is at most one
// event of each kind, and publishing never waits for a client.
#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace overlay {

enum class EventKind { Layout, State, Marquee };
inline constexpr int EventKindCount = 3;

class EventHub {
 public:
  static constexpr int MaxStreams = 16;

  // Replaces the newest event of `kind`; wakes the streams. Any thread.
  void publish(EventKind kind, std::string event);

  // Takes one of the MaxStreams places; false when all are taken or the hub
  // has stopped. Every successful open is matched by one closeStream.
  bool openStream();
  void closeStream();
  int openStreams() const;

  // The versions of each kind a stream has sent (0: none yet).
  struct Cursor {
    std::array<uint64_t, EventKindCount> sent{};
  };
  enum class Wait { Events, Idle, Stopped };
  // Waits up to `timeout` for an event the cursor has not seen. Events: the
  // newest of each kind not sent yet, in the order layout, state, marquee,
  // were appended to `out` and the cursor moved past them. Idle: nothing
  // new in time. Stopped: the hub stopped.
  Wait next(Cursor& cursor, std::string& out, std::chrono::milliseconds timeout);

  // Wakes every waiting stream with Stopped; no stream opens after it.
  void stop();

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::array<std::shared_ptr<const std::string>, EventKindCount> events_;
  std::array<uint64_t, EventKindCount> versions_{};
  int streams_ = 0;
  bool stopped_ = false;
};

}  // namespace overlay
