// The settings panel's own operations: showing and hiding the panel, the
// price-mode and headline radio pairs, the headline numbers.
#pragma once

#include <cstdint>

#include "platform/gui/form.h"

// Double-click on either bar: the shared count decides, odd 888, even 488.
class PanelToggle {
 public:
  explicit PanelToggle(gui::ControlHandle window) : window_(window) {}
  void toggle();
  int32_t count() const { return count_; }

 private:
  gui::ControlHandle window_;
  int32_t count_ = 0;
};

struct PriceModeControls {
  gui::RadioBox random;  // 单选框1
  gui::RadioBox fixed;   // 单选框2
};
PriceModeControls findPriceModeControls(gui::Form& form);
void selectRandomPrice(const PriceModeControls& c);
void selectFixedPrice(const PriceModeControls& c);

struct HeadlineControls {
  gui::RadioBox choice1;    // 软件标题1
  gui::RadioBox choice2;    // 软件标题2
  gui::Container layout1;   // 图片框_标题1
  gui::Container layout2;   // 图片框_标题2
  gui::EditBox number1;     // 编辑框1
  gui::EditBox number2;     // 编辑框2
  gui::Label shown1;        // 直播标题2
  gui::Label shown2;        // 直播标题7
};
HeadlineControls findHeadlineControls(gui::Form& form);
void showHeadline1(const HeadlineControls& c);
void showHeadline2(const HeadlineControls& c);
void copyNumber1(const HeadlineControls& c);
void copyNumber2(const HeadlineControls& c);
