// Runs the kestrune-cli binary as an operator would.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "eval/tail_table.h"
#include "kestrune/notice_endpoint.h"
#include "platform/text/gbk.h"

namespace {

struct Result {
  int exitCode;
  std::string out;
};

// `environment`: assignments before the command; `redirect`: what becomes of
// stderr (and stdout), stderr dropped by default.
Result run(const std::string& args, const std::string& environment = {},
           const std::string& redirect = "2>/dev/null") {
  const std::string command = environment + " " + KESTRUNE_CLI + " " + args + " " + redirect;
  FILE* pipe = popen(command.c_str(), "r");
  std::string out;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

// A fresh prefix whose hot-fix list file holds `list`; removed by the caller.
std::string prefixWithHotFixes(const std::string& list) {
  namespace fs = std::filesystem;
  std::string prefix = (fs::temp_directory_path() / "kestrune-cli-XXXXXX").string();
  if (::mkdtemp(prefix.data()) == nullptr) return {};
  fs::create_directories(prefix + "/drive_c/Windows/Kestrune");
  std::ofstream(prefix + "/drive_c/Windows/Kestrune/hotfixes.txt", std::ios::binary) << list;
  return prefix;
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
                            "json", "json a b c", "regex onlyone", "hotfix a b", "--bogus"})
    EXPECT_EQ(run(wrong).exitCode, 2) << wrong;
  const Result help = run("--help");
  EXPECT_EQ(help.exitCode, 0);
  for (const char* command : {"query", "table", "json", "regex", "hotfix", "http", "notice"}) {
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

// The address the program asks, as the build made it or as overridden, and
// nothing asked (a host that does not exist would fail the command).
TEST(CliNotice, PrintAddressShowsTheAddressThatWouldBeAsked) {
  const Result builtIn = run("notice --print-address", "env -u KESTRUNE_NOTICE_URL");
  EXPECT_EQ(builtIn.exitCode, 0);
  EXPECT_EQ(builtIn.out, std::string(BuiltInNoticeAddress) + "\n");
  const Result overridden = run("notice --print-address",
                                "KESTRUNE_NOTICE_URL=https://notice.invalid:1/Admins/ksxt.json");
  EXPECT_EQ(overridden.exitCode, 0);
  EXPECT_EQ(overridden.out, "https://notice.invalid:1/Admins/ksxt.json\n");
  const Result given = run("notice --print-address https://other.invalid/x.json");
  EXPECT_EQ(given.out, "https://other.invalid/x.json\n");
}

TEST(CliHotFix, ListsTheHotFixesOfTheListFile) {
  namespace fs = std::filesystem;
  const std::string prefix = prefixWithHotFixes("# installed\nKB1\tSecurity Update\nKB3140245\nKB1\n");
  ASSERT_NE(prefix, "");
  const std::string environment = "KESTRUNE_PREFIX='" + prefix + "'";
  struct Case {
    const char* args;
    std::string out;
    std::string err;
  } cases[] = {
      {"hotfix", "KB1\nKB3140245\nKB1\n", "3 hot-fixes\n"},
      {"hotfix KB3140245", "KB3140245\n", "1 hot-fix\n"},
      {"hotfix kb1", "KB1\nKB1\n", "2 hot-fixes\n"},
      {"hotfix KB2", "", "0 hot-fixes\n"},
      {"hotfix \"KB1' OR HotFixID <> '\"", "", "0 hot-fixes\n"},
  };
  for (const Case& c : cases) {
    const Result out = run(c.args, environment);
    EXPECT_EQ(out.exitCode, 0) << c.args;
    EXPECT_EQ(out.out, c.out) << c.args;
    EXPECT_EQ(run(c.args, environment, "2>&1 >/dev/null").out, c.err) << c.args;
  }
  fs::remove_all(prefix);
}

// A value the document cannot print is a failure with its reason, never an
// empty line and exit 0.
TEST(CliJson, ValuesThatCannotBePrintedFailWithTheReason) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / ("kestrune-cli-json-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const struct {
    std::string document;
    const char* args;  // after "json FILE"
    int exitCode;
    std::string out;   // stdout and stderr
  } cases[] = {
      {R"({"a":1,"n":null})", "a", 0, "1\n"},
      {R"({"a":1,"n":null})", "--json n", 0, "null\n"},
      {R"({"a":1,"n":null})", "b", 1, "kestrune-cli: json: no value at 'b'\n"},
      {R"({"a":1,"n":null})", "--json b", 1, "kestrune-cli: json: no value at 'b'\n"},
      // parsed (evaluated), but no JSON can hold it
      {"(function () { var o = {}; o.me = o; return o })()", "--json", 1,
       "kestrune-cli: json: the document cannot be written as JSON: Object doesn't support this property or method\n"},
      {"(function () { var a = []; for (var i = 0; i < 10000; i++) a = [a]; return a })()", "--json", 1,
       "kestrune-cli: json: the document cannot be written as JSON: Out of stack space\n"},
      {"(function () { var a = []; for (var i = 0; i < 10000; i++) a = [a]; return {d: a} })()", "d", 1,
       "kestrune-cli: json: the value at 'd' cannot be written as text: Out of stack space\n"},
      // whatever nesting the text itself has, if it parses it prints
      {std::string(2400, '[') + std::string(2400, ']'), "--json", 0,
       std::string(2400, '[') + std::string(2400, ']') + "\n"},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string file = (folder / ("doc" + std::to_string(n++) + ".json")).string();
    std::ofstream(file, std::ios::binary) << c.document;
    const Result r = run("json " + file + " " + c.args, {}, "2>&1");
    EXPECT_EQ(r.exitCode, c.exitCode) << c.document << " " << c.args;
    EXPECT_EQ(r.out, c.out) << c.document << " " << c.args;
  }
  fs::remove_all(folder);
}

// Every subcommand takes its text arguments in the terminal's UTF-8 and
// works on them as local text (GBK), printing local text back in UTF-8.
TEST(CliText, TextArgumentsAreReadAsLocalText) {
  namespace fs = std::filesystem;
  const std::string prefix = prefixWithHotFixes("KB1\n" + "补丁7\n"_gbk);  // the list file is GBK
  ASSERT_NE(prefix, "");
  std::ofstream(prefix + "/doc.json", std::ios::binary) << "{\"数据\":{\"值\":\"中文\"}}";  // UTF-8
  const std::string environment = "KESTRUNE_PREFIX='" + prefix + "'";
  const struct {
    std::string args;
    int exitCode;
    std::string out;
  } cases[] = {
      {"hotfix 补丁7", 0, "补丁7\n"},
      {"json " + prefix + "/doc.json 数据.值", 0, "中文\n"},
      {"json --json " + prefix + "/doc.json 数据", 0, "{\"值\":\"中文\"}\n"},
      // positions count GBK bytes: 价 is two
      {"regex 格 价格", 0, "count 1\nmatch 1 2 格\n"},
      {"regex '(.)格' 价格", 0, "count 1\nmatch 1 0 价格\n  sub 1 0 价\n"},
      {"notice http://127.0.0.1:1/中文", 1,
       "address\thttp://127.0.0.1:1/中文\nstatus\t711 发送请求失败!\nversion\t\nC\t\nW\t\n"
       "the program shows the update message and ends\n"},
  };
  for (const auto& c : cases) {
    const Result r = run(c.args, environment);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args;
    EXPECT_EQ(r.out, c.out) << c.args;
  }
  fs::remove_all(prefix);
}

TEST(CliTable, WritesTheEmbeddedBytesUnchanged) {
  const Result r = run("table");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(r.out == tailTableText());
}

}  // namespace
