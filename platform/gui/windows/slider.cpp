#include "platform/gui/windows/slider.h"

#include <commctrl.h>

namespace gui::win32 {

bool SliderBarWnd::create(const SliderBarArgs& args) {
  if (!createWindow(TRACKBAR_CLASSA, args, WS_TABSTOP | TBS_HORZ | TBS_NOTICKS, 0)) return false;
  SendMessageA(hwnd(), TBM_SETRANGEMIN, FALSE, args.minimum);
  SendMessageA(hwnd(), TBM_SETRANGEMAX, FALSE, args.maximum);
  SendMessageA(hwnd(), TBM_SETLINESIZE, 0, args.lineStep);
  SendMessageA(hwnd(), TBM_SETPAGESIZE, 0, args.pageStep);
  setPosition(args.position);
  return true;
}

int32_t SliderBarWnd::position() const {
  return static_cast<int32_t>(SendMessageA(hwnd(), TBM_GETPOS, 0, 0));
}

void SliderBarWnd::setPosition(int32_t position) {
  SendMessageA(hwnd(), TBM_SETPOS, TRUE, position);
  reported_ = this->position();
}

void SliderBarWnd::onScroll(WORD) {
  const int32_t now = position();
  if (now == reported_) return;
  reported_ = now;
  raiseEvent(control(), control().onChange);
}

}  // namespace gui::win32
