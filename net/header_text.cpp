#include "net/header_text.h"

Text trimBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return Text(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

bool beginsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         findText(text.substr(0, prefix.size()), prefix, 1, true) == 1;
}

void dropLast(Text& text, size_t count) {
  text.resize(text.size() >= count ? text.size() - count : 0);
}
