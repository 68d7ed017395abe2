// deploy/notice/notice-endpoint itself: which process it takes for its nginx.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

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

// A pid file left behind by an nginx that died without removing it (killed,
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
  std::ofstream(runtime + "/nginx.pid") << other << "\n";
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
    EXPECT_TRUE(stillRunning()) << "start took the other program for its nginx";
  }
  EXPECT_NE(std::system((script + " status --runtime " + runtime).c_str()), 0) << "stopped";
  std::ofstream(runtime + "/nginx.pid") << other << "\n";
  std::system((script + " stop --runtime " + runtime).c_str());
  EXPECT_TRUE(stillRunning()) << "stop ended the other program";

  if (!ended) {
    kill(other, SIGKILL);
    waitpid(other, nullptr, 0);
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
