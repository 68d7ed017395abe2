// The life of a request from WinHttpSendRequest on: connecting, the body,
// the response with its redirects, and the response body.
#pragma once

#include <string>

#include "platform/winhttp/handles.h"
#include "platform/winhttp/redirects.h"
#include "platform/winhttp/transport.h"

namespace winhttp_detail {

class RequestLife {
 public:
  explicit RequestLife(const RequestSettings& settings);

  DWORD send(const void* optional, DWORD optionalLength, DWORD totalLength);
  DWORD write(const void* data, DWORD size, DWORD* written);
  DWORD receive();
  DWORD queryAvailable(DWORD* available);
  DWORD read(void* out, DWORD size, DWORD* read);

  bool hasResponse() const { return state_ == State::Response; }
  // The final response's header block (see Transport::headerBlock).
  const std::string& responseHeaders() const { return response_; }

 private:
  enum class State { Sending, Response, Failed };
  HopSettings hop() const;
  DWORD startHop();
  DWORD fail(DWORD error);
  // The next hop of a redirecting response; ERROR_SUCCESS without changing
  // anything when it is not followed.
  DWORD followRedirect(bool& followed);
  // The body's failure, reported once by a read; ERROR_SUCCESS while none.
  DWORD bodyFailure();

  RequestSettings settings_;
  Destination destination_;
  std::string origin_;  // where the server credentials go
  std::string verb_;
  uint64_t bodyLength_ = 0;
  int redirects_ = 0;
  RedirectCookies cookies_;
  Transport transport_;
  State state_ = State::Sending;
  DWORD writeFailure_ = ERROR_SUCCESS;
  std::string response_;
  bool tunnelRefused_ = false;
  DWORD bodyError_ = ERROR_SUCCESS;
  bool bodyErrorReported_ = false;
};

}  // namespace winhttp_detail
