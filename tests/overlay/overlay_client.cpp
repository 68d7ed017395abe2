#include "tests/overlay/overlay_client.h"

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

namespace overlay_test {

std::string RawResponse::header(const std::string& name) const {
  const auto it = headers.find(name);
  return it == headers.end() ? std::string() : it->second;
}

std::string getRequest(uint16_t port, const std::string& path) {
  return "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
         "\r\nConnection: close\r\n\r\n";
}

RawResponse rawRequest(uint16_t port, const std::string& request, std::chrono::milliseconds timeout) {
  RawResponse response;
  const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(s);
    return response;
  }
  send(s, request.data(), request.size(), MSG_NOSIGNAL);
  std::string bytes;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd p{s, POLLIN, 0};
    if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
    char buffer[4096];
    const ssize_t n = recv(s, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  close(s);

  const size_t end = bytes.find("\r\n\r\n");
  if (end == std::string::npos || bytes.compare(0, 9, "HTTP/1.1 ") != 0) return response;
  response.status = std::atoi(bytes.c_str() + 9);
  size_t line = bytes.find("\r\n") + 2;
  while (line < end) {
    const size_t next = bytes.find("\r\n", line);
    const std::string text = bytes.substr(line, next - line);
    const size_t colon = text.find(':');
    std::string name = text.substr(0, colon);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    response.headers.emplace(name, colon == std::string::npos ? "" : text.substr(text.find_first_not_of(' ', colon + 1)));
    line = next + 2;
  }
  response.body = bytes.substr(end + 4);
  return response;
}

struct EventStream::State {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<Event> events;
  std::string pending;  // bytes of an event not yet complete
  int status = 0;
  bool ended = false;
  std::unique_ptr<httplib::Client> client;
};

EventStream::EventStream(uint16_t port) : state_(std::make_shared<State>()) {
  state_->client = std::make_unique<httplib::Client>("127.0.0.1", port);
  state_->client->set_read_timeout(60, 0);
  reader_ = std::thread([state = state_] {
    state->client->Get(
        "/events",
        [&](const httplib::Response& response) {
          std::lock_guard<std::mutex> lock(state->mutex);
          state->status = response.status;
          state->changed.notify_all();
          return true;
        },
        [&](const char* data, size_t length) {
          std::lock_guard<std::mutex> lock(state->mutex);
          state->pending.append(data, length);
          size_t end;
          while ((end = state->pending.find("\n\n")) != std::string::npos) {
            Event event{"message", "", std::chrono::system_clock::now()};
            size_t line = 0;
            while (line < end) {
              const size_t next = state->pending.find('\n', line);
              const std::string text = state->pending.substr(line, next - line);
              if (text.rfind("event: ", 0) == 0) event.name = text.substr(7);
              else if (text.rfind("data: ", 0) == 0) event.data += text.substr(6);
              line = next + 1;
            }
            const bool comment = state->pending[0] == ':' || state->pending.rfind("retry:", 0) == 0;
            state->pending.erase(0, end + 2);
            if (!comment) state->events.push_back(std::move(event));
          }
          state->changed.notify_all();
          return true;
        });
    std::lock_guard<std::mutex> lock(state->mutex);
    state->ended = true;
    state->changed.notify_all();
  });
}

EventStream::~EventStream() {
  state_->client->stop();
  reader_.join();
}

int EventStream::waitFor(const std::function<bool(const Event&)>& match, std::chrono::milliseconds timeout,
                         size_t from) {
  std::unique_lock<std::mutex> lock(state_->mutex);
  int found = -1;
  state_->changed.wait_for(lock, timeout, [&] {
    for (size_t i = from; i < state_->events.size(); ++i) {
      if (match(state_->events[i])) {
        found = static_cast<int>(i);
        return true;
      }
    }
    from = state_->events.size();
    return state_->ended;
  });
  return found;
}

int EventStream::waitForEvent(const std::string& name, std::chrono::milliseconds timeout, size_t from) {
  return waitFor([&](const Event& e) { return e.name == name; }, timeout, from);
}

std::vector<EventStream::Event> EventStream::events() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->events;
}

int EventStream::status() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->status;
}

bool EventStream::ended() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->ended;
}

}  // namespace overlay_test
