// The scrolling caption: its text, width and speed follow the check box and
// the slider; each timer tick moves it one pixel to the left.
#pragma once

#include "platform/gui/form.h"

struct MarqueeControls {
  gui::CheckBox enabled;  // 选择框_滚动
  gui::EditBox text;      // 编辑框_滚动
  gui::SliderBar speed;   // 滑块条_速度
  gui::Timer timer;       // 时钟_滚动
  gui::Label caption;     // 滚动标题
};
MarqueeControls findMarqueeControls(gui::Form& form);

// Click of the check box and position change of the slider.
void updateMarquee(const MarqueeControls& c);
// Tick of the timer: one pixel left; past -488 the caption jumps to 488.
void marqueeTick(const gui::Label& caption);
