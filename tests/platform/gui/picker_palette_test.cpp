// Pressing a colour picker drops down its palette: a choice sets the colour
// and raises the change event; Esc or a click outside keeps the old colour.
#include <gtest/gtest.h>

#include "platform/gui/palette/color_palette_popup.h"
#include "tests/platform/gui/test_forms.h"

namespace gui {
namespace {

using testing::element;
using testing::showForm;
using testing::windowSpec;

class PickerPaletteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = showForm({windowSpec(), element("picker", ControlKind::ColorPicker, {10, 10, 176, 40},
                                           {.colour = RGB(255, 0, 0)})});
    ASSERT_NE(form, nullptr);
    picker = form->colorPicker("picker");
    picker.onColourChanged([this] { seen.push_back(picker.colour()); });
  }
  ColorPalettePopup* press() {
    QTest::mouseClick(widgetOf(*form, "picker"), Qt::LeftButton);
    return qobject_cast<ColorPalettePopup*>(QApplication::activePopupWidget());
  }

  std::unique_ptr<Form> form;
  ColorPicker picker;
  std::vector<COLORREF> seen;
};

TEST_F(PickerPaletteTest, PopupOpensBelowThePickerOnItsColour) {
  ColorPalettePopup* popup = press();
  ASSERT_NE(popup, nullptr);
  EXPECT_TRUE(popup->isVisible());
  QWidget* button = widgetOf(*form, "picker");
  const QPoint below = button->mapToGlobal(QPoint(0, button->height()));
  EXPECT_LE(std::abs(popup->geometry().left() - below.x()), 4);
  EXPECT_GE(popup->geometry().top(), below.y());
  // "红色" is cell 13; Enter on the highlighted entry chooses it again.
  EXPECT_EQ(popup->highlighted(), ColorPalettePopup::FirstCell + 12);
  QTest::keyClick(popup, Qt::Key_Return);
  EXPECT_EQ(seen, (std::vector<COLORREF>{RGB(255, 0, 0)}));
}

TEST_F(PickerPaletteTest, KeysMoveAndChooseTransparentGivesTheDefaultValue) {
  ColorPalettePopup* popup = press();
  ASSERT_NE(popup, nullptr);
  QTest::keyClick(popup, Qt::Key_Home);
  for (int i = 0; i < 40; ++i) QTest::keyClick(popup, Qt::Key_Left);  // up to "透明"
  ASSERT_EQ(popup->highlighted(), ColorPalettePopup::DefaultEntry);
  QTest::keyClick(popup, Qt::Key_Space);
  EXPECT_EQ(picker.colour(), SystemDefaultColour);
  EXPECT_EQ(seen.size(), 1u);
}

TEST_F(PickerPaletteTest, EscAndClickOutsideKeepTheOldColour) {
  ColorPalettePopup* popup = press();
  ASSERT_NE(popup, nullptr);
  QTest::keyClick(popup, Qt::Key_Right);
  QTest::keyClick(popup, Qt::Key_Escape);
  EXPECT_FALSE(popup->isVisible());
  EXPECT_TRUE(form->isOpen());  // Esc in the palette does not close the window
  popup = press();
  ASSERT_NE(popup, nullptr);
  QTest::mouseClick(popup, Qt::LeftButton, {}, QPoint(-50, -50));
  EXPECT_EQ(picker.colour(), RGB(255, 0, 0));
  EXPECT_TRUE(seen.empty());
}

}  // namespace
}  // namespace gui
