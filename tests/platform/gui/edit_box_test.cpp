// The edit box as Windows edit boxes behave: CR LF text, maximum length with
// line breaks counting two, the short-integer input mode, key-down events.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTextEdit>

#include "platform/gui/qt_bridge.h"
#include "platform/text/gbk.h"
#include "tests/platform/gui/test_forms.h"

namespace gui {
namespace {

using testing::element;
using testing::showForm;
using testing::windowSpec;

class EditBoxTest : public ::testing::Test {
 protected:
  void build(Style style) {
    Layout layout = {windowSpec(), element("edit", ControlKind::EditBox, {10, 10, 200, 40}, style),
                     element("other", ControlKind::EditBox, {10, 60, 200, 40})};
    form = showForm(layout);
    ASSERT_NE(form, nullptr);
    edit = form->editBox("edit");
    widget = widgetOf(*form, "edit");
    widget->setFocus();
  }
  void leaveBox() {
    widgetOf(*form, "other")->setFocus();
    QApplication::processEvents();
  }

  std::unique_ptr<Form> form;
  EditBox edit;
  QWidget* widget = nullptr;
};

const Style numberBox{.align = HAlign::Centre, .multiLine = true, .wantReturn = true,
                      .maxLength = 4, .inputMode = InputMode::ShortInteger};

TEST_F(EditBoxTest, TextUsesCrLfLineBreaksBothWays) {
  build({.multiLine = true, .wantReturn = true});
  edit.setText("a\r\nb");
  EXPECT_EQ(static_cast<QTextEdit*>(widget)->toPlainText(), QStringLiteral("a\nb"));
  EXPECT_EQ(edit.text(), "a\r\nb");
  QTest::keyClick(widget, Qt::Key_End, Qt::ControlModifier);
  QTest::keyClick(widget, Qt::Key_Return);
  QTest::keyClicks(widget, "c");
  EXPECT_EQ(edit.text(), "a\r\nb\r\nc");
}

TEST_F(EditBoxTest, MaximumLengthCountsALineBreakAsTwo) {
  build(numberBox);
  QTest::keyClicks(widget, "12");
  QTest::keyClick(widget, Qt::Key_Return);  // 2 + 2 = 4: fits
  EXPECT_EQ(edit.text(), "12\r\n");
  QTest::keyClicks(widget, "3");  // a fifth character is refused
  QTest::keyClick(widget, Qt::Key_Return);
  EXPECT_EQ(edit.text(), "12\r\n");
  edit.setText("123");
  QTest::keyClick(widget, Qt::Key_End);
  QTest::keyClick(widget, Qt::Key_Return);  // 3 + 2 > 4
  EXPECT_EQ(edit.text(), "123");
}

TEST_F(EditBoxTest, AFifthCharacterIsRefusedButASelectionMayBeReplaced) {
  build(numberBox);
  QTest::keyClicks(widget, "12345");
  EXPECT_EQ(edit.text(), "1234");
  QTest::keyClick(widget, Qt::Key_Backspace);
  QTest::keyClicks(widget, "9");
  EXPECT_EQ(edit.text(), "1239");
  QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(widget, "7");
  EXPECT_EQ(edit.text(), "7");
}

TEST_F(EditBoxTest, ShortIntegerModeRefusesLettersAndBlanksButTakesMinus) {
  build(numberBox);
  QTest::keyClicks(widget, "a1 b-.2");
  EXPECT_EQ(edit.text(), "1-2");
}

TEST_F(EditBoxTest, PastingIsNotFilteredButStillLimited) {
  build(numberBox);
  QApplication::clipboard()->setText(QStringLiteral("ab123"));
  QTest::keyClick(widget, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(edit.text(), "ab12");
}

TEST_F(EditBoxTest, LosingTheFocusRewritesTheClampedValue) {
  struct Case {
    Text typed, after;
  };
  for (const Case& c : {Case{"0123", "123"}, Case{"0", ""}, Case{"0000", ""}, Case{"-0", ""},
                        Case{"-12", "-12"}, Case{"--1", ""}, Case{"1-2", "1"}}) {
    build(numberBox);
    QTest::keyClicks(widget, QString::fromStdString(c.typed));
    EXPECT_EQ(edit.text(), c.typed);
    leaveBox();
    EXPECT_EQ(edit.text(), c.after) << c.typed;
  }
}

TEST_F(EditBoxTest, TheBoxsOwnContextMenuDoesNotTakeItsFocus) {
  build(numberBox);
  QTest::keyClicks(widget, "0520");
  QWidget* viewport = static_cast<QTextEdit*>(widget)->viewport();
  QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(5, 5), viewport->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(viewport, &request);
  QWidget* menu = QApplication::activePopupWidget();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(edit.text(), "0520");  // still the box's: nothing rewritten
  menu->close();
  QApplication::processEvents();
  leaveBox();
  EXPECT_EQ(edit.text(), "520");
}

TEST_F(EditBoxTest, FocusRewriteClampsToSixteenBitsAndReplacesOnlyWhenDifferent) {
  build({.maxLength = 8, .inputMode = InputMode::ShortInteger});
  int changes = 0;
  edit.onContentChanged([&] { ++changes; });
  QTest::keyClicks(widget, "99999");
  leaveBox();
  EXPECT_EQ(edit.text(), "32767");
  widget->setFocus();
  edit.setText("-99999");
  leaveBox();
  EXPECT_EQ(edit.text(), "-32768");
  changes = 0;
  widget->setFocus();
  leaveBox();
  EXPECT_EQ(changes, 0);  // "-32768" already is the rewritten form
}

TEST_F(EditBoxTest, KeyDownCarriesVirtualKeyCodesAndMayConsumeTheKey) {
  build(numberBox);
  std::vector<int32_t> codes;
  edit.onKeyDown([&](int32_t key, int32_t) {
    codes.push_back(key);
    return key == 13;
  });
  QTest::keyClick(widget, Qt::Key_5);
  QTest::keyClick(widget, Qt::Key_A);
  QTest::keyClick(widget, Qt::Key_Return);
  QTest::keyClick(widget, Qt::Key_Enter, Qt::KeypadModifier);
  QTest::keyClick(widget, Qt::Key_Backspace);
  EXPECT_EQ(codes, (std::vector<int32_t>{0x35, 0x41, 13, 13, 8}));
  EXPECT_EQ(edit.text(), "");  // "5" typed, letter refused, Enter consumed, Backspace
}

TEST_F(EditBoxTest, EscInsideAnEditBoxClosesTheWindow) {
  build(numberBox);
  bool keyDownSawEsc = false;
  edit.onKeyDown([&](int32_t key, int32_t) {
    keyDownSawEsc |= key == 27;
    return false;
  });
  QTest::keyClicks(widget, "12");
  QTest::keyClick(widget, Qt::Key_Escape);
  EXPECT_FALSE(form->isOpen());
  EXPECT_FALSE(keyDownSawEsc);
}

TEST_F(EditBoxTest, SingleLineBoxCutsTextAtALineBreakAndIgnoresEnter) {
  build({.maxLength = 0});
  edit.setText("ab\r\ncd");
  EXPECT_EQ(edit.text(), "ab");
  QTest::keyClick(widget, Qt::Key_Return);
  EXPECT_EQ(edit.text(), "ab");
}

TEST_F(EditBoxTest, SingleLineBoxTakesPastedTextUpToItsLineBreakWithinItsLength) {
  build({.maxLength = 6});
  QTest::keyClicks(widget, "abcd");
  QTest::keyClick(widget, Qt::Key_Left);
  QTest::keyClick(widget, Qt::Key_Left);
  QApplication::clipboard()->setText(QStringLiteral("X\r\nYZ"));
  QTest::keyClick(widget, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(edit.text(), "abXcd");
  QApplication::clipboard()->setText(QStringLiteral("123"));
  QTest::keyClick(widget, Qt::Key_V, Qt::ControlModifier);  // one more fits
  EXPECT_EQ(edit.text(), "abX1cd");
}

TEST_F(EditBoxTest, SingleLineBoxFiltersShortIntegersAndHidesItsSelectionLikeAMultiLineOne) {
  build({.maxLength = 4, .inputMode = InputMode::ShortInteger});
  QTest::keyClicks(widget, "a0-1 2x345");
  EXPECT_EQ(edit.text(), "0-12");
  QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
  EXPECT_NE(widget->palette().color(QPalette::Highlight).alpha(), 0);
  // Its own context menu leaves the text alone.
  QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(5, 5), widget->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(widget, &request);
  QWidget* menu = QApplication::activePopupWidget();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(edit.text(), "0-12");
  menu->close();
  QApplication::processEvents();
  leaveBox();
  EXPECT_EQ(widget->palette().color(QPalette::Highlight).alpha(), 0);
  EXPECT_EQ(edit.text(), "");  // "0-12" reads as 0
}

TEST_F(EditBoxTest, CentredTextStaysCentredAfterWrites) {
  build(numberBox);
  edit.setText("12");
  auto* text = static_cast<QTextEdit*>(widget);
  EXPECT_TRUE(text->document()->defaultTextOption().alignment() & Qt::AlignHCenter);
  // Drawn centred: nothing of "12" lies in the left quarter of the box.
  edit.setTextColour(RGB(0, 0, 0));
  edit.setBackColour(RGB(255, 255, 255));
  const QImage shot = text->viewport()->grab().toImage();
  int darkLeft = 0, darkMiddle = 0;
  for (int y = 0; y < shot.height(); ++y)
    for (int x = 0; x < shot.width(); ++x)
      if (shot.pixelColor(x, y).lightness() < 128) (x < shot.width() / 4 ? darkLeft : darkMiddle)++;
  EXPECT_EQ(darkLeft, 0);
  EXPECT_GT(darkMiddle, 0);
}

TEST_F(EditBoxTest, SelectionIsHiddenWhileUnfocused) {
  build(numberBox);
  QTest::keyClicks(widget, "12");
  QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
  EXPECT_NE(widget->palette().color(QPalette::Highlight).alpha(), 0);
  leaveBox();
  EXPECT_EQ(widget->palette().color(QPalette::Highlight).alpha(), 0);
}

TEST_F(EditBoxTest, AHiddenSelectionIsDrawnInTheCurrentTextColour) {
  build(numberBox);
  edit.setBackColour(RGB(0, 0, 0));
  edit.setTextColour(RGB(0, 255, 0));
  QTest::keyClicks(widget, "88");
  QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
  leaveBox();
  edit.setTextColour(RGB(255, 0, 0));  // unfocused, with the selection still there
  const QImage shot = static_cast<QTextEdit*>(widget)->viewport()->grab().toImage();
  int red = 0, green = 0;
  for (int y = 0; y < shot.height(); ++y)
    for (int x = 0; x < shot.width(); ++x) {
      const QColor c = shot.pixelColor(x, y);
      red += c.red() > 200 && c.green() < 60;
      green += c.green() > 200 && c.red() < 60;
    }
  EXPECT_GT(red, 0);
  EXPECT_EQ(green, 0);
}

TEST_F(EditBoxTest, InputMethodTextIsFilteredAndLimitedLikeTypedKeys) {
  auto commit = [&](const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(widget, &event);
  };
  build(numberBox);
  commit(QStringLiteral("1a２-"));  // a full-width digit is no digit here
  EXPECT_EQ(edit.text(), "1-");
  commit(QStringLiteral("2345"));
  EXPECT_EQ(edit.text(), "1-23");
  build({.maxLength = 2});
  commit(QStringLiteral("十万元"));
  EXPECT_EQ(edit.text(), "十万"_gbk);
}

TEST_F(EditBoxTest, GbkTextCrossesTheApi) {
  build({});  // single-line: a line edit
  edit.setText("棒棒糖排队"_gbk);
  EXPECT_EQ(static_cast<QLineEdit*>(widget)->text(), QStringLiteral("棒棒糖排队"));
  EXPECT_EQ(edit.text(), "棒棒糖排队"_gbk);
  EXPECT_EQ(edit.text().size(), 10u);
}

}  // namespace
}  // namespace gui
