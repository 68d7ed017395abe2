// Redirect policy and the per-request store of cookies set on redirects.
#include "platform/winhttp/redirects.h"

#include <curl/curl.h>

#include <algorithm>
#include <ctime>

#include "platform/winhttp/request_headers.h"
#include "platform/winhttp/response_headers.h"

namespace winhttp_detail {
namespace {

std::string lowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return out;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Bytes a URL may not hold as they are (blanks, controls, non-ASCII) escaped.
std::string escapedLocation(std::string_view location) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : location) {
    if (c <= 0x20 || c >= 0x7F) {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

// Control characters (a tab aside) may not stand in a cookie: a bare CR
// would end the line early for some servers once it is sent on.
bool holdsControlCharacter(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](unsigned char c) { return (c < 0x20 && c != '\t') || c == 0x7F; });
}

std::string urlPart(CURLU* url, CURLUPart part, unsigned flags = 0) {
  char* value = nullptr;
  if (curl_url_get(url, part, &value, flags) != CURLUE_OK || value == nullptr) return {};
  std::string text(value);
  curl_free(value);
  return text;
}

bool domainMatches(const std::string& host, const std::string& domain) {
  if (host == domain) return true;
  return host.size() > domain.size() && host.ends_with(domain) &&
         host[host.size() - domain.size() - 1] == '.' &&
         host.find_first_not_of("0123456789.") != std::string::npos;  // never for IPv4 addresses
}

bool pathMatches(const std::string& requestPath, const std::string& cookiePath) {
  if (!requestPath.starts_with(cookiePath)) return false;
  return requestPath.size() == cookiePath.size() || cookiePath.ends_with('/') ||
         requestPath[cookiePath.size()] == '/';
}

std::string defaultPath(const std::string& requestPath) {
  size_t slash = requestPath.rfind('/');
  if (slash == std::string::npos || slash == 0) return "/";
  return requestPath.substr(0, slash);
}

}  // namespace

std::string Destination::origin() const {
  return (secure ? "https://" : "http://") + lowerAscii(host) + ":" + std::to_string(port);
}

std::string Destination::path() const { return target.substr(0, target.find('?')); }

std::optional<Destination> resolveLocation(const Destination& from, std::string_view location) {
  CURLU* url = curl_url();
  if (url == nullptr) return std::nullopt;
  std::optional<Destination> to;
  const std::string base = from.origin() + (from.target.starts_with('/') ? from.target : "/");
  if (curl_url_set(url, CURLUPART_URL, base.c_str(), 0) == CURLUE_OK &&
      curl_url_set(url, CURLUPART_URL, escapedLocation(trimmed(location)).c_str(), 0) == CURLUE_OK) {
    std::string scheme = urlPart(url, CURLUPART_SCHEME);
    std::string port = urlPart(url, CURLUPART_PORT, CURLU_DEFAULT_PORT);
    if (scheme == "http" || scheme == "https") {
      Destination d;
      d.secure = scheme == "https";
      d.host = urlPart(url, CURLUPART_HOST);
      d.port = static_cast<INTERNET_PORT>(std::atoi(port.c_str()));
      d.target = urlPart(url, CURLUPART_PATH);
      std::string query = urlPart(url, CURLUPART_QUERY);
      if (!query.empty()) d.target += "?" + query;
      if (d.target.empty()) d.target = "/";
      if (!d.host.empty() && d.port != 0) to = std::move(d);
    }
  }
  curl_url_cleanup(url);
  return to;
}

bool isRedirectStatus(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::string redirectedVerb(int status, const std::string& verb) {
  if (status == 303 && verb != "HEAD") return "GET";
  if ((status == 301 || status == 302) && verb == "POST") return "GET";
  return verb;
}

void RedirectCookies::store(std::string_view headerBlock, const Destination& from) {
  const std::string host = lowerAscii(from.host);
  for (std::string_view line : headerValues(headerBlock, "Set-Cookie")) {
    size_t semicolon = line.find(';');
    std::string_view pair = line.substr(0, semicolon);
    size_t equals = pair.find('=');
    if (equals == std::string_view::npos || holdsControlCharacter(pair)) continue;
    Cookie cookie;
    cookie.name = trimmed(pair.substr(0, equals));
    cookie.value = trimmed(pair.substr(equals + 1));
    if (cookie.name.empty()) continue;
    cookie.domain = host;
    cookie.path = defaultPath(from.path());
    bool remove = false, acceptable = true;
    while (semicolon != std::string_view::npos) {
      std::string_view rest = line.substr(semicolon + 1);
      semicolon = rest.find(';');
      std::string_view attribute = trimmed(rest.substr(0, semicolon));
      line = rest;
      size_t eq = attribute.find('=');
      std::string key = lowerAscii(trimmed(attribute.substr(0, eq)));
      std::string value(eq == std::string_view::npos ? std::string_view() : trimmed(attribute.substr(eq + 1)));
      if (key == "domain" && !value.empty()) {
        std::string domain = lowerAscii(value.front() == '.' ? value.substr(1) : value);
        if (!domainMatches(host, domain)) acceptable = false;
        cookie.domain = domain;
        cookie.hostOnly = false;
      } else if (key == "path" && value.starts_with('/')) {
        cookie.path = value;
      } else if (key == "secure") {
        cookie.secure = true;
      } else if (key == "max-age" && !value.empty()) {
        remove = std::atol(value.c_str()) <= 0;
      } else if (key == "expires") {
        time_t when = curl_getdate(value.c_str(), nullptr);
        remove = when != -1 && when <= std::time(nullptr);
      }
    }
    if (!acceptable) continue;
    std::erase_if(cookies_, [&](const Cookie& c) {
      return c.name == cookie.name && c.domain == cookie.domain && c.path == cookie.path;
    });
    if (!remove) cookies_.push_back(std::move(cookie));
  }
}

std::string RedirectCookies::cookieValue(const Destination& to, std::string_view callerValue) const {
  const std::string host = lowerAscii(to.host);
  const std::string path = to.path();
  struct Item {
    std::string name;
    std::optional<std::string> value;  // none for an item without '='
  };
  std::vector<Item> items;
  // The caller's items, in order.
  size_t pos = 0;
  while (pos < callerValue.size()) {
    size_t end = callerValue.find(';', pos);
    if (end == std::string_view::npos) end = callerValue.size();
    std::string_view item = trimmed(callerValue.substr(pos, end - pos));
    pos = end + 1;
    if (item.empty()) continue;
    size_t equals = item.find('=');
    if (equals == std::string_view::npos)
      items.push_back({std::string(item), std::nullopt});
    else
      items.push_back({std::string(trimmed(item.substr(0, equals))), std::string(item.substr(equals + 1))});
  }
  for (const Cookie& c : cookies_) {
    if (!(c.hostOnly ? host == c.domain : domainMatches(host, c.domain)) ||
        !pathMatches(path, c.path) || (c.secure && !to.secure))
      continue;
    auto same = std::find_if(items.begin(), items.end(), [&](const Item& i) { return i.name == c.name; });
    if (same != items.end())
      same->value = c.value;
    else
      items.push_back({c.name, c.value});
  }
  std::string value;
  for (const Item& item : items) {
    if (!value.empty()) value += "; ";
    value += item.value ? item.name + "=" + *item.value : item.name;
  }
  return value;
}

}  // namespace winhttp_detail
