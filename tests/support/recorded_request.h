// A request as a test server saw it, and a canned response.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrune_test {

using HeaderList = std::vector<std::pair<std::string, std::string>>;

struct RecordedRequest {
  std::string method;   // "GET"
  std::string target;   // the request target as sent: "/a?b=1", or absolute through a proxy
  std::string version;  // "HTTP/1.1"
  // Names as sent, values without the blanks around them. ScriptedServer keeps
  // the order on the wire; HttpTestServer lists them sorted by name.
  HeaderList headers;
  // The body bytes, chunked encoding removed. (HttpTestServer keeps only the
  // parts' contents of a multipart/form-data body.)
  std::string body;
  // ScriptedServer only: the request line and header lines exactly as
  // received, up to and including the empty line.
  std::string rawHead;

  // The first value of `name` (case-insensitive); empty when absent.
  std::string header(std::string_view name) const;
  int headerCount(std::string_view name) const;
  bool hasHeader(std::string_view name) const { return headerCount(name) > 0; }
};

struct TestResponse {
  int status = 200;
  HeaderList headers;  // added as given (Set-Cookie, Location, ...)
  std::string body;
  std::string contentType = "text/plain";
};

// Deterministic bytes for large bodies: byte i of a body is patternByte(i).
char patternByte(size_t index);
std::string patternBytes(size_t offset, size_t count);

bool equalsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace kestrune_test
