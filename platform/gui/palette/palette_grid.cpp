#include "platform/gui/palette/palette_grid.h"

#include <algorithm>

namespace palette {

int entryOfColour(uint32_t colour) {
  if (colour == 0xFF000000u) return DefaultEntry;
  for (int i = 0; i < PaletteColourCount; ++i)
    if (PaletteColours[i].colorref == colour) return FirstCell + i;
  return NoEntry;
}

int neighbour(int entry, Arrow arrow) {
  if (entry == NoEntry) return (arrow == Arrow::Left || arrow == Arrow::Up) ? OtherEntry : DefaultEntry;
  switch (arrow) {
    case Arrow::Left:
      return std::max(DefaultEntry, entry - 1);
    case Arrow::Right:
      return std::min(OtherEntry, entry + 1);
    case Arrow::Up:
      if (entry == OtherEntry) return LastCell;
      return entry - Columns >= FirstCell ? entry - Columns : DefaultEntry;
    case Arrow::Down:
      if (entry == DefaultEntry) return FirstCell;
      return entry == OtherEntry || entry + Columns > LastCell ? OtherEntry : entry + Columns;
  }
  return entry;
}

}  // namespace palette
