#include "net/http_request.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>

#include "net/charset_correction.h"
#include "net/request_headers.h"
#include "net/response_headers.h"
#include "net/wide_text.h"
#include "platform/com/class_registry.h"
#include "platform/system/pending_messages.h"
#include "platform/text/gbk.h"
#include "platform/winhttp/winhttp.h"
#include "script/com_object.h"
#include "script/regex_matcher.h"

namespace {

constexpr DWORD kIgnoreCertificateErrors = 0x3300;
constexpr int32_t kDefaultTimeoutMs = 30000;

// UTF-16 units of a toWideText array (its terminator included), or empty.
WideString unitsOf(const ByteArray& wide) {
  WideString units(wide.size() / 2, WIDE('\0'));
  for (size_t i = 0; i < units.size(); ++i)
    units[i] = static_cast<WideChar>(wide[2 * i] | (wide[2 * i + 1] << 8));
  return units;
}

// Local text as a zero-terminated UTF-16 string for WinHTTP; null for empty text.
class WideArgument {
 public:
  explicit WideArgument(const Text& text) : units_(unitsOf(toWideText(text))) {}
  LPCWSTR get() const { return units_.empty() ? nullptr : units_.c_str(); }
  // Characters without the terminator.
  DWORD length() const { return units_.empty() ? 0 : static_cast<DWORD>(units_.size() - 1); }

 private:
  WideString units_;
};

// Local text from UTF-16 characters (no terminator needed).
Text localFrom(const WideChar* units, size_t count) {
  ByteArray bytes(count * 2);
  for (size_t i = 0; i < count; ++i) {
    bytes[2 * i] = static_cast<unsigned char>(units[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<unsigned char>(units[i] >> 8);
  }
  return fromWideText(bytes);
}

struct CrackedUrl {
  Text host;
  WideString objectName;
  INTERNET_PORT port = 0;
  bool secure = false;
};

bool crackUrl(const Text& url, CrackedUrl& out) {
  const WideArgument wide(url);
  URL_COMPONENTS parts;
  std::memset(&parts, 0, sizeof parts);
  parts.dwStructSize = URL_COMPONENTS_SIZE_32BIT;
  parts.dwSchemeLength = static_cast<DWORD>(-1);
  parts.dwHostNameLength = static_cast<DWORD>(-1);
  parts.dwUrlPathLength = static_cast<DWORD>(-1);
  parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(wide.get(), 0, 0, &parts)) return false;
  out.host = parts.lpszHostName ? localFrom(parts.lpszHostName, parts.dwHostNameLength) : Text();
  if (parts.dwUrlPathLength < 1 || !parts.lpszUrlPath) {
    out.objectName = WIDE("/");
  } else {
    out.objectName.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    if (parts.lpszExtraInfo) out.objectName.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  }
  out.port = parts.nPort;
  out.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
  return true;
}

// The handles of one exchange, closed request first.
struct Exchange {
  HINTERNET session = nullptr;
  HINTERNET connection = nullptr;
  HINTERNET request = nullptr;

  void close() {
    for (HINTERNET* h : {&request, &connection, &session}) {
      if (*h) WinHttpCloseHandle(*h);
      *h = nullptr;
    }
  }
  ~Exchange() { close(); }
};

bool setDwordOption(HINTERNET handle, DWORD option, DWORD value) {
  return WinHttpSetOption(handle, option, &value, sizeof value) != FALSE;
}

// Room for `more` bytes at the end of `body`. The capacity grows eightfold,
// so that a long body is moved only a few times while it arrives (capacity
// that is never filled takes no memory), or just as far as needed when that
// much cannot be had. False when not even that fits in memory.
bool makeRoom(ByteArray& body, size_t more) {
  const size_t needed = body.size() + more;
  if (needed <= body.capacity()) return true;
  const size_t grown = body.capacity() < body.max_size() / 8 ? body.capacity() * 8 : needed;
  for (const size_t capacity : {std::max(needed, grown), needed}) {
    try {
      ByteArray larger;
      larger.reserve(capacity);
      larger.insert(larger.end(), body.begin(), body.end());
      body.swap(larger);
      return true;
    } catch (const std::exception&) {  // bad_alloc, or length_error past max_size()
    }
  }
  return false;
}

// The most an announced length reserves at once: a server may announce what
// it never sends, and a longer body grows as it arrives.
constexpr size_t kLargestReservation = 512u << 20;

// The length the response announces (Content-Length), or 0 when it gives none.
size_t announcedLength(HINTERNET request) {
  DWORD length = 0, size = sizeof length;
  return WinHttpQueryHeaders(request, WINHTTP_QUERY_CONTENT_LENGTH | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &length, &size, WINHTTP_NO_HEADER_INDEX)
             ? length
             : 0;
}

// The bytes WinHTTP hands over, appended to `body`; false when a read failed.
// Each read goes straight into the spare room at the end of `body`, at least
// the amount available, so no byte is copied on the way; an announced length
// is reserved at once, up to kLargestReservation. A body that
// no longer fits in memory counts as a failed read: the bytes so far are kept.
bool readBody(HINTERNET request, ByteArray& body) {
  if (const size_t announced = announcedLength(request)) {
    try {
      body.reserve(std::min(announced, kLargestReservation));
    } catch (const std::exception&) {  // grown as it arrives instead
    }
  }
  for (;;) {
    DWORD available = 0;
    if (!WinHttpQueryDataAvailable(request, &available) || available < 1) return true;
    if (!makeRoom(body, available)) return false;
    const size_t at = body.size();
    const size_t room = std::min<size_t>(body.capacity() - at, std::numeric_limits<DWORD>::max());
    body.resize(at + room);  // not zeroed: the read writes it
    DWORD read = 0;
    const bool ok = WinHttpReadData(request, body.data() + at, static_cast<DWORD>(room), &read);
    body.resize(at + (ok ? std::min<size_t>(read, room) : 0));
    if (!ok) return false;
  }
}

// The body up to its first zero byte, as local text.
Text textBeforeZero(const ByteArray& body) {
  if (body.empty()) return {};
  const void* zero = std::memchr(body.data(), 0, body.size());
  const size_t length = zero ? static_cast<size_t>(static_cast<const unsigned char*>(zero) - body.data()) : body.size();
  return Text(reinterpret_cast<const char*>(body.data()), length);
}

// The raw header block of the final response as local text; false when the
// query fails.
bool queryRawHeaders(HINTERNET request, Text& headers) {
  DWORD size = 0;
  DWORD index = 0;
  WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                      WINHTTP_NO_OUTPUT_BUFFER, &size, &index);
  ByteArray buffer(size, 0);
  index = 0;
  if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                           buffer.empty() ? nullptr : buffer.data(), &size, &index))
    return false;
  headers = fromWideText(buffer);
  return true;
}

}  // namespace

const char* httpVerb(int32_t method) {
  static const char* const verbs[] = {"GET", "POST", "HEAD", "PUT", "OPTIONS", "DELETE", "TRACE", "CONNECT", "PATCH"};
  return method >= HttpGet && method <= HttpPatch ? verbs[method] : verbs[HttpGet];
}

Text httpRequest(const Text& url, int32_t method, const Text& bodyText, const Text& sendCookies,
                 Text* receivedCookies, const Text& extraHeaders, Text* responseHeaders,
                 bool noRedirect, const Text& serverUser, const Text& serverPassword,
                 const Text& proxyAddress, const Text& proxyUser, const Text& proxyPassword,
                 int32_t timeoutSeconds, Text* redirectLocation, Text* statusText,
                 ByteArray* responseBody, bool mergeCookies, bool addDefaultHeaders,
                 const ByteArray& bodyBytes, bool normalizeHeaders) {
  // Held for the whole call: the matcher initialises COM now and
  // uninitialises it at return, after the stream object and its value are gone.
  RegexMatcher matcher;
  ComObject stream;
  Variant bodyValue;
  Exchange exchange;

  // Writes the message, dispatches pending window messages when asked,
  // closes what is open and gives the empty result.
  auto fail = [&](const char* utf8Message, bool processMessages) {
    if (statusText) *statusText = utf8ToGbk(utf8Message);
    if (processMessages) processPendingMessages();
    exchange.close();
    return Text();
  };

  if (!WinHttpCheckPlatform()) return fail("700 当前系统不支持WinHttp服务!", true);

  CrackedUrl target;
  if (!crackUrl(url, target)) return fail("701 解析URL地址失败!", true);

  const bool viaProxy = !proxyAddress.empty();
  const DWORD accessType = viaProxy ? WINHTTP_ACCESS_TYPE_NAMED_PROXY : WINHTTP_ACCESS_TYPE_NO_PROXY;
  const WideArgument proxy(!viaProxy ? Text() : target.secure ? proxyAddress : "http=" + proxyAddress);
  exchange.session = WinHttpOpen(nullptr, accessType, proxy.get() ? proxy.get() : WIDE(""),
                                 WINHTTP_NO_PROXY_BYPASS, 0);
  if (!exchange.session) return fail("702 创建WinHttp会话失败!", true);

  // Seconds beyond what fits in 32-bit milliseconds stay the longest wait rather than wrapping.
  const int32_t timeoutMs =
      timeoutSeconds > 0
          ? static_cast<int32_t>(std::min<int64_t>(int64_t{timeoutSeconds} * 1000, INT32_MAX))
          : kDefaultTimeoutMs;
  if (!WinHttpSetTimeouts(exchange.session, timeoutMs, timeoutMs, timeoutMs, timeoutMs))
    return fail("705 设置超时时间失败!", true);

  const WideArgument host(target.host);
  exchange.connection = WinHttpConnect(exchange.session, host.get(), target.port, 0);
  if (!exchange.connection) return fail("703 创建WinHttp连接失败!", true);

  const WideArgument verb(httpVerb(method));
  exchange.request = WinHttpOpenRequest(exchange.connection, verb.get(), target.objectName.c_str(),
                                        nullptr, WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                        target.secure ? WINHTTP_FLAG_SECURE : 0);
  if (!exchange.request) return fail("704 创建WinHttp请求失败!", true);

  const std::pair<DWORD, std::pair<const Text*, const Text*>> credentials[] = {
      {WINHTTP_AUTH_TARGET_SERVER, {&serverUser, &serverPassword}},
      {WINHTTP_AUTH_TARGET_PROXY, {&proxyUser, &proxyPassword}},
  };
  for (const auto& [authTarget, pair] : credentials) {
    if (pair.first->empty() || pair.second->empty()) continue;
    const WideArgument user(*pair.first), password(*pair.second);
    if (!WinHttpSetCredentials(exchange.request, authTarget, WINHTTP_AUTH_SCHEME_BASIC, user.get(),
                               password.get(), nullptr))
      return fail("707 设置代理凭证失败!", false);
  }

  if (!setDwordOption(exchange.request, WINHTTP_OPTION_SECURITY_FLAGS, kIgnoreCertificateErrors))
    return fail("忽略错误/证书错误  失败！", false);

  const bool cookieOptionSet =
      sendCookies.empty()
          ? setDwordOption(exchange.request, WINHTTP_OPTION_DISABLE_FEATURE, WINHTTP_DISABLE_COOKIES)
          : setDwordOption(exchange.request, WINHTTP_OPTION_ENABLE_FEATURE, WINHTTP_ENABLE_SSL_REVOCATION);
  if (!cookieOptionSet) return fail("708 禁止自动设置Cookies失败!", false);

  if (noRedirect &&
      !setDwordOption(exchange.request, WINHTTP_OPTION_DISABLE_FEATURE, WINHTTP_DISABLE_REDIRECTS))
    return fail("709 重定向设置失败!", false);

  const WideArgument headerBlock(
      buildRequestHeaders(extraHeaders, method, sendCookies, addDefaultHeaders, normalizeHeaders));
  if (!WinHttpAddRequestHeaders(exchange.request, headerBlock.get(), headerBlock.length(),
                                WINHTTP_ADDREQ_FLAG_ADD))
    return fail("710 设置协议头失败!", true);

  const unsigned char* body = bodyBytes.empty() ? reinterpret_cast<const unsigned char*>(bodyText.data())
                                                : bodyBytes.data();
  const size_t bodySize = bodyBytes.empty() ? bodyText.size() : bodyBytes.size();
  // The send announces the length in 32 bits: a longer body cannot be sent
  // whole, and a cut length would send its first part as if it were all.
  if (bodySize > std::numeric_limits<DWORD>::max()) return fail("711 发送请求失败!", true);
  if (!WinHttpSendRequest(exchange.request, WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                          WINHTTP_NO_REQUEST_DATA, 0, static_cast<DWORD>(bodySize), 0))
    return fail("711 发送请求失败!", true);

  // Blocks of at most HttpBlockSize bytes; the results are not examined.
  for (size_t at = 0; HttpBlockSize > 0 && at < bodySize;) {
    const size_t length = std::min(bodySize - at, static_cast<size_t>(HttpBlockSize));
    DWORD written = 0;
    WinHttpWriteData(exchange.request, body + at, static_cast<DWORD>(length), &written);
    at += length;
  }

  if (!WinHttpReceiveResponse(exchange.request, nullptr)) return fail("712 服务器未响应!", true);

  ByteArray collected;
  const bool complete = readBody(exchange.request, collected);
  if (!complete && statusText) *statusText = utf8ToGbk("713 读取数据失败!");

  Text result;
  Text rawHeaders;
  bool comInitialised = false;
  if (queryRawHeaders(exchange.request, rawHeaders)) {
    // After a broken body the 713 message stays: a truncated body is no success.
    readResponseHeaders(rawHeaders, sendCookies, mergeCookies,
                        {responseHeaders, complete ? statusText : nullptr, receivedCookies,
                         redirectLocation});
    result = textBeforeZero(collected);
    const ByteArray* bytes = &collected;
    if (responseBody) {
      *responseBody = std::move(collected);
      bytes = responseBody;
    }
    CoInitialize(nullptr);
    comInitialised = true;
    redecodeBody(declaredCharset(matcher, result), *bytes, stream, bodyValue, result);
  }

  if (comInitialised) CoUninitialize();
  processPendingMessages();
  exchange.close();
  return result;
}
