// A whole request through the WinHTTP stand-in, step by step as its callers
// make it, recording which step failed and how.
#pragma once

#include <string>

#include "platform/winhttp/winhttp.h"

namespace winhttp_test {

// Closes its handles: request, connection, session.
struct Handles {
  HINTERNET session = nullptr, connection = nullptr, request = nullptr;
  Handles() = default;
  Handles(const Handles&) = delete;
  Handles& operator=(const Handles&) = delete;
  ~Handles();
};

enum class Step { None, Crack, Open, Connect, OpenRequest, Options, Headers, Send, Write, Receive, Read, QueryHeaders };

struct ExchangePlan {
  std::string url;
  std::u16string verb = u"GET";
  std::u16string headers;  // the block for WinHttpAddRequestHeaders
  std::string body;        // written in blocks of `block` bytes
  size_t block = 1 << 20;
  int timeoutMs = 5000;    // all four timeouts
  int connectTimeoutMs = 0;  // the connect timeout instead, when not 0
  std::u16string proxy;    // named proxy list when not empty
  DWORD securityFlags = SECURITY_FLAG_IGNORE_ALL_CERT_ERRORS;
  DWORD disable = 0;       // WINHTTP_OPTION_DISABLE_FEATURE when not 0
  std::u16string serverUser, serverPassword, proxyUser, proxyPassword;
};

struct ExchangeResult {
  Step failedStep = Step::None;
  DWORD error = ERROR_SUCCESS;
  std::string body;        // what the reads gave, also before a failing read
  std::string rawHeaders;  // WINHTTP_QUERY_RAW_HEADERS_CRLF, narrowed
  int status = 0;
};

ExchangeResult exchange(const ExchangePlan& plan);

std::u16string widen(std::string_view ascii);
std::string narrow(std::u16string_view text);  // the ANSI code page (GBK)

const char* stepName(Step step);

}  // namespace winhttp_test
