#include "tests/app/notice_endpoint.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "kestrune/version.h"

namespace {

// Binds a loopback socket to a port the system chooses; returns the socket.
int boundLoopbackSocket(int& port) {
  const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (s < 0 || bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    if (s >= 0) close(s);
    port = 0;
    return -1;
  }
  port = ntohs(address.sin_port);
  return s;
}

std::string run(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[512];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    if (pclose(pipe) != 0) out.clear();
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

}  // namespace

int freeLoopbackPort() {
  int port = 0;
  const int s = boundLoopbackSocket(port);
  if (s >= 0) close(s);
  return port;
}

NoticeEndpoint::NoticeEndpoint(const std::string& folder) : runtime_(folder + "/notice-runtime") {
  for (int attempt = 0; attempt < 3 && address_.empty(); ++attempt) {
    address_ = run(std::string(NOTICE_ENDPOINT_SCRIPT) + " start --port " +
                   std::to_string(freeLoopbackPort()) + " --runtime '" + runtime_ + "' 2>/dev/null");
  }
}

NoticeEndpoint::~NoticeEndpoint() {
  run(std::string(NOTICE_ENDPOINT_SCRIPT) + " stop --runtime '" + runtime_ + "'");
}

void NoticeEndpoint::serve(const std::string& document) const {
  std::ofstream(runtime_ + "/site/Admins/ksxt.json", std::ios::binary | std::ios::trunc) << document;
}

SilentPort::SilentPort() {
  socket_ = boundLoopbackSocket(port_);
  if (socket_ >= 0 && listen(socket_, 16) != 0) {
    close(socket_);
    socket_ = -1;
    port_ = 0;
  }
}

SilentPort::~SilentPort() {
  if (socket_ >= 0) close(socket_);
}

void MatchingNoticeEnvironment::SetUp() {
  char folder[] = "/tmp/kestrune-notice-test.XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  folder_ = folder;
  endpoint_ = std::make_unique<NoticeEndpoint>(folder_);
  ASSERT_TRUE(endpoint_->running()) << "the notice endpoint (nginx) did not start";
  endpoint_->serve(std::string(R"({"data":{"V":")") + ProgramVersion + R"("}})");
  setenv("KESTRUNE_NOTICE_URL", endpoint_->address().c_str(), 1);
}

void MatchingNoticeEnvironment::TearDown() {
  unsetenv("KESTRUNE_NOTICE_URL");
  endpoint_.reset();
  std::error_code ignored;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}
