// The query: Enter in the number box puts price, grade and advice into the
// three result captions, by table lookup or by random draw.
#pragma once

#include <cstdint>

#include "platform/gui/form.h"

struct QueryControls {
  gui::EditBox number;     // 编辑框_号码
  gui::RadioBox random;    // 单选框1
  gui::Label price;        // 标题_价格
  gui::Label grade;        // 标题_等级
  gui::Label advice;       // 标题_建议
};

QueryControls findQueryControls(gui::Form& form);

// Key-down handler of the number box: acts on Enter (13) only. Returns true
// when it took the key, so Enter never reaches the box as a line break.
bool runQuery(const QueryControls& controls, int32_t keyCode, int32_t shiftState);

// Sets the advice caption from the grade caption; an unknown grade leaves it.
void showAdvice(const QueryControls& controls);
