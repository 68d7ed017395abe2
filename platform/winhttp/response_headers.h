// Reading a response header block: "HTTP/1.1 200 OK\r\nName: value\r\n...\r\n\r\n".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace winhttp_detail {

// Values of the header lines named `name` (case-insensitive), in order,
// without the blanks around them.
std::vector<std::string_view> headerValues(std::string_view block, std::string_view name);

// The status line's parts: "HTTP/1.1", "200", "OK".
struct StatusLine {
  std::string_view version, code, reason;
};
StatusLine statusLineOf(std::string_view block);

}  // namespace winhttp_detail
