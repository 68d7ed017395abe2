// A raw-socket server on 127.0.0.1 that runs a script on each connection:
// exact request bytes for on-the-wire checks, and peers that misbehave.
//
//   kestrune_test::ScriptedServer server(scripts::respond(
//       "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nhi"));
//   ... request server.url("/x") ...
//   server.requests()[0].rawHead   // "GET /x HTTP/1.1\r\nHost: ...\r\n\r\n"
//
// Every wait of a script is bounded and ends early when the server stops;
// the destructor closes every connection and joins its thread.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/recorded_request.h"

namespace kestrune_test {

class ScriptedServer;

class ScriptedConnection {
 public:
  // Reads one request: the head, then a body by Content-Length or chunked
  // encoding. Records it with the server. Empty on timeout, a closed peer,
  // or a head over 1 MiB.
  std::optional<RecordedRequest> readRequest(
      std::chrono::milliseconds bound = std::chrono::seconds(5));
  // Sends all bytes; false when the peer is gone, the server stops, or no
  // byte could be sent for `stallBound`.
  bool send(std::string_view bytes,
            std::chrono::milliseconds stallBound = std::chrono::seconds(10));
  // One byte at a time with `interval` between them.
  bool sendSlowly(std::string_view bytes, std::chrono::milliseconds interval);
  // Waits `bound`, or less when the server stops or the peer closes; what
  // the peer sends meanwhile is read (and kept for the next readRequest).
  void hold(std::chrono::milliseconds bound);
  // Waits `bound`, or less when the server stops, reading nothing.
  void idle(std::chrono::milliseconds bound);
  // Closes with a TCP reset instead of an orderly close.
  void reset();
  void close();
  bool stopping() const;

 private:
  friend class ScriptedServer;
  ScriptedConnection(ScriptedServer& server, int fd) : server_(server), fd_(fd) {}
  bool readMore(std::string& into, std::chrono::steady_clock::time_point deadline);
  ScriptedServer& server_;
  int fd_;
  std::string pending_;  // bytes read past the last request
};

using Script = std::function<void(ScriptedConnection&)>;

class ScriptedServer {
 public:
  explicit ScriptedServer(Script script);
  ~ScriptedServer();
  ScriptedServer(const ScriptedServer&) = delete;
  ScriptedServer& operator=(const ScriptedServer&) = delete;

  bool running() const;
  int port() const;
  std::string url(std::string_view pathAndQuery = "/") const;  // "http://127.0.0.1:PORT..."

  std::vector<RecordedRequest> requests() const;
  size_t connectionCount() const;
  // Body and header bytes sent so far, all connections together.
  size_t bytesSent() const;
  bool waitForRequests(size_t count, std::chrono::milliseconds bound) const;

 private:
  friend class ScriptedConnection;
  struct State;
  std::unique_ptr<State> state_;
};

// Ready-made scripts. Each reads the request first unless its name says not.
namespace scripts {
// Sends `response` and closes.
Script respond(std::string response);
// Sends `response` and keeps the connection open until the server stops.
Script respondAndHold(std::string response);
// Accepts, reads the request, never answers.
Script neverAnswer();
// Accepts and never reads or answers.
Script acceptOnly();
// A status line and headers, one byte per `interval`, never completing.
Script slowHeaders(std::chrono::milliseconds interval);
// A status line, then one header line of `bytes` bytes.
Script hugeHeaderLine(size_t bytes = 1 << 20);
// A response whose first line is not an HTTP status line.
Script malformedStatusLine();
// "Transfer-Encoding: chunked", the chunk `partial`, then a close without the last chunk.
Script brokenChunked(std::string partial);
// "Content-Length: announced", then `partial` (shorter), then a close.
Script closeMidBody(std::string partial, size_t announced);
// As closeMidBody, but the connection is reset instead of closed.
Script resetMidBody(std::string partial, size_t announced);
// Reads the request and resets the connection.
Script resetAfterRequest();
// A 200 response with `size` bytes of patternBytes(), streamed.
Script streamBody(size_t size);
}  // namespace scripts

}  // namespace kestrune_test
