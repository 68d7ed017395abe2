// The drop-down palette of a colour picker: a borderless popup with the row
// "透明" (the system default colour, 0xFF000000), a grid of the 32 palette
// colours (18 x 18 cells, 7 a row, the names as tooltips) and the row
// "其它颜色..." that opens the system's colour dialog (ChooseColorA).
//
// A click on an entry, or Enter / Space on the highlighted one, chooses it.
// The arrow keys move the highlight (Left / Right one entry on, Up / Down
// one row, "透明" before the first cell and "其它颜色..." after the last).
// Esc, a click outside the popup, the popup losing the mouse, the picker
// losing the focus, or a cancelled colour dialog dismiss it. Either way the
// popup hides and reports once: the colour chosen, or nothing. The popup is
// never activated: its picker keeps the focus and hands it the keys.
#pragma once

#include <functional>
#include <optional>

#include "platform/gui/palette/palette_grid.h"
#include "platform/gui/windows/wnd.h"

namespace gui::win32 {

class PalettePopup : public Wnd {
 public:
  using Done = std::function<void(std::optional<COLORREF> chosen)>;
  // Runs a colour dialog that starts at `initial`; the colour chosen, or
  // nothing when cancelled.
  using ColourDialog = std::function<std::optional<COLORREF>(COLORREF initial, HWND owner)>;

  // `owner` is the form's window, which the colour dialog is modal to.
  PalettePopup(COLORREF current, HWND owner, Done done);
  ~PalettePopup() override;

  // Shows the popup with its top left corner at the given screen point,
  // shifted as needed to lie wholly on the work area of that monitor.
  void popupAt(POINT screenTopLeft);
  // The dialog behind "其它颜色..."; ChooseColorA by default.
  void setColourDialog(ColourDialog dialog) { colourDialog_ = std::move(dialog); }

  // The highlighted entry (palette_grid.h numbers them).
  int highlighted() const { return highlighted_; }
  // Where an entry lies, in the popup's client coordinates.
  RECT entryRect(int entry) const;
  SIZE size() const;
  bool finished() const { return finished_; }
  // Closes the popup without a choice (not while its colour dialog runs).
  void dismiss();
  // Keys the picker hands on.
  LRESULT key(UINT message, WPARAM wParam, LPARAM lParam) { return wndProc(message, wParam, lParam); }

 protected:
  LRESULT wndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  int entryAt(POINT client) const;
  void setHighlighted(int entry);
  void addTooltips();
  void paint(HDC dc);
  void choose(int entry);
  void finish(std::optional<COLORREF> colour);

  COLORREF current_;
  HWND owner_;
  Done done_;
  ColourDialog colourDialog_;
  HFONT font_;
  int margin_;
  int rowHeight_ = 0;
  int contentWidth_ = 0;
  int highlighted_ = palette::NoEntry;
  bool pressedInside_ = false;
  bool pointerRests_ = false;  // the pointer has not moved since the popup opened
  POINT restingPointer_{};
  bool finished_ = false;
  bool inDialog_ = false;
  HWND tooltips_ = nullptr;
};

// The system's colour dialog (ChooseColorA) owned by `owner`, starting at
// `initial` (white for the system default).
std::optional<COLORREF> chooseColourDialog(COLORREF initial, HWND owner);

}  // namespace gui::win32
