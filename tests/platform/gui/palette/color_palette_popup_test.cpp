// The colour picker's palette popup, driven by real key and mouse events.
#include "platform/gui/palette/color_palette_popup.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QColorDialog>
#include <QHelpEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include "platform/gui/palette/palette_colours.h"

namespace {

constexpr uint32_t Red = 0x000000FF;

struct Rgb {
  int red, green, blue;
};

// The palette as red, green, blue, independent of the COLORREF column.
const Rgb ExpectedRgb[32] = {
    {0, 0, 0},       {0, 0, 128},     {0, 128, 0},     {0, 128, 128},   {128, 0, 0},     {128, 0, 128},
    {128, 128, 0},   {192, 192, 192}, {128, 128, 128}, {0, 0, 255},     {0, 255, 0},     {0, 255, 255},
    {255, 0, 0},     {255, 0, 255},   {255, 255, 0},   {255, 255, 255}, {128, 128, 255}, {88, 48, 224},
    {128, 224, 0},   {0, 224, 128},   {192, 96, 0},    {255, 168, 255}, {216, 216, 0},   {236, 236, 236},
    {144, 0, 255},   {0, 136, 255},   {128, 160, 128}, {0, 96, 192},    {255, 128, 0},   {255, 80, 128},
    {255, 128, 192}, {96, 96, 96}};
const char* const ExpectedNames[32] = {
    "黑色", "藏青", "墨绿", "深青", "红褐", "紫红", "褐绿", "浅灰", "灰色", "蓝色", "绿色",
    "艳青", "红色", "品红", "黄色", "白色", "蓝灰", "藏蓝", "嫩绿", "青绿", "黄褐", "粉红",
    "嫩黄", "银白", "紫色", "天蓝", "灰绿", "青蓝", "橙黄", "桃红", "芙红", "深灰"};

int cell(int number) { return ColorPalettePopup::FirstCell + number - 1; }  // 1-based as listed

class PalettePopup : public ::testing::Test {
 protected:
  void open(uint32_t colour, QPoint at = QPoint(100, 100)) {
    popup = std::make_unique<ColorPalettePopup>(colour);
    chosen = std::make_unique<QSignalSpy>(popup.get(), &ColorPalettePopup::colourChosen);
    dismissed = std::make_unique<QSignalSpy>(popup.get(), &ColorPalettePopup::dismissed);
    popup->popupAt(at);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(popup.get()));
  }
  void keys(std::initializer_list<Qt::Key> sequence) {
    for (Qt::Key key : sequence) QTest::keyClick(popup.get(), key);
  }
  void clickEntry(int entry) {
    QTest::mouseClick(popup.get(), Qt::LeftButton, {}, popup->entryRect(entry).center());
  }
  // The one colour chosen since the popup opened; fails on anything else.
  uint32_t onlyChoice() const {
    EXPECT_EQ(dismissed->count(), 0);
    EXPECT_EQ(chosen->count(), 1);
    EXPECT_FALSE(popup->isVisible());
    return chosen->isEmpty() ? 0xDEADBEEF : chosen->first().first().value<uint32_t>();
  }
  void expectDismissedOnly() const {
    EXPECT_EQ(chosen->count(), 0);
    EXPECT_EQ(dismissed->count(), 1);
    EXPECT_FALSE(popup->isVisible());
  }

  std::unique_ptr<ColorPalettePopup> popup;
  std::unique_ptr<QSignalSpy> chosen, dismissed;
};

TEST(PaletteColourTable, NamesAndColoursInRowOrder) {
  for (int i = 0; i < 32; ++i) {
    const Rgb& rgb = ExpectedRgb[i];
    EXPECT_EQ(PaletteColours[i].colorref, uint32_t(rgb.red | rgb.green << 8 | rgb.blue << 16)) << i + 1;
    EXPECT_STREQ(PaletteColours[i].name, ExpectedNames[i]) << i + 1;
  }
}

TEST_F(PalettePopup, GridOfEighteenPixelCellsSevenARowBetweenTheTwoTextRows) {
  open(Red);
  const QRect first = popup->entryRect(cell(1));
  EXPECT_EQ(first.size(), QSize(18, 18));
  EXPECT_EQ(first.topLeft().x(), ColorPalettePopup::Margin);
  EXPECT_EQ(popup->entryRect(cell(7)).topLeft(), first.topLeft() + QPoint(6 * 18, 0));
  EXPECT_EQ(popup->entryRect(cell(8)).topLeft(), first.topLeft() + QPoint(0, 18));
  EXPECT_EQ(popup->entryRect(cell(32)).topLeft(), first.topLeft() + QPoint(3 * 18, 4 * 18));

  const QRect none = popup->entryRect(ColorPalettePopup::DefaultEntry);
  const QRect other = popup->entryRect(ColorPalettePopup::OtherEntry);
  EXPECT_EQ(none.bottom() + 1, first.top());
  EXPECT_EQ(other.top(), first.top() + 5 * 18);
  EXPECT_GE(none.width(), 7 * 18);
  EXPECT_EQ(other.width(), none.width());
  EXPECT_GE(other.width(), popup->fontMetrics().horizontalAdvance(QString::fromUtf8("其它颜色...")));
  EXPECT_EQ(popup->size(), QSize(none.width() + 2 * ColorPalettePopup::Margin,
                                 other.bottom() + 1 + ColorPalettePopup::Margin));
}

TEST_F(PalettePopup, EveryCellShowsItsNameAsTooltip) {
  open(Red);
  for (int number = 1; number <= 32; ++number) {
    const QPoint pos = popup->entryRect(cell(number)).center();
    QHelpEvent help(QEvent::ToolTip, pos, popup->mapToGlobal(pos));
    QApplication::sendEvent(popup.get(), &help);
    EXPECT_EQ(QToolTip::text(), QString::fromUtf8(ExpectedNames[number - 1])) << number;
  }
  QToolTip::hideText();
}

TEST_F(PalettePopup, ClickOnACellChoosesItsColour) {
  open(Red);
  clickEntry(cell(26));
  EXPECT_EQ(onlyChoice(), 0x00FF8800u);
}

TEST_F(PalettePopup, ClickOnTransparentGivesTheSystemDefault) {
  open(Red);
  clickEntry(ColorPalettePopup::DefaultEntry);
  EXPECT_EQ(onlyChoice(), 0xFF000000u);
}

TEST_F(PalettePopup, HighlightStartsAtTheCurrentColourAndFollowsTheMouse) {
  open(Red);
  EXPECT_EQ(popup->highlighted(), cell(13));
  QTest::mouseMove(popup.get(), popup->entryRect(cell(3)).center());
  EXPECT_EQ(popup->highlighted(), cell(3));
  EXPECT_EQ(chosen->count(), 0);

  open(0xFF000000);
  EXPECT_EQ(popup->highlighted(), ColorPalettePopup::DefaultEntry);
  open(0x00123456);
  EXPECT_EQ(popup->highlighted(), ColorPalettePopup::NoEntry);
}

TEST_F(PalettePopup, ArrowKeysWalkFromTransparentThroughTheCellsToOtherColours) {
  open(Red);  // cell 13: row 2, column 6
  keys({Qt::Key_Right});
  EXPECT_EQ(popup->highlighted(), cell(14));
  keys({Qt::Key_Up});
  EXPECT_EQ(popup->highlighted(), cell(7));
  keys({Qt::Key_Up});
  EXPECT_EQ(popup->highlighted(), ColorPalettePopup::DefaultEntry);
  keys({Qt::Key_Up, Qt::Key_Left});
  EXPECT_EQ(popup->highlighted(), ColorPalettePopup::DefaultEntry);
  keys({Qt::Key_Right});
  EXPECT_EQ(popup->highlighted(), cell(1));
  keys({Qt::Key_Left, Qt::Key_Down});
  EXPECT_EQ(popup->highlighted(), cell(1));
  keys({Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right,
        Qt::Key_Right});
  EXPECT_EQ(popup->highlighted(), cell(8));  // the end of a row leads to the next row
  keys({Qt::Key_Down, Qt::Key_Down, Qt::Key_Down});
  EXPECT_EQ(popup->highlighted(), cell(29));  // last row, first column
  keys({Qt::Key_Up, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Down});
  EXPECT_EQ(popup->highlighted(), ColorPalettePopup::OtherEntry);  // cell 26 has nothing below
  keys({Qt::Key_Up});
  EXPECT_EQ(popup->highlighted(), cell(32));
  keys({Qt::Key_Right, Qt::Key_Right, Qt::Key_Down});
  EXPECT_EQ(popup->highlighted(), ColorPalettePopup::OtherEntry);
  EXPECT_EQ(chosen->count(), 0);
  EXPECT_EQ(dismissed->count(), 0);
  EXPECT_TRUE(popup->isVisible());
}

TEST_F(PalettePopup, EnterAndSpaceChooseTheHighlightedEntry) {
  open(Red);
  keys({Qt::Key_Down, Qt::Key_Return});
  EXPECT_EQ(onlyChoice(), 0x0080E000u);  // cell 13 + 7 = cell 20, 青绿

  open(0x00000000);
  keys({Qt::Key_Left, Qt::Key_Space});
  EXPECT_EQ(onlyChoice(), 0xFF000000u);

  open(0x00123456);  // nothing highlighted: Enter does nothing, Down starts at 透明
  keys({Qt::Key_Enter});
  EXPECT_TRUE(popup->isVisible());
  keys({Qt::Key_Down, Qt::Key_Down, Qt::Key_Enter});
  EXPECT_EQ(onlyChoice(), 0x00000000u);
}

TEST_F(PalettePopup, EscapeKeepsTheOldColour) {
  open(Red);
  keys({Qt::Key_Right, Qt::Key_Escape});
  expectDismissedOnly();
}

TEST_F(PalettePopup, ClickOutsideKeepsTheOldColour) {
  open(Red);
  // While a popup is open, Qt hands it every mouse press, also those outside it.
  QTest::mouseClick(popup.get(), Qt::LeftButton, {}, QPoint(-20, popup->height() + 20));
  expectDismissedOnly();
}

TEST_F(PalettePopup, ClickOnAnotherWindowKeepsTheOldColour) {
  QWidget other;
  other.setGeometry(400, 300, 200, 100);
  other.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
  open(Red, QPoint(50, 50));
  QTest::mouseClick(other.windowHandle(), Qt::LeftButton, {}, QPoint(50, 50));
  expectDismissedOnly();
}

TEST_F(PalettePopup, OtherColoursTakesTheDialogsColour) {
  open(Red);
  uint32_t initial = 0;
  bool popupHidden = false;
  popup->setColourDialog([&](uint32_t start, QWidget*) -> std::optional<uint32_t> {
    initial = start;
    popupHidden = !popup->isVisible();
    return 0x00123456;
  });
  clickEntry(ColorPalettePopup::OtherEntry);
  EXPECT_EQ(initial, Red);
  EXPECT_TRUE(popupHidden);
  EXPECT_EQ(onlyChoice(), 0x00123456u);
}

TEST_F(PalettePopup, CancelledDialogKeepsTheOldColour) {
  open(Red);
  popup->setColourDialog([](uint32_t, QWidget*) { return std::optional<uint32_t>(); });
  keys({Qt::Key_Left, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Enter});  // 12, 19, 26, other
  expectDismissedOnly();

  // Opened again, the popup gives one signal again.
  popup->popupAt(QPoint(100, 100));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(popup.get()));
  EXPECT_EQ(popup->highlighted(), ColorPalettePopup::OtherEntry);
  keys({Qt::Key_Up, Qt::Key_Return});
  EXPECT_EQ(chosen->count(), 1);
  EXPECT_EQ(chosen->first().first().value<uint32_t>(), 0x00606060u);
  EXPECT_EQ(dismissed->count(), 1);
}

TEST_F(PalettePopup, StandardColourDialogResultBecomesTheColour) {
  open(Red);
  int attempts = 0;
  std::function<void()> answer = [&] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* dialog = qobject_cast<QColorDialog*>(widget);
      if (dialog && dialog->isVisible()) {
        EXPECT_EQ(dialog->currentColor(), QColor(255, 0, 0));
        dialog->setCurrentColor(QColor(1, 2, 3));
        dialog->accept();
        return;
      }
    }
    if (++attempts < 500) QTimer::singleShot(10, answer);
  };
  QTimer::singleShot(0, answer);
  clickEntry(ColorPalettePopup::OtherEntry);
  EXPECT_EQ(onlyChoice(), 0x00030201u);
}

TEST_F(PalettePopup, PopupIsShiftedToLieWhollyOnTheScreen) {
  open(Red);
  const QRect area = popup->screen()->availableGeometry();
  popup->popupAt(area.bottomRight() - QPoint(5, 5));
  EXPECT_EQ(popup->geometry().bottomRight(), area.bottomRight());
  popup->popupAt(area.topLeft() - QPoint(50, 70));
  EXPECT_EQ(popup->geometry().topLeft(), area.topLeft());
  popup->popupAt(area.topLeft() + QPoint(30, 40));
  EXPECT_EQ(popup->geometry().topLeft(), area.topLeft() + QPoint(30, 40));
}

}  // namespace
