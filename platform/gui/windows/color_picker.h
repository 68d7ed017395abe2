// The colour picker: an owner-drawn drop-down combo box that shows its
// current colour (drawn on WM_DRAWITEM, reflected from the parent). Pressing
// it (mouse, F4, Alt+Down, Up or Down, Space) drops down the
// colour palette (palette_popup.h) in place of the combo box's own list; a
// choice there sets the colour and raises the change event, dismissing it
// keeps the colour.
#pragma once

#include <memory>

#include "platform/gui/windows/control_wnd.h"
#include "platform/gui/windows/palette_popup.h"

namespace gui::win32 {

struct ColorPickerArgs : ChildArgs {
  COLORREF colour = 0;
};

class ColorPickerWnd : public ControlWnd {
 public:
  using ControlWnd::ControlWnd;
  bool create(const ColorPickerArgs& args);

  COLORREF colour() const { return colour_; }
  // Sets and shows the colour, without the change event.
  void setColour(COLORREF colour);
  // Drops the palette down below the picker.
  void openPalette();
  // The palette while it is open, else null.
  PalettePopup* openPaletteNow() const;

  bool onDrawItem(const DRAWITEMSTRUCT& item) override;
  bool onMeasureItem(MEASUREITEMSTRUCT& item) override;

 protected:
  LRESULT wndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void fitHeight(int height);

  COLORREF colour_ = 0;
  std::unique_ptr<PalettePopup> palette_;
};

}  // namespace gui::win32
