// The libcurl transport: one transfer at a time on a multi handle of its
// own, driven from the calling thread. Bodies pass through in both
// directions without a whole-body copy: the request body straight from the
// caller's buffer; the response body straight into the caller's buffer while
// a read is under way, and otherwise into a bounded buffer (libcurl is
// paused while it is full).
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/winhttp/winhttp.h"

#include <curl/curl.h>

namespace winhttp_detail {

// One request on the wire (a redirect makes a new one).
struct HopSettings {
  std::string url;      // "http(s)://host:port/" (the request target is set apart)
  std::string target;   // exactly as on the request line
  std::string verb;
  bool http10 = false;
  bool sendsBody = false;      // the request carries Content-Length (possibly 0)
  uint64_t bodyLength = 0;
  std::vector<std::string> headers;  // "Name: value" lines, sent as given
  std::string proxy;                 // "http://host:port"; empty: direct
  std::string proxyUser, proxyPassword;
  bool proxyCredentials = false;
  DWORD securityFlags = 0;     // SECURITY_FLAG_IGNORE_* of WinHTTP
  int connectTimeoutMs = 0;    // resolve and connect (to the server or proxy); 0: no limit
  int handshakeTimeoutMs = 0;  // then the TLS handshake and proxy tunnel; 0: no limit
};

class Transport {
 public:
  Transport();
  ~Transport();
  Transport(const Transport&) = delete;
  Transport& operator=(const Transport&) = delete;

  // Starts a transfer (ending any earlier one). ERROR_SUCCESS or an error.
  DWORD start(const HopSettings& hop);
  // Ends the transfer; an unfinished one loses its connection.
  void stop();

  // Each wait returns ERROR_SUCCESS once its condition holds, else the
  // transfer's error, or ERROR_WINHTTP_TIMEOUT when `timeoutMs` (0: none)
  // passes first.
  // Connected: the TCP connection within `connectMs`, then the TLS handshake
  // and a proxy tunnel within `handshakeMs` of it.
  DWORD waitConnected(int connectMs, int handshakeMs);
  // Hands `size` body bytes to libcurl; the timeout restarts with every
  // byte taken. The bytes are not used after the call returns.
  DWORD write(const void* data, size_t size, int timeoutMs);
  DWORD waitHeaders(int timeoutMs);
  // Until body bytes are buffered or the transfer has ended.
  DWORD waitBody(int timeoutMs);

  bool connected() const { return connected_; }
  bool headersComplete() const { return headersComplete_; }
  // Status line and header lines of the final response, each ending in
  // CR LF, then an empty line.
  const std::string& headerBlock() const { return headerBlock_; }
  // The proxy's answer to CONNECT when it refused the tunnel; else empty.
  const std::string& refusedTunnel() const { return refusedTunnel_; }
  int status() const { return status_; }

  size_t buffered() const { return buffer_.size() - readPos_; }
  // Reads up to `size` body bytes into `out`: the buffered ones first, then
  // what libcurl receives at once, handed straight into `out` (no copy in
  // between). Waits only when nothing is buffered: for the first byte or the
  // end, at most `timeoutMs` from the last data (0: no limit); a failed wait
  // gives its error in `error` and the bytes read so far.
  size_t read(void* out, size_t size, int timeoutMs, DWORD& error);
  bool ended() const { return ended_; }
  DWORD error() const { return error_; }  // after ended(): ERROR_SUCCESS when complete
  uint64_t bodySent() const { return sent_; }

 private:
  template <typename Ready>
  DWORD drive(Ready ready, int timeoutMs, bool slideWithProgress);
  void perform();
  void resume(bool receiving, bool sending);
  size_t takeBuffered(char* out, size_t size);
  static size_t onHeader(char* data, size_t size, size_t count, void* self);
  static size_t onBody(char* data, size_t size, size_t count, void* self);
  static size_t onRead(char* data, size_t size, size_t count, void* self);
  static int onConnected(void* self, char*, char*, int, int);
  static int onSocket(void* self, curl_socket_t socket, curlsocktype purpose);
  static int onCloseSocket(void* self, curl_socket_t socket);
  // The TCP connection (to the server or the proxy) is made.
  bool tcpConnected() const;
  static int onSslContext(CURL*, void* sslContext, void* self);

  CURLM* multi_ = nullptr;
  CURL* easy_ = nullptr;
  curl_slist* headerList_ = nullptr;
  bool active_ = false;
  DWORD securityFlags_ = 0;

  bool connected_ = false, headersComplete_ = false, ended_ = false;
  curl_socket_t socket_ = CURL_SOCKET_BAD;  // the connection's socket, while it is open
  DWORD error_ = ERROR_SUCCESS;
  DWORD callbackError_ = ERROR_SUCCESS;  // why a callback stopped the transfer
  std::string currentBlock_, headerBlock_, refusedTunnel_;
  int status_ = 0;

  std::vector<char> buffer_;
  size_t readPos_ = 0;
  // The caller's buffer while a read is under way: where libcurl's data goes
  // next, and the room left there.
  char* direct_ = nullptr;
  size_t directRoom_ = 0;
  bool receivePaused_ = false, sendPaused_ = false;

  const char* pending_ = nullptr;
  size_t pendingSize_ = 0;
  uint64_t bodyLength_ = 0, sent_ = 0;
  std::chrono::steady_clock::time_point lastProgress_;
};

}  // namespace winhttp_detail
