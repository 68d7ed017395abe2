// Milliseconds since an arbitrary start, 32 bits, wrapping (GetTickCount).
#pragma once

#include <cstdint>

#ifdef _WIN32
#include "platform/windows_sdk.h"  // GetTickCount
#else
uint32_t GetTickCount();
#endif  // _WIN32
