// kestrune-cli http end to end: the binary against loopback servers.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "platform/text/gbk.h"
#include "tests/support/test_servers.h"

namespace {

using namespace kestrune_test;

struct CliRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class CliHttpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/cli_http_testXXXXXX";
    folder = mkdtemp(pattern);
  }
  void TearDown() override { std::system(("rm -rf '" + folder + "'").c_str()); }

  CliRun run(const std::string& args) {
    const std::string errFile = folder + "/stderr";
    const std::string command = std::string(KESTRUNE_CLI) + " " + args + " 2>" + errFile;
    FILE* pipe = popen(command.c_str(), "r");
    CliRun r;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) r.out.append(buffer, n);
    const int status = pclose(pipe);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.err = readFile(errFile);
    return r;
  }
  std::string file(const std::string& name) const { return folder + "/" + name; }

  std::string folder;
};

TEST_F(CliHttpTest, SelfSignedHttpsPrintsTheBodyAsUtf8) {
  HttpTestServer server(makeCertificate(CertificateKind::SelfSigned));
  ASSERT_TRUE(server.running());
  server.on("GET", "/", TestResponse{200, {}, "secure \xd6\xd0\xce\xc4"});  // 中文 in GBK
  const CliRun r = run("http " + server.url("/"));
  EXPECT_EQ(0, r.exitCode) << r.err;
  EXPECT_EQ("secure 中文", r.out);
  EXPECT_EQ("", r.err);
}

TEST_F(CliHttpTest, HeadersFirstBodyToAFileAndVerboseOutputs) {
  HttpTestServer server;
  const std::string bytes("a\0b\xff", 4);
  server.on("GET", "/bytes", TestResponse{200, {{"Set-Cookie", "sid=abc; path=/"}}, bytes});
  server.on("GET", "/moved", TestResponse{302, {{"Location", "/next"}}, "moved"});

  CliRun r = run("http -i " + server.url("/bytes"));
  EXPECT_EQ(0, r.exitCode);
  EXPECT_EQ(0u, r.out.find("HTTP/1.1 200 OK\r\n"));
  EXPECT_EQ(r.out.size() - 5, r.out.find("\r\n\r\na"));  // headers, empty line, text up to the zero byte

  r = run("http -o " + file("body") + " " + server.url("/bytes"));
  EXPECT_EQ(0, r.exitCode);
  EXPECT_EQ("", r.out);
  EXPECT_EQ(bytes, readFile(file("body")));

  // "-" is standard output, byte for byte; the headers (-i) come first.
  r = run("http -o - " + server.url("/bytes"));
  EXPECT_EQ(0, r.exitCode) << r.err;
  EXPECT_EQ(bytes, r.out);
  EXPECT_EQ("", r.err);
  r = run("http -i --output - " + server.url("/bytes"));
  EXPECT_EQ(0, r.exitCode) << r.err;
  EXPECT_EQ(0u, r.out.find("HTTP/1.1 200 OK\r\n"));
  EXPECT_EQ(r.out.size() - bytes.size() - 4, r.out.find("\r\n\r\n" + bytes));
  EXPECT_FALSE(std::ifstream(file("-")).good());

  r = run("http -v --no-redirect " + server.url("/moved"));
  EXPECT_EQ(0, r.exitCode);
  EXPECT_EQ("moved", r.out);
  EXPECT_EQ("status: 302 Found\ncookies: \nlocation: /next\n", r.err);
}

TEST_F(CliHttpTest, RequestOptionsReachTheServer) {
  HttpTestServer server;
  server.on("*", "*", TestResponse{200, {}, "ok"});
  {
    std::ofstream(file("upload"), std::ios::binary) << std::string("x\0y", 3);
  }
  struct Case {
    std::string args;
    std::function<void(const RecordedRequest&)> check;
  };
  const Case cases[] = {
      {"-X POST -d 'a=1' -H 'X-A: 1' -H 'X-B: 2' -b 'c=1'",
       [](const RecordedRequest& r) {
         EXPECT_EQ("POST", r.method);
         EXPECT_EQ("a=1", r.body);
         EXPECT_EQ("1", r.header("X-A"));
         EXPECT_EQ("2", r.header("X-B"));
         EXPECT_EQ("c=1", r.header("Cookie"));
       }},
      {"-X 3 --data-binary @" + file("upload"),
       [](const RecordedRequest& r) {
         EXPECT_EQ("PUT", r.method);
         EXPECT_EQ(std::string("x\0y", 3), r.body);
       }},
      {"-X delete -u u:p", [](const RecordedRequest& r) {
         EXPECT_EQ("DELETE", r.method);
         EXPECT_EQ("Basic dTpw", r.header("Authorization"));
       }},
      {"--no-default-headers", [](const RecordedRequest& r) { EXPECT_FALSE(r.hasHeader("User-Agent")); }},
      // Text arguments arrive in UTF-8 and are sent as local text (GBK);
      // --data-binary is bytes and goes as it is.
      {"-X POST -d '中文=1'", [](const RecordedRequest& r) { EXPECT_EQ("中文=1"_gbk, r.body); }},
      {"-X POST --data-binary '中文'", [](const RecordedRequest& r) { EXPECT_EQ("中文", r.body); }},
      {"-H 'X-Name: 中文'", [](const RecordedRequest& r) { EXPECT_EQ("中文"_gbk, r.header("X-Name")); }},
      {"-b 'n=中文'", [](const RecordedRequest& r) { EXPECT_EQ("n=中文"_gbk, r.header("Cookie")); }},
      // base64 of "中:文" in GBK
      {"-u '中:文'", [](const RecordedRequest& r) { EXPECT_EQ("Basic 1tA6zsQ=", r.header("Authorization")); }},
      {"-X 'patch'", [](const RecordedRequest& r) { EXPECT_EQ("PATCH", r.method); }},
      {"--no-normalize -H 'x-lower: 1'",
       [](const RecordedRequest& r) {
         ASSERT_TRUE(r.hasHeader("x-lower"));
         for (const auto& h : r.headers) {
           if (equalsIgnoreCase(h.first, "x-lower")) {
             EXPECT_EQ("x-lower", h.first);
           }
         }
       }},
  };
  for (const Case& c : cases) {
    const CliRun r = run("http " + c.args + " " + server.url("/opt"));
    EXPECT_EQ(0, r.exitCode) << c.args << ": " << r.err;
    c.check(server.lastRequest());
  }
  // The URL too is local text; the request escapes it in UTF-8 (read as UTF-8
  // bytes taken for GBK, it would be other characters).
  const CliRun r = run("http '" + server.url("/中文?q=文") + "'");
  EXPECT_EQ(0, r.exitCode) << r.err;
  EXPECT_EQ("/%E4%B8%AD%E6%96%87?q=%E6%96%87", server.lastRequest().target);
}

TEST_F(CliHttpTest, FailuresExitOneUsageErrorsTwo) {
  ScriptedServer silent(scripts::neverAnswer());
  CliRun r = run("http -m 1 " + silent.url("/"));
  EXPECT_EQ(1, r.exitCode);
  EXPECT_EQ("kestrune-cli: http: 712 服务器未响应!\n", r.err);
  EXPECT_EQ("", r.out);

  r = run("http ftp://127.0.0.1/");
  EXPECT_EQ(1, r.exitCode);
  EXPECT_EQ("kestrune-cli: http: 701 解析URL地址失败!\n", r.err);

  for (const char* wrong : {"http", "http -X FOO http://127.0.0.1/", "http -m soon http://127.0.0.1/",
                            "http http://127.0.0.1/ extra"})
    EXPECT_EQ(2, run(wrong).exitCode) << wrong;
  r = run("http --help");
  EXPECT_EQ(0, r.exitCode);
  EXPECT_NE(std::string::npos, r.out.find("kestrune-cli http"));
}

}  // namespace
