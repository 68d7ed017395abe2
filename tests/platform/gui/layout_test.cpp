// Building a form from a layout table, and refusing tables that cannot be built.
#include <gtest/gtest.h>

#include "tests/platform/gui/test_forms.h"

namespace gui {
namespace {

using testing::element;
using testing::windowSpec;

TEST(LayoutCheck, RefusesTablesThatCannotBeBuilt) {
  struct Case {
    const char* why;
    Layout layout;
  };
  const ElementSpec box = element("box", ControlKind::PicBox, {0, 0, 10, 10});
  const ElementSpec label = element("label", ControlKind::Label, {0, 0, 10, 10});
  const std::vector<Case> cases = {
      {"empty", {}},
      {"window not first", {label, windowSpec()}},
      {"two windows", {windowSpec(), element("w2", ControlKind::Window, {})}},
      {"duplicate name", {windowSpec(), label, label}},
      {"no name", {windowSpec(), element("", ControlKind::Label, {})}},
      {"unknown parent", {windowSpec(), element("x", ControlKind::Label, {}, {}, "nowhere")}},
      {"parent after child", {windowSpec(), element("x", ControlKind::Label, {}, {}, "box"), box}},
      {"label as parent", {windowSpec(), label, element("x", ControlKind::Label, {}, {}, "label")}},
      {"negative size", {windowSpec(), element("x", ControlKind::Label, {0, 0, -1, 5})}},
  };
  for (const Case& c : cases) {
    Text error;
    EXPECT_EQ(Form::create(c.layout, &error), nullptr) << c.why;
    EXPECT_FALSE(error.empty()) << c.why;
  }
}

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

TEST(LayoutCheck, HandlesOfMissingNamesOrOtherKindsAreEmptyAndHarmless) {
  std::unique_ptr<Form> form =
      Form::create({windowSpec(), element("label", ControlKind::Label, {0, 0, 10, 10})});
  ASSERT_NE(form, nullptr);
  EditBox wrongKind = form->editBox("label");
  EXPECT_FALSE(wrongKind.valid());
  wrongKind.setText("x");
  EXPECT_EQ(wrongKind.text(), "");
  Timer missing = form->timer("nothing");
  EXPECT_FALSE(missing.valid());
  missing.setInterval(5);
  missing.tick();
  EXPECT_EQ(missing.interval(), 0);
  EXPECT_FALSE(form->colorPicker("label").valid());
  EXPECT_TRUE(form->label("label").valid());
}

}  // namespace
}  // namespace gui
