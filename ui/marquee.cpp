#include "ui/marquee.h"

#include "platform/text/gbk.h"

MarqueeControls findMarqueeControls(gui::Form& form) {
  return {form.checkBox("选择框_滚动"_gbk), form.editBox("编辑框_滚动"_gbk),
          form.sliderBar("滑块条_速度"_gbk), form.timer("时钟_滚动"_gbk),
          form.label("滚动标题"_gbk)};
}

void updateMarquee(const MarqueeControls& c) {
  if (c.enabled.checked()) {
    const Text text = c.text.text();
    c.caption.setCaption(text);
    c.caption.setWidth(truncToInt(50.0 * static_cast<double>(text.size())));
    c.timer.setInterval(c.speed.position());
  } else {
    c.timer.setInterval(0);
    c.caption.setCaption(Text());
  }
}

void marqueeTick(const gui::Label& caption) {
  const int32_t left = caption.left();
  caption.setLeft(left >= -488 ? truncToInt(static_cast<double>(left) - 1.0) : 488);
}
