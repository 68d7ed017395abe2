// The Form's state as the backend of this platform keeps it: Win32 windows
// on Windows, Qt widgets elsewhere.
#pragma once

#ifdef _WIN32
#include "platform/gui/windows/form_state.h"
#else
#include "platform/gui/form_state.h"
#endif
