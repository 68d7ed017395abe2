// Handles of the stand-in: the session, connection and request objects, the
// table that maps HINTERNET values to them, and their settings.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/winhttp/request_headers.h"
#include "platform/winhttp/winhttp.h"

namespace winhttp_detail {

class RequestLife;

// Milliseconds; 0 means no limit.
struct Timeouts {
  int resolve = 0;
  int connect = 60000;
  int send = 30000;
  int receive = 30000;
};

struct ProxyEntry {
  INTERNET_SCHEME scheme = 0;  // 0: every scheme
  std::string host;
  INTERNET_PORT port = 80;
};

// What a session hands to the requests opened under it.
struct SessionSettings {
  std::string agent;
  std::vector<ProxyEntry> proxies;
  std::vector<std::string> bypass;
  Timeouts timeouts;
  DWORD redirectPolicy = WINHTTP_OPTION_REDIRECT_POLICY_DISALLOW_HTTPS_TO_HTTP;
  DWORD maxRedirects = 10;
  DWORD enabledFeatures = 0;
};

struct Credentials {
  bool set = false;
  std::string user, password;  // bytes in the ANSI code page, as Windows sends Basic
};

// Everything a request knows before it is sent.
struct RequestSettings {
  SessionSettings session;
  std::string host;  // as given to WinHttpConnect, in UTF-8
  INTERNET_PORT port = 0;
  bool secure = false;
  std::string verb;
  std::string target;  // the request target on the wire
  bool http10 = false;
  RequestHeaders headers;
  Credentials server, proxy;
  DWORD securityFlags = 0;
  DWORD disabledFeatures = 0;
};

enum class HandleKind { Session, Connection, Request };

struct Object {
  explicit Object(HandleKind k) : kind(k) {}
  virtual ~Object() = default;
  const HandleKind kind;
  std::mutex lock;  // held for the length of each call on the handle
};

struct Session : Object {
  Session() : Object(HandleKind::Session) {}
  SessionSettings settings;
};

struct Connection : Object {
  Connection() : Object(HandleKind::Connection) {}
  std::shared_ptr<Session> session;
  std::string host;
  INTERNET_PORT port = 0;
};

struct Request : Object {
  Request();
  ~Request() override;
  std::shared_ptr<Connection> connection;
  RequestSettings settings;
  std::unique_ptr<RequestLife> life;  // from WinHttpSendRequest on
};

HINTERNET addHandle(std::shared_ptr<Object> object);
// The object behind a handle, or null with ERROR_INVALID_HANDLE set.
std::shared_ptr<Object> findHandle(HINTERNET handle);
bool removeHandle(HINTERNET handle);

// The object of the wanted kind, or null with the last error set
// (ERROR_INVALID_HANDLE or ERROR_WINHTTP_INCORRECT_HANDLE_TYPE).
template <typename T>
std::shared_ptr<T> findHandleOf(HINTERNET handle, HandleKind kind) {
  std::shared_ptr<Object> object = findHandle(handle);
  if (!object) return nullptr;
  if (object->kind != kind) {
    SetLastError(ERROR_WINHTTP_INCORRECT_HANDLE_TYPE);
    return nullptr;
  }
  return std::static_pointer_cast<T>(object);
}

// Both return FALSE for a use in `return fail(...)`.
inline BOOL fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

// Proxy list "[scheme=][http://]host[:port]" entries and bypass list
// entries, separated by ';' or blanks. False for an entry that cannot be read.
bool parseProxyList(std::u16string_view text, std::vector<ProxyEntry>& proxies);
bool parseBypassList(std::u16string_view text, std::vector<std::string>& bypass);

// True once libcurl is initialised and offers HTTP and HTTPS.
bool transportReady();

// The proxy for a URL of this scheme and host; null when it goes direct.
const ProxyEntry* proxyFor(const SessionSettings& settings, bool secure, const std::string& host);

// UTF-16 to the ANSI code page (936), as Windows narrows header text.
std::string toAnsi(std::u16string_view text);
std::u16string fromAnsi(std::string_view bytes);

}  // namespace winhttp_detail
