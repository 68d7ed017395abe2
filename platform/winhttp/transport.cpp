// The libcurl transport (see transport.h).
#include "platform/winhttp/transport.h"

#include <curl/curl.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace winhttp_detail {
namespace {

using Clock = std::chrono::steady_clock;

// The response body buffer: libcurl pauses while it holds this much. With
// libcurl's reads of 512 KiB this keeps pace with libcurl alone
// (bench/winhttp_bench.cpp).
constexpr size_t bodyBufferLimit = 4 << 20;
constexpr long receiveBlock = 512 * 1024;
// The response header block WinHTTP accepts at most.
constexpr size_t headerLimit = 64 * 1024;

DWORD fromCurl(CURLcode code) {
  switch (code) {
    case CURLE_OK:
      return ERROR_SUCCESS;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return ERROR_WINHTTP_NAME_NOT_RESOLVED;
    case CURLE_COULDNT_CONNECT:
      return ERROR_WINHTTP_CANNOT_CONNECT;
    case CURLE_OPERATION_TIMEDOUT:
      return ERROR_WINHTTP_TIMEOUT;
    case CURLE_URL_MALFORMAT:
      return ERROR_WINHTTP_INVALID_URL;
    case CURLE_OUT_OF_MEMORY:
      return ERROR_NOT_ENOUGH_MEMORY;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_USE_SSL_FAILED:
      return ERROR_WINHTTP_SECURE_FAILURE;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_GOT_NOTHING:
    case CURLE_BAD_CONTENT_ENCODING:
      return ERROR_WINHTTP_INVALID_SERVER_RESPONSE;
    default:
      return ERROR_WINHTTP_CONNECTION_ERROR;
  }
}

// Certificate checks: the verification errors each security flag forgives.
// The host-name check is libcurl's own (CURLOPT_SSL_VERIFYHOST).
bool forgiven(int error, DWORD flags) {
  switch (error) {
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_CERT_UNTRUSTED:
      return flags & SECURITY_FLAG_IGNORE_UNKNOWN_CA;
    case X509_V_ERR_INVALID_PURPOSE:
    case X509_V_ERR_KEYUSAGE_NO_CERTSIGN:
    case X509_V_ERR_KEYUSAGE_NO_DIGITAL_SIGNATURE:
      return flags & SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE;
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_CERT_NOT_YET_VALID:
    case X509_V_ERR_ERROR_IN_CERT_NOT_BEFORE_FIELD:
    case X509_V_ERR_ERROR_IN_CERT_NOT_AFTER_FIELD:
      return flags & SECURITY_FLAG_IGNORE_CERT_DATE_INVALID;
    default:
      return false;
  }
}

int securityFlagsIndex() {
  static const int index = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
  return index;
}

int verifyCertificate(int preverified, X509_STORE_CTX* store) {
  if (preverified) return 1;
  auto* ssl = static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
  if (ssl == nullptr) return 0;
  auto flags = static_cast<DWORD>(
      reinterpret_cast<uintptr_t>(SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), securityFlagsIndex())));
  if (!forgiven(X509_STORE_CTX_get_error(store), flags)) return 0;
  X509_STORE_CTX_set_error(store, X509_V_OK);
  return 1;
}

// Status code of a status line "HTTP/x.y NNN ...", or 0.
int statusOf(const std::string& block) {
  size_t space = block.find(' ');
  if (space == std::string::npos || block.compare(0, 5, "HTTP/") != 0) return 0;
  int code = 0;
  for (size_t i = space + 1; i < block.size() && i < space + 4; ++i) {
    if (block[i] < '0' || block[i] > '9') return 0;
    code = code * 10 + (block[i] - '0');
  }
  return code;
}

}  // namespace

Transport::Transport() : multi_(curl_multi_init()), easy_(curl_easy_init()) {}

Transport::~Transport() {
  stop();
  if (easy_ != nullptr) curl_easy_cleanup(easy_);
  if (multi_ != nullptr) curl_multi_cleanup(multi_);
  curl_slist_free_all(headerList_);
}

void Transport::stop() {
  if (active_) curl_multi_remove_handle(multi_, easy_);
  active_ = false;
  pending_ = nullptr;
  pendingSize_ = 0;
}

DWORD Transport::start(const HopSettings& hop) {
  stop();
  if (multi_ == nullptr || easy_ == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
  connected_ = headersComplete_ = ended_ = false;
  error_ = callbackError_ = ERROR_SUCCESS;
  currentBlock_.clear();
  headerBlock_.clear();
  refusedTunnel_.clear();
  status_ = 0;
  buffer_.clear();
  readPos_ = 0;
  receivePaused_ = sendPaused_ = false;
  bodyLength_ = hop.bodyLength;
  sent_ = 0;
  securityFlags_ = hop.securityFlags;
  lastProgress_ = Clock::now();

  curl_slist_free_all(headerList_);
  headerList_ = nullptr;
  for (const std::string& line : hop.headers) headerList_ = curl_slist_append(headerList_, line.c_str());

  CURL* e = easy_;
  curl_easy_reset(e);
  curl_easy_setopt(e, CURLOPT_URL, hop.url.c_str());
  curl_easy_setopt(e, CURLOPT_REQUEST_TARGET, hop.target.c_str());
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_HTTP_VERSION,
                   hop.http10 ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 0L);  // redirects are the request's own
  curl_easy_setopt(e, CURLOPT_HTTP_CONTENT_DECODING, 0L);  // the body arrives as sent
  curl_easy_setopt(e, CURLOPT_HTTP_TRANSFER_DECODING, 1L);
  curl_easy_setopt(e, CURLOPT_BUFFERSIZE, receiveBlock);
  curl_easy_setopt(e, CURLOPT_UPLOAD_BUFFERSIZE, receiveBlock);
  curl_easy_setopt(e, CURLOPT_HTTPHEADER, headerList_);
  // libcurl's limit covers both phases of waitConnected at once; the phases'
  // own limits are kept there.
  const long long connectLimit = hop.connectTimeoutMs > 0 && hop.handshakeTimeoutMs > 0
                                     ? static_cast<long long>(hop.connectTimeoutMs) + hop.handshakeTimeoutMs
                                     : 0x7FFFFFFFLL;
  curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(std::min(connectLimit, 0x7FFFFFFFLL)));

  if (hop.verb == "HEAD") {
    curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
  } else if (hop.sendsBody) {
    curl_easy_setopt(e, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(e, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(hop.bodyLength));
    curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, hop.verb.c_str());
  } else {
    curl_easy_setopt(e, CURLOPT_HTTPGET, 1L);
    if (hop.verb != "GET") curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, hop.verb.c_str());
  }

  // No proxy from the environment: only the session's.
  curl_easy_setopt(e, CURLOPT_PROXY, hop.proxy.c_str());
  curl_easy_setopt(e, CURLOPT_NOPROXY, "");
  if (!hop.proxy.empty()) {
    curl_easy_setopt(e, CURLOPT_PROXYTYPE, CURLPROXY_HTTP);
    if (hop.proxyCredentials) {
      curl_easy_setopt(e, CURLOPT_PROXYAUTH, CURLAUTH_BASIC);
      curl_easy_setopt(e, CURLOPT_PROXYUSERNAME, hop.proxyUser.c_str());
      curl_easy_setopt(e, CURLOPT_PROXYPASSWORD, hop.proxyPassword.c_str());
    }
  }

  curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST,
                   (hop.securityFlags & SECURITY_FLAG_IGNORE_CERT_CN_INVALID) ? 0L : 2L);
  curl_easy_setopt(e, CURLOPT_SSL_CTX_FUNCTION, &Transport::onSslContext);
  curl_easy_setopt(e, CURLOPT_SSL_CTX_DATA, this);

  curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &Transport::onHeader);
  curl_easy_setopt(e, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &Transport::onBody);
  curl_easy_setopt(e, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(e, CURLOPT_READFUNCTION, &Transport::onRead);
  curl_easy_setopt(e, CURLOPT_READDATA, this);
  curl_easy_setopt(e, CURLOPT_PREREQFUNCTION, &Transport::onConnected);
  curl_easy_setopt(e, CURLOPT_PREREQDATA, this);
  curl_easy_setopt(e, CURLOPT_SOCKOPTFUNCTION, &Transport::onSocket);
  curl_easy_setopt(e, CURLOPT_SOCKOPTDATA, this);
  curl_easy_setopt(e, CURLOPT_CLOSESOCKETFUNCTION, &Transport::onCloseSocket);
  curl_easy_setopt(e, CURLOPT_CLOSESOCKETDATA, this);

  if (curl_multi_add_handle(multi_, e) != CURLM_OK) return ERROR_WINHTTP_INTERNAL_ERROR;
  active_ = true;
  return ERROR_SUCCESS;
}

void Transport::perform() {
  int running = 0;
  if (curl_multi_perform(multi_, &running) != CURLM_OK) {
    ended_ = true;
    error_ = ERROR_WINHTTP_INTERNAL_ERROR;
    return;
  }
  int queued = 0;
  while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
    if (message->msg != CURLMSG_DONE || message->easy_handle != easy_) continue;
    ended_ = true;
    CURLcode result = message->data.result;
    error_ = result == CURLE_OK ? ERROR_SUCCESS
             : callbackError_ != ERROR_SUCCESS ? callbackError_
                                               : fromCurl(result);
    // libcurl refuses a header line over 100 KiB as "out of memory".
    if (result == CURLE_OUT_OF_MEMORY && !headersComplete_) error_ = ERROR_WINHTTP_HEADER_SIZE_OVERFLOW;
  }
}

template <typename Ready>
DWORD Transport::drive(Ready ready, int timeoutMs, bool slideWithProgress) {
  const auto started = Clock::now();
  for (;;) {
    if (ready()) return ERROR_SUCCESS;
    if (ended_) return error_ != ERROR_SUCCESS ? error_ : ERROR_WINHTTP_CONNECTION_ERROR;
    if (!active_) return ERROR_WINHTTP_INCORRECT_HANDLE_STATE;
    perform();
    if (ready()) return ERROR_SUCCESS;
    if (ended_) continue;
    long long waitMs = 1000;
    if (timeoutMs > 0) {
      auto from = slideWithProgress ? std::max(started, lastProgress_) : started;
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                      from + std::chrono::milliseconds(timeoutMs) - Clock::now())
                      .count();
      if (left <= 0) return ERROR_WINHTTP_TIMEOUT;
      waitMs = std::min<long long>(waitMs, left);
    }
    curl_multi_poll(multi_, nullptr, 0, static_cast<int>(std::max(1LL, waitMs)), nullptr);
  }
}

DWORD Transport::waitConnected(int connectMs, int handshakeMs) {
  // As WinHTTP bounds them: the connection by the connect timeout, what is
  // said on it before the request (TLS, the proxy's CONNECT) by the receive
  // timeout, so a silent TLS peer costs one timeout, not two.
  if (DWORD error = drive([this] { return connected_ || tcpConnected(); }, connectMs, false);
      error != ERROR_SUCCESS)
    return error;
  return drive([this] { return connected_; }, handshakeMs, false);
}

DWORD Transport::write(const void* data, size_t size, int timeoutMs) {
  pending_ = static_cast<const char*>(data);
  pendingSize_ = size;
  if (sendPaused_) resume(false, true);
  // A final answer before the whole body means the server stopped reading it.
  DWORD error = drive([this] { return pendingSize_ == 0 || headersComplete_; }, timeoutMs, true);
  if (error == ERROR_SUCCESS && pendingSize_ > 0) error = ERROR_WINHTTP_CONNECTION_ERROR;
  pending_ = nullptr;
  pendingSize_ = 0;
  return error;
}

DWORD Transport::waitHeaders(int timeoutMs) {
  DWORD error = drive([this] { return headersComplete_; }, timeoutMs, false);
  // A transfer that ends well without a final header block had no HTTP answer.
  if (error == ERROR_WINHTTP_CONNECTION_ERROR && ended_ && error_ == ERROR_SUCCESS)
    error = ERROR_WINHTTP_INVALID_SERVER_RESPONSE;
  return error;
}

DWORD Transport::waitBody(int timeoutMs) {
  DWORD error = drive([this] { return buffered() > 0 || ended_; }, timeoutMs, false);
  return error == ERROR_SUCCESS && ended_ && buffered() == 0 ? error_ : error;
}

size_t Transport::takeBuffered(char* out, size_t size) {
  size_t n = std::min(size, buffered());
  std::memcpy(out, buffer_.data() + readPos_, n);
  readPos_ += n;
  if (readPos_ == buffer_.size()) {
    buffer_.clear();
    readPos_ = 0;
  }
  return n;
}

size_t Transport::read(void* out, size_t size, int timeoutMs, DWORD& error) {
  error = ERROR_SUCCESS;
  char* const start = static_cast<char*>(out);
  const size_t taken = takeBuffered(start, size);
  direct_ = start + taken;
  directRoom_ = size - taken;
  // With the caller's buffer in place, libcurl may go on (a paused transfer
  // hands over what it holds), then delivers what it receives at once.
  if (receivePaused_ && buffered() < bodyBufferLimit / 2) resume(true, false);
  if (taken == 0 && directRoom_ > 0) {
    error = drive([&] { return direct_ > start || ended_; }, timeoutMs, true);
    if (error == ERROR_WINHTTP_CONNECTION_ERROR && ended_ && error_ == ERROR_SUCCESS) error = ERROR_SUCCESS;
  }
  for (char* before = nullptr; error == ERROR_SUCCESS && directRoom_ > 0 && active_ && !ended_ &&
                               !receivePaused_ && direct_ != before;) {
    before = direct_;
    perform();
  }
  const size_t n = static_cast<size_t>(direct_ - start);
  direct_ = nullptr;
  directRoom_ = 0;
  return n;
}

void Transport::resume(bool receiving, bool sending) {
  if (receiving) receivePaused_ = false;
  if (sending) sendPaused_ = false;
  if (!active_ || ended_) return;
  int mask = (receivePaused_ ? CURLPAUSE_RECV : 0) | (sendPaused_ ? CURLPAUSE_SEND : 0);
  curl_easy_pause(easy_, mask);
}

size_t Transport::onHeader(char* data, size_t size, size_t count, void* self) {
  auto& t = *static_cast<Transport*>(self);
  const size_t n = size * count;
  t.lastProgress_ = Clock::now();
  if (t.headersComplete_) return n;  // trailers of a chunked body
  std::string_view line(data, n);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  if (t.currentBlock_.size() + line.size() + 2 > headerLimit) {
    t.callbackError_ = ERROR_WINHTTP_HEADER_SIZE_OVERFLOW;
    return 0;
  }
  t.currentBlock_.append(line);
  t.currentBlock_ += "\r\n";
  if (!line.empty()) return n;

  // An empty line ends a header block: an interim 1xx answer, the proxy's
  // answer to CONNECT, or the final response.
  std::string block = std::move(t.currentBlock_);
  t.currentBlock_.clear();
  const int status = statusOf(block);
  if (!t.connected_) {
    if (status >= 300) t.refusedTunnel_ = std::move(block);
  } else if (status >= 200 || status == 101) {
    t.status_ = status;
    t.headerBlock_ = std::move(block);
    t.headersComplete_ = true;
  }
  return n;
}

size_t Transport::onBody(char* data, size_t size, size_t count, void* self) {
  auto& t = *static_cast<Transport*>(self);
  size_t n = size * count;
  // A read is under way and nothing is buffered before these bytes: they go
  // straight into the reader's buffer, and only what does not fit is buffered.
  if (t.direct_ != nullptr && t.buffered() == 0) {
    const size_t direct = std::min(n, t.directRoom_);
    std::memcpy(t.direct_, data, direct);
    t.direct_ += direct;
    t.directRoom_ -= direct;
    t.lastProgress_ = Clock::now();
    if (direct == n) return n;
    t.buffer_.insert(t.buffer_.end(), data + direct, data + n);
    return n;
  }
  if (t.buffered() > 0 && t.buffered() + n > bodyBufferLimit) {
    t.receivePaused_ = true;
    return CURL_WRITEFUNC_PAUSE;
  }
  if (t.readPos_ > 0 && t.readPos_ >= t.buffered()) {  // compacting costs at most what was read
    t.buffer_.erase(t.buffer_.begin(), t.buffer_.begin() + static_cast<ptrdiff_t>(t.readPos_));
    t.readPos_ = 0;
  }
  t.buffer_.insert(t.buffer_.end(), data, data + n);
  t.lastProgress_ = Clock::now();
  return n;
}

size_t Transport::onRead(char* data, size_t size, size_t count, void* self) {
  auto& t = *static_cast<Transport*>(self);
  if (t.sent_ >= t.bodyLength_) return 0;
  if (t.pendingSize_ == 0) {
    t.sendPaused_ = true;
    return CURL_READFUNC_PAUSE;
  }
  size_t n = std::min<uint64_t>({size * count, t.pendingSize_, t.bodyLength_ - t.sent_});
  std::memcpy(data, t.pending_, n);
  t.pending_ += n;
  t.pendingSize_ -= n;
  t.sent_ += n;
  t.lastProgress_ = Clock::now();
  return n;
}

bool Transport::tcpConnected() const {
  sockaddr_storage peer{};
  socklen_t length = sizeof peer;
  return socket_ != CURL_SOCKET_BAD &&
         getpeername(socket_, reinterpret_cast<sockaddr*>(&peer), &length) == 0;
}

int Transport::onSocket(void* self, curl_socket_t socket, curlsocktype purpose) {
  if (purpose == CURLSOCKTYPE_IPCXN) static_cast<Transport*>(self)->socket_ = socket;
  return CURL_SOCKOPT_OK;
}

int Transport::onCloseSocket(void* self, curl_socket_t socket) {
  auto* t = static_cast<Transport*>(self);
  if (t->socket_ == socket) t->socket_ = CURL_SOCKET_BAD;
  return close(socket);
}

int Transport::onConnected(void* self, char*, char*, int, int) {
  static_cast<Transport*>(self)->connected_ = true;
  return CURL_PREREQFUNC_OK;
}

int Transport::onSslContext(CURL*, void* sslContext, void* self) {
  auto* context = static_cast<SSL_CTX*>(sslContext);
  auto flags = static_cast<Transport*>(self)->securityFlags_;
  SSL_CTX_set_ex_data(context, securityFlagsIndex(), reinterpret_cast<void*>(uintptr_t{flags}));
  SSL_CTX_set_verify(context, SSL_VERIFY_PEER, &verifyCertificate);
  return CURLE_OK;
}

}  // namespace winhttp_detail
