// kestrune-cli http URL [options]: one exchange through the program's HTTP
// engine (httpRequest), curl-like, for operators and scripts.
//
// Every text argument is console text and becomes local (GBK) text
// (fromConsoleText); --data-binary and file names stay bytes. The body
// printed is the engine's result text as console text. -o writes the body
// bytes exactly as received, to standard output for "-". Exit 0 on a response, 1 with the engine's failure
// message on stderr (a body that broke off is written as far as it arrived,
// and also exits 1), 2 on a usage error.
#include <cctype>
#include <charconv>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>

#include "net/http_request.h"
#include "platform/system/console_text.h"
#include "platform/text/gbk.h"
#include "tools/cli/command.h"

namespace {

struct HttpOptions {
  std::string url;
  std::string method = "GET";
  std::string data;
  std::string dataBinary;
  std::vector<std::string> headers;
  std::string cookies;
  std::string proxy;
  std::string user;
  std::string proxyUser;
  int32_t maxTime = 0;
  bool noRedirect = false;
  bool noDefaultHeaders = false;
  bool noNormalize = false;
  bool noMerge = false;
  bool includeHeaders = false;
  std::string output;
  bool verbose = false;
};

// A method name (any letter case) or an index (any other index is GET, as
// in the engine); nothing when it is neither. `given` is console text.
std::optional<int32_t> methodIndex(const std::string& givenText) {
  const Text given = fromConsoleText(givenText);
  std::string upper;
  for (char c : given) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (int32_t i = HttpGet; i <= HttpPatch; ++i)
    if (upper == httpVerb(i)) return i;
  int32_t index = 0;
  const char* end = given.data() + given.size();
  if (auto [at, error] = std::from_chars(given.data(), end, index); error == std::errc() && at == end && !given.empty())
    return index;
  return std::nullopt;
}

// "user:password" split at the first colon (no colon: a user without password).
std::pair<Text, Text> credentials(const std::string& given) {
  const size_t colon = given.find(':');
  if (colon == std::string::npos) return {fromConsoleText(given), {}};
  return {fromConsoleText(given.substr(0, colon)), fromConsoleText(given.substr(colon + 1))};
}

// The bytes into `file`, or onto standard output for "-".
bool writeFile(const std::string& file, const ByteArray& bytes) {
  if (file == "-") {
    std::cout.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(std::cout.flush());
  }
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

int runHttp(const HttpOptions& o, int32_t method) {
  ByteArray bodyBytes;
  if (!o.dataBinary.empty()) {
    std::string bytes = o.dataBinary;
    if (bytes[0] == '@' && !readInput(o.dataBinary.substr(1), bytes))
      return commandFailure("http", "cannot read '" + o.dataBinary.substr(1) + "'");
    bodyBytes.assign(bytes.begin(), bytes.end());
  }
  Text extraHeaders;
  for (const std::string& line : o.headers) {
    if (!extraHeaders.empty()) extraHeaders += "\r\n";
    extraHeaders += fromConsoleText(line);
  }
  const auto [serverUser, serverPassword] = credentials(o.user);
  const auto [proxyUser, proxyPassword] = credentials(o.proxyUser);

  Text receivedCookies, responseHeaders, redirectLocation, statusText;
  ByteArray responseBody;
  const Text result = httpRequest(
      fromConsoleText(o.url), method, fromConsoleText(o.data), fromConsoleText(o.cookies), &receivedCookies,
      extraHeaders, &responseHeaders, o.noRedirect, serverUser, serverPassword, fromConsoleText(o.proxy),
      proxyUser, proxyPassword, o.maxTime, &redirectLocation, &statusText, &responseBody,
      !o.noMerge, !o.noDefaultHeaders, bodyBytes, !o.noNormalize);

  // The header block is written only when a response arrived.
  const bool responded = !responseHeaders.empty();
  // (The code first: the message's text is made only when it can be the one.)
  const bool brokenOff =
      responded && statusText.starts_with("713 ") && statusText == "713 读取数据失败!"_gbk;
  if (o.verbose && responded) {
    std::cerr << "status: " << toConsoleText(statusText) << "\n"
              << "cookies: " << toConsoleText(receivedCookies) << "\n"
              << "location: " << toConsoleText(redirectLocation) << "\n";
  }
  if (responded) {
    if (o.includeHeaders) std::cout << toConsoleText(responseHeaders);
    if (!o.output.empty()) {
      if (!writeFile(o.output, responseBody)) return commandFailure("http", "cannot write '" + o.output + "'");
    } else {
      std::cout << toConsoleText(result);
    }
    std::cout.flush();
  }
  if (!responded || brokenOff) {
    const std::string why = statusText.empty() ? "no response headers could be read" : toConsoleText(statusText);
    return commandFailure("http", why);
  }
  return 0;
}

Command defineHttp(CLI::App& cli) {
  auto o = std::make_shared<HttpOptions>();
  CLI::App* sub = cli.add_subcommand(
      "http",
      std::string("one HTTP or HTTPS exchange through the program's request engine; prints the body as ") +
          ConsoleTextName);
  sub->add_option("URL", o->url, "absolute http or https URL")->required();
  sub->add_option("-X,--request", o->method,
                  "method name (GET POST HEAD PUT OPTIONS DELETE TRACE CONNECT PATCH) or its index 0-8")
      ->check([](const std::string& v) { return methodIndex(v) ? std::string() : "unknown method '" + v + "'"; });
  sub->add_option("-d,--data", o->data, "request body text");
  sub->add_option("--data-binary", o->dataBinary, "request body bytes; @FILE reads a file, @- standard input");
  sub->add_option("-H,--header", o->headers, "a request header line 'Name: value' (repeatable)")
      ->expected(1)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  sub->add_option("-b,--cookie", o->cookies, "cookies to send: 'a=1; b=2'");
  sub->add_option("-x,--proxy", o->proxy, "proxy host:port");
  sub->add_option("-u,--user", o->user, "server Basic credentials user:password");
  sub->add_option("--proxy-user", o->proxyUser, "proxy Basic credentials user:password");
  sub->add_option("-m,--max-time", o->maxTime, "timeout of each phase in seconds (0: 30)");
  sub->add_flag("--no-redirect", o->noRedirect, "do not follow redirects");
  sub->add_flag("--no-default-headers", o->noDefaultHeaders, "do not add the default request headers");
  sub->add_flag("--no-normalize", o->noNormalize, "keep header names as given");
  sub->add_flag("--no-merge", o->noMerge, "do not merge the sent cookies into the received ones");
  sub->add_flag("-i,--include", o->includeHeaders, "print the response headers before the body");
  sub->add_option("-o,--output", o->output,
                  "write the body bytes exactly as received to FILE; '-' writes them to standard output");
  sub->add_flag("-v,--verbose", o->verbose, "status, received cookies and redirect location on stderr");
  return {sub, [o] { return runHttp(*o, *methodIndex(o->method)); }};
}

const CommandRegistration registration("http", defineHttp);

}  // namespace
