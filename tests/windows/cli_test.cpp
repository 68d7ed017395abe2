// kestrune-cli.exe as an operator runs it on Windows: local text (GBK, the
// console's code page on Chinese Windows) in and out as it is, output bytes
// as written (no CR added).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/text/gbk.h"
#include "tests/windows/wine.h"

namespace {

// Standard output of `commandLine` (run by the command processor) and its exit code.
std::string run(const std::string& commandLine, int* exitCode = nullptr) {
  std::string out;
  FILE* pipe = _popen(commandLine.c_str(), "rb");
  if (!pipe) return out;
  char buffer[4096];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  const int status = _pclose(pipe);
  if (exitCode) *exitCode = status;
  return out;
}

// kestrune-cli.exe of this build: tools\ beside the tests\ folder of this program.
std::string cliPath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  for (int up = 0; up < 3; ++up) folder.resize(folder.find_last_of("\\/"));
  return "\"" + folder + "\\tools\\kestrune-cli.exe\"";
}

const std::string cli = cliPath();

}  // namespace

TEST(WindowsCli, QueryWritesLocalText) {
  int status = -1;
  EXPECT_EQ(run(cli + " query 8888 0001", &status),
            "￥ 16888 米\t极品\t传家使用\n￥ 1000 米\t一般\t可弃可留\n"_gbk);
  EXPECT_EQ(status, 0);
}

TEST(WindowsCli, TableIsTheBuiltInTextByteForByte) {
  int status = -1;
  const std::string table = run(cli + " table", &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(table.size(), 160039u);
  EXPECT_EQ(table.substr(0, 16), "0000=" + "合格"_gbk + "=3288\r\n");
  EXPECT_EQ(table.substr(table.size() - 15), "9999=" + "极品"_gbk + "=16358");
}

TEST(WindowsCli, NoticeStartsOnlyForTheSameVersion) {
  const std::string peer = "https://" + peerAddress("KESTRUNE_TEST_HTTPS");
  int status = -1;
  EXPECT_NE(run(cli + " notice " + peer + "/Admins/ksxt.json", &status).find("the program starts"),
            std::string::npos);
  EXPECT_EQ(status, 0);
  EXPECT_NE(run(cli + " notice " + peer + "/newer/Admins/ksxt.json", &status).find("25.15"),
            std::string::npos);
  EXPECT_EQ(status, 1);
}

TEST(WindowsCli, RegexPositionsCountGbkBytes) {
  SKIP_UNDER_WINE(wine_gap::RegExpMatchTypeInfo);
  int status = -1;
  EXPECT_EQ(run(cli + " regex a " + "价€a"_gbk, &status), "count 1\nmatch 1 3 a\n");
  EXPECT_EQ(status, 0);
}
