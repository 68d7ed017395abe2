// The HTTP engine (httpRequest over the WinHTTP stand-in) against an
// in-process loopback server whose whole response (status line, headers,
// chunked or not, body) comes from the input, as do the request's method,
// path, cookies, header lines, body and options. Every connection, the
// redirects the response asks for included, gets the same bytes.
//
// No exchange may leave the machine: the process first moves into a network
// namespace of its own that holds nothing but the loopback interface, so a
// redirect to any other host fails to connect. Where that cannot be done
// (no privilege for it), redirects are not followed.
#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "fuzz/fuzz_input.h"
#include "net/http_request.h"

namespace {

using Clock = std::chrono::steady_clock;

// True when the process now sees only its own loopback interface.
bool confineToLoopback() {
  if (::unshare(CLONE_NEWNET) != 0) return false;
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  ifreq request{};
  std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
  bool up = ::ioctl(fd, SIOCGIFFLAGS, &request) == 0;
  request.ifr_flags |= IFF_UP;
  up = up && ::ioctl(fd, SIOCSIFFLAGS, &request) == 0;
  ::close(fd);
  return up;
}

// Reads until `done` says the bytes so far are complete, the peer closes or
// `bound` passes.
template <typename Done>
void readUntil(int fd, std::string& bytes, std::chrono::milliseconds bound, Done done) {
  const Clock::time_point deadline = Clock::now() + bound;
  while (!done(bytes)) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return;
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left)) <= 0) return;
    char buffer[4096];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) return;
    bytes.append(buffer, static_cast<size_t>(n));
  }
}

// The body length a request head announces (0 without one).
size_t announcedLength(const std::string& head) {
  for (size_t at = head.find("\r\n"); at != std::string::npos && at + 2 < head.size(); at = head.find("\r\n", at + 2)) {
    if (strncasecmp(head.c_str() + at + 2, "Content-Length:", 15) == 0)
      return std::strtoul(head.c_str() + at + 17, nullptr, 10);
  }
  return 0;
}

// One thread on 127.0.0.1 serving each connection in turn: the request is
// read (head, then the body it announces, each wait bounded), the current
// response sent, the connection closed.
class Responder {
 public:
  Responder() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 16) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
      std::abort();
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
  }
  ~Responder() {
    stopping_ = true;
    thread_.join();
    ::close(listener_);
  }
  int port() const { return port_; }
  void setResponse(std::string response) {
    std::lock_guard<std::mutex> hold(lock_);
    response_ = std::move(response);
  }

 private:
  void serve() {
    while (!stopping_) {
      pollfd p{listener_, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      answer(fd);
      ::close(fd);
    }
  }
  void answer(int fd) {
    std::string request;
    readUntil(fd, request, std::chrono::seconds(2),
              [](const std::string& bytes) { return bytes.find("\r\n\r\n") != std::string::npos; });
    const size_t headEnd = request.find("\r\n\r\n");
    if (headEnd != std::string::npos) {
      const size_t total = headEnd + 4 + announcedLength(request.substr(0, headEnd + 2));
      readUntil(fd, request, std::chrono::milliseconds(200),
                [total](const std::string& bytes) { return bytes.size() >= total; });
    }
    std::string response;
    {
      std::lock_guard<std::mutex> hold(lock_);
      response = response_;
    }
    timeval bound{2, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &bound, sizeof bound);
    for (size_t sent = 0; sent < response.size();) {
      const ssize_t n = ::send(fd, response.data() + sent, response.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) break;
      sent += static_cast<size_t>(n);
    }
    ::shutdown(fd, SHUT_WR);
    // What the client still sends is read, so that closing does not reset
    // the connection before the client has read the response.
    std::string rest;
    readUntil(fd, rest, std::chrono::milliseconds(200), [](const std::string&) { return false; });
  }

  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::mutex lock_;
  std::string response_;
  std::thread thread_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool confined = confineToLoopback();
  static Responder responder;

  FuzzInput in(data, size);
  const uint8_t flags = in.byte();
  const int32_t method = static_cast<int32_t>(in.choice(10));
  const Text path = in.field();
  const Text cookies = in.field();
  const Text headers = in.field();
  const Text body = in.field().substr(0, 512);
  responder.setResponse(in.rest());

  const bool noRedirect = (flags & 1) || !confined;
  const Text url = "http://127.0.0.1:" + std::to_string(responder.port()) + "/" + path;
  const Text proxy = (flags & 2) ? "127.0.0.1:" + std::to_string(responder.port()) : Text();
  Text received, responseHeaders, location, status;
  ByteArray responseBody;
  const Text result = httpRequest(url, method, body, cookies, &received, headers, &responseHeaders,
                                  noRedirect, {}, {}, proxy, {}, {}, 2, &location, &status,
                                  (flags & 32) ? &responseBody : nullptr, flags & 4, flags & 8, {},
                                  flags & 16);
  // Without a response (its headers are written whenever one came) there is no result.
  if (responseHeaders.empty()) FUZZ_CHECK(result.empty());
  if (!responseHeaders.empty()) FUZZ_CHECK(responseHeaders.ends_with("\r\n\r\n"));
  return 0;
}
