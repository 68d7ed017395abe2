// The Windows SDK headers, included the one way every Windows side of
// platform/ includes them: the ANSI names stay the program's (UNICODE is never
// defined), min and max are not macros, and the COM and OLE Automation
// declarations come with the rest.
#pragma once

#ifndef _WIN32
#error "platform/windows_sdk.h belongs to the Windows build"
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#undef UNICODE
#undef _UNICODE

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <objbase.h>
