#include "platform/gui/windows/control_wnd.h"

namespace gui {

Control::~Control() {
  if (brush_) DeleteObject(brush_);
}

HWND Control::hwnd() const { return wnd ? wnd->hwnd() : nullptr; }

HBRUSH Control::backBrush(int systemColour) {
  if (backColour & 0xFF000000u) return GetSysColorBrush(systemColour);
  if (!brush_ || brushColour_ != backColour) {
    if (brush_) DeleteObject(brush_);
    brush_ = CreateSolidBrush(backColour);
    brushColour_ = backColour;
  }
  return brush_;
}

}  // namespace gui

namespace gui::win32 {

namespace {

COLORREF resolve(COLORREF colour, int systemColour) {
  return (colour & 0xFF000000u) ? GetSysColor(systemColour) : colour;
}

int32_t shiftState() {
  int32_t state = 0;
  if (GetKeyState(VK_SHIFT) < 0) state |= 1;
  if (GetKeyState(VK_CONTROL) < 0) state |= 2;
  if (GetKeyState(VK_MENU) < 0) state |= 4;
  return state;
}

Control* parentControl(Control& control) {
  const Text& parent = control.spec.parent;
  return parent.empty() ? &control.form->window() : control.form->find(parent);
}

}  // namespace

bool fillsItsBackground(ControlKind kind) {
  switch (kind) {
    case ControlKind::TransLabel:
    case ControlKind::SliderBar:
    case ControlKind::ColorPicker:
    case ControlKind::Timer:
      return false;
    default:
      return true;
  }
}

bool takesFocus(ControlKind kind) {
  switch (kind) {
    case ControlKind::EditBox:
    case ControlKind::CheckBox:
    case ControlKind::RadioBox:
    case ControlKind::SliderBar:
    case ControlKind::ColorPicker:
      return true;
    default:
      return false;
  }
}

HBRUSH backgroundSeenThrough(Control& control) {
  Control* c = &control;
  while (!fillsItsBackground(c->spec.kind) && c->spec.kind != ControlKind::Window) c = parentControl(*c);
  return c->backBrush(c->spec.kind == ControlKind::EditBox ? COLOR_WINDOW : COLOR_BTNFACE);
}

HBRUSH ControlWnd::onCtlColor(HDC dc) {
  Control& c = control_;
  const bool edit = c.spec.kind == ControlKind::EditBox;
  SetTextColor(dc, resolve(c.textColour, edit ? COLOR_WINDOWTEXT : COLOR_BTNTEXT));
  if (c.spec.kind == ControlKind::TransLabel) {
    SetBkMode(dc, TRANSPARENT);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  }
  if (c.spec.kind == ControlKind::ColorPicker) return nullptr;  // the system's
  HBRUSH brush = backgroundSeenThrough(c);
  LOGBRUSH lb{};
  GetObjectA(brush, sizeof lb, &lb);
  SetBkColor(dc, lb.lbColor);
  return brush;
}

void ControlWnd::repaint() {
  if (!hwnd()) return;
  if (!fillsItsBackground(control_.spec.kind)) {
    repaintAreaInParent(hwnd());
    return;
  }
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
}

bool ControlWnd::createWindow(const char* className, const ChildArgs& args, DWORD style, DWORD exStyle) {
  const Geometry& g = args.geometry;
  style |= WS_CHILD | WS_CLIPSIBLINGS | (args.visible ? WS_VISIBLE : 0);
  // The control id: its place in the layout (WM_MEASUREITEM names a child by id).
  const auto id = static_cast<UINT_PTR>(control_.form->controls.size() + 1);
  HWND hwnd = CreateWindowExA(exStyle, className, args.text.c_str(), style, g.left, g.top, g.width,
                              g.height, args.parent, reinterpret_cast<HMENU>(id),
                              GetModuleHandleA(nullptr), nullptr);
  if (!hwnd) return false;
  attach(hwnd);
  if (args.font) SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(args.font), FALSE);
  return true;
}

bool ControlWnd::keyDown(WPARAM key) {
  FormState& form = *control_.form;
  if (key == VK_ESCAPE && form.window().spec.style.escCloses) {
    closeForm(form);
    return true;
  }
  if (key == VK_TAB && takesFocus(control_.spec.kind)) {
    moveFocus(form, hwnd(), GetKeyState(VK_SHIFT) < 0);
    return true;
  }
  if (control_.onKeyDown && live()) {
    KeyHandler handler = control_.onKeyDown;  // it may replace itself
    return handler(static_cast<int32_t>(key), shiftState());
  }
  return false;
}

LRESULT ControlWnd::wndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
      swallowChar_ = keyDown(wParam);
      if (swallowChar_) return 0;
      break;
    case WM_CHAR:
      if (swallowChar_) {
        swallowChar_ = false;
        return 0;
      }
      if (!acceptsChar(wParam)) return 0;
      break;
    case WM_LBUTTONDBLCLK:
      if (control_.onDoubleClick) {
        raiseEvent(control_, control_.onDoubleClick);
        return 0;
      }
      break;
    case WM_SETCURSOR:
      if (control_.spec.style.handCursor && LOWORD(lParam) == HTCLIENT) {
        SetCursor(LoadCursor(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    default:
      break;
  }
  return Wnd::wndProc(message, wParam, lParam);
}

void paintNow(HWND hwnd) {
  if (hwnd) RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void repaintAreaInParent(HWND hwnd) {
  HWND parent = GetParent(hwnd);
  if (!parent) return;
  RECT area;
  GetWindowRect(hwnd, &area);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&area), 2);
  RedrawWindow(parent, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void closeForm(FormState& form) {
  if (HWND window = form.window().hwnd()) SendMessageA(window, WM_CLOSE, 0, 0);
}

void moveFocus(FormState& form, HWND from, bool backwards) {
  std::vector<HWND> order;
  size_t at = 0;
  for (auto& c : form.controls) {
    HWND h = c->hwnd();
    if (!h || !takesFocus(c->spec.kind) || !IsWindowVisible(h) || !IsWindowEnabled(h)) continue;
    if (h == from) at = order.size();
    order.push_back(h);
  }
  if (order.empty()) return;
  const size_t n = order.size();
  SetFocus(order[backwards ? (at + n - 1) % n : (at + 1) % n]);
}

}  // namespace gui::win32
