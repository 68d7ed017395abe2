// The slider bar: the common controls' trackbar. Its position-changed
// event follows every change the user makes (keys, mouse), reported to the
// parent as WM_HSCROLL; setting the position does not raise it.
#pragma once

#include "platform/gui/windows/control_wnd.h"

namespace gui::win32 {

struct SliderBarArgs : ChildArgs {
  int32_t minimum = 0;
  int32_t maximum = 100;
  int32_t lineStep = 1;
  int32_t pageStep = 10;
  int32_t position = 0;
};

class SliderBarWnd : public ControlWnd {
 public:
  using ControlWnd::ControlWnd;
  bool create(const SliderBarArgs& args);
  int32_t position() const;
  void setPosition(int32_t position);
  void onScroll(WORD code) override;

 private:
  int32_t reported_ = 0;  // the position the handlers last saw
};

}  // namespace gui::win32
