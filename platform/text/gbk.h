// Writing GBK text in UTF-8 source files, and the UTF-8 <-> GBK helpers used
// at the program's edges (command line, window framework).
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/text/text.h"

Text utf8ToGbk(std::string_view utf8);
std::string gbkToUtf8(std::string_view gbk);

// "评估价格："_gbk is the GBK form of the literal.
inline Text operator""_gbk(const char* utf8, std::size_t size) {
  return utf8ToGbk(std::string_view(utf8, size));
}
