// UTF-16 text as the system's wide-character functions take it. Windows names
// the unit wchar_t (16 bits there); the stand-ins of the Linux build name it
// char16_t, since wchar_t has 32 bits on Linux. Code above platform/ writes
// WideChar, WideString and WIDE("...") and means the same on both.
#pragma once

#include <string>
#include <string_view>

#ifdef _WIN32
using WideChar = wchar_t;
#define WIDE(literal) L##literal
#else
using WideChar = char16_t;
#define WIDE(literal) u##literal
#endif
static_assert(sizeof(WideChar) == 2, "UTF-16 units");

using WideString = std::basic_string<WideChar>;
using WideStringView = std::basic_string_view<WideChar>;
