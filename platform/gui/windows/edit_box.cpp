#include "platform/gui/windows/edit_box.h"

#include <algorithm>

#include "platform/gui/windows/labels.h"

namespace gui::win32 {

bool EditBoxWnd::create(const EditBoxArgs& args) {
  args_ = args;
  DWORD style = WS_TABSTOP;
  style |= args.align == HAlign::Centre ? ES_CENTER : args.align == HAlign::Right ? ES_RIGHT : ES_LEFT;
  if (args.multiLine) style |= ES_MULTILINE | ES_AUTOVSCROLL | (args.wantReturn ? ES_WANTRETURN : 0);
  else style |= ES_AUTOHSCROLL;
  if (!args.hideSelection) style |= ES_NOHIDESEL;
  ChildArgs common = args;
  common.text.clear();  // set below, cut as setText cuts it
  if (!createWindow("EDIT", common, style, args.framed ? WS_EX_CLIENTEDGE : 0)) return false;
  if (args.maxLength > 0) SendMessageA(hwnd(), EM_SETLIMITTEXT, static_cast<WPARAM>(args.maxLength), 0);
  setText(args.text);
  return true;
}

Text EditBoxWnd::text() const { return windowText(hwnd()); }

void EditBoxWnd::setText(const Text& text) {
  Text shown = text;
  if (!args_.multiLine) shown = shown.substr(0, shown.find_first_of("\r\n"));
  SetWindowTextA(hwnd(), shown.c_str());
}

bool EditBoxWnd::onCommand(WORD code) {
  if (code != EN_CHANGE) return false;
  raiseEvent(control(), control().onChange);
  return true;
}

bool EditBoxWnd::acceptsChar(WPARAM character) const {
  if (args_.inputMode != InputMode::ShortInteger) return true;
  if (character < 0x20 || character == 0x7F) return true;  // control keys pass
  return character == '-' || (character >= '0' && character <= '9');
}

void EditBoxWnd::rewriteShortInteger() {
  const int32_t value = std::clamp<int32_t>(textToInt(text()), -32768, 32767);
  const Text wanted = value == 0 ? Text() : intToText(value);
  if (text() != wanted) setText(wanted);
}

LRESULT EditBoxWnd::wndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KILLFOCUS: {
      const LRESULT result = ControlWnd::wndProc(message, wParam, lParam);
      if (args_.inputMode == InputMode::ShortInteger && live()) rewriteShortInteger();
      return result;
    }
    default:
      break;
  }
  return ControlWnd::wndProc(message, wParam, lParam);
}

}  // namespace gui::win32
