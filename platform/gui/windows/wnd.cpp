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
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Wnd::subclassProc));
  }
}

LRESULT Wnd::callOriginal(UINT message, WPARAM wParam, LPARAM lParam) {
  if (original_) return CallWindowProcA(original_, hwnd_, message, wParam, lParam);
  return DefWindowProcA(hwnd_, message, wParam, lParam);
}

bool Wnd::reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_COMMAND:
      if (Wnd* child = lParam ? from(reinterpret_cast<HWND>(lParam)) : nullptr)
        return child->onCommand(HIWORD(wParam)) && ((result = 0), true);
      return false;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      if (Wnd* child = from(reinterpret_cast<HWND>(lParam))) {
        if (HBRUSH brush = child->onCtlColor(reinterpret_cast<HDC>(wParam))) {
          result = reinterpret_cast<LRESULT>(brush);
          return true;
        }
      }
      return false;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      Wnd* child = item ? from(item->hwndItem) : nullptr;
      return child && child->onDrawItem(*item) && ((result = TRUE), true);
    }
    case WM_MEASUREITEM: {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      Wnd* child = item ? from(GetDlgItem(hwnd_, static_cast<int>(item->CtlID))) : nullptr;
      return child && child->onMeasureItem(*item) && ((result = TRUE), true);
    }
    case WM_HSCROLL:
      if (Wnd* child = lParam ? from(reinterpret_cast<HWND>(lParam)) : nullptr) {
        child->onScroll(LOWORD(wParam));
        result = 0;
        return true;
      }
      return false;
    default:
      return false;
  }
}

LRESULT Wnd::wndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (reflect(message, wParam, lParam, result)) return result;
  return callOriginal(message, wParam, lParam);
}

LRESULT Wnd::dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, WNDPROC fallback) {
  Wnd* self = from(hwnd);
  if (!self) {
    if (fallback) return CallWindowProcA(fallback, hwnd, message, wParam, lParam);
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }
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
  return dispatch(hwnd, message, wParam, lParam, nullptr);
}

LRESULT CALLBACK Wnd::subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // A subclassed window always has its wrapper until WM_NCDESTROY.
  return dispatch(hwnd, message, wParam, lParam, nullptr);
}

}  // namespace gui::win32
