#include "tests/support/tinyproxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace kestrune_test {
namespace {

using namespace std::chrono_literals;

int freeLoopbackPort() {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = -1;
  if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    port = ntohs(address.sin_port);
  if (fd >= 0) ::close(fd);
  return port;
}

bool accepts(int port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  bool ok = fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  if (fd >= 0) ::close(fd);
  return ok;
}

// True when the child ended (and was reaped) within `bound`.
bool reaped(pid_t pid, std::chrono::milliseconds bound) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  for (;;) {
    pid_t r = ::waitpid(pid, nullptr, WNOHANG);
    if (r == pid || r < 0) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(10ms);
  }
}

}  // namespace

TinyProxy::TinyProxy(Options options) {
  char pattern[] = "/tmp/kestrune-tinyproxy-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) {
    failure_ = "cannot make a temporary folder";
    return;
  }
  folder_ = pattern;
  // The free port can be taken between the probe and the proxy's bind: retry.
  for (int attempt = 0; attempt < 3 && !start(options); ++attempt) {
  }
}

bool TinyProxy::start(const Options& options) {
  port_ = freeLoopbackPort();
  const std::string config = folder_ + "/tinyproxy.conf";
  {
    std::ofstream out(config);
    out << "Port " << port_ << "\nListen 127.0.0.1\nTimeout 30\n"
        << "LogFile \"" << folder_ << "/tinyproxy.log\"\nLogLevel Info\n"
        << "PidFile \"" << folder_ << "/tinyproxy.pid\"\n"
        << "MaxClients 50\nAllow 127.0.0.1\nDisableViaHeader Yes\n";
    if (!options.user.empty()) out << "BasicAuth " << options.user << " " << options.password << "\n";
    if (!out) {
      failure_ = "cannot write " + config;
      return false;
    }
  }
  const std::string output = folder_ + "/tinyproxy.out";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  const char* argv[] = {"tinyproxy", "-d", "-c", config.c_str(), nullptr};
  pid_t pid = -1;
  int error = posix_spawnp(&pid, "tinyproxy", &actions, nullptr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) {
    failure_ = "cannot run tinyproxy (is the package installed?)";
    return false;
  }
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (std::chrono::steady_clock::now() < deadline) {
    if (accepts(port_)) {
      pid_ = pid;
      failure_.clear();
      return true;
    }
    if (reaped(pid, 0ms)) {
      std::ifstream in(output);
      std::stringstream text;
      text << in.rdbuf();
      failure_ = "tinyproxy ended at start: " + text.str();
      return false;
    }
    std::this_thread::sleep_for(20ms);
  }
  ::kill(pid, SIGKILL);
  reaped(pid, 2s);
  failure_ = "tinyproxy did not listen within 5 s";
  return false;
}

void TinyProxy::stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  if (!reaped(pid_, 3s)) {
    ::kill(pid_, SIGKILL);
    reaped(pid_, 2s);
  }
  pid_ = -1;
}

TinyProxy::~TinyProxy() {
  stop();
  if (!folder_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
}

std::string TinyProxy::address() const { return "127.0.0.1:" + std::to_string(port_); }

std::string TinyProxy::log() const {
  std::ifstream in(folder_ + "/tinyproxy.log");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace kestrune_test
