#include "tests/support/scripted_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace kestrune_test {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

struct ScriptedServer::State {
  Script script;
  int listenFd = -1;
  int port = -1;
  std::atomic<bool> stopping{false};
  std::atomic<size_t> bytesSent{0};
  std::thread acceptThread;
  mutable std::mutex lock;
  mutable std::condition_variable changed;
  std::vector<std::thread> connections;
  std::vector<int> openFds;
  size_t accepted = 0;
  std::vector<RecordedRequest> requests;

  void acceptLoop(ScriptedServer& server);
};

namespace {

constexpr size_t maxHead = 1 << 20;

int millisUntil(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
  return static_cast<int>(std::clamp<long long>(left, 0, 50));
}

std::string trim(std::string_view s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string_view::npos) return {};
  size_t e = s.find_last_not_of(" \t");
  return std::string(s.substr(b, e - b + 1));
}

bool parseHead(const std::string& head, RecordedRequest& r) {
  size_t lineEnd = head.find("\r\n");
  std::string_view line(head.data(), lineEnd);
  size_t s1 = line.find(' '), s2 = line.rfind(' ');
  if (s1 == std::string_view::npos || s2 == s1) return false;
  r.method = line.substr(0, s1);
  r.target = line.substr(s1 + 1, s2 - s1 - 1);
  r.version = line.substr(s2 + 1);
  size_t pos = lineEnd + 2;
  while (pos < head.size()) {
    size_t end = head.find("\r\n", pos);
    if (end == std::string::npos || end == pos) break;
    std::string_view h(head.data() + pos, end - pos);
    size_t colon = h.find(':');
    if (colon != std::string_view::npos)
      r.headers.emplace_back(std::string(h.substr(0, colon)), trim(h.substr(colon + 1)));
    pos = end + 2;
  }
  r.rawHead = head;
  return true;
}

}  // namespace

bool ScriptedConnection::stopping() const { return server_.state_->stopping.load(); }

bool ScriptedConnection::readMore(std::string& into, Clock::time_point deadline) {
  while (!stopping() && Clock::now() < deadline) {
    pollfd p{fd_, POLLIN, 0};
    int ready = ::poll(&p, 1, millisUntil(deadline));
    if (ready < 0) return false;
    if (ready == 0) continue;
    char buffer[16384];
    ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    if (n <= 0) return false;
    into.append(buffer, static_cast<size_t>(n));
    return true;
  }
  return false;
}

std::optional<RecordedRequest> ScriptedConnection::readRequest(milliseconds bound) {
  const auto deadline = Clock::now() + bound;
  std::string data = std::move(pending_);
  pending_.clear();
  size_t headEnd;
  while ((headEnd = data.find("\r\n\r\n")) == std::string::npos) {
    if (data.size() > maxHead || !readMore(data, deadline)) return std::nullopt;
  }
  RecordedRequest request;
  if (!parseHead(data.substr(0, headEnd + 4), request)) return std::nullopt;
  std::string rest = data.substr(headEnd + 4);

  if (equalsIgnoreCase(request.header("Transfer-Encoding"), "chunked")) {
    size_t pos = 0;
    for (;;) {
      size_t lineEnd;
      while ((lineEnd = rest.find("\r\n", pos)) == std::string::npos)
        if (!readMore(rest, deadline)) return std::nullopt;
      size_t size = std::strtoul(rest.substr(pos, lineEnd - pos).c_str(), nullptr, 16);
      while (rest.size() < lineEnd + 2 + size + 2)
        if (!readMore(rest, deadline)) return std::nullopt;
      request.body.append(rest, lineEnd + 2, size);
      pos = lineEnd + 2 + size + 2;
      if (size == 0) break;
    }
    pending_ = rest.substr(pos);
  } else {
    size_t length = 0;
    std::string value = request.header("Content-Length");
    if (!value.empty()) length = std::strtoull(value.c_str(), nullptr, 10);
    while (rest.size() < length)
      if (!readMore(rest, deadline)) return std::nullopt;
    request.body = rest.substr(0, length);
    pending_ = rest.substr(length);
  }
  {
    std::lock_guard guard(server_.state_->lock);
    server_.state_->requests.push_back(request);
  }
  server_.state_->changed.notify_all();
  return request;
}

bool ScriptedConnection::send(std::string_view bytes, milliseconds stallBound) {
  size_t sent = 0;
  auto deadline = Clock::now() + stallBound;
  while (sent < bytes.size()) {
    if (stopping() || Clock::now() >= deadline) return false;
    pollfd p{fd_, POLLOUT, 0};
    int ready = ::poll(&p, 1, millisUntil(deadline));
    if (ready < 0) return false;
    if (ready == 0) continue;
    ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
    server_.state_->bytesSent += static_cast<size_t>(n);
    deadline = Clock::now() + stallBound;
  }
  return true;
}

bool ScriptedConnection::sendSlowly(std::string_view bytes, milliseconds interval) {
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0) hold(interval);
    if (stopping() || !send(bytes.substr(i, 1))) return false;
  }
  return true;
}

void ScriptedConnection::hold(milliseconds bound) {
  const auto deadline = Clock::now() + bound;
  while (!stopping() && Clock::now() < deadline) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, millisUntil(deadline)) != 1) continue;
    char buffer[4096];
    ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    if (n <= 0) return;  // the peer closed
    pending_.append(buffer, static_cast<size_t>(n));
  }
}

void ScriptedConnection::idle(milliseconds bound) {
  std::unique_lock guard(server_.state_->lock);
  server_.state_->changed.wait_for(guard, bound, [this] { return stopping(); });
}

void ScriptedConnection::reset() {
  linger l{1, 0};
  ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &l, sizeof l);
  std::lock_guard guard(server_.state_->lock);
  std::erase(server_.state_->openFds, fd_);
  ::close(fd_);  // with a zero linger time: RST instead of FIN
  fd_ = -1;
}

void ScriptedConnection::close() {
  if (fd_ >= 0) ::shutdown(fd_, SHUT_RDWR);
}

void ScriptedServer::State::acceptLoop(ScriptedServer& server) {
  while (!stopping) {
    pollfd p{listenFd, POLLIN, 0};
    if (::poll(&p, 1, 50) <= 0) continue;
    int fd = ::accept(listenFd, nullptr, nullptr);
    if (fd < 0) continue;
    std::lock_guard guard(lock);
    openFds.push_back(fd);
    ++accepted;
    connections.emplace_back([&server, fd] {
      ScriptedConnection connection(server, fd);
      server.state_->script(connection);
      connection.close();
    });
    changed.notify_all();
  }
}

ScriptedServer::ScriptedServer(Script script) : state_(new State) {
  state_->script = std::move(script);
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd, 64) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    if (fd >= 0) ::close(fd);
    return;
  }
  state_->listenFd = fd;
  state_->port = ntohs(address.sin_port);
  state_->acceptThread = std::thread([this] { state_->acceptLoop(*this); });
}

ScriptedServer::~ScriptedServer() {
  {
    std::lock_guard guard(state_->lock);  // no waiter misses the change
    state_->stopping = true;
  }
  state_->changed.notify_all();
  if (state_->acceptThread.joinable()) state_->acceptThread.join();
  std::vector<std::thread> threads;
  {
    std::lock_guard guard(state_->lock);
    for (int fd : state_->openFds) ::shutdown(fd, SHUT_RDWR);
    threads.swap(state_->connections);
  }
  for (std::thread& t : threads) t.join();
  for (int fd : state_->openFds) ::close(fd);
  if (state_->listenFd >= 0) ::close(state_->listenFd);
}

bool ScriptedServer::running() const { return state_->listenFd >= 0; }
int ScriptedServer::port() const { return state_->port; }

std::string ScriptedServer::url(std::string_view pathAndQuery) const {
  return "http://127.0.0.1:" + std::to_string(state_->port) + std::string(pathAndQuery);
}

std::vector<RecordedRequest> ScriptedServer::requests() const {
  std::lock_guard guard(state_->lock);
  return state_->requests;
}

size_t ScriptedServer::connectionCount() const {
  std::lock_guard guard(state_->lock);
  return state_->accepted;
}

size_t ScriptedServer::bytesSent() const { return state_->bytesSent.load(); }

bool ScriptedServer::waitForRequests(size_t count, milliseconds bound) const {
  std::unique_lock guard(state_->lock);
  return state_->changed.wait_for(guard, bound,
                                  [&] { return state_->requests.size() >= count; });
}

namespace scripts {

namespace {
constexpr milliseconds holdBound = std::chrono::seconds(30);
std::string head(std::string_view extra) {
  return "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n" + std::string(extra) +
         "\r\n";
}
}  // namespace

Script respond(std::string response) {
  return [response](ScriptedConnection& c) {
    if (c.readRequest()) c.send(response);
  };
}

Script respondAndHold(std::string response) {
  return [response](ScriptedConnection& c) {
    if (c.readRequest() && c.send(response)) c.hold(holdBound);
  };
}

Script neverAnswer() {
  return [](ScriptedConnection& c) {
    c.readRequest();
    c.hold(holdBound);
  };
}

Script acceptOnly() {
  return [](ScriptedConnection& c) { c.idle(holdBound); };
}

Script slowHeaders(milliseconds interval) {
  return [interval](ScriptedConnection& c) {
    if (!c.readRequest()) return;
    std::string endless = "HTTP/1.1 200 OK\r\nX-Slow: ";
    endless.append(4096, 'a');
    c.sendSlowly(endless, interval);
  };
}

Script hugeHeaderLine(size_t bytes) {
  return [bytes](ScriptedConnection& c) {
    if (!c.readRequest()) return;
    std::string response = "HTTP/1.1 200 OK\r\nX-Huge: ";
    response.append(bytes, 'h');
    response += "\r\nContent-Length: 2\r\n\r\nok";
    c.send(response, std::chrono::seconds(5));
    c.hold(std::chrono::seconds(5));
  };
}

Script malformedStatusLine() {
  return respond("HTTP/1.1 OK-ish no code here\r\nContent-Length: 2\r\n\r\nok");
}

Script brokenChunked(std::string partial) {
  return [partial](ScriptedConnection& c) {
    if (!c.readRequest()) return;
    char size[32];
    snprintf(size, sizeof size, "%zx\r\n", partial.size());
    c.send(head("Transfer-Encoding: chunked\r\n") + size + partial + "\r\n");
  };
}

Script closeMidBody(std::string partial, size_t announced) {
  return [partial, announced](ScriptedConnection& c) {
    if (c.readRequest())
      c.send(head("Content-Length: " + std::to_string(announced) + "\r\n") + partial);
  };
}

Script resetMidBody(std::string partial, size_t announced) {
  return [partial, announced](ScriptedConnection& c) {
    if (c.readRequest() &&
        c.send(head("Content-Length: " + std::to_string(announced) + "\r\n") + partial)) {
      c.hold(milliseconds(100));
      c.reset();
    }
  };
}

Script resetAfterRequest() {
  return [](ScriptedConnection& c) {
    if (c.readRequest()) c.reset();
  };
}

Script streamBody(size_t size) {
  return [size](ScriptedConnection& c) {
    if (!c.readRequest() || !c.send(head("Content-Length: " + std::to_string(size) + "\r\n")))
      return;
    constexpr size_t block = 64 * 1024;
    for (size_t offset = 0; offset < size; offset += block)
      if (!c.send(patternBytes(offset, std::min(block, size - offset)))) return;
    c.hold(std::chrono::seconds(5));
  };
}

}  // namespace scripts
}  // namespace kestrune_test
