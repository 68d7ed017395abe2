// Milliseconds since an arbitrary start, 32 bits, wrapping (GetTickCount).
#pragma once

#include <cstdint>

uint32_t GetTickCount();
