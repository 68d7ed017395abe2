#include "tests/support/recorded_request.h"

#include <cctype>

namespace kestrune_test {

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

std::string RecordedRequest::header(std::string_view name) const {
  for (const auto& [n, v] : headers)
    if (equalsIgnoreCase(n, name)) return v;
  return {};
}

int RecordedRequest::headerCount(std::string_view name) const {
  int count = 0;
  for (const auto& h : headers)
    if (equalsIgnoreCase(h.first, name)) ++count;
  return count;
}

char patternByte(size_t index) {
  // Not periodic at any power of two, so shifted or lost blocks show.
  return static_cast<char>((index * 7 + index / 251) & 0xFF);
}

std::string patternBytes(size_t offset, size_t count) {
  std::string bytes(count, '\0');
  for (size_t i = 0; i < count; ++i) bytes[i] = patternByte(offset + i);
  return bytes;
}

}  // namespace kestrune_test
