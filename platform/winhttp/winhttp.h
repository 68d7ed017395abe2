// Windows HTTP Services (WinHTTP), synchronous mode: sessions, connections
// and requests with the Windows names, values and results.
//
// Strings are UTF-16 (WideChar: char16_t here, wchar_t on Windows, where
// this header is the system's). Every function reports failure through its
// return value (FALSE or a null handle) and leaves the reason for
// GetLastError() of the calling thread; a success does not clear it.
//
// Where the network does its work, as in WinHTTP:
//  - WinHttpSendRequest resolves the name, connects (through the proxy, with
//    the TLS handshake) and starts the request; a refused connection, a name
//    that does not resolve or a failed handshake fails it.
//  - WinHttpWriteData streams the request body; the stand-in holds no copy.
//  - WinHttpReceiveResponse waits for the final response headers, following
//    redirects; no response within the receive timeout fails it.
//  - WinHttpQueryDataAvailable / WinHttpReadData stream the response body
//    through a bounded buffer. A body that breaks off (connection closed or
//    reset early, broken chunked encoding, no data within the receive
//    timeout) fails the read: once the bytes that did arrive have been read,
//    WinHttpQueryDataAvailable reports one byte so that the WinHttpReadData
//    that follows fails with the reason; later calls fail as well.
#pragma once

#include <cstdint>

#ifdef _WIN32
#include "platform/windows_sdk.h"
#include <winhttp.h>  // the system's WinHTTP (winhttp.dll)
// The size the request engine gives a URL_COMPONENTS record: the record's own
// size, 60 bytes in the 32-bit program.
constexpr DWORD URL_COMPONENTS_SIZE_32BIT = sizeof(URL_COMPONENTS);
#else
using BOOL = int;
using DWORD = uint32_t;
using WORD = uint16_t;
using DWORD_PTR = uintptr_t;
using INTERNET_PORT = WORD;
using INTERNET_SCHEME = int;
using LPVOID = void*;
using LPCVOID = const void*;
using LPDWORD = DWORD*;
using LPWSTR = char16_t*;
using LPCWSTR = const char16_t*;

// A session, connection or request. Opaque; compare only with nullptr.
using HINTERNET = struct WinHttpHandle*;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// ---- Access types (WinHttpOpen) ----
constexpr DWORD WINHTTP_ACCESS_TYPE_DEFAULT_PROXY = 0;  // no system proxy here: as NO_PROXY
constexpr DWORD WINHTTP_ACCESS_TYPE_NO_PROXY = 1;
constexpr DWORD WINHTTP_ACCESS_TYPE_NAMED_PROXY = 3;
constexpr LPCWSTR WINHTTP_NO_PROXY_NAME = nullptr;
constexpr LPCWSTR WINHTTP_NO_PROXY_BYPASS = nullptr;

// ---- Ports and schemes ----
constexpr INTERNET_PORT INTERNET_DEFAULT_PORT = 0;
constexpr INTERNET_PORT INTERNET_DEFAULT_HTTP_PORT = 80;
constexpr INTERNET_PORT INTERNET_DEFAULT_HTTPS_PORT = 443;
constexpr INTERNET_SCHEME INTERNET_SCHEME_HTTP = 1;
constexpr INTERNET_SCHEME INTERNET_SCHEME_HTTPS = 2;

// ---- WinHttpOpenRequest ----
constexpr DWORD WINHTTP_FLAG_ESCAPE_PERCENT = 0x00000004;
constexpr DWORD WINHTTP_FLAG_NULL_CODEPAGE = 0x00000008;
constexpr DWORD WINHTTP_FLAG_ESCAPE_DISABLE = 0x00000040;
constexpr DWORD WINHTTP_FLAG_ESCAPE_DISABLE_QUERY = 0x00000080;
constexpr DWORD WINHTTP_FLAG_BYPASS_PROXY_CACHE = 0x00000100;
constexpr DWORD WINHTTP_FLAG_REFRESH = WINHTTP_FLAG_BYPASS_PROXY_CACHE;
constexpr DWORD WINHTTP_FLAG_SECURE = 0x00800000;
constexpr LPCWSTR WINHTTP_NO_REFERER = nullptr;
constexpr LPCWSTR* WINHTTP_DEFAULT_ACCEPT_TYPES = nullptr;

// ---- WinHttpSetCredentials ----
constexpr DWORD WINHTTP_AUTH_TARGET_SERVER = 0;
constexpr DWORD WINHTTP_AUTH_TARGET_PROXY = 1;
constexpr DWORD WINHTTP_AUTH_SCHEME_BASIC = 0x00000001;  // the only scheme supported here
constexpr DWORD WINHTTP_AUTH_SCHEME_NTLM = 0x00000002;
constexpr DWORD WINHTTP_AUTH_SCHEME_PASSPORT = 0x00000004;
constexpr DWORD WINHTTP_AUTH_SCHEME_DIGEST = 0x00000008;
constexpr DWORD WINHTTP_AUTH_SCHEME_NEGOTIATE = 0x00000010;

// ---- WinHttpSetOption ----
// Options take a 4-byte DWORD value (dwBufferLength 4).
constexpr DWORD WINHTTP_OPTION_SECURITY_FLAGS = 31;   // request handle
constexpr DWORD WINHTTP_OPTION_DISABLE_FEATURE = 63;  // request handle
constexpr DWORD WINHTTP_OPTION_ENABLE_FEATURE = 79;   // request or session handle
constexpr DWORD WINHTTP_OPTION_REDIRECT_POLICY = 88;  // request or session handle
constexpr DWORD WINHTTP_OPTION_MAX_HTTP_AUTOMATIC_REDIRECTS = 89;  // request or session

constexpr DWORD SECURITY_FLAG_IGNORE_UNKNOWN_CA = 0x00000100;
constexpr DWORD SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE = 0x00000200;
constexpr DWORD SECURITY_FLAG_IGNORE_CERT_CN_INVALID = 0x00001000;
constexpr DWORD SECURITY_FLAG_IGNORE_CERT_DATE_INVALID = 0x00002000;
constexpr DWORD SECURITY_FLAG_IGNORE_ALL_CERT_ERRORS = 0x00003300;

constexpr DWORD WINHTTP_DISABLE_COOKIES = 0x00000001;
constexpr DWORD WINHTTP_DISABLE_REDIRECTS = 0x00000002;
constexpr DWORD WINHTTP_DISABLE_AUTHENTICATION = 0x00000004;
constexpr DWORD WINHTTP_DISABLE_KEEP_ALIVE = 0x00000008;

constexpr DWORD WINHTTP_ENABLE_SSL_REVOCATION = 0x00000001;
constexpr DWORD WINHTTP_ENABLE_SSL_REVERT_IMPERSONATION = 0x00000002;

constexpr DWORD WINHTTP_OPTION_REDIRECT_POLICY_NEVER = 0;
constexpr DWORD WINHTTP_OPTION_REDIRECT_POLICY_DISALLOW_HTTPS_TO_HTTP = 1;
constexpr DWORD WINHTTP_OPTION_REDIRECT_POLICY_ALWAYS = 2;

// ---- WinHttpAddRequestHeaders ----
constexpr DWORD WINHTTP_ADDREQ_INDEX_MASK = 0x0000FFFF;
constexpr DWORD WINHTTP_ADDREQ_FLAGS_MASK = 0xFFFF0000;
constexpr DWORD WINHTTP_ADDREQ_FLAG_ADD_IF_NEW = 0x10000000;
constexpr DWORD WINHTTP_ADDREQ_FLAG_ADD = 0x20000000;
constexpr DWORD WINHTTP_ADDREQ_FLAG_COALESCE_WITH_COMMA = 0x40000000;
constexpr DWORD WINHTTP_ADDREQ_FLAG_COALESCE_WITH_SEMICOLON = 0x01000000;
constexpr DWORD WINHTTP_ADDREQ_FLAG_COALESCE = WINHTTP_ADDREQ_FLAG_COALESCE_WITH_COMMA;
constexpr DWORD WINHTTP_ADDREQ_FLAG_REPLACE = 0x80000000;

// ---- WinHttpSendRequest ----
constexpr LPCWSTR WINHTTP_NO_ADDITIONAL_HEADERS = nullptr;
constexpr LPVOID WINHTTP_NO_REQUEST_DATA = nullptr;

// ---- WinHttpQueryHeaders ----
constexpr DWORD WINHTTP_QUERY_CONTENT_TYPE = 1;
constexpr DWORD WINHTTP_QUERY_CONTENT_LENGTH = 5;
constexpr DWORD WINHTTP_QUERY_VERSION = 18;
constexpr DWORD WINHTTP_QUERY_STATUS_CODE = 19;
constexpr DWORD WINHTTP_QUERY_STATUS_TEXT = 20;
constexpr DWORD WINHTTP_QUERY_RAW_HEADERS = 21;
constexpr DWORD WINHTTP_QUERY_RAW_HEADERS_CRLF = 22;
constexpr DWORD WINHTTP_QUERY_CONTENT_ENCODING = 29;
constexpr DWORD WINHTTP_QUERY_LOCATION = 33;
constexpr DWORD WINHTTP_QUERY_SET_COOKIE = 43;
constexpr DWORD WINHTTP_QUERY_TRANSFER_ENCODING = 63;
constexpr DWORD WINHTTP_QUERY_CUSTOM = 65535;
constexpr DWORD WINHTTP_QUERY_FLAG_NUMBER = 0x20000000;
constexpr LPCWSTR WINHTTP_HEADER_NAME_BY_INDEX = nullptr;
constexpr LPVOID WINHTTP_NO_OUTPUT_BUFFER = nullptr;
constexpr LPDWORD WINHTTP_NO_HEADER_INDEX = nullptr;

// ---- WinHttpCrackUrl ----
constexpr DWORD ICU_ESCAPE = 0x80000000;
constexpr DWORD ICU_DECODE = 0x10000000;
constexpr DWORD ICU_REJECT_USERPWD = 0x00004000;

// Field layout as in Windows. dwStructSize must be sizeof(URL_COMPONENTS) or
// 60, the size of the 32-bit layout. For each string component: a non-zero
// length with a null pointer asks for a pointer into the URL (the length
// receives the component's length in characters); a pointer with a non-zero
// length is a buffer of that many characters that receives a zero-terminated
// copy; a null pointer with length 0 leaves the component out.
struct URL_COMPONENTS {
  DWORD dwStructSize;
  LPWSTR lpszScheme;
  DWORD dwSchemeLength;
  INTERNET_SCHEME nScheme;
  LPWSTR lpszHostName;
  DWORD dwHostNameLength;
  INTERNET_PORT nPort;
  LPWSTR lpszUserName;
  DWORD dwUserNameLength;
  LPWSTR lpszPassword;
  DWORD dwPasswordLength;
  LPWSTR lpszUrlPath;
  DWORD dwUrlPathLength;
  LPWSTR lpszExtraInfo;
  DWORD dwExtraInfoLength;
};
using LPURL_COMPONENTS = URL_COMPONENTS*;
constexpr DWORD URL_COMPONENTS_SIZE_32BIT = 60;

// ---- Error codes (GetLastError) ----
constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_WINHTTP_OUT_OF_HANDLES = 12001;
constexpr DWORD ERROR_WINHTTP_TIMEOUT = 12002;
constexpr DWORD ERROR_WINHTTP_INTERNAL_ERROR = 12004;
constexpr DWORD ERROR_WINHTTP_INVALID_URL = 12005;
constexpr DWORD ERROR_WINHTTP_UNRECOGNIZED_SCHEME = 12006;
constexpr DWORD ERROR_WINHTTP_NAME_NOT_RESOLVED = 12007;
constexpr DWORD ERROR_WINHTTP_INVALID_OPTION = 12009;
constexpr DWORD ERROR_WINHTTP_OPTION_NOT_SETTABLE = 12011;
constexpr DWORD ERROR_WINHTTP_LOGIN_FAILURE = 12015;
constexpr DWORD ERROR_WINHTTP_INCORRECT_HANDLE_TYPE = 12018;
constexpr DWORD ERROR_WINHTTP_INCORRECT_HANDLE_STATE = 12019;
constexpr DWORD ERROR_WINHTTP_CANNOT_CONNECT = 12029;
constexpr DWORD ERROR_WINHTTP_CONNECTION_ERROR = 12030;
constexpr DWORD ERROR_WINHTTP_SECURE_CERT_DATE_INVALID = 12037;
constexpr DWORD ERROR_WINHTTP_SECURE_CERT_CN_INVALID = 12038;
constexpr DWORD ERROR_WINHTTP_SECURE_INVALID_CA = 12045;
constexpr DWORD ERROR_WINHTTP_HEADER_NOT_FOUND = 12150;
constexpr DWORD ERROR_WINHTTP_INVALID_SERVER_RESPONSE = 12152;
constexpr DWORD ERROR_WINHTTP_INVALID_HEADER = 12153;
constexpr DWORD ERROR_WINHTTP_INVALID_QUERY_REQUEST = 12154;
constexpr DWORD ERROR_WINHTTP_HEADER_ALREADY_EXISTS = 12155;
constexpr DWORD ERROR_WINHTTP_REDIRECT_FAILED = 12156;
constexpr DWORD ERROR_WINHTTP_SECURE_CHANNEL_ERROR = 12157;
constexpr DWORD ERROR_WINHTTP_SECURE_INVALID_CERT = 12169;
constexpr DWORD ERROR_WINHTTP_SECURE_FAILURE = 12175;
constexpr DWORD ERROR_WINHTTP_HEADER_SIZE_OVERFLOW = 12182;

// The calling thread's last error, as set by the functions below.
DWORD GetLastError();
void SetLastError(DWORD error);

// ---- The functions, in the order a request uses them ----

// TRUE when the HTTP transport is usable (libcurl with HTTP and TLS).
BOOL WinHttpCheckPlatform();

// Splits an http or https URL. dwUrlLength 0 means zero-terminated.
BOOL WinHttpCrackUrl(LPCWSTR pwszUrl, DWORD dwUrlLength, DWORD dwFlags,
                     LPURL_COMPONENTS lpUrlComponents);

// A session. pszProxyW for WINHTTP_ACCESS_TYPE_NAMED_PROXY: entries
// "[scheme=]host[:port]" separated by ';' or blanks; an entry without a
// scheme serves http and https URLs, "http=" only http URLs, "https=" only
// https URLs (always reached through CONNECT). pszProxyBypassW: host names
// ('*' wildcards) or "<local>" (names without a dot) that go direct.
HINTERNET WinHttpOpen(LPCWSTR pszAgentW, DWORD dwAccessType, LPCWSTR pszProxyW,
                      LPCWSTR pszProxyBypassW, DWORD dwFlags);

// Milliseconds; 0 or -1 is no limit. On a session (for requests opened
// later) or a request. Defaults: resolve no limit, connect 60000, send
// 30000, receive 30000. Receive is the longest wait for the response
// headers and then for each next piece of the body.
BOOL WinHttpSetTimeouts(HINTERNET hInternet, int nResolveTimeout, int nConnectTimeout,
                        int nSendTimeout, int nReceiveTimeout);

// Records the server; nothing goes on the network. nServerPort 0 is the
// scheme's default port.
HINTERNET WinHttpConnect(HINTERNET hSession, LPCWSTR pswzServerName,
                         INTERNET_PORT nServerPort, DWORD dwReserved);

// pwszVerb null is "GET"; pwszObjectName null is "/"; pwszVersion null is
// HTTP/1.1 ("HTTP/1.0" is accepted). Unsafe characters of the object name
// are percent-escaped (UTF-8) unless the escape flags say otherwise; a
// fragment ('#' on) is not sent.
HINTERNET WinHttpOpenRequest(HINTERNET hConnect, LPCWSTR pwszVerb, LPCWSTR pwszObjectName,
                             LPCWSTR pwszVersion, LPCWSTR pwszReferrer,
                             LPCWSTR* ppwszAcceptTypes, DWORD dwFlags);

// Basic credentials for the server or the proxy, sent with the request.
BOOL WinHttpSetCredentials(HINTERNET hRequest, DWORD AuthTargets, DWORD AuthScheme,
                           LPCWSTR pwszUserName, LPCWSTR pwszPassword, LPVOID pAuthParams);

BOOL WinHttpSetOption(HINTERNET hInternet, DWORD dwOption, LPVOID lpBuffer,
                      DWORD dwBufferLength);

// Header lines separated by CR LF; dwHeadersLength in characters, (DWORD)-1
// for zero-terminated. Empty lines are skipped. A line without a colon, a
// name that is empty or holds blanks, control or separator characters, or a
// value holding CR, LF or NUL fails the whole call with
// ERROR_WINHTTP_INVALID_HEADER and adds nothing.
BOOL WinHttpAddRequestHeaders(HINTERNET hRequest, LPCWSTR lpszHeaders, DWORD dwHeadersLength,
                              DWORD dwModifiers);

// Connects and starts the request. lpOptional (dwOptionalLength bytes) is
// sent first; dwTotalLength is the whole body, the rest of which follows
// through WinHttpWriteData. A HEAD request takes no body.
BOOL WinHttpSendRequest(HINTERNET hRequest, LPCWSTR lpszHeaders, DWORD dwHeadersLength,
                        LPVOID lpOptional, DWORD dwOptionalLength, DWORD dwTotalLength,
                        DWORD_PTR dwContext);

BOOL WinHttpWriteData(HINTERNET hRequest, LPCVOID lpBuffer, DWORD dwNumberOfBytesToWrite,
                      LPDWORD lpdwNumberOfBytesWritten);

BOOL WinHttpReceiveResponse(HINTERNET hRequest, LPVOID lpReserved);

// The number of body bytes that can be read now; 0 at the end of the body.
BOOL WinHttpQueryDataAvailable(HINTERNET hRequest, LPDWORD lpdwNumberOfBytesAvailable);

// Up to dwNumberOfBytesToRead bytes; waits only when none are buffered.
// *lpdwNumberOfBytesRead 0 with TRUE is the end of the body.
BOOL WinHttpReadData(HINTERNET hRequest, LPVOID lpBuffer, DWORD dwNumberOfBytesToRead,
                     LPDWORD lpdwNumberOfBytesRead);

// Headers of the final response. Strings are UTF-16 with a terminating zero;
// *lpdwBufferLength is in bytes: on ERROR_INSUFFICIENT_BUFFER it receives the
// size needed (terminator included), on success the size written (without
// it). WINHTTP_QUERY_RAW_HEADERS_CRLF gives the status line and every header
// line, each ending in CR LF, and a final empty line.
BOOL WinHttpQueryHeaders(HINTERNET hRequest, DWORD dwInfoLevel, LPCWSTR pwszName,
                         LPVOID lpBuffer, LPDWORD lpdwBufferLength, LPDWORD lpdwIndex);

// Closes any handle. A handle's children stay usable until closed.
BOOL WinHttpCloseHandle(HINTERNET hInternet);
#endif  // _WIN32
