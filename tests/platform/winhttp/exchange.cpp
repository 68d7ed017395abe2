#include "tests/platform/winhttp/exchange.h"

#include <vector>

#include "platform/text/codepage.h"

namespace winhttp_test {

Handles::~Handles() {
  for (HINTERNET h : {request, connection, session})
    if (h != nullptr) WinHttpCloseHandle(h);
}

std::u16string widen(std::string_view ascii) { return multiByteToUtf16(ascii, CP_UTF8); }
std::string narrow(std::u16string_view text) { return utf16ToMultiByte(text, CP_ACP); }

const char* stepName(Step step) {
  static const char* names[] = {"none", "crack", "open", "connect", "open request", "options",
                                "headers", "send", "write", "receive", "read", "query headers"};
  return names[static_cast<int>(step)];
}

ExchangeResult exchange(const ExchangePlan& plan) {
  ExchangeResult r;
  auto failAt = [&](Step step) {
    r.failedStep = step;
    r.error = GetLastError();
    return r;
  };
  std::u16string url = widen(plan.url);
  URL_COMPONENTS parts{};
  parts.dwStructSize = URL_COMPONENTS_SIZE_32BIT;
  parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(url.c_str(), 0, 0, &parts)) return failAt(Step::Crack);
  std::u16string host(parts.lpszHostName, parts.dwHostNameLength);
  std::u16string object = parts.dwUrlPathLength < 1
                              ? u"/"
                              : std::u16string(parts.lpszUrlPath, parts.dwUrlPathLength) +
                                    std::u16string(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (!host.empty() && host.front() == u'[') host = host.substr(1, host.size() - 2);

  Handles h;
  h.session = WinHttpOpen(nullptr, plan.proxy.empty() ? WINHTTP_ACCESS_TYPE_NO_PROXY : WINHTTP_ACCESS_TYPE_NAMED_PROXY,
                          plan.proxy.c_str(), nullptr, 0);
  if (h.session == nullptr) return failAt(Step::Open);
  int t = plan.timeoutMs;
  if (!WinHttpSetTimeouts(h.session, t, plan.connectTimeoutMs ? plan.connectTimeoutMs : t, t, t))
    return failAt(Step::Open);
  h.connection = WinHttpConnect(h.session, host.c_str(), parts.nPort, 0);
  if (h.connection == nullptr) return failAt(Step::Connect);
  h.request = WinHttpOpenRequest(h.connection, plan.verb.c_str(), object.c_str(), nullptr, nullptr, nullptr,
                                 parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0);
  if (h.request == nullptr) return failAt(Step::OpenRequest);
  if (!plan.serverUser.empty() &&
      !WinHttpSetCredentials(h.request, WINHTTP_AUTH_TARGET_SERVER, WINHTTP_AUTH_SCHEME_BASIC,
                             plan.serverUser.c_str(), plan.serverPassword.c_str(), nullptr))
    return failAt(Step::Options);
  if (!plan.proxyUser.empty() &&
      !WinHttpSetCredentials(h.request, WINHTTP_AUTH_TARGET_PROXY, WINHTTP_AUTH_SCHEME_BASIC,
                             plan.proxyUser.c_str(), plan.proxyPassword.c_str(), nullptr))
    return failAt(Step::Options);
  DWORD flags = plan.securityFlags;
  if (!WinHttpSetOption(h.request, WINHTTP_OPTION_SECURITY_FLAGS, &flags, sizeof flags)) return failAt(Step::Options);
  DWORD disable = plan.disable;
  if (disable != 0 && !WinHttpSetOption(h.request, WINHTTP_OPTION_DISABLE_FEATURE, &disable, sizeof disable))
    return failAt(Step::Options);
  if (!WinHttpAddRequestHeaders(h.request, plan.headers.empty() ? nullptr : plan.headers.c_str(),
                                static_cast<DWORD>(plan.headers.size()), WINHTTP_ADDREQ_FLAG_ADD))
    return failAt(Step::Headers);
  if (!WinHttpSendRequest(h.request, nullptr, 0, nullptr, 0, static_cast<DWORD>(plan.body.size()), 0))
    return failAt(Step::Send);
  for (size_t offset = 0; offset < plan.body.size(); offset += plan.block) {
    DWORD written = 0;
    size_t n = std::min(plan.block, plan.body.size() - offset);
    if (!WinHttpWriteData(h.request, plan.body.data() + offset, static_cast<DWORD>(n), &written))
      return failAt(Step::Write);
  }
  if (!WinHttpReceiveResponse(h.request, nullptr)) return failAt(Step::Receive);
  for (;;) {
    DWORD available = 0;
    if (!WinHttpQueryDataAvailable(h.request, &available)) return failAt(Step::Read);
    if (available == 0) break;
    std::vector<char> buffer(available);
    DWORD read = 0;
    if (!WinHttpReadData(h.request, buffer.data(), available, &read)) return failAt(Step::Read);
    r.body.append(buffer.data(), read);
  }
  DWORD size = 0;
  WinHttpQueryHeaders(h.request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &size,
                      WINHTTP_NO_HEADER_INDEX);
  std::u16string headers(size / 2, u'\0');
  if (!WinHttpQueryHeaders(h.request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                           headers.data(), &size, WINHTTP_NO_HEADER_INDEX))
    return failAt(Step::QueryHeaders);
  headers.resize(size / 2);
  r.rawHeaders = narrow(headers);
  DWORD status = 0, statusSize = sizeof status;
  WinHttpQueryHeaders(h.request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, nullptr, &status,
                      &statusSize, nullptr);
  r.status = static_cast<int>(status);
  return r;
}

}  // namespace winhttp_test
