#include "platform/gui/windows/containers.h"

#include "platform/gui/windows/window_classes.h"

namespace gui::win32 {

void eraseWithParentBrush(HWND hwnd, HDC dc) {
  HWND parent = GetParent(hwnd);
  auto brush = reinterpret_cast<HBRUSH>(
      SendMessageA(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)));
  RECT client;
  GetClientRect(hwnd, &client);
  FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
}

namespace {

struct FormSearch {
  HWND except;
  bool found;
};

BOOL CALLBACK findOpenForm(HWND hwnd, LPARAM data) {
  auto& search = *reinterpret_cast<FormSearch*>(data);
  char name[32] = {};
  GetClassNameA(hwnd, name, sizeof name);
  if (hwnd != search.except && IsWindowVisible(hwnd) && lstrcmpA(name, FormWindowClass) == 0) search.found = true;
  return !search.found;
}

}  // namespace

bool anotherFormOpen(HWND except) {
  FormSearch search{except, false};
  EnumThreadWindows(GetCurrentThreadId(), &findOpenForm, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool FormWindow::create(const FormWindowArgs& args) {
  const Geometry& g = args.geometry;
  DWORD style = WS_CLIPCHILDREN | (args.frameless ? WS_POPUP : WS_OVERLAPPEDWINDOW);
  DWORD exStyle = args.alwaysOnTop ? WS_EX_TOPMOST : 0;
  dragByBackground_ = args.dragByBackground;
  HWND hwnd = CreateWindowExA(exStyle, FormWindowClass, args.title.c_str(), style, g.left, g.top,
                              g.width, g.height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!hwnd) return false;
  attach(hwnd);
  return true;
}

void FormWindow::repaint() {
  // Children without a background of their own show the new colour too.
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

LRESULT FormWindow::wndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  Control& self = control();
  switch (message) {
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(hwnd(), &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, self.backBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_NCHITTEST: {
      // A press on the window's own background moves it, as if its title
      // bar had been grabbed.
      const LRESULT hit = callOriginal(message, wParam, lParam);
      return hit == HTCLIENT && dragByBackground_ ? HTCAPTION : hit;
    }
    case WM_TIMER:
      for (auto& c : self.form->controls)
        if (c->spec.kind == ControlKind::Timer && c->timerId == wParam && c->interval > 0) {
          raiseEvent(*c, c->onTick);
          return 0;
        }
      break;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        focusBeforeDeactivation_ = focus && IsChild(hwnd(), focus) ? focus : nullptr;
      } else if (focusBeforeDeactivation_ && IsWindow(focusBeforeDeactivation_)) {
        SetFocus(focusBeforeDeactivation_);
        return 0;
      }
      break;
    case WM_CLOSE:
      // Closing hides the window; closing the last one ends the message loop.
      ShowWindow(hwnd(), SW_HIDE);
      if (!anotherFormOpen(hwnd())) PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return ControlWnd::wndProc(message, wParam, lParam);
}

bool PicBox::create(const PicBoxArgs& args) {
  return createWindow(PicBoxClass, args, WS_CLIPCHILDREN, 0);
}

void PicBox::repaint() {
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

LRESULT PicBox::wndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) {
    eraseWithParentBrush(hwnd(), reinterpret_cast<HDC>(wParam));
    return 1;
  }
  return ControlWnd::wndProc(message, wParam, lParam);
}

}  // namespace gui::win32
