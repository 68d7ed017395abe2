#include "platform/gui/windows/color_picker.h"

#include <algorithm>

namespace gui::win32 {

bool ColorPickerWnd::create(const ColorPickerArgs& args) {
  colour_ = args.colour;
  if (!createWindow("COMBOBOX", args, WS_TABSTOP | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED, 0)) return false;
  // One item, the current colour; the list itself is never dropped.
  SendMessageA(hwnd(), CB_ADDSTRING, 0, 0);
  SendMessageA(hwnd(), CB_SETCURSEL, 0, 0);
  fitHeight(args.geometry.height);
  return true;
}

void ColorPickerWnd::fitHeight(int height) {
  // A combo box is as high as its selection field and frame: size the field
  // so that the whole box has the layout's height. (What the box reports as
  // the field's height need not be what it was given.)
  int field = static_cast<int>(SendMessageA(hwnd(), CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
  for (int attempt = 0; attempt < 3; ++attempt) {
    RECT r;
    GetWindowRect(hwnd(), &r);
    if (r.bottom - r.top == height) return;
    field = std::max(1, field + height - static_cast<int>(r.bottom - r.top));
    SendMessageA(hwnd(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
  }
}

void ColorPickerWnd::setColour(COLORREF colour) {
  colour_ = colour;
  InvalidateRect(hwnd(), nullptr, FALSE);
  UpdateWindow(hwnd());
}

PalettePopup* ColorPickerWnd::openPaletteNow() const {
  return palette_ && !palette_->finished() ? palette_.get() : nullptr;
}

void ColorPickerWnd::openPalette() {
  if (openPaletteNow()) return;
  Control& c = control();
  HWND form = c.form->window().hwnd();
  palette_ = std::make_unique<PalettePopup>(colour_, form, [this, &c](std::optional<COLORREF> chosen) {
    if (!chosen || !live()) return;
    setColour(*chosen);
    raiseEvent(c, c.onChange);
  });
  RECT r;
  GetWindowRect(hwnd(), &r);
  palette_->popupAt({r.left, r.bottom});
}

bool ColorPickerWnd::onMeasureItem(MEASUREITEMSTRUCT& item) {
  item.itemHeight = 16;
  return true;
}

bool ColorPickerWnd::onDrawItem(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT field = item.rcItem;
  FillRect(dc, &field, GetSysColorBrush(COLOR_WINDOW));
  RECT swatch = field;
  InflateRect(&swatch, -3, -3);
  HBRUSH fill = (colour_ & 0xFF000000u) ? nullptr : CreateSolidBrush(colour_);
  FillRect(dc, &swatch, fill ? fill : GetSysColorBrush(COLOR_BTNFACE));
  if (fill) DeleteObject(fill);
  FrameRect(dc, &swatch, GetSysColorBrush(COLOR_WINDOWTEXT));
  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
    RECT ring = field;
    InflateRect(&ring, -1, -1);
    DrawFocusRect(dc, &ring);
  }
  return true;
}

LRESULT ColorPickerWnd::wndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (PalettePopup* open = openPaletteNow()) {
    // While the palette is down, the keys are the palette's.
    if (message == WM_KEYDOWN || message == WM_CHAR || message == WM_SYSKEYDOWN) return open->key(message, wParam, lParam);
    if (message == WM_KILLFOCUS) open->dismiss();
  }
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      SetFocus(hwnd());
      openPalette();
      return 0;
    case WM_KEYDOWN:
      switch (wParam) {
        case VK_F4:
        case VK_DOWN:
        case VK_UP:
        case VK_SPACE:
          openPalette();
          return 0;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_HOME:
        case VK_END:
        case VK_PRIOR:
        case VK_NEXT:
          return 0;  // they would move the combo box's own selection
        default:
          break;
      }
      break;
    case WM_SYSKEYDOWN:
      if (wParam == VK_DOWN || wParam == VK_UP) {
        openPalette();
        return 0;
      }
      break;
    case WM_CHAR:
    case WM_MOUSEWHEEL:
      return 0;
    default:
      break;
  }
  return ControlWnd::wndProc(message, wParam, lParam);
}

}  // namespace gui::win32
