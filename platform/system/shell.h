// The shell's "open" verb: hands a file or address to the desktop's default
// handler (xdg-open), detached from the calling process.
#pragma once

#include <cstdint>

#ifdef _WIN32
#include "platform/windows_sdk.h"  // ShellExecuteA
#else
using HINSTANCE = void*;
using HWND = void*;

inline constexpr int SW_SHOWNORMAL = 1;

// Only the verb "open" (or a null verb, which means the default "open") is
// supported; `parameters` and `directory` must be null or empty. Starts the
// handler without waiting for it and returns a value greater than 32 when it
// could be started; 2 (file not found) when the handler is missing, 31 (no
// association) for another verb. The handler's own outcome is not known.
HINSTANCE ShellExecuteA(HWND owner, const char* verb, const char* file, const char* parameters,
                        const char* directory, int showCommand);
#endif  // _WIN32
