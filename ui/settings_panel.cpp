#include "ui/settings_panel.h"

#include <cmath>

#include "platform/text/gbk.h"

void PanelToggle::toggle() {
  count_ = static_cast<int32_t>(static_cast<uint32_t>(count_) + 1u);
  const double r = std::fmod(static_cast<double>(count_), 2.0);
  window_.setWidth(std::fabs(r) > 1e-7 ? 888 : 488);
}

PriceModeControls findPriceModeControls(gui::Form& form) {
  return {form.radioBox("单选框1"_gbk), form.radioBox("单选框2"_gbk)};
}

void selectRandomPrice(const PriceModeControls& c) {
  c.fixed.setChecked(false);
  c.random.setChecked(true);
}

void selectFixedPrice(const PriceModeControls& c) {
  c.random.setChecked(false);
  c.fixed.setChecked(true);
}

HeadlineControls findHeadlineControls(gui::Form& form) {
  return {form.radioBox("软件标题1"_gbk),    form.radioBox("软件标题2"_gbk),
          form.container("图片框_标题1"_gbk), form.container("图片框_标题2"_gbk),
          form.editBox("编辑框1"_gbk),        form.editBox("编辑框2"_gbk),
          form.label("直播标题2"_gbk),        form.label("直播标题7"_gbk)};
}

void showHeadline1(const HeadlineControls& c) {
  c.choice1.setChecked(true);
  c.layout1.setVisible(true);
  c.choice2.setChecked(false);
  c.layout2.setVisible(false);
  c.shown1.setCaption(c.number1.text());
}

void showHeadline2(const HeadlineControls& c) {
  c.choice1.setChecked(false);
  c.layout1.setVisible(false);
  c.choice2.setChecked(true);
  c.layout2.setVisible(true);
  c.shown2.setCaption(c.number2.text());
}

void copyNumber1(const HeadlineControls& c) { c.shown1.setCaption(c.number1.text()); }
void copyNumber2(const HeadlineControls& c) { c.shown2.setCaption(c.number2.text()); }
