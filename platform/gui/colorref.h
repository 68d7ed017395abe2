// Windows colour values: COLORREF order, red in the low byte, then green,
// then blue; the top byte is 0. 0xFF000000 stands for the system default.
#pragma once

#include <cstdint>

#ifdef _WIN32
#include "platform/windows_sdk.h"  // COLORREF, RGB
#else
using COLORREF = uint32_t;

constexpr COLORREF RGB(uint8_t red, uint8_t green, uint8_t blue) {
  return static_cast<COLORREF>(red) | static_cast<COLORREF>(green) << 8 |
         static_cast<COLORREF>(blue) << 16;
}
#endif  // _WIN32

inline constexpr COLORREF SystemDefaultColour = 0xFF000000u;
