// Each function's documented results: URL cracking, handles and their
// kinds, options, credentials, header lines, header queries, the order of
// calls, and the test seam.
#include <gtest/gtest.h>

#include <functional>

#include "platform/winhttp/test_seam.h"
#include "tests/platform/winhttp/exchange.h"
#include "tests/support/test_servers.h"

namespace winhttp_test {
namespace {

using namespace kestrune_test;

// ---- WinHttpCrackUrl ----

struct CrackCase {
  std::u16string url;
  DWORD error;  // ERROR_SUCCESS when it splits
  INTERNET_SCHEME scheme;
  std::u16string host;
  INTERNET_PORT port;
  std::u16string path, extra;
};

class CrackUrlTest : public testing::TestWithParam<CrackCase> {};

TEST_P(CrackUrlTest, SplitsIntoPointersIntoTheUrl) {
  const CrackCase& c = GetParam();
  URL_COMPONENTS parts{};
  parts.dwStructSize = URL_COMPONENTS_SIZE_32BIT;
  parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength =
      parts.dwUserNameLength = parts.dwPasswordLength = static_cast<DWORD>(-1);
  SetLastError(0);
  BOOL ok = WinHttpCrackUrl(c.url.c_str(), 0, 0, &parts);
  EXPECT_EQ(GetLastError(), c.error);
  ASSERT_EQ(ok, c.error == ERROR_SUCCESS ? TRUE : FALSE);
  if (!ok) return;
  auto part = [](LPWSTR p, DWORD n) { return p == nullptr ? std::u16string() : std::u16string(p, n); };
  EXPECT_EQ(parts.nScheme, c.scheme);
  EXPECT_EQ(part(parts.lpszHostName, parts.dwHostNameLength), c.host);
  EXPECT_EQ(parts.nPort, c.port);
  EXPECT_EQ(part(parts.lpszUrlPath, parts.dwUrlPathLength), c.path);
  EXPECT_EQ(part(parts.lpszExtraInfo, parts.dwExtraInfoLength), c.extra);
  if (c.url.find(u'@') != std::u16string::npos) {
    EXPECT_EQ(part(parts.lpszUserName, parts.dwUserNameLength), u"u");
    EXPECT_EQ(part(parts.lpszPassword, parts.dwPasswordLength), u"p");
  } else {
    EXPECT_EQ(parts.lpszUserName, nullptr);
    EXPECT_EQ(parts.dwUserNameLength, 0u);
  }
  // Pointers point into the caller's URL.
  EXPECT_GE(parts.lpszHostName, c.url.c_str());
  EXPECT_LE(parts.lpszHostName, c.url.c_str() + c.url.size());
}

constexpr DWORD ok = ERROR_SUCCESS;
constexpr INTERNET_SCHEME http = INTERNET_SCHEME_HTTP, https = INTERNET_SCHEME_HTTPS;

INSTANTIATE_TEST_SUITE_P(
    Urls, CrackUrlTest,
    testing::Values(
        CrackCase{u"http://example.com/a/b.html?x=1#f", ok, http, u"example.com", 80, u"/a/b.html", u"?x=1#f"},
        CrackCase{u"HTTPS://Example.COM:8443", ok, https, u"Example.COM", 8443, u"", u""},
        CrackCase{u"https://h/", ok, https, u"h", 443, u"/", u""},
        CrackCase{u"http://h?q=1", ok, http, u"h", 80, u"", u"?q=1"},
        CrackCase{u"http://h#frag", ok, http, u"h", 80, u"", u"#frag"},
        CrackCase{u"http://u:p@h:81/x", ok, http, u"h", 81, u"/x", u""},
        CrackCase{u"http://[::1]:8080/v6", ok, http, u"[::1]", 8080, u"/v6", u""},
        CrackCase{u"http://h:/x", ok, http, u"h", 80, u"/x", u""},
        CrackCase{u"http://中文.example/路径", ok, http, u"中文.example", 80, u"/路径", u""},
        CrackCase{u"ftp://h/", ERROR_WINHTTP_UNRECOGNIZED_SCHEME, 0, u"", 0, u"", u""},
        CrackCase{u"example.com/path", ERROR_WINHTTP_UNRECOGNIZED_SCHEME, 0, u"", 0, u"", u""},
        CrackCase{u"", ERROR_WINHTTP_UNRECOGNIZED_SCHEME, 0, u"", 0, u"", u""},
        CrackCase{u"http:/h/", ERROR_WINHTTP_INVALID_URL, 0, u"", 0, u"", u""},
        CrackCase{u"http:///path", ERROR_WINHTTP_INVALID_URL, 0, u"", 0, u"", u""},
        CrackCase{u"http://h:99999/", ERROR_WINHTTP_INVALID_URL, 0, u"", 0, u"", u""},
        CrackCase{u"http://h:8a/", ERROR_WINHTTP_INVALID_URL, 0, u"", 0, u"", u""},
        CrackCase{u"http://bad host/", ERROR_WINHTTP_INVALID_URL, 0, u"", 0, u"", u""},
        CrackCase{u"http://[::1/", ERROR_WINHTTP_INVALID_URL, 0, u"", 0, u"", u""}));

TEST(CrackUrlTest, CopiesIntoBuffersAndReportsTheSizeNeeded) {
  const std::u16string url = u"http://host:8080/p%41th?q";
  char16_t host[5], path[64], extra[64];
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.lpszHostName = host;
  parts.dwHostNameLength = 4;  // "host" needs 5 with its terminator
  parts.lpszUrlPath = path;
  parts.dwUrlPathLength = 64;
  EXPECT_FALSE(WinHttpCrackUrl(url.c_str(), 0, 0, &parts));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(parts.dwHostNameLength, 5u);

  parts.dwHostNameLength = 5;
  parts.dwUrlPathLength = 64;
  parts.lpszExtraInfo = extra;
  parts.dwExtraInfoLength = 64;
  ASSERT_TRUE(WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), ICU_DECODE, &parts));
  EXPECT_EQ(std::u16string(host), u"host");
  EXPECT_EQ(parts.dwHostNameLength, 4u);
  EXPECT_EQ(std::u16string(path), u"/pAth");
  EXPECT_EQ(std::u16string(extra), u"?q");
  EXPECT_EQ(parts.nPort, 8080);
}

TEST(CrackUrlTest, RefusesBadArguments) {
  const std::u16string url = u"http://u:p@h/";
  URL_COMPONENTS parts{};
  parts.dwStructSize = 12;
  EXPECT_FALSE(WinHttpCrackUrl(url.c_str(), 0, 0, &parts));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  parts.dwStructSize = sizeof parts;
  EXPECT_FALSE(WinHttpCrackUrl(nullptr, 0, 0, &parts));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(WinHttpCrackUrl(url.c_str(), 0, ICU_REJECT_USERPWD, &parts));
  EXPECT_EQ(GetLastError(), ERROR_WINHTTP_INVALID_URL);
  parts.dwHostNameLength = static_cast<DWORD>(-1);  // a pointer cannot be decoded
  EXPECT_FALSE(WinHttpCrackUrl(url.c_str(), 0, ICU_DECODE, &parts));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// ---- Handles, options, credentials ----

struct Opened {
  Handles h;
  explicit Opened(INTERNET_PORT port = 80, const char16_t* proxy = nullptr) {
    h.session = WinHttpOpen(nullptr, proxy ? WINHTTP_ACCESS_TYPE_NAMED_PROXY : WINHTTP_ACCESS_TYPE_NO_PROXY,
                            proxy, nullptr, 0);
    h.connection = WinHttpConnect(h.session, u"127.0.0.1", port, 0);
    h.request = WinHttpOpenRequest(h.connection, u"GET", u"/", nullptr, nullptr, nullptr, 0);
  }
};

TEST(HandleTest, ClosedAndWrongKindsOfHandles) {
  EXPECT_TRUE(WinHttpCheckPlatform());
  Opened o;
  ASSERT_NE(o.h.request, nullptr);
  DWORD value = 0;
  struct Use {
    const char* name;
    std::function<BOOL()> call;
    DWORD error;
  };
  HINTERNET bogus = reinterpret_cast<HINTERNET>(uintptr_t{12345});
  const std::vector<Use> uses = {
      {"connect on a request", [&] { return WinHttpConnect(o.h.request, u"h", 80, 0) != nullptr; },
       ERROR_WINHTTP_INCORRECT_HANDLE_TYPE},
      {"open request on a session",
       [&] { return WinHttpOpenRequest(o.h.session, nullptr, nullptr, nullptr, nullptr, nullptr, 0) != nullptr; },
       ERROR_WINHTTP_INCORRECT_HANDLE_TYPE},
      {"timeouts on a connection", [&] { return WinHttpSetTimeouts(o.h.connection, 1, 1, 1, 1); },
       ERROR_WINHTTP_INCORRECT_HANDLE_TYPE},
      {"send on a session", [&] { return WinHttpSendRequest(o.h.session, nullptr, 0, nullptr, 0, 0, 0); },
       ERROR_WINHTTP_INCORRECT_HANDLE_TYPE},
      {"security flags on a session",
       [&] { return WinHttpSetOption(o.h.session, WINHTTP_OPTION_SECURITY_FLAGS, &value, 4); },
       ERROR_WINHTTP_INCORRECT_HANDLE_TYPE},
      {"unknown handle", [&] { return WinHttpReceiveResponse(bogus, nullptr); }, ERROR_INVALID_HANDLE},
      {"null handle", [&] { return WinHttpCloseHandle(nullptr); }, ERROR_INVALID_HANDLE},
      {"receive before send", [&] { return WinHttpReceiveResponse(o.h.request, nullptr); },
       ERROR_WINHTTP_INCORRECT_HANDLE_STATE},
      {"write before send", [&] { return WinHttpWriteData(o.h.request, "x", 1, &value); },
       ERROR_WINHTTP_INCORRECT_HANDLE_STATE},
      {"read before send", [&] { return WinHttpQueryDataAvailable(o.h.request, &value); },
       ERROR_WINHTTP_INCORRECT_HANDLE_STATE},
      {"headers before send",
       [&] { return WinHttpQueryHeaders(o.h.request, WINHTTP_QUERY_RAW_HEADERS_CRLF, nullptr, nullptr, &value, nullptr); },
       ERROR_WINHTTP_INCORRECT_HANDLE_STATE},
      {"timeouts below -1", [&] { return WinHttpSetTimeouts(o.h.session, -2, 0, 0, 0); }, ERROR_INVALID_PARAMETER},
      {"asynchronous session",
       [&] { return WinHttpOpen(nullptr, 1, nullptr, nullptr, 0x10000000) != nullptr; }, ERROR_INVALID_PARAMETER},
      {"named proxy without a proxy", [&] { return WinHttpOpen(nullptr, 3, u"", nullptr, 0) != nullptr; },
       ERROR_INVALID_PARAMETER},
      {"proxy with a bad port", [&] { return WinHttpOpen(nullptr, 3, u"h:port", nullptr, 0) != nullptr; },
       ERROR_INVALID_PARAMETER},
      {"automatic proxy", [&] { return WinHttpOpen(nullptr, 4, nullptr, nullptr, 0) != nullptr; },
       ERROR_INVALID_PARAMETER},
      {"verb with a blank",
       [&] { return WinHttpOpenRequest(o.h.connection, u"GET /x", nullptr, nullptr, nullptr, nullptr, 0) != nullptr; },
       ERROR_INVALID_PARAMETER},
  };
  for (const Use& use : uses) {
    SetLastError(0);
    EXPECT_FALSE(use.call()) << use.name;
    EXPECT_EQ(GetLastError(), use.error) << use.name;
  }
  // A closed handle is gone; its children stay usable.
  HINTERNET session = std::exchange(o.h.session, nullptr);
  EXPECT_TRUE(WinHttpCloseHandle(session));
  EXPECT_FALSE(WinHttpCloseHandle(session));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_TRUE(WinHttpSetTimeouts(o.h.request, 100, 100, 100, 100));
}

struct OptionCase {
  const char* name;
  DWORD option;
  DWORD value;
  DWORD length;
  DWORD error;
};

class SetOptionTest : public testing::TestWithParam<OptionCase> {};

TEST_P(SetOptionTest, AcceptsWhatTheRequestUses) {
  const OptionCase& c = GetParam();
  Opened o;
  DWORD value = c.value;
  SetLastError(0);
  EXPECT_EQ(WinHttpSetOption(o.h.request, c.option, &value, c.length), c.error == ERROR_SUCCESS ? TRUE : FALSE);
  EXPECT_EQ(GetLastError(), c.error);
}

INSTANTIATE_TEST_SUITE_P(
    Options, SetOptionTest,
    testing::Values(OptionCase{"SecurityFlags", 31, 0x3300, 4, ok},
                    OptionCase{"SecurityFlagsUnknownBit", 31, 0x3301, 4, ERROR_INVALID_PARAMETER},
                    OptionCase{"SecurityFlagsShortBuffer", 31, 0x3300, 2, ERROR_INSUFFICIENT_BUFFER},
                    OptionCase{"DisableCookies", 63, 1, 4, ok}, OptionCase{"DisableRedirects", 63, 2, 4, ok},
                    OptionCase{"DisableUnknown", 63, 0x100, 4, ERROR_INVALID_PARAMETER},
                    OptionCase{"EnableRevocation", 79, 1, 4, ok},
                    OptionCase{"EnableUnknown", 79, 0x40, 4, ERROR_INVALID_PARAMETER},
                    OptionCase{"RedirectPolicyNever", 88, 0, 4, ok},
                    OptionCase{"UnknownOption", 1000, 1, 4, ERROR_WINHTTP_INVALID_OPTION}),
    [](const testing::TestParamInfo<OptionCase>& info) { return std::string(info.param.name); });

TEST(SetOptionTest, OptionsAreFixedOnceSent) {
  ScriptedServer server(scripts::respond("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"));
  Opened o(static_cast<INTERNET_PORT>(server.port()));
  ASSERT_TRUE(WinHttpSendRequest(o.h.request, nullptr, 0, nullptr, 0, 0, 0));
  DWORD flags = 0x3300;
  EXPECT_FALSE(WinHttpSetOption(o.h.request, WINHTTP_OPTION_SECURITY_FLAGS, &flags, 4));
  EXPECT_EQ(GetLastError(), ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
  EXPECT_FALSE(WinHttpSendRequest(o.h.request, nullptr, 0, nullptr, 0, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
}

TEST(SetCredentialsTest, BasicOnlyOnARequest) {
  Opened o;
  struct Case {
    HINTERNET handle;
    DWORD target, scheme;
    const char16_t* user;
    DWORD error;
  } cases[] = {
      {o.h.request, WINHTTP_AUTH_TARGET_SERVER, WINHTTP_AUTH_SCHEME_BASIC, u"u", ok},
      {o.h.request, WINHTTP_AUTH_TARGET_PROXY, WINHTTP_AUTH_SCHEME_BASIC, u"u", ok},
      {o.h.request, WINHTTP_AUTH_TARGET_SERVER, WINHTTP_AUTH_SCHEME_NTLM, u"u", ERROR_INVALID_PARAMETER},
      {o.h.request, 7, WINHTTP_AUTH_SCHEME_BASIC, u"u", ERROR_INVALID_PARAMETER},
      {o.h.request, WINHTTP_AUTH_TARGET_SERVER, WINHTTP_AUTH_SCHEME_BASIC, nullptr, ERROR_INVALID_PARAMETER},
      {o.h.session, WINHTTP_AUTH_TARGET_SERVER, WINHTTP_AUTH_SCHEME_BASIC, u"u", ERROR_WINHTTP_INCORRECT_HANDLE_TYPE},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_EQ(WinHttpSetCredentials(c.handle, c.target, c.scheme, c.user, u"p", nullptr), c.error == ok);
    EXPECT_EQ(GetLastError(), c.error);
  }
}

// ---- WinHttpAddRequestHeaders ----

struct HeaderCase {
  const char* name;
  std::vector<std::pair<std::u16string, DWORD>> calls;  // block and modifiers
  DWORD lastError;
  std::vector<std::string> wire;  // the caller's lines on the wire
};

class AddHeadersTest : public testing::TestWithParam<HeaderCase> {};

TEST_P(AddHeadersTest, RefusesWhatWinHttpRefusesAndCombinesByModifier) {
  const HeaderCase& c = GetParam();
  ScriptedServer server(scripts::respond("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"));
  Opened o(static_cast<INTERNET_PORT>(server.port()));
  DWORD error = ok;
  for (const auto& [block, modifiers] : c.calls) {
    SetLastError(0);
    BOOL added = WinHttpAddRequestHeaders(o.h.request, block.data(), static_cast<DWORD>(block.size()), modifiers);
    error = GetLastError();
    EXPECT_EQ(added, error == ok ? TRUE : FALSE);
  }
  EXPECT_EQ(error, c.lastError);
  ASSERT_TRUE(WinHttpSendRequest(o.h.request, nullptr, 0, nullptr, 0, 0, 0));
  ASSERT_TRUE(WinHttpReceiveResponse(o.h.request, nullptr));
  ASSERT_EQ(server.requests().size(), 1u);
  std::vector<std::string> wire;
  const RecordedRequest got = server.requests()[0];
  for (const auto& [name, value] : got.headers)
    if (name != "Host") wire.push_back(name + ": " + value);
  EXPECT_EQ(wire, c.wire);
}

constexpr DWORD add = WINHTTP_ADDREQ_FLAG_ADD;
constexpr DWORD replace = WINHTTP_ADDREQ_FLAG_REPLACE;

INSTANTIATE_TEST_SUITE_P(
    Blocks, AddHeadersTest,
    testing::Values(
        HeaderCase{"EmptyLinesSkipped", {{u"\r\nA: 1\r\n\r\n\r\nB:2\r\n", add}}, ok, {"A: 1", "B: 2"}},
        HeaderCase{"EmptyBlock", {{u"", add}}, ok, {}},
        HeaderCase{"NoColon", {{u"A: 1\r\nnot a header", add}}, ERROR_WINHTTP_INVALID_HEADER, {}},
        HeaderCase{"BlankInName", {{u"X Y: 1", add}}, ERROR_WINHTTP_INVALID_HEADER, {}},
        HeaderCase{"BlankBeforeColon", {{u"X-Y : 1", add}}, ERROR_WINHTTP_INVALID_HEADER, {}},
        HeaderCase{"ControlInName", {{u"X\x01Y: 1", add}}, ERROR_WINHTTP_INVALID_HEADER, {}},
        HeaderCase{"EmptyName", {{u": 1", add}}, ERROR_WINHTTP_INVALID_HEADER, {}},
        HeaderCase{"LoneLfInValue", {{u"A: 1\nInjected: yes", add}}, ERROR_WINHTTP_INVALID_HEADER, {}},
        HeaderCase{"LoneCrInValue", {{u"A: 1\rInjected: yes", add}}, ERROR_WINHTTP_INVALID_HEADER, {}},
        HeaderCase{"NulInValue", {{std::u16string(u"A: 1\0B", 6), add}}, ERROR_WINHTTP_INVALID_HEADER, {}},
        HeaderCase{"AllOrNothing", {{u"Good: 1\r\nBad", add}}, ERROR_WINHTTP_INVALID_HEADER, {}},
        HeaderCase{"AddKeepsDuplicates", {{u"A: 1", add}, {u"A: 2", add}}, ok, {"A: 1", "A: 2"}},
        HeaderCase{"AddIfNewRefusesDuplicate", {{u"A: 1", add}, {u"a: 2", WINHTTP_ADDREQ_FLAG_ADD_IF_NEW}},
                   ERROR_WINHTTP_HEADER_ALREADY_EXISTS, {"A: 1"}},
        HeaderCase{"ReplaceValue", {{u"A: 1", add}, {u"A: 2", replace}}, ok, {"A: 2"}},
        HeaderCase{"ReplaceWithEmptyRemoves", {{u"A: 1\r\nB: 2", add}, {u"A:", replace}}, ok, {"B: 2"}},
        HeaderCase{"ReplaceMissing", {{u"A: 1", replace}}, ERROR_WINHTTP_HEADER_NOT_FOUND, {}},
        HeaderCase{"ReplaceOrAdd", {{u"A: 1", replace | add}}, ok, {"A: 1"}},
        HeaderCase{"CoalesceComma", {{u"A: 1", add}, {u"A: 2", WINHTTP_ADDREQ_FLAG_COALESCE_WITH_COMMA}}, ok,
                   {"A: 1, 2"}},
        HeaderCase{"CoalesceSemicolon",
                   {{u"Cookie: a=1", add}, {u"Cookie: b=2", WINHTTP_ADDREQ_FLAG_COALESCE_WITH_SEMICOLON}}, ok,
                   {"Cookie: a=1; b=2"}},
        HeaderCase{"GbkValueRoundTrips", {{u"X-Name: 中文", add}}, ok, {"X-Name: \xD6\xD0\xCE\xC4"}}),
    [](const testing::TestParamInfo<HeaderCase>& info) { return std::string(info.param.name); });

// ---- WinHttpQueryHeaders ----

TEST(QueryHeadersTest, TwoCallSizePatternAndNamedQueries) {
  ScriptedServer server(scripts::respond(
      "HTTP/1.1 404 Not Found\nSet-Cookie: a=1\r\nSet-Cookie: b=2\r\nX-Gbk: \xD6\xD0\r\nContent-Length: 0\r\n\r\n"));
  Opened o(static_cast<INTERNET_PORT>(server.port()));
  ASSERT_TRUE(WinHttpSendRequest(o.h.request, nullptr, 0, nullptr, 0, 0, 0));
  ASSERT_TRUE(WinHttpReceiveResponse(o.h.request, nullptr));
  const std::u16string expected =
      u"HTTP/1.1 404 Not Found\r\nSet-Cookie: a=1\r\nSet-Cookie: b=2\r\nX-Gbk: 中\r\nContent-Length: 0\r\n\r\n";

  DWORD size = 0;
  EXPECT_FALSE(WinHttpQueryHeaders(o.h.request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                                   WINHTTP_NO_OUTPUT_BUFFER, &size, WINHTTP_NO_HEADER_INDEX));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(size, (expected.size() + 1) * 2);
  std::u16string text(size / 2, u'\0');
  DWORD small = size - 2;
  EXPECT_FALSE(WinHttpQueryHeaders(o.h.request, WINHTTP_QUERY_RAW_HEADERS_CRLF, nullptr, text.data(), &small, nullptr));
  EXPECT_EQ(small, size);
  ASSERT_TRUE(WinHttpQueryHeaders(o.h.request, WINHTTP_QUERY_RAW_HEADERS_CRLF, nullptr, text.data(), &size, nullptr));
  EXPECT_EQ(size, expected.size() * 2);
  EXPECT_EQ(text, expected + u'\0');

  DWORD status = 0, length = sizeof status;
  ASSERT_TRUE(WinHttpQueryHeaders(o.h.request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, nullptr, &status,
                                  &length, nullptr));
  EXPECT_EQ(status, 404u);
  auto query = [&](DWORD level, const char16_t* name, DWORD* index) {
    char16_t buffer[512] = {};
    DWORD bytes = sizeof buffer;
    if (!WinHttpQueryHeaders(o.h.request, level, name, buffer, &bytes, index)) return std::u16string(u"<fails>");
    return std::u16string(buffer, bytes / 2);
  };
  EXPECT_EQ(query(WINHTTP_QUERY_STATUS_TEXT, nullptr, nullptr), u"Not Found");
  DWORD index = 0;
  EXPECT_EQ(query(WINHTTP_QUERY_SET_COOKIE, nullptr, &index), u"a=1");
  EXPECT_EQ(query(WINHTTP_QUERY_CUSTOM, u"set-cookie", &index), u"b=2");
  EXPECT_EQ(index, 2u);
  EXPECT_EQ(query(WINHTTP_QUERY_SET_COOKIE, nullptr, &index), u"<fails>");
  EXPECT_EQ(GetLastError(), ERROR_WINHTTP_HEADER_NOT_FOUND);
  EXPECT_EQ(query(WINHTTP_QUERY_LOCATION, nullptr, nullptr), u"<fails>");
  EXPECT_EQ(GetLastError(), ERROR_WINHTTP_HEADER_NOT_FOUND);
  EXPECT_EQ(query(WINHTTP_QUERY_RAW_HEADERS, nullptr, nullptr).substr(0, 23), std::u16string(u"HTTP/1.1 404 Not Found\0", 23));
}

TEST(SessionTest, AgentIsSentUnlessTheCallerGivesOne) {
  ScriptedServer server(scripts::respond("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"));
  for (const char16_t* callerAgent : {u"", u"User-Agent: mine"}) {
    Handles h;
    h.session = WinHttpOpen(u"Agent/1.0", WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0);
    h.connection = WinHttpConnect(h.session, u"127.0.0.1", static_cast<INTERNET_PORT>(server.port()), 0);
    h.request = WinHttpOpenRequest(h.connection, nullptr, nullptr, nullptr, u"http://ref/", nullptr, 0);
    ASSERT_TRUE(WinHttpAddRequestHeaders(h.request, callerAgent, static_cast<DWORD>(-1), add));
    ASSERT_TRUE(WinHttpSendRequest(h.request, nullptr, 0, nullptr, 0, 0, 0));
    ASSERT_TRUE(WinHttpReceiveResponse(h.request, nullptr));
  }
  ASSERT_TRUE(server.waitForRequests(2, std::chrono::seconds(5)));
  EXPECT_EQ(server.requests()[0].header("User-Agent"), "Agent/1.0");
  EXPECT_EQ(server.requests()[0].header("Referer"), "http://ref/");
  EXPECT_EQ(server.requests()[1].header("User-Agent"), "mine");
}

TEST(ReadTest, ZeroBytesAtTheEndAndAfter) {
  ScriptedServer server(scripts::respond(std::string("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\na\0b", 41)));
  Opened o(static_cast<INTERNET_PORT>(server.port()));
  ASSERT_TRUE(WinHttpSendRequest(o.h.request, nullptr, 0, nullptr, 0, 0, 0));
  ASSERT_TRUE(WinHttpReceiveResponse(o.h.request, nullptr));
  char buffer[8];
  DWORD read = 0, available = 0;
  ASSERT_TRUE(WinHttpReadData(o.h.request, buffer, 2, &read));
  EXPECT_EQ(std::string(buffer, read), std::string("a\0", 2));
  ASSERT_TRUE(WinHttpQueryDataAvailable(o.h.request, &available));
  EXPECT_EQ(available, 1u);
  ASSERT_TRUE(WinHttpReadData(o.h.request, buffer, 8, &read));
  EXPECT_EQ(std::string(buffer, read), "b");
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(WinHttpQueryDataAvailable(o.h.request, &available));
    EXPECT_EQ(available, 0u);
    ASSERT_TRUE(WinHttpReadData(o.h.request, buffer, 8, &read));
    EXPECT_EQ(read, 0u);
  }
}

TEST(ReadTest, BrokenBodyFailsOneReadAndEveryCallAfter) {
  ScriptedServer server(scripts::closeMidBody("abc", 10));
  Opened o(static_cast<INTERNET_PORT>(server.port()));
  ASSERT_TRUE(WinHttpSendRequest(o.h.request, nullptr, 0, nullptr, 0, 0, 0));
  ASSERT_TRUE(WinHttpReceiveResponse(o.h.request, nullptr));
  char buffer[16];
  DWORD read = 0, available = 0;
  std::string body;
  while (WinHttpQueryDataAvailable(o.h.request, &available) && available > 0 &&
         WinHttpReadData(o.h.request, buffer, sizeof buffer, &read))
    body.append(buffer, read);
  EXPECT_EQ(GetLastError(), ERROR_WINHTTP_CONNECTION_ERROR);
  EXPECT_EQ(body, "abc");
  EXPECT_FALSE(WinHttpQueryDataAvailable(o.h.request, &available));
  EXPECT_FALSE(WinHttpReadData(o.h.request, buffer, sizeof buffer, &read));
  // The headers stay readable.
  DWORD size = 0;
  WinHttpQueryHeaders(o.h.request, WINHTTP_QUERY_RAW_HEADERS_CRLF, nullptr, nullptr, &size, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

// ---- The test seam ----

TEST(TestSeamTest, FailsTheChosenCallOnly) {
  using winhttp_test_seam::Call;
  ScriptedServer server(scripts::respond("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"));
  const std::pair<Call, Step> calls[] = {
      {Call::CrackUrl, Step::Crack},       {Call::Open, Step::Open},
      {Call::SetTimeouts, Step::Open},     {Call::Connect, Step::Connect},
      {Call::OpenRequest, Step::OpenRequest}, {Call::SetCredentials, Step::Options},
      {Call::SetOption, Step::Options},    {Call::AddRequestHeaders, Step::Headers},
      {Call::SendRequest, Step::Send},     {Call::WriteData, Step::Write},
      {Call::ReceiveResponse, Step::Receive}, {Call::QueryDataAvailable, Step::Read},
      {Call::ReadData, Step::Read},        {Call::QueryHeaders, Step::QueryHeaders},
  };
  for (const auto& [call, step] : calls) {
    ExchangePlan plan;
    plan.url = server.url("/");
    plan.body = "x";
    plan.serverUser = plan.serverPassword = u"u";
    // QueryHeaders is called twice (size, then text): fail the second.
    winhttp_test_seam::FailCall fail(call, call == Call::QueryHeaders ? 2 : 1, 4242);
    ExchangeResult r = exchange(plan);
    EXPECT_EQ(stepName(r.failedStep), std::string(stepName(step))) << static_cast<int>(call);
    EXPECT_EQ(r.error, 4242u);
    EXPECT_TRUE(fail.fired());
  }
  {
    winhttp_test_seam::FailCall fail(Call::CheckPlatform);
    EXPECT_FALSE(WinHttpCheckPlatform());
    EXPECT_TRUE(WinHttpCheckPlatform());
  }
  {
    // The second option set fails; the first and third pass.
    winhttp_test_seam::FailCall fail(Call::SetOption, 2);
    Opened o;
    DWORD one = 1;
    EXPECT_TRUE(WinHttpSetOption(o.h.request, WINHTTP_OPTION_DISABLE_FEATURE, &one, 4));
    EXPECT_FALSE(WinHttpSetOption(o.h.request, WINHTTP_OPTION_DISABLE_FEATURE, &one, 4));
    EXPECT_EQ(GetLastError(), ERROR_WINHTTP_INTERNAL_ERROR);
    EXPECT_TRUE(WinHttpSetOption(o.h.request, WINHTTP_OPTION_DISABLE_FEATURE, &one, 4));
  }
  EXPECT_TRUE(WinHttpCheckPlatform());  // disarmed with its scope
}

}  // namespace
}  // namespace winhttp_test
