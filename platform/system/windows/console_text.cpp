// The Windows console reads and writes local text (the ANSI code page, GBK)
// as it is.
#include "platform/system/console_text.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

Text fromConsoleText(std::string_view terminalText) { return Text(terminalText); }

std::string toConsoleText(std::string_view localText) { return std::string(localText); }

const char* const ConsoleTextName = "local text (GBK)";

void useBinaryConsoleOutput() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}
