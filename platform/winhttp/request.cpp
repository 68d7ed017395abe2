// The request's life: WinHttpSendRequest, WinHttpWriteData,
// WinHttpReceiveResponse, WinHttpQueryDataAvailable, WinHttpReadData.
#include <openssl/evp.h>

#include <algorithm>

#include "platform/text/codepage.h"
#include "platform/winhttp/failure_hook.h"
#include "platform/winhttp/request_life.h"
#include "platform/winhttp/response_headers.h"
#include "platform/winhttp/url.h"

namespace winhttp_detail {
namespace {

std::string base64(const std::string& bytes) {
  std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
  int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                          reinterpret_cast<const unsigned char*>(bytes.data()),
                          static_cast<int>(bytes.size()));
  out.resize(static_cast<size_t>(std::max(n, 0)));
  return out;
}

std::string bracketed(const std::string& host) {
  return host.find(':') != std::string::npos && !host.starts_with('[') ? "[" + host + "]" : host;
}

bool carriesBody(const std::string& verb) { return verb == "POST" || verb == "PUT" || verb == "PATCH"; }

}  // namespace

RequestLife::RequestLife(const RequestSettings& settings)
    : settings_(settings), verb_(settings.verb) {
  destination_.secure = settings.secure;
  destination_.host = bracketed(settings.host);
  destination_.port = settings.port;
  destination_.target = settings.target;
  origin_ = destination_.origin();
}

HopSettings RequestLife::hop() const {
  const Destination& d = destination_;
  HopSettings h;
  h.url = (d.secure ? "https://" : "http://") + d.host + ":" + std::to_string(d.port) + "/";
  h.target = d.target;
  h.verb = verb_;
  h.http10 = settings_.http10;
  h.bodyLength = bodyLength_;
  h.sendsBody = bodyLength_ > 0 || carriesBody(verb_);
  h.securityFlags = settings_.securityFlags;
  const Timeouts& t = settings_.session.timeouts;
  h.connectTimeoutMs = t.connect > 0 ? t.connect + std::max(t.resolve, 0) : 0;
  h.handshakeTimeoutMs = std::max(t.receive, 0);

  const ProxyEntry* proxy = proxyFor(settings_.session, d.secure, d.host);
  if (proxy != nullptr) {
    h.proxy = "http://" + bracketed(proxy->host) + ":" + std::to_string(proxy->port);
    h.proxyCredentials = settings_.proxy.set;
    h.proxyUser = settings_.proxy.user;
    h.proxyPassword = settings_.proxy.password;
    // A plain http request through a proxy names the whole URL.
    if (!d.secure && d.target != "*")
      h.target = "http://" + d.host + (d.port == INTERNET_DEFAULT_HTTP_PORT ? "" : ":" + std::to_string(d.port)) + d.target;
  }

  // The caller's lines as they stand, except the framing, which follows the
  // body length given to the send; cookies of redirects join the Cookie line.
  const RequestHeaders& headers = settings_.headers;
  const HeaderLine* callerCookie = headers.find("Cookie");
  const bool cookiesOn = !(settings_.disabledFeatures & WINHTTP_DISABLE_COOKIES);
  std::string cookie = cookiesOn && !cookies_.empty()
                           ? cookies_.cookieValue(d, callerCookie ? callerCookie->value : "")
                           : std::string();
  if (!settings_.session.agent.empty() && !headers.find("User-Agent"))
    h.headers.push_back("User-Agent: " + settings_.session.agent);
  for (const HeaderLine& line : headers.lines()) {
    if (equalsNoCase(line.name, "Content-Length") || equalsNoCase(line.name, "Transfer-Encoding")) continue;
    std::string value = &line == callerCookie && !cookie.empty() ? cookie : line.value;
    // libcurl sends "Name;" as a line with an empty value ("Name:" would remove it).
    h.headers.push_back(value.empty() ? line.name + ";" : line.name + ": " + value);
  }
  if (callerCookie == nullptr && !cookie.empty()) h.headers.push_back("Cookie: " + cookie);
  if (settings_.server.set && d.origin() == origin_ && !headers.find("Authorization"))
    h.headers.push_back("Authorization: Basic " +
                        base64(settings_.server.user + ":" + settings_.server.password));
  // Lines libcurl would add by itself, which WinHTTP does not send.
  if (!headers.find("Accept")) h.headers.push_back("Accept:");
  if (!headers.find("Expect")) h.headers.push_back("Expect:");
  if (!h.proxy.empty() && !d.secure && !headers.find("Proxy-Connection"))
    h.headers.push_back("Proxy-Connection:");
  return h;
}

DWORD RequestLife::startHop() {
  std::string host = destination_.host;
  if (!isValidHostName(multiByteToUtf16(host, CP_UTF8))) return ERROR_WINHTTP_NAME_NOT_RESOLVED;
  HopSettings settings = hop();
  if (DWORD error = transport_.start(settings); error != ERROR_SUCCESS) return error;
  DWORD error = transport_.waitConnected(settings.connectTimeoutMs, settings.handshakeTimeoutMs);
  if (error != ERROR_SUCCESS && !transport_.refusedTunnel().empty()) {
    // The proxy answered CONNECT with a refusal (407, 403, ...): that answer
    // is the response, as WinHTTP reports it.
    tunnelRefused_ = true;
    return ERROR_SUCCESS;
  }
  return error;
}

DWORD RequestLife::fail(DWORD error) {
  state_ = State::Failed;
  transport_.stop();
  return error;
}

DWORD RequestLife::send(const void* optional, DWORD optionalLength, DWORD totalLength) {
  bodyLength_ = std::max(totalLength, optionalLength);
  if (verb_ == "HEAD" && bodyLength_ > 0) return fail(ERROR_INVALID_PARAMETER);
  if (DWORD error = startHop(); error != ERROR_SUCCESS) return fail(error);
  if (optionalLength > 0) {
    DWORD written = 0;
    if (DWORD error = write(optional, optionalLength, &written); error != ERROR_SUCCESS) return fail(error);
  }
  return ERROR_SUCCESS;
}

DWORD RequestLife::write(const void* data, DWORD size, DWORD* written) {
  *written = 0;
  if (state_ != State::Sending) return ERROR_WINHTTP_INCORRECT_HANDLE_STATE;
  // After a failed write the body cannot arrive whole: later writes fail at
  // once with the same reason instead of waiting out the timeout again.
  if (writeFailure_ != ERROR_SUCCESS) return writeFailure_;
  if (tunnelRefused_) {  // the body has nowhere to go
    *written = size;
    return ERROR_SUCCESS;
  }
  const uint64_t before = transport_.bodySent();
  if (before + size > bodyLength_) return ERROR_INVALID_PARAMETER;
  DWORD error = transport_.write(data, size, settings_.session.timeouts.send);
  *written = static_cast<DWORD>(transport_.bodySent() - before);
  if (error != ERROR_SUCCESS) writeFailure_ = error;
  return error;
}

DWORD RequestLife::followRedirect(bool& followed) {
  followed = false;
  const SessionSettings& session = settings_.session;
  if (!isRedirectStatus(transport_.status()) || (settings_.disabledFeatures & WINHTTP_DISABLE_REDIRECTS) ||
      session.redirectPolicy == WINHTTP_OPTION_REDIRECT_POLICY_NEVER)
    return ERROR_SUCCESS;
  const std::string& block = transport_.headerBlock();
  std::vector<std::string_view> location = headerValues(block, "Location");
  if (location.empty()) return ERROR_SUCCESS;
  std::optional<Destination> next = resolveLocation(destination_, location.front());
  if (!next) return ERROR_SUCCESS;
  if (destination_.secure && !next->secure &&
      session.redirectPolicy == WINHTTP_OPTION_REDIRECT_POLICY_DISALLOW_HTTPS_TO_HTTP)
    return ERROR_SUCCESS;
  const std::string verb = redirectedVerb(transport_.status(), verb_);
  // A body streamed through WinHttpWriteData cannot be sent a second time:
  // the redirect that keeps the verb (307, 308, ...) is then the response.
  if (verb == verb_ && bodyLength_ > 0) return ERROR_SUCCESS;
  if (redirects_ >= static_cast<int>(session.maxRedirects)) return ERROR_WINHTTP_REDIRECT_FAILED;
  ++redirects_;
  if (!(settings_.disabledFeatures & WINHTTP_DISABLE_COOKIES)) cookies_.store(block, destination_);
  destination_ = std::move(*next);
  if (verb != verb_) {
    verb_ = verb;
    bodyLength_ = 0;
  }
  if (DWORD error = startHop(); error != ERROR_SUCCESS) return error;
  followed = true;
  return ERROR_SUCCESS;
}

DWORD RequestLife::receive() {
  if (state_ != State::Sending) return ERROR_WINHTTP_INCORRECT_HANDLE_STATE;
  for (;;) {
    if (tunnelRefused_) {
      response_ = transport_.refusedTunnel();
      transport_.stop();
      state_ = State::Response;
      return ERROR_SUCCESS;
    }
    if (transport_.bodySent() < bodyLength_ && !transport_.headersComplete())
      return fail(writeFailure_ != ERROR_SUCCESS ? writeFailure_ : ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
    if (DWORD error = transport_.waitHeaders(settings_.session.timeouts.receive); error != ERROR_SUCCESS)
      return fail(error);
    bool followed = false;
    if (DWORD error = followRedirect(followed); error != ERROR_SUCCESS) return fail(error);
    if (followed) continue;
    response_ = transport_.headerBlock();
    state_ = State::Response;
    return ERROR_SUCCESS;
  }
}

DWORD RequestLife::bodyFailure() {
  if (bodyError_ == ERROR_SUCCESS && transport_.buffered() == 0 && !tunnelRefused_) {
    if (!transport_.ended()) {
      DWORD error = transport_.waitBody(settings_.session.timeouts.receive);
      if (error != ERROR_SUCCESS) {
        bodyError_ = error;
        transport_.stop();
      }
    } else {
      bodyError_ = transport_.error();
    }
  }
  return transport_.buffered() > 0 ? ERROR_SUCCESS : bodyError_;
}

DWORD RequestLife::queryAvailable(DWORD* available) {
  *available = 0;
  if (state_ != State::Response) return ERROR_WINHTTP_INCORRECT_HANDLE_STATE;
  if (DWORD error = bodyFailure(); error != ERROR_SUCCESS) {
    if (bodyErrorReported_) return error;
    *available = 1;  // the failure waits for the read, which reports it
    return ERROR_SUCCESS;
  }
  *available = static_cast<DWORD>(std::min<size_t>(transport_.buffered(), 0xFFFFFFFFu));
  return ERROR_SUCCESS;
}

DWORD RequestLife::read(void* out, DWORD size, DWORD* read) {
  *read = 0;
  if (state_ != State::Response) return ERROR_WINHTTP_INCORRECT_HANDLE_STATE;
  if (size == 0) return ERROR_SUCCESS;
  // A failure already known, or a transfer over with nothing left: as the
  // availability query sees it.
  if (bodyError_ != ERROR_SUCCESS || tunnelRefused_ || (transport_.buffered() == 0 && transport_.ended())) {
    if (DWORD error = bodyFailure(); error != ERROR_SUCCESS) {
      bodyErrorReported_ = true;
      return error;
    }
  }
  // Otherwise the buffered bytes, then libcurl's straight into `out`; with
  // nothing buffered the read waits for them here.
  DWORD error = ERROR_SUCCESS;
  *read = static_cast<DWORD>(transport_.read(out, size, settings_.session.timeouts.receive, error));
  if (*read == 0 && error == ERROR_SUCCESS && transport_.ended()) error = transport_.error();
  if (*read == 0 && error != ERROR_SUCCESS) {
    bodyError_ = error;
    bodyErrorReported_ = true;
    transport_.stop();
    return error;
  }
  return ERROR_SUCCESS;
}

}  // namespace winhttp_detail

using namespace winhttp_detail;

namespace {

// The request behind a handle with its life started, locked; null with the
// last error set otherwise.
struct LiveRequest {
  std::shared_ptr<Request> request;
  std::unique_lock<std::mutex> guard;
  RequestLife* operator->() const { return request->life.get(); }
  explicit operator bool() const { return request != nullptr; }
};

LiveRequest liveRequest(HINTERNET handle) {
  LiveRequest live;
  live.request = findHandleOf<Request>(handle, HandleKind::Request);
  if (!live.request) return live;
  live.guard = std::unique_lock(live.request->lock);
  if (!live.request->life) {
    SetLastError(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
    live.guard.unlock();
    live.request.reset();
  }
  return live;
}

BOOL result(DWORD error) { return error == ERROR_SUCCESS ? TRUE : fail(error); }

}  // namespace

BOOL WinHttpSendRequest(HINTERNET hRequest, LPCWSTR lpszHeaders, DWORD dwHeadersLength,
                        LPVOID lpOptional, DWORD dwOptionalLength, DWORD dwTotalLength,
                        DWORD_PTR dwContext) {
  if (injectedFailure(winhttp_test_seam::Call::SendRequest)) return FALSE;
  auto request = findHandleOf<Request>(hRequest, HandleKind::Request);
  if (!request) return FALSE;
  if ((lpOptional == nullptr && dwOptionalLength > 0) || (lpszHeaders == nullptr && dwHeadersLength > 0))
    return fail(ERROR_INVALID_PARAMETER);
  std::lock_guard guard(request->lock);
  if (request->life) return fail(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
  if (lpszHeaders != nullptr) {
    std::u16string_view block = dwHeadersLength == static_cast<DWORD>(-1)
                                    ? std::u16string_view(lpszHeaders)
                                    : std::u16string_view(lpszHeaders, dwHeadersLength);
    if (DWORD error = request->settings.headers.add(block, WINHTTP_ADDREQ_FLAG_ADD); error != ERROR_SUCCESS)
      return fail(error);
  }
  request->life = std::make_unique<RequestLife>(request->settings);
  return result(request->life->send(lpOptional, dwOptionalLength, dwTotalLength));
}

BOOL WinHttpWriteData(HINTERNET hRequest, LPCVOID lpBuffer, DWORD dwNumberOfBytesToWrite,
                      LPDWORD lpdwNumberOfBytesWritten) {
  if (injectedFailure(winhttp_test_seam::Call::WriteData)) return FALSE;
  LiveRequest live = liveRequest(hRequest);
  if (!live) return FALSE;
  if (lpBuffer == nullptr && dwNumberOfBytesToWrite > 0) return fail(ERROR_INVALID_PARAMETER);
  DWORD written = 0;
  BOOL ok = result(live->write(lpBuffer, dwNumberOfBytesToWrite, &written));
  if (lpdwNumberOfBytesWritten != nullptr) *lpdwNumberOfBytesWritten = written;
  return ok;
}

BOOL WinHttpReceiveResponse(HINTERNET hRequest, LPVOID lpReserved) {
  if (injectedFailure(winhttp_test_seam::Call::ReceiveResponse)) return FALSE;
  if (lpReserved != nullptr) return fail(ERROR_INVALID_PARAMETER);
  LiveRequest live = liveRequest(hRequest);
  if (!live) return FALSE;
  return result(live->receive());
}

BOOL WinHttpQueryDataAvailable(HINTERNET hRequest, LPDWORD lpdwNumberOfBytesAvailable) {
  if (injectedFailure(winhttp_test_seam::Call::QueryDataAvailable)) return FALSE;
  LiveRequest live = liveRequest(hRequest);
  if (!live) return FALSE;
  DWORD available = 0;
  BOOL ok = result(live->queryAvailable(&available));
  if (lpdwNumberOfBytesAvailable != nullptr) *lpdwNumberOfBytesAvailable = available;
  return ok;
}

BOOL WinHttpReadData(HINTERNET hRequest, LPVOID lpBuffer, DWORD dwNumberOfBytesToRead,
                     LPDWORD lpdwNumberOfBytesRead) {
  if (injectedFailure(winhttp_test_seam::Call::ReadData)) return FALSE;
  LiveRequest live = liveRequest(hRequest);
  if (!live) return FALSE;
  if (lpBuffer == nullptr && dwNumberOfBytesToRead > 0) return fail(ERROR_INVALID_PARAMETER);
  DWORD read = 0;
  BOOL ok = result(live->read(lpBuffer, dwNumberOfBytesToRead, &read));
  if (lpdwNumberOfBytesRead != nullptr) *lpdwNumberOfBytesRead = read;
  return ok;
}
