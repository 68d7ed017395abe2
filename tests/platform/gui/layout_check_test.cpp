// Refusing layout tables that cannot be built, and handles that find
// nothing: the same on every backend.
#include <gtest/gtest.h>

#include "tests/platform/gui/layout_specs.h"

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
