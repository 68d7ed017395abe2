// Text that crosses the console: command-line arguments on the way in,
// standard output and standard error on the way out. The program's code works
// in local text (GBK); these two functions are the only place where console
// text and local text meet, so that every argument and every line printed
// goes through the same conversion.
//
// On Linux the terminal speaks UTF-8: text coming in is converted to GBK and
// text going out to UTF-8. On Windows the console already reads and writes
// local text, which passes as it is.
#pragma once

#include <string>
#include <string_view>

#include "platform/text/text.h"

// A command-line argument (or other text the terminal gave) as local text.
Text fromConsoleText(std::string_view terminalText);

// Local text as the terminal shows it.
std::string toConsoleText(std::string_view localText);

// The console's text as help texts name it ("UTF-8", "local text").
extern const char* const ConsoleTextName;

// Makes standard output and standard error carry bytes exactly as written:
// on Windows they translate LF to CR LF by default, which would corrupt a
// body or table written to them; here it does nothing. Call it before
// writing.
void useBinaryConsoleOutput();
