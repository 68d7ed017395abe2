#include "ui/query.h"

#include "eval/evaluation.h"
#include "eval/tail_table.h"
#include "platform/system/tick_count.h"
#include "platform/text/gbk.h"

QueryControls findQueryControls(gui::Form& form) {
  return {form.editBox("编辑框_号码"_gbk), form.radioBox("单选框1"_gbk), form.label("标题_价格"_gbk),
          form.label("标题_等级"_gbk), form.label("标题_建议"_gbk)};
}

bool runQuery(const QueryControls& c, int32_t keyCode, int32_t /*shiftState*/) {
  if (keyCode != 13) return false;
  if (c.random.checked()) {
    const int32_t price = drawRandomPrice(GetTickCount());
    c.price.setCaption(priceText(price));
    c.grade.setCaption(gradeForPrice(price));
  } else {
    const TailRow best = lookupTail(TailTable, c.number.text());
    c.price.setCaption(priceText(best.price));
    c.grade.setCaption(best.grade);
  }
  showAdvice(c);
  return true;
}

void showAdvice(const QueryControls& c) {
  if (auto advice = adviceForGrade(c.grade.caption())) c.advice.setCaption(*advice);
}
