// The containers: the form's frameless window (moved by dragging its own
// background, closed by Esc, the owner of the window timers) and the
// picture box. The group box is a button (buttons.h).
#pragma once

#include "platform/gui/windows/control_wnd.h"

namespace gui::win32 {

struct FormWindowArgs {
  Geometry geometry;
  Text title;
  bool frameless = true;
  bool alwaysOnTop = false;
  bool dragByBackground = true;
};

class FormWindow : public ControlWnd {
 public:
  using ControlWnd::ControlWnd;
  bool create(const FormWindowArgs& args);
  void repaint() override;

 protected:
  LRESULT wndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  bool dragByBackground_ = true;
  HWND focusBeforeDeactivation_ = nullptr;
};

struct PicBoxArgs : ChildArgs {};

class PicBox : public ControlWnd {
 public:
  using ControlWnd::ControlWnd;
  bool create(const PicBoxArgs& args);
  void repaint() override;

 protected:
  LRESULT wndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// Fills `hwnd`'s client area with the brush its parent gives it through
// WM_CTLCOLORSTATIC (the form's window fills with its own).
void eraseWithParentBrush(HWND hwnd, HDC dc);

// Whether a window of this thread other than `except` is an open form.
bool anotherFormOpen(HWND except);

}  // namespace gui::win32
