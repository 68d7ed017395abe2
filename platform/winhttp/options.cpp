// Session and request options: WinHttpSetTimeouts, WinHttpSetOption,
// WinHttpSetCredentials, and the proxy and bypass lists of WinHttpOpen.
#include <algorithm>
#include <cctype>
#include <fnmatch.h>

#include "platform/text/codepage.h"
#include "platform/winhttp/failure_hook.h"
#include "platform/winhttp/handles.h"
#include "platform/winhttp/request_life.h"
#include "platform/winhttp/url.h"

namespace winhttp_detail {
namespace {

// Entries separated by ';' or blanks.
template <typename Visit>
void forEachEntry(std::u16string_view text, Visit visit) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of(u"; \t\r\n", pos);
    if (end == std::u16string_view::npos) end = text.size();
    if (end > pos) visit(text.substr(pos, end - pos));
    pos = end + 1;
  }
}

std::string lowerAscii(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

bool parseProxyList(std::u16string_view text, std::vector<ProxyEntry>& proxies) {
  bool ok = true;
  forEachEntry(text, [&](std::u16string_view entry) {
    ProxyEntry proxy;
    size_t equals = entry.find(u'=');
    if (equals != std::u16string_view::npos) {
      std::string scheme = lowerAscii(utf16ToMultiByte(entry.substr(0, equals), CP_UTF8));
      entry.remove_prefix(equals + 1);
      if (scheme == "http")
        proxy.scheme = INTERNET_SCHEME_HTTP;
      else if (scheme == "https")
        proxy.scheme = INTERNET_SCHEME_HTTPS;
      else
        return;  // a scheme this stand-in never requests (ftp, socks, ...)
    }
    if (entry.starts_with(u"http://")) entry.remove_prefix(7);
    if (!entry.empty() && entry.back() == u'/') entry.remove_suffix(1);
    // Split like a URL's authority, with port 80 by default.
    UrlParts parts;
    std::u16string url = u"http://" + std::u16string(entry) + u"/";
    if (entry.empty() || splitUrl(url, parts) != ERROR_SUCCESS || parts.hasUser) {
      ok = false;
      return;
    }
    proxy.host = utf16ToMultiByte(parts.host, CP_UTF8);
    proxy.port = parts.port;
    proxies.push_back(std::move(proxy));
  });
  return ok && !proxies.empty();
}

bool parseBypassList(std::u16string_view text, std::vector<std::string>& bypass) {
  forEachEntry(text, [&](std::u16string_view entry) {
    bypass.push_back(lowerAscii(utf16ToMultiByte(entry, CP_UTF8)));
  });
  return true;
}

const ProxyEntry* proxyFor(const SessionSettings& settings, bool secure, const std::string& host) {
  const std::string name = lowerAscii(host);
  for (const std::string& pattern : settings.bypass) {
    if (pattern == "<local>" ? name.find('.') == std::string::npos
                             : fnmatch(pattern.c_str(), name.c_str(), 0) == 0)
      return nullptr;
  }
  const INTERNET_SCHEME scheme = secure ? INTERNET_SCHEME_HTTPS : INTERNET_SCHEME_HTTP;
  for (const ProxyEntry& proxy : settings.proxies)
    if (proxy.scheme == 0 || proxy.scheme == scheme) return &proxy;
  return nullptr;
}

}  // namespace winhttp_detail

using namespace winhttp_detail;

namespace {

// The session settings behind a session or request handle, locked.
struct SettingsAccess {
  std::shared_ptr<Object> object;
  SessionSettings* settings = nullptr;
  Request* request = nullptr;  // when the handle is a request
};

SettingsAccess settingsOf(HINTERNET handle) {
  SettingsAccess access;
  access.object = findHandle(handle);
  if (!access.object) return access;
  if (access.object->kind == HandleKind::Session) {
    access.settings = &static_cast<Session&>(*access.object).settings;
  } else if (access.object->kind == HandleKind::Request) {
    access.request = static_cast<Request*>(access.object.get());
    access.settings = &access.request->settings.session;
  } else {
    SetLastError(ERROR_WINHTTP_INCORRECT_HANDLE_TYPE);
    access.object.reset();
  }
  return access;
}

}  // namespace

BOOL WinHttpSetTimeouts(HINTERNET hInternet, int nResolveTimeout, int nConnectTimeout,
                        int nSendTimeout, int nReceiveTimeout) {
  if (injectedFailure(winhttp_test_seam::Call::SetTimeouts)) return FALSE;
  if (sessionObserver.load() != nullptr)
    observeSession({winhttp_test_seam::Call::SetTimeouts, 0, {}, nResolveTimeout, nConnectTimeout,
                    nSendTimeout, nReceiveTimeout});
  SettingsAccess access = settingsOf(hInternet);
  if (!access.object) return FALSE;
  if (std::min({nResolveTimeout, nConnectTimeout, nSendTimeout, nReceiveTimeout}) < -1)
    return fail(ERROR_INVALID_PARAMETER);
  std::lock_guard guard(access.object->lock);
  auto limit = [](int ms) { return ms < 0 ? 0 : ms; };
  access.settings->timeouts = {limit(nResolveTimeout), limit(nConnectTimeout), limit(nSendTimeout),
                               limit(nReceiveTimeout)};
  return TRUE;
}

BOOL WinHttpSetOption(HINTERNET hInternet, DWORD dwOption, LPVOID lpBuffer, DWORD dwBufferLength) {
  if (injectedFailure(winhttp_test_seam::Call::SetOption)) return FALSE;
  SettingsAccess access = settingsOf(hInternet);
  if (!access.object) return FALSE;
  if (lpBuffer == nullptr) return fail(ERROR_INVALID_PARAMETER);
  if (dwBufferLength != sizeof(DWORD)) return fail(ERROR_INSUFFICIENT_BUFFER);
  const DWORD value = *static_cast<const DWORD*>(lpBuffer);
  std::lock_guard guard(access.object->lock);
  Request* request = access.request;
  const bool requestOnly = dwOption == WINHTTP_OPTION_SECURITY_FLAGS ||
                           dwOption == WINHTTP_OPTION_DISABLE_FEATURE;
  if (requestOnly && request == nullptr) return fail(ERROR_WINHTTP_INCORRECT_HANDLE_TYPE);
  if (request != nullptr && request->life) return fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
  switch (dwOption) {
    case WINHTTP_OPTION_SECURITY_FLAGS:
      if (value & ~SECURITY_FLAG_IGNORE_ALL_CERT_ERRORS) return fail(ERROR_INVALID_PARAMETER);
      request->settings.securityFlags = value;
      return TRUE;
    case WINHTTP_OPTION_DISABLE_FEATURE:
      if (value & ~(WINHTTP_DISABLE_COOKIES | WINHTTP_DISABLE_REDIRECTS |
                    WINHTTP_DISABLE_AUTHENTICATION | WINHTTP_DISABLE_KEEP_ALIVE))
        return fail(ERROR_INVALID_PARAMETER);
      request->settings.disabledFeatures |= value;
      return TRUE;
    case WINHTTP_OPTION_ENABLE_FEATURE:
      // Recorded only: revocation checking needs CRL or OCSP fetching, which
      // libcurl's OpenSSL backend does not do (it can only demand a stapled
      // OCSP answer, which most servers never send). Certificates are still
      // verified in every other way.
      if (value & ~(WINHTTP_ENABLE_SSL_REVOCATION | WINHTTP_ENABLE_SSL_REVERT_IMPERSONATION))
        return fail(ERROR_INVALID_PARAMETER);
      access.settings->enabledFeatures |= value;
      return TRUE;
    case WINHTTP_OPTION_REDIRECT_POLICY:
      if (value > WINHTTP_OPTION_REDIRECT_POLICY_ALWAYS) return fail(ERROR_INVALID_PARAMETER);
      access.settings->redirectPolicy = value;
      return TRUE;
    case WINHTTP_OPTION_MAX_HTTP_AUTOMATIC_REDIRECTS:
      access.settings->maxRedirects = value;
      return TRUE;
    default:
      return fail(ERROR_WINHTTP_INVALID_OPTION);
  }
}

BOOL WinHttpSetCredentials(HINTERNET hRequest, DWORD AuthTargets, DWORD AuthScheme,
                           LPCWSTR pwszUserName, LPCWSTR pwszPassword, LPVOID pAuthParams) {
  if (injectedFailure(winhttp_test_seam::Call::SetCredentials)) return FALSE;
  auto request = findHandleOf<Request>(hRequest, HandleKind::Request);
  if (!request) return FALSE;
  if (pwszUserName == nullptr || pAuthParams != nullptr ||
      (AuthTargets != WINHTTP_AUTH_TARGET_SERVER && AuthTargets != WINHTTP_AUTH_TARGET_PROXY))
    return fail(ERROR_INVALID_PARAMETER);
  if (AuthScheme != WINHTTP_AUTH_SCHEME_BASIC) return fail(ERROR_INVALID_PARAMETER);
  std::lock_guard guard(request->lock);
  Credentials& credentials =
      AuthTargets == WINHTTP_AUTH_TARGET_SERVER ? request->settings.server : request->settings.proxy;
  credentials.set = true;
  credentials.user = toAnsi(pwszUserName);
  credentials.password = pwszPassword == nullptr ? std::string() : toAnsi(pwszPassword);
  return TRUE;
}
