// The 32 colours of a colour picker's palette, in row order.
#pragma once

#include <array>
#include <cstdint>

struct PaletteColour {
  const char* name;   // UTF-8, shown as the cell's tooltip
  uint32_t colorref;  // 0x00BBGGRR
};

inline constexpr int PaletteColourCount = 32;
extern const std::array<PaletteColour, PaletteColourCount> PaletteColours;
