#include "tests/app/notice_endpoint.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

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

// The first line `fd` delivers within `seconds`, without its line break;
// empty when none comes.
std::string firstLine(int fd, int seconds) {
  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (line.find('\n') == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now()).count();
    pollfd p{fd, POLLIN, 0};
    if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) return {};
    char buffer[256];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return {};
    line.append(buffer, static_cast<size_t>(n));
  }
  return line.substr(0, line.find('\n'));
}

// Ends `pid` with SIGTERM (SIGKILL after five seconds) and collects it.
void endChild(pid_t pid) {
  kill(pid, SIGTERM);
  for (int i = 0; i < 50; ++i) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

}  // namespace

int freeLoopbackPort() {
  int port = 0;
  const int s = boundLoopbackSocket(port);
  if (s >= 0) close(s);
  return port;
}

NoticeEndpoint::NoticeEndpoint(const std::string& folder) : runtime_(folder + "/notice-runtime") {
  // `notice-endpoint run` becomes the server itself; port 0 lets it take a
  // free port, which it prints once it listens.
  const char* const arguments[] = {NOTICE_ENDPOINT_SCRIPT, "run", "--port", "0", "--runtime",
                                   runtime_.c_str(), "--server", NOTICE_SERVER, nullptr};
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return;
  const pid_t parent = getpid();
  server_ = fork();
  if (server_ == 0) {
    // The server gets SIGKILL when the thread that started it ends, however
    // it ends; a parent that ended before this line was reached is seen here.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(1);
    dup2(out[1], STDOUT_FILENO);
    execv(arguments[0], const_cast<char* const*>(arguments));
    _exit(127);
  }
  close(out[1]);
  if (server_ > 0) address_ = firstLine(out[0], 30);
  close(out[0]);
  if (address_.empty() && server_ > 0) {
    endChild(server_);
    server_ = -1;
  }
}

NoticeEndpoint::~NoticeEndpoint() {
  if (server_ > 0) endChild(server_);
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
  ASSERT_TRUE(endpoint_->running()) << "the notice endpoint did not start";
  endpoint_->serve(std::string(R"({"data":{"V":")") + ProgramVersion + R"("}})");
  setenv("KESTRUNE_NOTICE_URL", endpoint_->address().c_str(), 1);
}

void MatchingNoticeEnvironment::TearDown() {
  unsetenv("KESTRUNE_NOTICE_URL");
  endpoint_.reset();
  std::error_code ignored;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}
