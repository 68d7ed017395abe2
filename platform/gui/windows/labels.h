// Label and TransLabel: a caption drawn with DrawTextA in the label's font,
// aligned as the layout says, on the background brush the parent gives
// through WM_CTLCOLORSTATIC, as a static control asks for it. A TransLabel
// has no background: it is transparent for painting (WS_EX_TRANSPARENT, the
// parent and the siblings beneath paint first) and for the mouse.
#pragma once

#include "platform/gui/windows/control_wnd.h"

namespace gui::win32 {

struct LabelArgs : ChildArgs {
  bool transparent = false;  // TransLabel
  HAlign align = HAlign::Left;
  bool verticalCentre = false;
  bool wordWrap = false;
};

class LabelWnd : public ControlWnd {
 public:
  using ControlWnd::ControlWnd;
  bool create(const LabelArgs& args);

 protected:
  LRESULT wndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void paint(HDC dc);

  LabelArgs args_;
  HFONT font_ = nullptr;
};

// The text of a window as GBK (the A functions: the system's code page).
Text windowText(HWND hwnd);

}  // namespace gui::win32
