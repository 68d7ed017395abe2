// The terminal of this platform speaks UTF-8.
#include "platform/system/console_text.h"

#include "platform/text/gbk.h"

Text fromConsoleText(std::string_view terminalText) { return utf8ToGbk(terminalText); }

std::string toConsoleText(std::string_view localText) { return gbkToUtf8(localText); }

const char* const ConsoleTextName = "UTF-8";

void useBinaryConsoleOutput() {}
