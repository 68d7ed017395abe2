// The edit box: the system's EDIT control, GBK text through the A
// functions, colours through WM_CTLCOLOREDIT, plus the short-integer input
// mode (typed characters other than "-" and digits are refused; on losing
// the focus the text becomes the clamped 16-bit value, "0" empty).
#pragma once

#include "platform/gui/windows/control_wnd.h"

namespace gui::win32 {

struct EditBoxArgs : ChildArgs {
  HAlign align = HAlign::Left;
  bool framed = false;
  bool multiLine = false;
  bool wantReturn = false;
  bool hideSelection = true;
  int32_t maxLength = 0;  // 0 = unlimited
  InputMode inputMode = InputMode::Any;
};

class EditBoxWnd : public ControlWnd {
 public:
  using ControlWnd::ControlWnd;
  bool create(const EditBoxArgs& args);

  Text text() const;
  // Line breaks are CR LF; a single-line box keeps what stands before the
  // first line break.
  void setText(const Text& text);

  bool onCommand(WORD code) override;

 protected:
  LRESULT wndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool acceptsChar(WPARAM character) const override;

 private:
  void rewriteShortInteger();

  EditBoxArgs args_;
};

}  // namespace gui::win32
