#include "platform/gui/windows/palette_popup.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <array>

#include "platform/gui/colorref.h"
#include "platform/gui/palette/palette_colours.h"
#include "platform/gui/windows/window_classes.h"
#include "platform/text/gbk.h"

namespace gui::win32 {

namespace {

using namespace palette;

constexpr int TextPadding = 12;

const Text& defaultText() {
  static const Text text = "透明"_gbk;
  return text;
}
const Text& otherText() {
  static const Text text = "其它颜色..."_gbk;
  return text;
}

int textWidth(HDC dc, const Text& text) {
  SIZE size{};
  GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
  return size.cx;
}

}  // namespace

std::optional<COLORREF> chooseColourDialog(COLORREF initial, HWND owner) {
  // The dialog's custom colours, kept between its runs as the dialog does.
  static std::array<COLORREF, 16> custom = [] {
    std::array<COLORREF, 16> white;
    white.fill(RGB(255, 255, 255));
    return white;
  }();
  CHOOSECOLORA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.rgbResult = initial == SystemDefaultColour ? RGB(255, 255, 255) : initial;
  dialog.lpCustColors = custom.data();
  dialog.Flags = CC_RGBINIT | CC_ANYCOLOR;
  if (!ChooseColorA(&dialog)) return std::nullopt;
  return dialog.rgbResult & 0x00FFFFFFu;
}

PalettePopup::PalettePopup(COLORREF current, HWND owner, Done done)
    : current_(current),
      owner_(owner),
      done_(std::move(done)),
      colourDialog_(chooseColourDialog),
      font_(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))),
      margin_(GetSystemMetrics(SM_CXEDGE)),
      highlighted_(entryOfColour(current)) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font_);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  rowHeight_ = metrics.tmHeight + 6;
  contentWidth_ = std::max({Columns * CellSize, textWidth(dc, defaultText()) + TextPadding,
                            textWidth(dc, otherText()) + TextPadding});
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  const SIZE s = size();
  HWND hwnd = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, PaletteClass, "", WS_POPUP, 0, 0, s.cx,
                              s.cy, owner, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (hwnd) {
    attach(hwnd);
    addTooltips();
  }
}

PalettePopup::~PalettePopup() {
  HWND window = hwnd();
  if (!window) return;
  if (GetCapture() == window) ReleaseCapture();
  DestroyWindow(window);
}

SIZE PalettePopup::size() const {
  return {contentWidth_ + 2 * margin_, 2 * margin_ + 2 * rowHeight_ + Rows * CellSize};
}

RECT PalettePopup::entryRect(int entry) const {
  if (entry == DefaultEntry) return {margin_, margin_, margin_ + contentWidth_, margin_ + rowHeight_};
  if (entry == OtherEntry) {
    const int top = margin_ + rowHeight_ + Rows * CellSize;
    return {margin_, top, margin_ + contentWidth_, top + rowHeight_};
  }
  if (!isCell(entry)) return {};
  const int cell = entry - FirstCell;
  const int left = margin_ + (cell % Columns) * CellSize;
  const int top = margin_ + rowHeight_ + (cell / Columns) * CellSize;
  return {left, top, left + CellSize, top + CellSize};
}

int PalettePopup::entryAt(POINT client) const {
  for (int entry = DefaultEntry; entry <= OtherEntry; ++entry) {
    const RECT r = entryRect(entry);
    if (PtInRect(&r, client)) return entry;
  }
  return NoEntry;
}

void PalettePopup::addTooltips() {
  tooltips_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  if (!tooltips_) return;
  for (int entry = FirstCell; entry <= LastCell; ++entry) {
    Text name = utf8ToGbk(PaletteColours[entry - FirstCell].name);
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = hwnd();
    tool.uId = static_cast<UINT_PTR>(entry);
    tool.rect = entryRect(entry);
    tool.lpszText = name.data();
    SendMessageA(tooltips_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void PalettePopup::popupAt(POINT at) {
  if (!hwnd()) return finish(std::nullopt);
  const SIZE s = size();
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (GetMonitorInfoA(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &monitor)) {
    const RECT& area = monitor.rcWork;
    at.x = std::max(std::min(at.x, area.right - s.cx), area.left);
    at.y = std::max(std::min(at.y, area.bottom - s.cy), area.top);
  }
  // Like a combo box's own list, the popup is never activated: the picker
  // keeps the focus and hands the keys on, the popup has the mouse.
  SetWindowPos(hwnd(), HWND_TOPMOST, at.x, at.y, s.cx, s.cy, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  // A pointer that happens to stand where the popup opens moves no
  // highlight until it moves itself.
  GetCursorPos(&restingPointer_);
  pointerRests_ = true;
  SetCapture(hwnd());
}

void PalettePopup::paint(HDC dc) {
  RECT client;
  GetClientRect(hwnd(), &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  FrameRect(dc, &client, GetSysColorBrush(COLOR_3DSHADOW));
  HGDIOBJ oldFont = SelectObject(dc, font_);
  SetBkMode(dc, TRANSPARENT);
  for (int entry : {DefaultEntry, OtherEntry}) {
    RECT box = entryRect(entry);
    const bool lit = entry == highlighted_;
    if (lit) FillRect(dc, &box, GetSysColorBrush(COLOR_HIGHLIGHT));
    SetTextColor(dc, GetSysColor(lit ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT));
    const Text& text = entry == DefaultEntry ? defaultText() : otherText();
    DrawTextA(dc, text.data(), static_cast<int>(text.size()), &box,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  for (int entry = FirstCell; entry <= LastCell; ++entry) {
    const RECT box = entryRect(entry);
    RECT swatch = box;
    InflateRect(&swatch, -3, -3);
    HBRUSH fill = CreateSolidBrush(PaletteColours[entry - FirstCell].colorref);
    FillRect(dc, &swatch, fill);
    DeleteObject(fill);
    FrameRect(dc, &swatch, GetSysColorBrush(COLOR_3DDKSHADOW));
    if (entry == highlighted_) {
      RECT ring = box;
      InflateRect(&ring, -1, -1);
      FrameRect(dc, &ring, GetSysColorBrush(COLOR_HIGHLIGHT));
      InflateRect(&ring, -1, -1);
      FrameRect(dc, &ring, GetSysColorBrush(COLOR_HIGHLIGHT));
    }
  }
  SelectObject(dc, oldFont);
}

void PalettePopup::setHighlighted(int entry) {
  if (entry == highlighted_) return;
  highlighted_ = entry;
  InvalidateRect(hwnd(), nullptr, FALSE);
}

void PalettePopup::choose(int entry) {
  if (entry == DefaultEntry) return finish(SystemDefaultColour);
  if (isCell(entry)) return finish(PaletteColours[entry - FirstCell].colorref);
  if (entry != OtherEntry || finished_) return;
  // The dialog is modal to the form: the popup steps aside while it runs.
  inDialog_ = true;
  ShowWindow(hwnd(), SW_HIDE);
  if (GetCapture() == hwnd()) ReleaseCapture();
  const std::optional<COLORREF> colour = colourDialog_ ? colourDialog_(current_, owner_) : std::nullopt;
  inDialog_ = false;
  finish(colour);
}

void PalettePopup::dismiss() {
  if (!inDialog_) finish(std::nullopt);
}

void PalettePopup::finish(std::optional<COLORREF> colour) {
  if (finished_) return;
  finished_ = true;
  if (hwnd()) {
    if (GetCapture() == hwnd()) ReleaseCapture();
    ShowWindow(hwnd(), SW_HIDE);
  }
  Done done = std::move(done_);
  if (done) done(colour);
}

LRESULT PalettePopup::wndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd(), &ps);
      paint(dc);
      EndPaint(hwnd(), &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_KEYDOWN:
      switch (wParam) {
        case VK_LEFT:
          setHighlighted(neighbour(highlighted_, Arrow::Left));
          return 0;
        case VK_RIGHT:
          setHighlighted(neighbour(highlighted_, Arrow::Right));
          return 0;
        case VK_UP:
          setHighlighted(neighbour(highlighted_, Arrow::Up));
          return 0;
        case VK_DOWN:
          setHighlighted(neighbour(highlighted_, Arrow::Down));
          return 0;
        case VK_RETURN:
        case VK_SPACE:
          if (highlighted_ != NoEntry) choose(highlighted_);
          return 0;
        case VK_ESCAPE:
          finish(std::nullopt);
          return 0;
        default:
          return 0;
      }
    case WM_CHAR:
      return 0;
    case WM_LBUTTONDOWN: {
      const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      RECT client;
      GetClientRect(hwnd(), &client);
      if (!PtInRect(&client, at)) {
        finish(std::nullopt);
        return 0;
      }
      pressedInside_ = true;
      if (int entry = entryAt(at); entry != NoEntry) setHighlighted(entry);
      return 0;
    }
    case WM_MOUSEMOVE: {
      const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      POINT onScreen = at;
      ClientToScreen(hwnd(), &onScreen);
      if (pointerRests_ && onScreen.x == restingPointer_.x && onScreen.y == restingPointer_.y) return 0;
      pointerRests_ = false;
      if (int entry = entryAt(at); entry != NoEntry) setHighlighted(entry);
      return 0;
    }
    case WM_LBUTTONUP: {
      const bool wasPressed = pressedInside_;
      pressedInside_ = false;
      const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      if (wasPressed)
        if (int entry = entryAt(at); entry != NoEntry) choose(entry);
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (!inDialog_ && reinterpret_cast<HWND>(lParam) != hwnd()) finish(std::nullopt);
      return 0;
    default:
      break;
  }
  return Wnd::wndProc(message, wParam, lParam);
}

}  // namespace gui::win32
