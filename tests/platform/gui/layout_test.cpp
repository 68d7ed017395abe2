// Building a form from a layout table: every kind, its geometry and parent.
#include <gtest/gtest.h>

#include "tests/platform/gui/test_forms.h"

namespace gui {
namespace {

using testing::element;
using testing::windowSpec;

TEST(LayoutCheck, BuildsEveryKindWithItsGeometryAndParent) {
  Layout layout = {windowSpec(),
                   element("pic", ControlKind::PicBox, {10, 20, 100, 50}),
                   element("group", ControlKind::GroupBox, {120, 20, 200, 100}),
                   element("edit", ControlKind::EditBox, {5, 6, 40, 20}, {}, "group"),
                   element("label", ControlKind::Label, {-3, 0, 30, 20}, {}, "pic"),
                   element("trans", ControlKind::TransLabel, {0, 30, 30, 20}, {}, "pic"),
                   element("check", ControlKind::CheckBox, {0, 200, 80, 20}),
                   element("radio", ControlKind::RadioBox, {100, 200, 80, 20}),
                   element("slider", ControlKind::SliderBar, {0, 230, 100, 20}),
                   element("picker", ControlKind::ColorPicker, {0, 260, 100, 30}),
                   element("timer", ControlKind::Timer, {575, 4, 32, 32})};
  std::unique_ptr<Form> form = Form::create(layout);
  ASSERT_NE(form, nullptr);
  for (const ElementSpec& e : layout) {
    ControlHandle c = e.kind == ControlKind::Window ? form->window() : form->control(e.name);
    ASSERT_TRUE(c.valid()) << e.name;
    EXPECT_EQ(c.kind(), e.kind) << e.name;
    if (e.kind == ControlKind::Window) continue;
    EXPECT_EQ((Geometry{c.left(), c.top(), c.width(), c.height()}), e.geometry) << e.name;
    if (e.kind == ControlKind::Timer) {
      EXPECT_EQ(widgetOf(*form, e.name), nullptr);
      continue;
    }
    QWidget* parent = widgetOf(*form, e.parent.empty() ? Text() : e.parent);
    EXPECT_EQ(widgetOf(*form, e.name)->parentWidget(), parent) << e.name;
  }
  EXPECT_EQ(form->window().width(), 400);
  EXPECT_EQ(form->window().height(), 300);
}

}  // namespace
}  // namespace gui
