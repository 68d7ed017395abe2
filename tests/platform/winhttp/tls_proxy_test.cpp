// Certificate checks and the security flags that switch them off one by
// one; proxies: "http=" for http URLs only, CONNECT for https, Basic
// credentials at the proxy.
#include <gtest/gtest.h>

#include "tests/platform/winhttp/exchange.h"
#include "tests/support/test_servers.h"

namespace winhttp_test {
namespace {

using namespace kestrune_test;

struct CertificateCase {
  const char* name;
  CertificateKind kind;
  DWORD flags;
  bool accepted;
};

class CertificateTest : public testing::TestWithParam<CertificateCase> {};

TEST_P(CertificateTest, EachFlagForgivesExactlyItsCheck) {
  const CertificateCase& c = GetParam();
  HttpTestServer server(makeCertificate(c.kind));
  ASSERT_TRUE(server.running());
  server.on("GET", "/", TestResponse{200, {}, "tls"});
  ExchangePlan plan;
  plan.url = server.url("/");
  plan.securityFlags = c.flags;
  ExchangeResult r = exchange(plan);
  if (c.accepted) {
    EXPECT_EQ(r.failedStep, Step::None) << stepName(r.failedStep) << " " << r.error;
    EXPECT_EQ(r.body, "tls");
  } else {
    EXPECT_EQ(r.failedStep, Step::Send);
    EXPECT_EQ(r.error, ERROR_WINHTTP_SECURE_FAILURE);
  }
}

constexpr DWORD unknownCa = SECURITY_FLAG_IGNORE_UNKNOWN_CA;
constexpr DWORD allButCa = SECURITY_FLAG_IGNORE_ALL_CERT_ERRORS & ~unknownCa;

INSTANTIATE_TEST_SUITE_P(
    Flags, CertificateTest,
    testing::Values(
        CertificateCase{"SelfSignedAllFlags", CertificateKind::SelfSigned, 0x3300, true},
        CertificateCase{"SelfSignedNoFlags", CertificateKind::SelfSigned, 0, false},
        CertificateCase{"SelfSignedUnknownCa", CertificateKind::SelfSigned, unknownCa, true},
        CertificateCase{"SelfSignedAllButUnknownCa", CertificateKind::SelfSigned, allButCa, false},
        CertificateCase{"WrongHostUnknownCa", CertificateKind::WrongHost, unknownCa, false},
        CertificateCase{"WrongHostAndName", CertificateKind::WrongHost,
                        unknownCa | SECURITY_FLAG_IGNORE_CERT_CN_INVALID, true},
        CertificateCase{"ExpiredUnknownCa", CertificateKind::Expired, unknownCa, false},
        CertificateCase{"ExpiredAndDate", CertificateKind::Expired,
                        unknownCa | SECURITY_FLAG_IGNORE_CERT_DATE_INVALID, true},
        CertificateCase{"WrongUsageUnknownCa", CertificateKind::WrongUsage, unknownCa, false},
        CertificateCase{"WrongUsageAndUsage", CertificateKind::WrongUsage,
                        unknownCa | SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE, true}),
    [](const testing::TestParamInfo<CertificateCase>& info) { return std::string(info.param.name); });

TEST(ProxyTest, PlainRequestThroughAProxyNamesTheWholeUrl) {
  // A scripted server in the proxy's place shows the bytes a proxy gets.
  ScriptedServer proxy(scripts::respond("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"));
  ExchangePlan plan;
  plan.url = "http://127.0.0.1:9/path?q=1";  // never contacted: the proxy answers
  plan.proxy = u"http=127.0.0.1:" + widen(std::to_string(proxy.port()));
  plan.proxyUser = u"pu";
  plan.proxyPassword = u"pp";
  ExchangeResult r = exchange(plan);
  ASSERT_EQ(r.failedStep, Step::None) << stepName(r.failedStep) << " " << r.error;
  ASSERT_EQ(proxy.requests().size(), 1u);
  EXPECT_EQ(proxy.requests()[0].rawHead,
            "GET http://127.0.0.1:9/path?q=1 HTTP/1.1\r\nHost: 127.0.0.1:9\r\n"
            "Proxy-Authorization: Basic cHU6cHA=\r\n\r\n");
}

struct ProxyCase {
  const char* name;
  bool secureTarget;
  std::u16string proxyPrefix;  // before "127.0.0.1:PORT"
  bool viaProxy;
};

class TinyProxyTest : public testing::TestWithParam<ProxyCase> {};

TEST_P(TinyProxyTest, ReachesTheServer) {
  const ProxyCase& c = GetParam();
  TinyProxy proxy;
  ASSERT_TRUE(proxy.running()) << proxy.failure();
  HttpTestServer server = c.secureTarget ? HttpTestServer(makeCertificate(CertificateKind::SelfSigned))
                                         : HttpTestServer();
  server.on("GET", "/p", TestResponse{200, {}, "through"});
  ExchangePlan plan;
  plan.url = server.url("/p");
  plan.proxy = c.proxyPrefix + widen(proxy.address());
  ExchangeResult r = exchange(plan);
  ASSERT_EQ(r.failedStep, Step::None) << stepName(r.failedStep) << " " << r.error;
  EXPECT_EQ(r.body, "through");
  const std::string port = ":" + std::to_string(server.port());
  const std::string log = proxy.log();
  EXPECT_EQ(log.find(port) != std::string::npos, c.viaProxy) << log;
  if (c.viaProxy && c.secureTarget) {
    EXPECT_NE(log.find("CONNECT"), std::string::npos) << log;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Proxies, TinyProxyTest,
    testing::Values(ProxyCase{"HttpUrlThroughHttpEntry", false, u"http=", true},
                    ProxyCase{"HttpsUrlSkipsHttpEntry", true, u"http=", false},
                    ProxyCase{"HttpsUrlThroughConnect", true, u"", true},
                    ProxyCase{"HttpUrlThroughPlainEntry", false, u"", true}),
    [](const testing::TestParamInfo<ProxyCase>& info) { return std::string(info.param.name); });

struct ProxyAuthCase {
  const char* name;
  bool secureTarget;
  std::u16string user, password;
  int status;
};

class ProxyAuthTest : public testing::TestWithParam<ProxyAuthCase> {};

TEST_P(ProxyAuthTest, BasicCredentialsAtTheProxy) {
  const ProxyAuthCase& c = GetParam();
  TinyProxy proxy({.user = "proxyuser", .password = "secret"});
  ASSERT_TRUE(proxy.running()) << proxy.failure();
  HttpTestServer server = c.secureTarget ? HttpTestServer(makeCertificate(CertificateKind::SelfSigned))
                                         : HttpTestServer();
  server.on("GET", "/", TestResponse{200, {}, "authorised"});
  ExchangePlan plan;
  plan.url = server.url("/");
  plan.proxy = widen(proxy.address());
  plan.proxyUser = c.user;
  plan.proxyPassword = c.password;
  ExchangeResult r = exchange(plan);
  ASSERT_EQ(r.failedStep, Step::None) << stepName(r.failedStep) << " " << r.error;
  EXPECT_EQ(r.status, c.status) << r.rawHeaders;
  EXPECT_EQ(server.requestCount(), c.status == 200 ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Auth, ProxyAuthTest,
    testing::Values(ProxyAuthCase{"HttpAccepted", false, u"proxyuser", u"secret", 200},
                    ProxyAuthCase{"HttpsAccepted", true, u"proxyuser", u"secret", 200},
                    ProxyAuthCase{"HttpWithoutCredentials", false, u"", u"", 407},
                    ProxyAuthCase{"HttpsWithoutCredentials", true, u"", u"", 407},
                    // tinyproxy refuses a tunnel with wrong credentials with 401.
                    ProxyAuthCase{"HttpsWrongPassword", true, u"proxyuser", u"wrong", 401}),
    [](const testing::TestParamInfo<ProxyAuthCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace winhttp_test
