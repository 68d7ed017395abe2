#include "platform/gui/windows/labels.h"

#include "platform/gui/windows/window_classes.h"

namespace gui::win32 {

Text windowText(HWND hwnd) {
  const int length = GetWindowTextLengthA(hwnd);
  if (length <= 0) return {};
  Text text(static_cast<size_t>(length) + 1, '\0');
  const int n = GetWindowTextA(hwnd, text.data(), length + 1);
  text.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return text;
}

bool LabelWnd::create(const LabelArgs& args) {
  args_ = args;
  font_ = args.font;
  return createWindow(LabelClass, args, 0, args.transparent ? WS_EX_TRANSPARENT : 0);
}

void LabelWnd::paint(HDC dc) {
  RECT client;
  GetClientRect(hwnd(), &client);
  auto brush = reinterpret_cast<HBRUSH>(SendMessageA(GetParent(hwnd()), WM_CTLCOLORSTATIC,
                                                     reinterpret_cast<WPARAM>(dc),
                                                     reinterpret_cast<LPARAM>(hwnd())));
  if (args_.transparent) SetBkMode(dc, TRANSPARENT);
  else FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
  const Text text = windowText(hwnd());
  if (text.empty()) return;
  HGDIOBJ oldFont = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
  UINT flags = DT_NOPREFIX | DT_EXPANDTABS;
  flags |= args_.align == HAlign::Centre ? DT_CENTER : args_.align == HAlign::Right ? DT_RIGHT : DT_LEFT;
  if (args_.wordWrap) flags |= DT_WORDBREAK;
  RECT box = client;
  if (args_.verticalCentre) {
    RECT measured = client;
    DrawTextA(dc, text.data(), static_cast<int>(text.size()), &measured, flags | DT_CALCRECT);
    OffsetRect(&box, 0, ((client.bottom - client.top) - (measured.bottom - measured.top)) / 2);
  }
  DrawTextA(dc, text.data(), static_cast<int>(text.size()), &box, flags);
  SelectObject(dc, oldFont);
}

LRESULT LabelWnd::wndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd(), &ps);
      paint(dc);
      EndPaint(hwnd(), &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      paint(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_ERASEBKGND:
      return 1;  // painted with the text
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam)) InvalidateRect(hwnd(), nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_NCHITTEST:
      if (args_.transparent) return HTTRANSPARENT;
      break;
    default:
      break;
  }
  return ControlWnd::wndProc(message, wParam, lParam);
}

}  // namespace gui::win32
