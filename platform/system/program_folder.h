// The folder of the running executable as the current directory, as the
// program's start-up asks for it.
#pragma once

// Makes the executable's folder the current directory; nothing changes when
// it cannot be found.
void enterProgramFolder();
