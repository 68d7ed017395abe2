// An in-process HTTP or HTTPS server on 127.0.0.1 (cpp-httplib) that records
// every request and answers from a table of routes.
//
//   kestrune_test::HttpTestServer server;                      // plain HTTP
//   kestrune_test::HttpTestServer tls(makeCertificate(CertificateKind::SelfSigned));
//   server.on("GET", "/hello", [](const RecordedRequest&) {
//     return TestResponse{200, {{"Set-Cookie", "a=1; path=/"}}, "hi"};
//   });
//   ... request server.url("/hello") ...
//   server.lastRequest().header("User-Agent")
//
// Without a matching route the answer is 404. The server runs from
// construction (check running()) to destruction; each connection serves one
// request, so stopping never waits for idle keep-alive connections.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/recorded_request.h"
#include "tests/support/test_certificates.h"

namespace kestrune_test {

using TestHandler = std::function<TestResponse(const RecordedRequest&)>;

class HttpTestServer {
 public:
  HttpTestServer();
  // HTTPS; a certificate that cannot be used leaves running() false.
  explicit HttpTestServer(const TestCertificate& certificate);
  ~HttpTestServer();
  HttpTestServer(const HttpTestServer&) = delete;
  HttpTestServer& operator=(const HttpTestServer&) = delete;

  bool running() const;
  bool secure() const;
  int port() const;
  // "http://127.0.0.1:PORT" + pathAndQuery (https for a secure server).
  std::string url(std::string_view pathAndQuery = "/") const;

  // Routes `method` (or "*" for any) and `path` (exact, without the query;
  // "*" for any). A later route for the same pair replaces the earlier one.
  void on(std::string method, std::string path, TestHandler handler);
  // Shorthand: a fixed response.
  void on(std::string method, std::string path, TestResponse response);

  std::vector<RecordedRequest> requests() const;
  size_t requestCount() const;
  RecordedRequest lastRequest() const;  // empty when none
  // Waits until `count` requests were recorded; false when `bound` passes first.
  bool waitForRequests(size_t count, std::chrono::milliseconds bound) const;

 private:
  void start(const TestCertificate* certificate);
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace kestrune_test
