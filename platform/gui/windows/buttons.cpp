#include "platform/gui/windows/buttons.h"

#include "platform/gui/windows/containers.h"

namespace gui::win32 {

bool CheckButton::create(const CheckBoxArgs& args) {
  if (!createWindow("BUTTON", args, WS_TABSTOP | BS_AUTOCHECKBOX, 0)) return false;
  setChecked(args.checked);
  return true;
}

bool CheckButton::create(const RadioBoxArgs& args) {
  radio_ = true;
  if (!createWindow("BUTTON", args, WS_TABSTOP | BS_RADIOBUTTON, 0)) return false;
  setChecked(args.checked);
  return true;
}

bool CheckButton::checked() const {
  return SendMessageA(hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CheckButton::setChecked(bool checked) {
  SendMessageA(hwnd(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool CheckButton::onCommand(WORD code) {
  if (code != BN_CLICKED) return false;
  if (radio_) setChecked(true);
  raiseEvent(control(), control().onClick);
  return true;
}

bool GroupBox::create(const GroupBoxArgs& args) {
  return createWindow("BUTTON", args, BS_GROUPBOX | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
}

void GroupBox::repaint() {
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

LRESULT GroupBox::wndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      // The system's group box paints its frame and caption only.
      eraseWithParentBrush(hwnd(), reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_NCHITTEST:
      // A container, not a hole: a press on it does not move the window.
      return HTCLIENT;
    default:
      break;
  }
  return ControlWnd::wndProc(message, wParam, lParam);
}

}  // namespace gui::win32
