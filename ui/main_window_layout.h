// The main window's layout: the window and its 54 controls, in creation
// order (later controls lie above earlier ones).
#pragma once

#include "platform/gui/layout.h"

// Colours of the layout.
inline constexpr COLORREF Blue = RGB(0, 136, 255);     // 0x00FF8800
inline constexpr COLORREF White = RGB(255, 255, 255);  // 0x00FFFFFF
inline constexpr COLORREF Red = RGB(255, 0, 0);        // 0x000000FF
inline constexpr COLORREF Yellow = RGB(255, 255, 0);   // 0x0000FFFF
inline constexpr COLORREF Black = 0;

// The live area: the left part of the window that is captured for the
// stream, and all of it while the panel is hidden.
inline constexpr int32_t LiveAreaWidth = 488;

const gui::Layout& mainWindowLayout();
