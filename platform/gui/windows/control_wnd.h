// The wrapper every control's window has: the control it belongs to, its
// colours answered through WM_CTLCOLOR*, and the keyboard and mouse
// behaviour all controls share (Esc closes the form, key-down handlers run
// before the control, Tab moves the focus, double-clicks, the hand cursor).
#pragma once

#include "platform/gui/windows/form_state.h"
#include "platform/gui/windows/wnd.h"

namespace gui::win32 {

// What every control's window is created from; each kind's arguments add
// their own fields.
struct ChildArgs {
  HWND parent = nullptr;
  Geometry geometry;
  Text text;
  HFONT font = nullptr;
  bool visible = true;
};

class ControlWnd : public Wnd {
 public:
  explicit ControlWnd(Control& control) : control_(control) {}

  Control& control() const { return control_; }

  // The control's text and background colours on `dc` and its background
  // brush, the system's colours standing in for the default.
  HBRUSH onCtlColor(HDC dc) override;
  // Repaints what a change of the control's colours or text changes, at once.
  virtual void repaint();

 protected:
  // Creates the window of a system class or one of ours and attaches it.
  bool createWindow(const char* className, const ChildArgs& args, DWORD style, DWORD exStyle);
  LRESULT wndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Whether a typed character reaches the control.
  virtual bool acceptsChar(WPARAM character) const { return true; }
  bool live() const { return control_.form->live; }

 private:
  bool keyDown(WPARAM key);

  Control& control_;
  bool swallowChar_ = false;  // the character of a key that was consumed
};

// Whether a control of `kind` paints its own background (a TransLabel, the
// slider and the colour picker do not have a colour of their own there).
bool fillsItsBackground(ControlKind kind);
// Whether a control of `kind` takes the keyboard focus.
bool takesFocus(ControlKind kind);

// The control's background brush as children that show it through see it:
// its own for a control that fills its background, else its parent's.
HBRUSH backgroundSeenThrough(Control& control);

// Paints at once whatever is pending in `hwnd` and its children.
void paintNow(HWND hwnd);
// Repaints the area of `hwnd` in its parent, with the parent's background
// and every sibling beneath it, at once: what a control without a
// background of its own needs after a change.
void repaintAreaInParent(HWND hwnd);

// Sends the form's window a close request.
void closeForm(FormState& form);
// Moves the focus to the next (or previous) control that takes it, in
// layout order.
void moveFocus(FormState& form, HWND from, bool backwards);

}  // namespace gui::win32
