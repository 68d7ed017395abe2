// Redirects by WinHTTP's default policy, and the cookies a redirecting
// response sets for the next hop.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/winhttp/winhttp.h"

namespace winhttp_detail {

// Where a request goes.
struct Destination {
  bool secure = false;
  std::string host;  // as in a URL: an IPv6 literal has its brackets
  INTERNET_PORT port = 0;
  std::string target;  // path and query, as on the request line

  std::string origin() const;  // "http://host:port", the host in lower case
  std::string path() const;    // the target without its query
};

// The destination a Location value points to from `from`; empty when it is
// not an http or https URL.
std::optional<Destination> resolveLocation(const Destination& from, std::string_view location);

// True for the statuses WinHTTP follows: 301, 302, 303, 307, 308.
bool isRedirectStatus(int status);

// The verb of the next hop: 303 turns everything but HEAD into GET, and
// 301/302 turn POST into GET. A verb that changes drops the body.
std::string redirectedVerb(int status, const std::string& verb);

// Cookies of redirecting responses, kept for the next hops of one request.
class RedirectCookies {
 public:
  // Takes the Set-Cookie lines of a response that came from `from`.
  void store(std::string_view headerBlock, const Destination& from);
  // The Cookie value for a request to `to`: the caller's own value with the
  // stored cookies that apply put in (a stored cookie replaces the caller's
  // of the same name); empty when there is neither.
  std::string cookieValue(const Destination& to, std::string_view callerValue) const;
  bool empty() const { return cookies_.empty(); }

 private:
  struct Cookie {
    std::string name, value, domain, path;
    bool hostOnly = true, secure = false;
  };
  std::vector<Cookie> cookies_;
};

}  // namespace winhttp_detail
