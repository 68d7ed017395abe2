// Driving forms of the Win32 backend from a test: the thread's message
// queue, keys as the keyboard sends them, the colours a control is painted
// with, the pixels it shows.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "platform/gui/windows/form_state.h"
#include "platform/windows_sdk.h"

namespace gui::testing {

// Dispatches this thread's messages (for at least `milliseconds`).
inline void pump(DWORD milliseconds = 0) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) continue;  // a closed form's; the tests run on
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (GetTickCount() - start >= milliseconds) return;
    Sleep(5);
  }
}

// Dispatches messages until `done` holds or `milliseconds` have passed.
inline bool pumpUntil(const std::function<bool()>& done, DWORD milliseconds = 5000) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start >= milliseconds) return false;
    pump(10);
  }
  return true;
}

// One key pressed and released at the focused window, as the keyboard
// delivers it (the message loop's TranslateMessage makes the character).
inline void key(WORD virtualKey) {
  HWND focus = GetFocus();
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC)) << 16;
  PostMessageA(focus, WM_KEYDOWN, virtualKey, scan | 1);
  PostMessageA(focus, WM_KEYUP, virtualKey, scan | 1 | (LPARAM(3) << 30));
  pump();
}

// Types ASCII text key by key.
inline void type(const char* text) {
  for (; *text; ++text) key(static_cast<WORD>(VkKeyScanA(*text) & 0xFF));
}

// Builds and shows a form; null (and a test failure) when it cannot be built.
inline std::unique_ptr<Form> showForm(const Layout& layout) {
  Text error;
  std::unique_ptr<Form> form = Form::create(layout, &error);
  EXPECT_NE(form, nullptr) << error;
  if (!form) return nullptr;
  form->show();
  pump();
  return form;
}

// The colours a control is painted with, as its parent answers the
// WM_CTLCOLOR* message the control sends: text colour, background brush
// colour (Hollow for a hollow brush) and whether the text is drawn
// transparently.
inline constexpr COLORREF Hollow = 0xFFFFFFFF;

struct Painted {
  COLORREF text;
  COLORREF back;
  bool transparent;
  bool operator==(const Painted&) const = default;
};

inline Painted paintedColours(HWND control) {
  char name[32] = {};
  GetClassNameA(control, name, sizeof name);
  const UINT message = lstrcmpiA(name, "Edit") == 0 ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC;
  HDC dc = CreateCompatibleDC(nullptr);
  auto brush = reinterpret_cast<HBRUSH>(SendMessageA(GetParent(control), message,
                                                     reinterpret_cast<WPARAM>(dc),
                                                     reinterpret_cast<LPARAM>(control)));
  LOGBRUSH lb{};
  GetObjectA(brush, sizeof lb, &lb);
  Painted painted{GetTextColor(dc), lb.lbStyle == BS_NULL ? Hollow : lb.lbColor,
                  GetBkMode(dc) == TRANSPARENT};
  DeleteDC(dc);
  return painted;
}

// The colour of one pixel of a window as it shows it (client coordinates).
inline COLORREF pixel(HWND window, int x, int y) {
  HDC dc = GetDC(window);
  const COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return c;
}

// The rectangle of a window in its parent's client coordinates.
inline RECT placement(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

}  // namespace gui::testing
