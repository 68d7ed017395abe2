// deploy/notice/notice-endpoint itself: which process it takes for its server,
// and the test endpoint's life, which ends with the test that started it.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/app/notice_endpoint.h"

namespace {

// The usage text is the script's header, whole, on stdout for --help.
TEST(NoticeEndpointScript, HelpShowsTheWholeUsage) {
  std::string out;
  FILE* pipe = popen((std::string(NOTICE_ENDPOINT_SCRIPT) + " --help 2>/dev/null").c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char buffer[512];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  EXPECT_EQ(pclose(pipe), 0);
  EXPECT_EQ(out.rfind("  notice-endpoint start  [--port N]", 0), 0u) << out;
  EXPECT_NE(out.find("(or /tmp/kestrune-notice-UID).\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("set -euo"), std::string::npos) << out;
}

// A pid file left behind by a server that died without removing it (killed,
// or the machine stopped), whose process id now belongs to another program:
// status, start and stop must leave that program alone.
TEST(NoticeEndpointScript, AStalePidFileNeverNamesAnotherProcess) {
  char folder[] = "/tmp/kestrune-endpoint-test.XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string runtime = std::string(folder) + "/notice-runtime";
  std::filesystem::create_directories(runtime);

  const pid_t other = fork();
  ASSERT_GE(other, 0);
  if (other == 0) {
    execlp("sleep", "sleep", "60", static_cast<char*>(nullptr));
    _exit(127);
  }
  std::ofstream(runtime + "/server.pid") << other << "\n";
  const std::string script = NOTICE_ENDPOINT_SCRIPT;
  bool ended = false;
  const auto stillRunning = [other, &ended] {
    ended = ended || waitpid(other, nullptr, WNOHANG) == other;
    return !ended;
  };

  EXPECT_NE(std::system((script + " status --runtime " + runtime).c_str()), 0);
  {
    NoticeEndpoint endpoint(folder);
    EXPECT_TRUE(endpoint.running());
    EXPECT_TRUE(stillRunning()) << "start took the other program for its server";
  }
  EXPECT_NE(std::system((script + " status --runtime " + runtime).c_str()), 0) << "stopped";
  std::ofstream(runtime + "/server.pid") << other << "\n";
  std::system((script + " stop --runtime " + runtime).c_str());
  EXPECT_TRUE(stillRunning()) << "stop ended the other program";

  if (!ended) {
    kill(other, SIGKILL);
    waitpid(other, nullptr, 0);
  }
  std::filesystem::remove_all(folder);
}

// Whether something accepts connections on 127.0.0.1:`port`.
bool accepts(int port) {
  const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  const bool connected = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(s);
  return connected;
}

// A test process killed while its endpoint serves (a crash, a ctest
// timeout): the endpoint's port is closed within moments, nothing is left
// running.
TEST(NoticeEndpointHelper, EndsWithTheTestProcessThatStartedItEvenWhenThatIsKilled) {
  char folder[] = "/tmp/kestrune-endpoint-test.XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  int report[2];
  ASSERT_EQ(pipe(report), 0);
  const pid_t test = fork();
  ASSERT_GE(test, 0);
  if (test == 0) {
    close(report[0]);
    NoticeEndpoint endpoint(folder);
    const std::string line = endpoint.address() + "\n";
    if (write(report[1], line.data(), line.size()) < 0) _exit(1);
    pause();
    _exit(0);
  }
  close(report[1]);
  std::string address;
  char c;
  while (read(report[0], &c, 1) == 1 && c != '\n') address += c;
  close(report[0]);
  const size_t colon = address.rfind(':');
  const int port = colon == std::string::npos ? 0 : std::atoi(address.c_str() + colon + 1);
  EXPECT_GT(port, 0) << "the endpoint did not start: '" << address << "'";
  EXPECT_TRUE(port > 0 && accepts(port));

  kill(test, SIGKILL);
  waitpid(test, nullptr, 0);
  bool closed = false;
  for (int i = 0; i < 50 && port > 0 && !closed; ++i) {
    closed = !accepts(port);
    if (!closed) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_TRUE(closed) << "the endpoint on port " << port << " outlived its test";
  EXPECT_NE(std::system((std::string(NOTICE_ENDPOINT_SCRIPT) + " status --runtime " + folder +
                         "/notice-runtime").c_str()), 0);
  std::filesystem::remove_all(folder);
}

}  // namespace
