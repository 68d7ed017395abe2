// kestrune: the main window. Takes no arguments.
#include "app/startup.h"

int main() { return runProgram(); }
