// The entries of a colour picker's palette in highlight order ("透明", the
// 32 cells in rows of 7, "其它颜色...") and how the arrow keys move the
// highlight between them: Left / Right one entry on, Up / Down one row,
// "透明" before the first cell and "其它颜色..." after the last.
#pragma once

#include <cstdint>

#include "platform/gui/palette/palette_colours.h"

namespace palette {

inline constexpr int NoEntry = -1;
inline constexpr int DefaultEntry = 0;
inline constexpr int FirstCell = 1;
inline constexpr int LastCell = FirstCell + PaletteColourCount - 1;
inline constexpr int OtherEntry = LastCell + 1;
inline constexpr int CellSize = 18;
inline constexpr int Columns = 7;
inline constexpr int Rows = (PaletteColourCount + Columns - 1) / Columns;

enum class Arrow { Left, Right, Up, Down };

inline bool isCell(int entry) { return entry >= FirstCell && entry <= LastCell; }

// The entry that shows `colour` (0xFF000000: "透明"), or NoEntry.
int entryOfColour(uint32_t colour);

// Where `arrow` moves the highlight from `entry` (from NoEntry: Left and Up
// go to "其它颜色...", Right and Down to "透明").
int neighbour(int entry, Arrow arrow);

}  // namespace palette
