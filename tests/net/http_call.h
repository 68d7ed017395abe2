// One httpRequest call described by a struct, so that tables of cases can
// name only what they change. Every output starts with a sentinel value, so
// a case can tell an output that was written from one that was left alone.
#pragma once

#include <string>

#include "net/http_request.h"
#include "platform/text/gbk.h"

namespace http_test {

inline const Text kUntouched = "(untouched)";
inline const ByteArray kUntouchedBytes = {'(', 'u', ')'};

struct HttpCall {
  HttpCall(std::string url = {}) : url(std::move(url)) {}
  std::string url;
  int32_t method = HttpGet;
  Text bodyText;
  Text sendCookies;
  Text extraHeaders;
  bool noRedirect = false;
  Text serverUser, serverPassword;
  Text proxyAddress, proxyUser, proxyPassword;
  int32_t timeoutSeconds = 5;  // bounds every wait of a test
  bool mergeCookies = true;
  bool addDefaultHeaders = true;
  ByteArray bodyBytes;
  bool normalizeHeaders = true;
};

struct HttpOutcome {
  Text result;
  Text receivedCookies = kUntouched;
  Text responseHeaders = kUntouched;
  Text redirectLocation = kUntouched;
  Text statusText = kUntouched;
  ByteArray responseBody = kUntouchedBytes;

  std::string status() const { return gbkToUtf8(statusText); }
  std::string body() const { return std::string(responseBody.begin(), responseBody.end()); }
};

inline HttpOutcome perform(const HttpCall& c) {
  HttpOutcome o;
  o.result = httpRequest(c.url, c.method, c.bodyText, c.sendCookies, &o.receivedCookies,
                         c.extraHeaders, &o.responseHeaders, c.noRedirect, c.serverUser,
                         c.serverPassword, c.proxyAddress, c.proxyUser, c.proxyPassword,
                         c.timeoutSeconds, &o.redirectLocation, &o.statusText, &o.responseBody,
                         c.mergeCookies, c.addDefaultHeaders, c.bodyBytes, c.normalizeHeaders);
  return o;
}

inline ByteArray bytesOf(std::string_view s) { return ByteArray(s.begin(), s.end()); }

}  // namespace http_test
