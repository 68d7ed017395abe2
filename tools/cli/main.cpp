// kestrune-cli: the program's evaluations and building blocks on the command
// line, for operators and scripts. Arguments and output are UTF-8.
#include "tools/cli/command.h"

int main(int argc, char** argv) { return runCommandLine(argc, argv); }
