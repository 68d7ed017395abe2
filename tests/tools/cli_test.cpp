// Runs the kestrune-cli binary as an operator would.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <sys/wait.h>

#include "eval/tail_table.h"

namespace {

struct Result {
  int exitCode;
  std::string out;
};

Result run(const std::string& args) {
  const std::string command = std::string(KESTRUNE_CLI) + " " + args + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  std::string out;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

TEST(CliQuery, PrintsTheThreeCaptionsPerTail) {
  const Result r = run("query 8888 0001 1314 0520 1234");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out,
            "￥ 16888 米\t极品\t传家使用\n"
            "￥ 1000 米\t一般\t可弃可留\n"
            "￥ 6908 米\t优秀\t长期使用\n"
            "￥ 4708 米\t合格\t继续使用\n"
            "￥ 7228 米\t优秀\t长期使用\n");
}

TEST(CliQuery, NoMatchKeepsThePreviousAdvice) {
  EXPECT_EQ(run("query 520").out, "￥ 0 米\t\t\n");
  EXPECT_EQ(run("query 0000 520 -1").out,
            "￥ 3288 米\t合格\t继续使用\n￥ 0 米\t\t继续使用\n￥ 0 米\t\t继续使用\n");
}

TEST(CliQuery, RandomPricesCarryTheirThresholdGrade) {
  const Result r = run("query --random 1 2 3 4 5 6 7 8");
  EXPECT_EQ(r.exitCode, 0);
  std::istringstream lines(r.out);
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) {
    ++count;
    int price = 0;
    char grade[32] = {}, advice[32] = {};
    ASSERT_EQ(std::sscanf(line.c_str(), "￥ %d 米\t%31[^\t]\t%31s", &price, grade, advice), 3) << line;
    EXPECT_GE(price, 1000) << line;
    EXPECT_LE(price, 16888) << line;
    const std::string expected = price < 2000    ? "一般\t可弃可留"
                                 : price < 5000  ? "合格\t继续使用"
                                 : price < 10000 ? "优秀\t长期使用"
                                                 : "极品\t传家使用";
    EXPECT_EQ(std::string(grade) + "\t" + advice, expected) << line;
  }
  EXPECT_EQ(count, 8);
}

TEST(CliUsage, ErrorsExitWithTwoAndEveryCommandAnswersHelp) {
  for (const char* wrong : {"", "query", "query --bogus 8888", "frobnicate", "table extra",
                            "json", "json a b c", "regex onlyone", "--bogus"})
    EXPECT_EQ(run(wrong).exitCode, 2) << wrong;
  const Result help = run("--help");
  EXPECT_EQ(help.exitCode, 0);
  for (const char* command : {"query", "table", "json", "regex"}) {
    EXPECT_NE(help.out.find(command), std::string::npos) << command;
    const Result own = run(std::string(command) + " --help");
    EXPECT_EQ(own.exitCode, 0) << command;
    EXPECT_NE(own.out.find(std::string("kestrune-cli ") + command), std::string::npos) << own.out;
  }
}

TEST(CliUsage, VersionIsTheProgramVersion) {
  const Result r = run("--version");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "25.14\n");
}

TEST(CliTable, WritesTheEmbeddedBytesUnchanged) {
  const Result r = run("table");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(r.out == tailTableText());
}

}  // namespace
