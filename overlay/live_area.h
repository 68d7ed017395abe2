// The live area as the overlay page draws it: its boxes (the containers
// and the captions and edit boxes inside them) with their places and fonts,
// which stay as they are for the life of the window, and what changes: each
// box's text, colour, visibility, left and width, and the scrolling
// caption's motion. Plain values, taken on the GUI thread and handed on.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gui/colorref.h"
#include "platform/text/text.h"

namespace overlay {

enum class BoxKind { Container, Caption, EditBox };
enum class TextAlign { Left, Centre, Right };

struct LiveBox {
  Text name;        // the control's name in the window's layout
  int parent = -1;  // index of the containing box; -1: the area itself
  BoxKind kind = BoxKind::Caption;
  // Pixels, relative to the parent, as the layout places the control.
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  // The Windows face (empty: the default face), character height in pixels, weight.
  Text face;
  int32_t fontHeight = 0;
  bool bold = false;
  TextAlign align = TextAlign::Left;
  bool verticalCentre = false;
};

struct LiveAreaLayout {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<LiveBox> boxes;  // a container before the boxes in it
};

struct LiveBoxState {
  Text text;  // GBK, line breaks CR LF
  COLORREF colour = SystemDefaultColour;
  bool visible = true;
  int32_t left = 0;
  int32_t width = 0;
};

struct LiveAreaState {
  COLORREF background = SystemDefaultColour;  // the window's background colour
  std::vector<LiveBoxState> boxes;            // in the order of the layout's boxes
};

// The scrolling caption moves one pixel to the left per timer tick and
// wraps from -489 to 488; the page moves it the same way from these values.
struct MarqueeMotion {
  int box = -1;         // the caption's box
  bool running = false;
  int32_t left = 0;     // its left at the moment of the sync
  double period = 0;    // milliseconds per tick, as measured (or as set)
};

}  // namespace overlay
