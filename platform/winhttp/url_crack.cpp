// URL cracking: WinHttpCrackUrl, and the wire form of object names.
#include <algorithm>
#include <cstring>

#include "platform/text/codepage.h"
#include "platform/winhttp/failure_hook.h"
#include "platform/winhttp/url.h"

namespace winhttp_detail {
namespace {

char16_t lower(char16_t c) { return c >= u'A' && c <= u'Z' ? c + 32 : c; }

bool equalsAscii(std::u16string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char y) { return lower(x) == y; });
}

bool isUnsafe(char16_t c) {
  return c <= 0x20 || c == 0x7F || std::u16string_view(u"\"<>\\^`{|}").find(c) != std::u16string_view::npos;
}

constexpr char hexDigits[] = "0123456789ABCDEF";

int hexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  c = lower(c);
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

// %XX sequences decoded; the bytes read as UTF-8 where they form it.
std::u16string percentDecoded(std::u16string_view text) {
  std::u16string out;
  std::string bytes;
  auto flush = [&] {
    if (bytes.empty()) return;
    std::u16string decoded = multiByteToUtf16(bytes, CP_UTF8);
    if (decoded.find(u'\uFFFD') != std::u16string::npos) {
      decoded.clear();
      for (unsigned char b : bytes) decoded += static_cast<char16_t>(b);
    }
    out += decoded;
    bytes.clear();
  };
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
        hexValue(text[i + 2]) >= 0) {
      bytes += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
      i += 2;
    } else {
      flush();
      out += text[i];
    }
  }
  flush();
  return out;
}

}  // namespace

bool isValidHostName(std::u16string_view host) {
  if (host.size() >= 2 && host.front() == u'[' && host.back() == u']') host = host.substr(1, host.size() - 2);
  if (host.empty() || host.size() > 255) return false;
  if (host.find(u':') != std::u16string_view::npos)  // an IPv6 literal
    return std::all_of(host.begin(), host.end(), [](char16_t c) {
      return hexValue(c) >= 0 || c == u':' || c == u'.' || c == u'%';
    });
  return std::all_of(host.begin(), host.end(), [](char16_t c) {
    return c >= 0x80 || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
           (c >= u'0' && c <= u'9') || c == u'-' || c == u'.' || c == u'_' || c == u'%';
  });
}

DWORD splitUrl(std::u16string_view url, UrlParts& parts) {
  parts = UrlParts{};
  size_t colon = url.find(u':');
  if (colon == std::u16string_view::npos || colon == 0) return ERROR_WINHTTP_UNRECOGNIZED_SCHEME;
  parts.schemeName = url.substr(0, colon);
  if (equalsAscii(parts.schemeName, "http"))
    parts.scheme = INTERNET_SCHEME_HTTP;
  else if (equalsAscii(parts.schemeName, "https"))
    parts.scheme = INTERNET_SCHEME_HTTPS;
  else
    return ERROR_WINHTTP_UNRECOGNIZED_SCHEME;
  if (url.substr(colon + 1, 2) != u"//") return ERROR_WINHTTP_INVALID_URL;

  const size_t authorityStart = colon + 3;
  size_t authorityEnd = url.find_first_of(u"/?#", authorityStart);
  if (authorityEnd == std::u16string_view::npos) authorityEnd = url.size();
  std::u16string_view authority = url.substr(authorityStart, authorityEnd - authorityStart);

  size_t at = authority.rfind(u'@');
  if (at != std::u16string_view::npos) {
    std::u16string_view userInfo = authority.substr(0, at);
    size_t split = userInfo.find(u':');
    parts.user = userInfo.substr(0, split);
    parts.hasUser = true;
    if (split != std::u16string_view::npos) {
      parts.password = userInfo.substr(split + 1);
      parts.hasPassword = true;
    }
    authority = authority.substr(at + 1);
  }

  std::u16string_view portText;
  bool hasPort = false;
  if (!authority.empty() && authority.front() == u'[') {
    size_t close = authority.find(u']');
    if (close == std::u16string_view::npos) return ERROR_WINHTTP_INVALID_URL;
    parts.host = authority.substr(0, close + 1);
    std::u16string_view rest = authority.substr(close + 1);
    if (!rest.empty()) {
      if (rest.front() != u':') return ERROR_WINHTTP_INVALID_URL;
      portText = rest.substr(1);
      hasPort = true;
    }
  } else {
    size_t portColon = authority.find(u':');
    parts.host = authority.substr(0, portColon);
    if (portColon != std::u16string_view::npos) {
      portText = authority.substr(portColon + 1);
      hasPort = true;
    }
  }
  if (!isValidHostName(parts.host)) return ERROR_WINHTTP_INVALID_URL;

  parts.port = parts.scheme == INTERNET_SCHEME_HTTPS ? INTERNET_DEFAULT_HTTPS_PORT
                                                     : INTERNET_DEFAULT_HTTP_PORT;
  if (hasPort && !portText.empty()) {
    uint32_t port = 0;
    for (char16_t c : portText) {
      if (c < u'0' || c > u'9') return ERROR_WINHTTP_INVALID_URL;
      port = port * 10 + (c - u'0');
      if (port > 65535) return ERROR_WINHTTP_INVALID_URL;
    }
    parts.port = static_cast<INTERNET_PORT>(port);
  }

  std::u16string_view rest = url.substr(authorityEnd);
  size_t extraStart = rest.find_first_of(u"?#");
  parts.path = rest.substr(0, extraStart);
  parts.extra = extraStart == std::u16string_view::npos ? rest.substr(rest.size()) : rest.substr(extraStart);
  return ERROR_SUCCESS;
}

std::string escapeForWire(std::u16string_view text, bool keepUnsafe, bool escapePercent) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c < 0x80 && !(c <= 0x20 || c == 0x7F) && (keepUnsafe || !isUnsafe(c)) &&
        !(escapePercent && c == u'%')) {
      out += static_cast<char>(c);
      continue;
    }
    // Controls, blanks and non-ASCII are escaped even with keepUnsafe: a raw
    // CR, LF or blank would split the request line.
    size_t units = (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) ? 2 : 1;
    for (unsigned char b : utf16ToMultiByte(text.substr(i, units), CP_UTF8)) {
      out += '%';
      out += hexDigits[b >> 4];
      out += hexDigits[b & 15];
    }
    i += units - 1;
  }
  return out;
}

std::string objectNameToTarget(std::u16string_view objectName, DWORD flags) {
  objectName = objectName.substr(0, objectName.find(u'#'));
  if (objectName == u"*") return "*";
  const bool escapePercent = (flags & WINHTTP_FLAG_ESCAPE_PERCENT) != 0;
  const bool keepPath = (flags & WINHTTP_FLAG_ESCAPE_DISABLE) != 0;
  const bool keepQuery = keepPath || (flags & WINHTTP_FLAG_ESCAPE_DISABLE_QUERY) != 0;
  size_t query = objectName.find(u'?');
  std::string target = escapeForWire(objectName.substr(0, query), keepPath, escapePercent);
  if (query != std::u16string_view::npos)
    target += escapeForWire(objectName.substr(query), keepQuery, escapePercent);
  if (target.empty() || target.front() != '/') target = "/" + target;
  return target;
}

}  // namespace winhttp_detail

using namespace winhttp_detail;

namespace {

// One string component of URL_COMPONENTS: a pointer into the URL, a copy
// into the caller's buffer, or nothing. False with the error set when a
// buffer is too small.
bool fillComponent(LPWSTR& pointer, DWORD& length, std::u16string_view value, bool present,
                   DWORD flags, DWORD& error) {
  if (pointer == nullptr && length == 0) return true;
  if (pointer == nullptr) {
    pointer = present ? const_cast<LPWSTR>(value.data()) : nullptr;
    length = static_cast<DWORD>(value.size());
    return true;
  }
  std::u16string converted(value);
  if (flags & ICU_DECODE) converted = percentDecoded(value);
  if (flags & ICU_ESCAPE) {
    std::string escaped = escapeForWire(value, false, false);
    converted.assign(escaped.begin(), escaped.end());
  }
  if (length <= converted.size()) {
    length = static_cast<DWORD>(converted.size() + 1);
    error = ERROR_INSUFFICIENT_BUFFER;
    return false;
  }
  std::copy(converted.begin(), converted.end(), pointer);
  pointer[converted.size()] = 0;
  length = static_cast<DWORD>(converted.size());
  return true;
}

}  // namespace

BOOL WinHttpCrackUrl(LPCWSTR pwszUrl, DWORD dwUrlLength, DWORD dwFlags,
                     LPURL_COMPONENTS lpUrlComponents) {
  if (injectedFailure(winhttp_test_seam::Call::CrackUrl)) return FALSE;
  URL_COMPONENTS* uc = lpUrlComponents;
  const DWORD knownFlags = ICU_ESCAPE | ICU_DECODE | ICU_REJECT_USERPWD;
  if (pwszUrl == nullptr || uc == nullptr ||
      (uc->dwStructSize != sizeof(URL_COMPONENTS) && uc->dwStructSize != URL_COMPONENTS_SIZE_32BIT) ||
      (dwFlags & ~knownFlags) != 0 || (dwFlags & ICU_DECODE && dwFlags & ICU_ESCAPE)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::u16string_view url = dwUrlLength == 0 ? std::u16string_view(pwszUrl)
                                             : std::u16string_view(pwszUrl, dwUrlLength);
  // Decoding and escaping make new text: they need the caller's buffers.
  if (dwFlags & (ICU_DECODE | ICU_ESCAPE)) {
    for (auto [pointer, length] : {std::pair{uc->lpszScheme, uc->dwSchemeLength},
                                   {uc->lpszHostName, uc->dwHostNameLength},
                                   {uc->lpszUserName, uc->dwUserNameLength},
                                   {uc->lpszPassword, uc->dwPasswordLength},
                                   {uc->lpszUrlPath, uc->dwUrlPathLength},
                                   {uc->lpszExtraInfo, uc->dwExtraInfoLength}})
      if (pointer == nullptr && length != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
      }
  }
  UrlParts parts;
  DWORD error = splitUrl(url, parts);
  if (error == ERROR_SUCCESS && (dwFlags & ICU_REJECT_USERPWD) && parts.hasUser)
    error = ERROR_WINHTTP_INVALID_URL;
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return FALSE;
  }
  const DWORD copyFlags = dwFlags & ~ICU_REJECT_USERPWD;
  bool ok = fillComponent(uc->lpszScheme, uc->dwSchemeLength, parts.schemeName, true, 0, error);
  ok = fillComponent(uc->lpszHostName, uc->dwHostNameLength, parts.host, true, 0, error) && ok;
  ok = fillComponent(uc->lpszUserName, uc->dwUserNameLength, parts.user, parts.hasUser,
                     copyFlags & ICU_DECODE, error) && ok;
  ok = fillComponent(uc->lpszPassword, uc->dwPasswordLength, parts.password, parts.hasPassword,
                     copyFlags & ICU_DECODE, error) && ok;
  ok = fillComponent(uc->lpszUrlPath, uc->dwUrlPathLength, parts.path, true, copyFlags, error) && ok;
  ok = fillComponent(uc->lpszExtraInfo, uc->dwExtraInfoLength, parts.extra, true, copyFlags, error) && ok;
  uc->nScheme = parts.scheme;
  uc->nPort = parts.port;
  if (!ok) {
    SetLastError(error);
    return FALSE;
  }
  return TRUE;
}
