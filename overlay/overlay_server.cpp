#include "overlay/overlay_server.h"

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "overlay/page_assets.h"
#include "platform/system/listen_socket.h"

namespace overlay {

namespace {

using namespace std::chrono_literals;

// A stream with nothing to send writes a comment this often, which finds
// clients that went away and frees their place.
constexpr auto HeartbeatInterval = 15s;
// Seconds: a request's bytes, an idle kept-alive connection, one write.
constexpr time_t ReadTimeout = 2;
constexpr time_t KeepAliveTimeout = 2;
constexpr time_t WriteTimeout = 2;
// Threads for connections: every stream holds one for its whole life, and
// these are left for the page's other requests.
constexpr size_t SpareThreads = 8;
// Accepted connections waiting for a thread; while that many wait, the
// server accepts no more and later ones wait in the system's queue.
constexpr size_t MaxWaiting = 8;

const char* const Csp =
    "default-src 'none'; script-src 'self'; style-src 'self' 'unsafe-inline'; "
    "connect-src 'self'; base-uri 'none'; form-action 'none'";

// The connections' threads, started as connections come (none while nobody
// asks), at most `maxThreads`, with at most MaxWaiting connections queued:
// enqueue waits for room, so the number of sockets this process holds stays
// bounded however many clients connect.
class ConnectionPool {
 public:
  explicit ConnectionPool(size_t maxThreads) : maxThreads_(maxThreads) {}
  ~ConnectionPool() { shutdown(); }

  void enqueue(std::function<void()> fn) {
    std::unique_lock<std::mutex> lock(mutex_);
    room_.wait(lock, [&] { return jobs_.size() < MaxWaiting || unbounded_; });
    jobs_.push_back(std::move(fn));
    if (idle_ == 0 && threads_.size() < maxThreads_) {
      // A thread the system refuses leaves the job to the threads there are.
      try {
        threads_.emplace_back([this] { work(); });
        return;
      } catch (const std::system_error&) {
      }
    }
    work_.notify_one();
  }

  // The server is stopping: enqueue stops waiting for room (the
  // connections it still hands over close at once).
  void release() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      unbounded_ = true;
    }
    room_.notify_all();
  }

  // After the server's last enqueue: runs what is queued, ends the threads.
  void shutdown() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    work_.notify_all();
    for (std::thread& t : threads_) t.join();
    threads_.clear();
  }

 private:
  void work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      ++idle_;
      work_.wait(lock, [&] { return !jobs_.empty() || stopping_; });
      --idle_;
      if (jobs_.empty()) return;  // stopping
      std::function<void()> fn = std::move(jobs_.front());
      jobs_.pop_front();
      room_.notify_one();
      lock.unlock();
      fn();
      fn = nullptr;
      lock.lock();
    }
  }

  const size_t maxThreads_;
  std::mutex mutex_;
  std::condition_variable work_;
  std::condition_variable room_;
  std::deque<std::function<void()>> jobs_;
  std::vector<std::thread> threads_;
  size_t idle_ = 0;
  bool unbounded_ = false;
  bool stopping_ = false;
};

// The pool as the server's task queue. The server makes its queue when it
// starts listening and destroys it when it stops; the pool itself lives
// with the OverlayServer, so stop() can reach it at any moment.
class PoolQueue : public httplib::TaskQueue {
 public:
  PoolQueue(ConnectionPool& pool, std::atomic<bool>& listening) : pool_(pool) { listening = true; }
  void enqueue(std::function<void()> fn) override { pool_.enqueue(std::move(fn)); }
  void shutdown() override { pool_.shutdown(); }

 private:
  ConnectionPool& pool_;
};

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// The names this server answers to: 127.0.0.1:PORT and localhost:PORT.
bool hostAllowed(const httplib::Request& request, uint16_t port) {
  if (request.get_header_value_count("Host") != 1) return false;
  const std::string host = request.get_header_value("Host");
  const std::string suffix = ":" + std::to_string(port);
  if (host.size() <= suffix.size() || host.compare(host.size() - suffix.size(), suffix.size(), suffix) != 0)
    return false;
  const std::string_view name(host.data(), host.size() - suffix.size());
  return name == "127.0.0.1" || equalsIgnoringCase(name, "localhost");
}

bool hasBody(const httplib::Request& request) {
  return request.has_header("Transfer-Encoding") ||
         (request.has_header("Content-Length") && request.get_header_value("Content-Length") != "0");
}

void refuse(httplib::Response& response, int status, const char* why) {
  response.status = status;
  // The request may have a body this server never reads.
  response.set_header("Connection", "close");
  response.set_content(std::string(why) + "\n", "text/plain; charset=utf-8");
}

}  // namespace

struct OverlayServer::Impl {
  ConnectionPool pool{EventHub::MaxStreams + SpareThreads};
  httplib::Server http;
  std::atomic<bool> listening{false};  // the server's loop has begun
  std::atomic<bool> finished{false};   // and ended
  std::thread listener;
};

OverlayServer::OverlayServer() = default;

OverlayServer::~OverlayServer() { stop(); }

bool OverlayServer::start(uint16_t port) {
  if (impl_) return false;
  auto impl = std::make_unique<Impl>();
  httplib::Server& http = impl->http;
  Impl* self = impl.get();
  http.new_task_queue = [self] { return new PoolQueue(self->pool, self->listening); };
  http.set_socket_options([](socket_t s) { setListenSocketOptions(static_cast<std::uintptr_t>(s)); });
  http.set_read_timeout(ReadTimeout, 0);
  http.set_write_timeout(WriteTimeout, 0);
  http.set_keep_alive_timeout(KeepAliveTimeout);
  // The listening thread looks up from accept once a second (on Windows it
  // would every 10 ms otherwise).
  http.set_idle_interval(1, 0);
  http.set_payload_max_length(0);
  http.set_default_headers({{"Cache-Control", "no-store"},
                            {"X-Content-Type-Options", "nosniff"},
                            {"Cross-Origin-Resource-Policy", "same-origin"},
                            {"Referrer-Policy", "no-referrer"}});

  http.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
    if (request.method != "GET") {
      refuse(response, 405, "Only GET is served here.");
      response.set_header("Allow", "GET");
    } else if (!hostAllowed(request, port_)) {
      refuse(response, 403, "This server answers to 127.0.0.1 and localhost only.");
    } else if (hasBody(request)) {
      refuse(response, 400, "A GET carries no body.");
    } else {
      return httplib::Server::HandlerResponse::Unhandled;
    }
    return httplib::Server::HandlerResponse::Handled;
  });

  for (const PageAsset& asset : pageAssets()) {
    http.Get(std::string(asset.path), [asset](const httplib::Request&, httplib::Response& response) {
      response.set_content(asset.bytes.data(), asset.bytes.size(), std::string(asset.contentType).c_str());
      if (asset.path == "/") response.set_header("Content-Security-Policy", Csp);
    });
  }

  http.Get("/events", [this](const httplib::Request&, httplib::Response& response) {
    if (!hub_.openStream()) {
      response.status = 503;
      response.set_header("Retry-After", "5");
      response.set_content("All event streams are taken.\n", "text/plain; charset=utf-8");
      return;
    }
    auto cursor = std::make_shared<EventHub::Cursor>();
    // Exactly this type: httplib compresses other text types for clients that accept it.
    response.set_chunked_content_provider(
        "text/event-stream",
        [this, cursor](size_t offset, httplib::DataSink& sink) {
          // The first write tells the page to reconnect after one second.
          std::string out = offset == 0 ? "retry: 1000\n\n" : "";
          switch (hub_.next(*cursor, out, HeartbeatInterval)) {
            case EventHub::Wait::Stopped: return false;
            case EventHub::Wait::Idle: out += ":\n\n"; break;
            case EventHub::Wait::Events: break;
          }
          return sink.write(out.data(), out.size());
        },
        [this](bool) { hub_.closeStream(); });
  });

  const bool bound = port == 0 ? (port = static_cast<uint16_t>(http.bind_to_any_port("127.0.0.1"))) > 0
                               : http.bind_to_port("127.0.0.1", port);
  if (!bound) return false;
  port_ = port;
  try {
    impl->listener = std::thread([self] {
      self->http.listen_after_bind();
      self->finished = true;
    });
  } catch (const std::system_error&) {
    return false;  // no thread to serve from
  }
  impl_ = std::move(impl);
  return true;
}

void OverlayServer::stop() {
  if (!impl_) return;
  // The streams end, a connection pool waiting for room takes what comes,
  // the listening socket closes; the listening thread then joins the rest.
  hub_.stop();
  impl_->pool.release();
  // The server's stop does nothing before its loop has begun.
  while (!impl_->listening && !impl_->finished) std::this_thread::sleep_for(1ms);
  impl_->http.stop();
  if (impl_->listener.joinable()) impl_->listener.join();
  impl_.reset();
}

bool OverlayServer::running() const { return impl_ != nullptr; }

}  // namespace overlay
