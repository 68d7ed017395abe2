// Clients of the overlay's server for its tests and benchmark, on loopback:
// one raw request as written, and an event stream read on a thread of its
// own that keeps every event with the moment it arrived.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace overlay_test {

struct RawResponse {
  int status = 0;  // 0: no response
  std::multimap<std::string, std::string> headers;  // names in lower case
  std::string body;                                 // as sent (chunks not joined)
  bool has(const std::string& name) const { return headers.count(name) > 0; }
  std::string header(const std::string& name) const;
};

// Sends `request` (bytes as given) to 127.0.0.1:port and reads until the
// server closes or `timeout` passes.
RawResponse rawRequest(uint16_t port, const std::string& request,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10));

// A GET with Host 127.0.0.1:port and Connection: close.
std::string getRequest(uint16_t port, const std::string& path);

class EventStream {
 public:
  struct Event {
    std::string name;
    std::string data;
    std::chrono::system_clock::time_point at;
  };

  // Reads /events of 127.0.0.1:port until destroyed or the server ends it.
  explicit EventStream(uint16_t port);
  ~EventStream();
  EventStream(const EventStream&) = delete;
  EventStream& operator=(const EventStream&) = delete;

  // Waits until an event at index `from` or later satisfies `match`;
  // its index, or -1 when none did in time.
  int waitFor(const std::function<bool(const Event&)>& match, std::chrono::milliseconds timeout,
              size_t from = 0);
  // The first event named `name` at index `from` or later; -1 if none in time.
  int waitForEvent(const std::string& name, std::chrono::milliseconds timeout, size_t from = 0);
  std::vector<Event> events() const;
  int status() const;  // the response's status, 0 before it came
  bool ended() const;  // the server ended the stream (or it failed)

 private:
  struct State;
  std::shared_ptr<State> state_;
  std::thread reader_;
};

}  // namespace overlay_test
