// kestrune-cli: the program's evaluations and building blocks on the command
// line, for operators and scripts. Arguments and output are console text
// (platform/system/console_text.h).
#include "tools/cli/command.h"

int main(int argc, char** argv) { return runCommandLine(argc, argv); }
