// URL pieces for the stand-in: splitting a URL (WinHttpCrackUrl) and the
// wire form of a request's object name.
#pragma once

#include <string>
#include <string_view>

#include "platform/winhttp/winhttp.h"

namespace winhttp_detail {

// The parts of an http or https URL, as views into the URL.
struct UrlParts {
  INTERNET_SCHEME scheme = 0;
  std::u16string_view schemeName, host, user, password, path, extra;
  bool hasUser = false, hasPassword = false;
  INTERNET_PORT port = 0;
};

// ERROR_SUCCESS, ERROR_WINHTTP_UNRECOGNIZED_SCHEME or ERROR_WINHTTP_INVALID_URL.
DWORD splitUrl(std::u16string_view url, UrlParts& parts);

// True when `host` can stand in a URL's authority: a registered name (ASCII
// letters, digits, '-', '.', '_', '%' or non-ASCII letters) or an IPv6
// literal, with or without its brackets.
bool isValidHostName(std::u16string_view host);

// Percent-escapes (as UTF-8) what may not appear in a request target:
// controls, blanks and non-ASCII always, `"<>\^`{|}` and (with
// escapePercent) '%' unless `keepUnsafe`.
std::string escapeForWire(std::u16string_view text, bool keepUnsafe, bool escapePercent);

// The request target sent for an object name and WinHttpOpenRequest flags:
// no fragment, a leading '/' (except for "*"), escaped.
std::string objectNameToTarget(std::u16string_view objectName, DWORD flags);

}  // namespace winhttp_detail
