// The header lines a request carries: what WinHttpAddRequestHeaders accepts
// and how its modifiers combine lines of the same name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/winhttp/winhttp.h"

namespace winhttp_detail {

struct HeaderLine {
  std::string name;   // ASCII token
  std::string value;  // bytes in the ANSI code page, no CR, LF or NUL
};

class RequestHeaders {
 public:
  // Applies a block of CR LF separated lines with WINHTTP_ADDREQ_* modifiers;
  // all lines or none. ERROR_SUCCESS, ERROR_WINHTTP_INVALID_HEADER,
  // ERROR_WINHTTP_HEADER_NOT_FOUND or ERROR_WINHTTP_HEADER_ALREADY_EXISTS.
  DWORD add(std::u16string_view block, DWORD modifiers);
  // Appends a line the stand-in made itself.
  void append(std::string name, std::string value);

  const std::vector<HeaderLine>& lines() const { return lines_; }
  const HeaderLine* find(std::string_view name) const;

 private:
  DWORD apply(HeaderLine line, DWORD modifiers);
  std::vector<HeaderLine> lines_;
};

bool equalsNoCase(std::string_view a, std::string_view b);

// Parses one line "Name: value" into `line`; false for a line WinHTTP
// refuses (no colon, a name that is not a token, CR, LF or NUL in the value).
bool parseHeaderLine(std::u16string_view text, HeaderLine& line);

}  // namespace winhttp_detail
