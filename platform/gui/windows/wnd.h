// Thin typed wrappers around window handles. A Wnd takes over the messages
// of its window (it subclasses a system control, or is the window procedure
// of one of our own classes) and is found again from the handle.
//
// The notifications a parent receives for a child (WM_COMMAND, WM_CTLCOLOR*,
// WM_DRAWITEM, WM_MEASUREITEM, WM_HSCROLL) are reflected to the child's Wnd,
// so each control handles its own; whatever a child leaves unhandled gets
// the parent's default handling.
#pragma once

#include "platform/windows_sdk.h"

namespace gui::win32 {

class Wnd {
 public:
  Wnd() = default;
  virtual ~Wnd();
  Wnd(const Wnd&) = delete;
  Wnd& operator=(const Wnd&) = delete;

  HWND hwnd() const { return hwnd_; }
  // The Wnd that took over `hwnd`, or null.
  static Wnd* from(HWND hwnd);

  // Reflected notifications; each returns whether it handled the message.
  virtual bool onCommand(WORD code) { return false; }
  // Sets up `dc` and returns the brush to paint with; null leaves the
  // colours to the parent's default handling.
  virtual HBRUSH onCtlColor(HDC dc) { return nullptr; }
  virtual bool onDrawItem(const DRAWITEMSTRUCT& item) { return false; }
  virtual bool onMeasureItem(MEASUREITEMSTRUCT& item) { return false; }
  virtual void onScroll(WORD code) {}

 protected:
  // Takes over the messages of a window just created: a system control is
  // subclassed, one of our classes (whose procedure is classProc) is simply
  // attached.
  void attach(HWND hwnd);
  // The messages of the window; the base reflects notifications to children
  // and passes everything else on to the original procedure.
  virtual LRESULT wndProc(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT callOriginal(UINT message, WPARAM wParam, LPARAM lParam);

 public:
  // The window procedure of our own window classes, and of the system
  // controls a wrapper subclassed.
  static LRESULT CALLBACK classProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  bool reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  HWND hwnd_ = nullptr;
  WNDPROC original_ = nullptr;  // null: DefWindowProcA
};

}  // namespace gui::win32
