// httpRequest: one complete HTTP or HTTPS exchange through WinHTTP,
// synchronous on the calling thread, with nothing kept between calls.
//
// Failures are values: a message beginning with a code from 700 to 713 is
// written into *statusText and the result is empty text. Outputs (the
// pointer parameters) are written only at the steps that write them; an
// output left null is not written, and an output whose step does not run
// keeps the caller's value.
//
//   "700 当前系统不支持WinHttp服务!"   the platform check fails
//   "701 解析URL地址失败!"             the URL cannot be split
//   "702 创建WinHttp会话失败!"         no session
//   "705 设置超时时间失败!"            the timeouts cannot be set
//   "703 创建WinHttp连接失败!"         no connection
//   "704 创建WinHttp请求失败!"         no request
//   "707 设置代理凭证失败!"            server or proxy credentials refused
//   "忽略错误/证书错误  失败！"         the certificate-error option refused
//   "708 禁止自动设置Cookies失败!"     the cookie option refused
//   "709 重定向设置失败!"              redirects cannot be switched off
//   "710 设置协议头失败!"              the header block is refused
//   "711 发送请求失败!"                the request cannot be sent (no connection)
//   "712 服务器未响应!"                no response within the timeout
//   "713 读取数据失败!"                the body broke off: the exchange still
//        completes with the bytes that arrived, the headers, cookies and
//        redirect location are still written, and the message stays in
//        *statusText.
#pragma once

#include <cstdint>

#include "platform/text/text.h"

// Indices of the `method` parameter; any other value is GET.
enum HttpMethod : int32_t {
  HttpGet = 0, HttpPost, HttpHead, HttpPut, HttpOptions, HttpDelete, HttpTrace, HttpConnect, HttpPatch
};

// The verb of a method index: "GET", "POST", ... "PATCH"; "GET" outside 0..8.
const char* httpVerb(int32_t method);

// The twenty-one parameters, in call order:
//  url               absolute http or https URL
//  method            HttpMethod index
//  bodyText          request body, used when bodyBytes is empty
//  sendCookies       "name=value; ..." (may begin with "Cookie:")
//  receivedCookies   out: the cookies the response set, merged with sendCookies when asked
//  extraHeaders      caller's header lines, CR LF separated
//  responseHeaders   out: the raw response header block (CR LF lines, an empty line last)
//  noRedirect        do not follow redirects
//  serverUser, serverPassword     Basic credentials for the server (both or neither)
//  proxyAddress      "host:port"; empty: no proxy
//  proxyUser, proxyPassword       Basic credentials for the proxy (both or neither)
//  timeoutSeconds    resolve, connect, send and receive timeout; 0 or less: 30 seconds
//  redirectLocation  out: the value of the response's "Location: " line
//  statusText        out: "200 OK" and the like, or a failure message
//  responseBody      out: the body bytes exactly as received
//  mergeCookies      merge sendCookies into receivedCookies
//  addDefaultHeaders add the default request headers that are missing
//  bodyBytes         request body as bytes; wins over bodyText when not empty
//  normalizeHeaders  capitalise header names
// Returns the body up to its first zero byte as local text, re-decoded when
// the page declares a charset other than "gbk" and "gb2312" in its first
// 1024 bytes; empty on failure.
Text httpRequest(const Text& url, int32_t method = HttpGet, const Text& bodyText = {},
                 const Text& sendCookies = {}, Text* receivedCookies = nullptr,
                 const Text& extraHeaders = {}, Text* responseHeaders = nullptr,
                 bool noRedirect = false, const Text& serverUser = {},
                 const Text& serverPassword = {}, const Text& proxyAddress = {},
                 const Text& proxyUser = {}, const Text& proxyPassword = {},
                 int32_t timeoutSeconds = 0, Text* redirectLocation = nullptr,
                 Text* statusText = nullptr, ByteArray* responseBody = nullptr,
                 bool mergeCookies = true, bool addDefaultHeaders = true,
                 const ByteArray& bodyBytes = {}, bool normalizeHeaders = true);
