// The loopback servers the Windows test suite asks from inside Wine: plain
// HTTP, and HTTPS with certificates that only the security flags 0x3300 let
// through (self-signed, another host's, expired). Started by
// scripts/test-windows; prints one line per server, "NAME 127.0.0.1:PORT",
// then an empty line, and serves until its standard input closes.
//
// Routes (every server):
//   /hello              "hi", with two Set-Cookie lines
//   /echo               the request as text: "METHOD TARGET", one "name: value"
//                       line per header (sorted by name), an empty line, the body
//   /status/404         404 "missing"
//   /redirect           302 to /hello
//   /charset/utf-8      an HTML page in UTF-8 that declares its charset
//   /Admins/ksxt.json   the version notice of this version ("V": "25.14")
//   /newer/Admins/ksxt.json   a newer one ("V": "25.15")
//   /fetch?port=P&path=/x[&host=H][&method=M][&ms=N]
//                       a request from this side to 127.0.0.1:P (Host H,
//                       default 127.0.0.1:P), answered with the raw response
//                       as it arrived within N milliseconds (default 2000):
//                       a server in the Windows program, seen from Linux
#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "kestrune/version.h"
#include "tests/overlay/overlay_client.h"
#include "tests/support/http_test_server.h"

using namespace kestrune_test;

namespace {

std::string echoOf(const RecordedRequest& request) {
  std::string text = request.method + " " + request.target + "\n";
  for (const auto& [name, value] : request.headers) text += name + ": " + value + "\n";
  return text + "\n" + request.body;
}

std::string notice(const std::string& version) {
  return R"({"code":0,"data":{"V":")" + version + R"(","C":"欢迎使用","W":"https://example.invalid/"}})";
}

// The value of `name` in the target's query ("" when absent); no escapes.
std::string queryValue(const std::string& target, const std::string& name) {
  const size_t query = target.find('?');
  if (query == std::string::npos) return {};
  const std::string key = name + "=";
  size_t at = query + 1;
  while (at < target.size()) {
    const size_t end = std::min(target.find('&', at), target.size());
    if (target.compare(at, key.size(), key) == 0) return target.substr(at + key.size(), end - at - key.size());
    at = end + 1;
  }
  return {};
}

TestResponse fetch(const RecordedRequest& r) {
  const auto port = static_cast<uint16_t>(std::atoi(queryValue(r.target, "port").c_str()));
  const std::string host = queryValue(r.target, "host"), method = queryValue(r.target, "method"),
                    ms = queryValue(r.target, "ms");
  const std::string request = (method.empty() ? "GET" : method) + " " + queryValue(r.target, "path") +
                              " HTTP/1.1\r\nHost: " + (host.empty() ? "127.0.0.1:" + std::to_string(port) : host) +
                              "\r\nConnection: close\r\n\r\n";
  const auto wait = std::chrono::milliseconds(ms.empty() ? 2000 : std::atoi(ms.c_str()));
  const overlay_test::RawResponse response = overlay_test::rawRequest(port, request, wait);
  std::string raw = "status " + std::to_string(response.status) + "\n";
  for (const auto& [name, value] : response.headers) raw += name + ": " + value + "\n";
  return TestResponse{200, {}, raw + "\n" + response.body};
}

void addRoutes(HttpTestServer& server) {
  server.on("GET", "/hello",
            TestResponse{200, {{"Set-Cookie", "sid=abc; path=/"}, {"Set-Cookie", "lang=zh; HttpOnly"}}, "hi"});
  server.on("*", "/echo", [](const RecordedRequest& r) { return TestResponse{200, {}, echoOf(r)}; });
  server.on("GET", "/status/404", TestResponse{404, {}, "missing"});
  server.on("GET", "/redirect", TestResponse{302, {{"Location", "/hello"}}, ""});
  TestResponse page{200, {}, "<html><head><meta charset=\"utf-8\"></head><body>中文页面</body></html>"};
  page.contentType = "text/html";
  server.on("GET", "/charset/utf-8", page);
  TestResponse current{200, {}, notice(ProgramVersion)}, newer{200, {}, notice("25.15")};
  current.contentType = newer.contentType = "application/json";
  server.on("GET", "/Admins/ksxt.json", current);
  server.on("GET", "/newer/Admins/ksxt.json", newer);
  server.on("GET", "/fetch", fetch);
}

}  // namespace

int main() {
  struct Named {
    const char* name;
    std::unique_ptr<HttpTestServer> server;
  };
  std::vector<Named> servers;
  servers.push_back({"http", std::make_unique<HttpTestServer>()});
  servers.push_back({"https", std::make_unique<HttpTestServer>(makeCertificate(CertificateKind::SelfSigned))});
  servers.push_back({"https-wrong-host", std::make_unique<HttpTestServer>(makeCertificate(CertificateKind::WrongHost))});
  servers.push_back({"https-expired", std::make_unique<HttpTestServer>(makeCertificate(CertificateKind::Expired))});
  for (Named& s : servers) {
    if (!s.server->running()) {
      std::cerr << "windows-test-peer: the " << s.name << " server did not start\n";
      return 1;
    }
    addRoutes(*s.server);
    std::cout << s.name << " 127.0.0.1:" << s.server->port() << "\n";
  }
  std::cout << std::endl;
  // Serves until the starter closes our standard input (or ends).
  std::string ignored;
  while (std::getline(std::cin, ignored)) {
  }
  return 0;
}
