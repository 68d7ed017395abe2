#include "platform/gui/windows/wnd.h"

namespace gui::win32 {

Wnd::~Wnd() {
  if (!hwnd_) return;
  // The window outlives its wrapper: give it back its own procedure.
  SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
  if (original_) SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
}

Wnd* Wnd::from(HWND hwnd) {
  if (!hwnd) return nullptr;
  return reinterpret_cast<Wnd*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

void Wnd::attach(HWND hwnd) {
  hwnd_ = hwnd;
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  const auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
  if (current != &Wnd::classProc) {
    original_ = current;
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Wnd::classProc));
  }
}

LRESULT Wnd::callOriginal(UINT message, WPARAM wParam, LPARAM lParam) {
  if (original_) return CallWindowProcA(original_, hwnd_, message, wParam, lParam);
  return DefWindowProcA(hwnd_, message, wParam, lParam);
}

bool Wnd::reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_COMMAND: {
      Wnd* child = lParam ? from(reinterpret_cast<HWND>(lParam)) : nullptr;
      if (!child || !child->onCommand(HIWORD(wParam))) return false;
      result = 0;
      return true;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX: {
      Wnd* child = from(reinterpret_cast<HWND>(lParam));
      HBRUSH brush = child ? child->onCtlColor(reinterpret_cast<HDC>(wParam)) : nullptr;
      if (!brush) return false;
      result = reinterpret_cast<LRESULT>(brush);
      return true;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      Wnd* child = item ? from(item->hwndItem) : nullptr;
      if (!child || !child->onDrawItem(*item)) return false;
      result = TRUE;
      return true;
    }
    case WM_MEASUREITEM: {
      // The only notification that names its control by id.
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      Wnd* child = item ? from(GetDlgItem(hwnd_, static_cast<int>(item->CtlID))) : nullptr;
      if (!child || !child->onMeasureItem(*item)) return false;
      result = TRUE;
      return true;
    }
    case WM_HSCROLL: {
      Wnd* child = lParam ? from(reinterpret_cast<HWND>(lParam)) : nullptr;
      if (!child) return false;
      child->onScroll(LOWORD(wParam));
      result = 0;
      return true;
    }
    default:
      return false;
  }
}

LRESULT Wnd::wndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (reflect(message, wParam, lParam, result)) return result;
  return callOriginal(message, wParam, lParam);
}

LRESULT Wnd::dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Wnd* self = from(hwnd);
  // Messages before attach (creation) and after the wrapper let go.
  if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // The last message of the window: the wrapper lets go of it.
    const LRESULT result = self->callOriginal(message, wParam, lParam);
    if (self->original_) SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(self->original_));
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    self->original_ = nullptr;
    return result;
  }
  return self->wndProc(message, wParam, lParam);
}

LRESULT CALLBACK Wnd::classProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // Our classes' windows, and the system controls a wrapper subclassed (until
  // WM_NCDESTROY, when the wrapper gives the window its own procedure back).
  return dispatch(hwnd, message, wParam, lParam);
}

}  // namespace gui::win32
