// Handles: the handle table, the last error, WinHttpCheckPlatform,
// WinHttpOpen, WinHttpConnect, WinHttpOpenRequest and WinHttpCloseHandle.
#include "platform/winhttp/handles.h"

#include <curl/curl.h>

#include <algorithm>
#include <unordered_map>

#include "platform/text/codepage.h"
#include "platform/winhttp/failure_hook.h"
#include "platform/winhttp/request_life.h"
#include "platform/winhttp/url.h"

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
}  // namespace

DWORD GetLastError() { return lastError; }
void SetLastError(DWORD error) { lastError = error; }

namespace winhttp_detail {

std::atomic<FailureHook> failureHook{nullptr};

bool injectedFailure(winhttp_test_seam::Call call) {
  FailureHook hook = failureHook.load();
  DWORD error = ERROR_SUCCESS;
  if (hook == nullptr || !hook(call, &error)) return false;
  SetLastError(error);
  return true;
}

std::atomic<SessionObserver> sessionObserver{nullptr};

void observeSession(const winhttp_test_seam::SessionCall& call) {
  if (SessionObserver observer = sessionObserver.load()) observer(call);
}

namespace {

std::mutex tableLock;
std::unordered_map<uintptr_t, std::shared_ptr<Object>>& table() {
  static auto* handles = new std::unordered_map<uintptr_t, std::shared_ptr<Object>>;
  return *handles;
}
uintptr_t nextHandle = 0x10000;

std::u16string_view view(LPCWSTR text) {
  return text == nullptr ? std::u16string_view() : std::u16string_view(text);
}

}  // namespace

Request::Request() : Object(HandleKind::Request) {}
Request::~Request() = default;

HINTERNET addHandle(std::shared_ptr<Object> object) {
  std::lock_guard guard(tableLock);
  uintptr_t value = nextHandle++;
  table().emplace(value, std::move(object));
  return reinterpret_cast<HINTERNET>(value);
}

std::shared_ptr<Object> findHandle(HINTERNET handle) {
  std::lock_guard guard(tableLock);
  auto it = table().find(reinterpret_cast<uintptr_t>(handle));
  if (it == table().end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return it->second;
}

bool removeHandle(HINTERNET handle) {
  std::shared_ptr<Object> object;  // released outside the table's lock
  std::lock_guard guard(tableLock);
  auto it = table().find(reinterpret_cast<uintptr_t>(handle));
  if (it == table().end()) return false;
  object = std::move(it->second);
  table().erase(it);
  return true;
}

std::string toAnsi(std::u16string_view text) { return utf16ToMultiByte(text, CP_ACP); }
std::u16string fromAnsi(std::string_view bytes) { return multiByteToUtf16(bytes, CP_ACP); }

bool transportReady() {
  static const bool ready = [] {
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) return false;
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    // 7.80 brings the pre-request callback (the moment of connecting); the
    // certificate checks the security flags forgive are OpenSSL's.
    if (info == nullptr || !(info->features & CURL_VERSION_SSL) || info->version_num < 0x075000 ||
        info->ssl_version == nullptr || !std::string_view(info->ssl_version).starts_with("OpenSSL"))
      return false;
    bool http = false, https = false;
    for (const char* const* p = info->protocols; p != nullptr && *p != nullptr; ++p) {
      http = http || std::string_view(*p) == "http";
      https = https || std::string_view(*p) == "https";
    }
    return http && https;
  }();
  return ready;
}

}  // namespace winhttp_detail

using namespace winhttp_detail;

BOOL WinHttpCheckPlatform() {
  if (injectedFailure(winhttp_test_seam::Call::CheckPlatform)) return FALSE;
  return transportReady() ? TRUE : FALSE;
}

HINTERNET WinHttpOpen(LPCWSTR pszAgentW, DWORD dwAccessType, LPCWSTR pszProxyW,
                      LPCWSTR pszProxyBypassW, DWORD dwFlags) {
  if (injectedFailure(winhttp_test_seam::Call::Open)) return nullptr;
  if (sessionObserver.load() != nullptr)
    observeSession({winhttp_test_seam::Call::Open, dwAccessType, std::u16string(view(pszProxyW))});
  if (!transportReady()) {
    SetLastError(ERROR_WINHTTP_INTERNAL_ERROR);
    return nullptr;
  }
  // Only the synchronous mode exists here (no WINHTTP_FLAG_ASYNC).
  if (dwFlags != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto session = std::make_shared<Session>();
  session->settings.agent = toAnsi(view(pszAgentW));
  switch (dwAccessType) {
    case WINHTTP_ACCESS_TYPE_DEFAULT_PROXY:  // no system-wide proxy on this platform
    case WINHTTP_ACCESS_TYPE_NO_PROXY:
      break;
    case WINHTTP_ACCESS_TYPE_NAMED_PROXY:
      if (!parseProxyList(view(pszProxyW), session->settings.proxies) ||
          !parseBypassList(view(pszProxyBypassW), session->settings.bypass)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
      }
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
  return addHandle(std::move(session));
}

HINTERNET WinHttpConnect(HINTERNET hSession, LPCWSTR pswzServerName, INTERNET_PORT nServerPort,
                         DWORD dwReserved) {
  if (injectedFailure(winhttp_test_seam::Call::Connect)) return nullptr;
  auto session = findHandleOf<Session>(hSession, HandleKind::Session);
  if (!session) return nullptr;
  if (pswzServerName == nullptr || *pswzServerName == 0 || dwReserved != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto connection = std::make_shared<Connection>();
  connection->session = session;
  // Kept as given; a name that cannot be a host fails to resolve at the send.
  connection->host = utf16ToMultiByte(pswzServerName, CP_UTF8);
  connection->port = nServerPort;
  return addHandle(std::move(connection));
}

HINTERNET WinHttpOpenRequest(HINTERNET hConnect, LPCWSTR pwszVerb, LPCWSTR pwszObjectName,
                             LPCWSTR pwszVersion, LPCWSTR pwszReferrer,
                             LPCWSTR* ppwszAcceptTypes, DWORD dwFlags) {
  if (injectedFailure(winhttp_test_seam::Call::OpenRequest)) return nullptr;
  auto connection = findHandleOf<Connection>(hConnect, HandleKind::Connection);
  if (!connection) return nullptr;
  const DWORD knownFlags = WINHTTP_FLAG_SECURE | WINHTTP_FLAG_ESCAPE_PERCENT |
                           WINHTTP_FLAG_NULL_CODEPAGE | WINHTTP_FLAG_ESCAPE_DISABLE |
                           WINHTTP_FLAG_ESCAPE_DISABLE_QUERY | WINHTTP_FLAG_BYPASS_PROXY_CACHE;
  std::u16string_view verb = pwszVerb == nullptr || *pwszVerb == 0 ? u"GET" : view(pwszVerb);
  std::u16string_view version = view(pwszVersion);
  HeaderLine verbCheck;  // a verb must be a token, like a header name
  if ((dwFlags & ~knownFlags) != 0 || !parseHeaderLine(std::u16string(verb) + u":", verbCheck) ||
      !(version.empty() || version == u"HTTP/1.1" || version == u"HTTP/1.0")) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto request = std::make_shared<Request>();
  RequestSettings& s = request->settings;
  {
    std::lock_guard guard(connection->session->lock);
    s.session = connection->session->settings;
  }
  s.host = connection->host;
  s.secure = (dwFlags & WINHTTP_FLAG_SECURE) != 0;
  s.port = connection->port != INTERNET_DEFAULT_PORT
               ? connection->port
               : (s.secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT);
  s.verb = verbCheck.name;
  s.target = objectNameToTarget(pwszObjectName == nullptr ? u"/" : view(pwszObjectName), dwFlags);
  s.http10 = version == u"HTTP/1.0";
  std::u16string extra;
  if (pwszReferrer != nullptr && *pwszReferrer != 0) extra += u"Referer: " + std::u16string(pwszReferrer) + u"\r\n";
  if (ppwszAcceptTypes != nullptr) {
    std::u16string types;
    for (LPCWSTR* type = ppwszAcceptTypes; *type != nullptr; ++type) {
      if (**type == 0) continue;
      types += (types.empty() ? u"" : u", ") + std::u16string(*type);
    }
    if (!types.empty()) extra += u"Accept: " + types + u"\r\n";
  }
  if (dwFlags & WINHTTP_FLAG_BYPASS_PROXY_CACHE) extra += u"Pragma: no-cache\r\nCache-Control: no-cache\r\n";
  if (s.headers.add(extra, WINHTTP_ADDREQ_FLAG_ADD) != ERROR_SUCCESS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  request->connection = std::move(connection);
  return addHandle(std::move(request));
}

BOOL WinHttpCloseHandle(HINTERNET hInternet) {
  // A call still running on the handle keeps the object until it returns.
  return removeHandle(hInternet) ? TRUE : fail(ERROR_INVALID_HANDLE);
}
