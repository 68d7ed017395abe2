// What goes on the wire: the request line and exactly the headers WinHTTP
// sends, and bodies streamed in both directions.
#include <gtest/gtest.h>

#include <thread>

#include "tests/platform/winhttp/exchange.h"
#include "tests/support/test_servers.h"

namespace winhttp_test {
namespace {

using namespace kestrune_test;
using namespace std::chrono_literals;

const std::string okResponse = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";

struct WireCase {
  const char* name;
  std::u16string verb;
  std::string path;
  std::u16string headers;
  std::string body;
  std::string requestLine;
  std::vector<std::string> expectedHeaders;  // in order, after Host
};

class WireTest : public testing::TestWithParam<WireCase> {};

TEST_P(WireTest, SendsExactlyTheRequestLineAndHeaders) {
  const WireCase& c = GetParam();
  ScriptedServer server(scripts::respond(okResponse));
  ExchangePlan plan;
  plan.url = server.url(c.path);
  plan.verb = c.verb;
  plan.headers = c.headers;
  plan.body = c.body;
  ExchangeResult r = exchange(plan);
  ASSERT_EQ(r.failedStep, Step::None) << stepName(r.failedStep) << " " << r.error;
  ASSERT_EQ(server.requests().size(), 1u);
  const RecordedRequest got = server.requests()[0];
  std::string head = got.rawHead;
  EXPECT_EQ(head.substr(0, head.find("\r\n")), c.requestLine);
  std::vector<std::string> expected = {"Host: 127.0.0.1:" + std::to_string(server.port())};
  expected.insert(expected.end(), c.expectedHeaders.begin(), c.expectedHeaders.end());
  std::vector<std::string> lines;
  for (const auto& [n, v] : got.headers) lines.push_back(n + ": " + v);
  EXPECT_EQ(lines, expected) << head;
  EXPECT_EQ(got.body, c.body);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, WireTest,
    testing::Values(
        WireCase{"BareGet", u"GET", "/", u"", "", "GET / HTTP/1.1", {}},
        WireCase{"QueryKept", u"GET", "/a/b?x=1&y=%20", u"", "", "GET /a/b?x=1&y=%20 HTTP/1.1", {}},
        WireCase{"CallerHeadersInOrder", u"GET", "/h",
                 u"User-Agent: UA\r\nAccept: text/html\r\nAccept-Encoding: gzip\r\nX-Empty:\r\n\r\n", "",
                 "GET /h HTTP/1.1",
                 {"User-Agent: UA", "Accept: text/html", "Accept-Encoding: gzip", "X-Empty: "}},
        WireCase{"PostWithBody", u"POST", "/p", u"Content-Type: text/plain", std::string(3000, 'b'),
                 "POST /p HTTP/1.1", {"Content-Type: text/plain", "Content-Length: 3000"}},
        WireCase{"PostWithoutBody", u"POST", "/p", u"", "", "POST /p HTTP/1.1", {"Content-Length: 0"}},
        WireCase{"PutWithBody", u"PUT", "/u", u"", "data", "PUT /u HTTP/1.1", {"Content-Length: 4"}},
        WireCase{"HeadWaitsForNoBody", u"HEAD", "/h", u"", "", "HEAD /h HTTP/1.1", {}},
        WireCase{"DeleteWithoutBody", u"DELETE", "/d", u"", "", "DELETE /d HTTP/1.1", {}},
        WireCase{"CallerFramingIgnored", u"POST", "/f", u"Content-Length: 99\r\nTransfer-Encoding: chunked", "abc",
                 "POST /f HTTP/1.1", {"Content-Length: 3"}},
        WireCase{"UnsafeCharactersEscaped", u"GET", "/a b/\xE4\xB8\xAD?q=a b", u"", "",
                 "GET /a%20b/%E4%B8%AD?q=a%20b HTTP/1.1", {}},
        WireCase{"FragmentNotSent", u"GET", "/page#top", u"", "", "GET /page HTTP/1.1", {}}),
    [](const testing::TestParamInfo<WireCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace winhttp_test
