// Labels, containers, check and radio boxes, slider, colour picker, timer,
// colours and fonts.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>
#include <QScreen>
#include <QSlider>
#include <QTimer>

#include "platform/gui/qt_bridge.h"
#include "platform/text/gbk.h"
#include "tests/platform/gui/test_forms.h"

namespace gui {
namespace {

using testing::element;
using testing::showForm;
using testing::windowSpec;

TEST(Buttons, ClickHandlersSeeTheToggledStateAndRadioBoxesAreNotExclusive) {
  auto form = showForm({windowSpec(), element("check", ControlKind::CheckBox, {0, 0, 100, 20}),
                        element("r1", ControlKind::RadioBox, {0, 30, 100, 20}, {.checked = true}),
                        element("r2", ControlKind::RadioBox, {0, 60, 100, 20})});
  ASSERT_NE(form, nullptr);
  std::vector<bool> seen;
  CheckBox check = form->checkBox("check");
  check.onClick([&] { seen.push_back(check.checked()); });
  QTest::mouseClick(widgetOf(*form, "check"), Qt::LeftButton);
  QTest::mouseClick(widgetOf(*form, "check"), Qt::LeftButton);
  EXPECT_EQ(seen, (std::vector<bool>{true, false}));

  RadioBox r1 = form->radioBox("r1"), r2 = form->radioBox("r2");
  int r1Clicks = 0;
  r1.onClick([&] { ++r1Clicks; });
  QTest::mouseClick(widgetOf(*form, "r2"), Qt::LeftButton);
  EXPECT_TRUE(r1.checked());  // no automatic exclusivity
  EXPECT_TRUE(r2.checked());
  QTest::mouseClick(widgetOf(*form, "r1"), Qt::LeftButton);
  EXPECT_TRUE(r1.checked());  // a checked radio box stays checked
  EXPECT_EQ(r1Clicks, 1);     // and still raises its click
}

TEST(Labels, CaptionsKeepCrLfAndTransLabelsDrawNoBackground) {
  auto form = showForm({windowSpec(), element("label", ControlKind::Label, {0, 0, 100, 40}),
                        element("trans", ControlKind::TransLabel, {0, 50, 100, 40})});
  ASSERT_NE(form, nullptr);
  Label label = form->label("label");
  label.setCaption("一\r\n二"_gbk);
  EXPECT_EQ(static_cast<QLabel*>(widgetOf(*form, "label"))->text(), QStringLiteral("一\n二"));
  EXPECT_EQ(label.caption(), "一\r\n二"_gbk);
  EXPECT_TRUE(widgetOf(*form, "label")->autoFillBackground());
  QWidget* trans = widgetOf(*form, "trans");
  EXPECT_FALSE(trans->autoFillBackground());
  form->label("trans").setBackColour(RGB(255, 0, 0));
  // The window's blue shows through where the label has no text.
  const QImage shot = widgetOf(*form, "")->grab().toImage();
  EXPECT_EQ(shot.pixelColor(95, 85), QColor(0, 136, 255));
}

TEST(Containers, HidingAContainerHidesItsChildrenWhichAreClippedToIt) {
  auto form = showForm({windowSpec(), element("pic", ControlKind::PicBox, {10, 10, 50, 50}),
                        element("inner", ControlKind::Label, {0, 0, 200, 50}, {}, "pic")});
  ASSERT_NE(form, nullptr);
  form->container("pic").setBackColour(RGB(0, 0, 0));
  form->label("inner").setBackColour(RGB(255, 0, 0));
  QImage shot = widgetOf(*form, "")->grab().toImage();
  EXPECT_EQ(shot.pixelColor(30, 30), QColor(255, 0, 0));
  EXPECT_EQ(shot.pixelColor(100, 30), QColor(0, 136, 255));  // clipped at the box's edge
  form->container("pic").setVisible(false);
  EXPECT_FALSE(widgetOf(*form, "inner")->isVisible());
  EXPECT_TRUE(form->label("inner").visible());  // its own flag is unchanged
  shot = widgetOf(*form, "")->grab().toImage();
  EXPECT_EQ(shot.pixelColor(30, 30), QColor(0, 136, 255));
}

TEST(Colours, ColorrefValuesAndTheSystemDefault) {
  EXPECT_EQ(toQColor(0x00FF8800), QColor(0, 136, 255));
  EXPECT_EQ(toColorref(QColor(255, 255, 0)), 0x0000FFFFu);
  EXPECT_FALSE(toQColor(SystemDefaultColour).isValid());
  auto form = showForm({windowSpec(), element("label", ControlKind::Label, {0, 0, 100, 40})});
  ASSERT_NE(form, nullptr);
  Label label = form->label("label");
  QWidget* w = widgetOf(*form, "label");
  label.setTextColour(RGB(1, 2, 3));
  EXPECT_EQ(label.textColour(), RGB(1, 2, 3));
  EXPECT_EQ(w->palette().color(QPalette::WindowText), QColor(1, 2, 3));
  label.setBackColour(SystemDefaultColour);
  EXPECT_EQ(label.backColour(), SystemDefaultColour);
  EXPECT_EQ(w->palette().color(QPalette::Window), QApplication::palette().color(QPalette::Window));
}

TEST(Fonts, WindowsFacesMapToInstalledCjkFontsWithPixelHeights) {
  EXPECT_EQ(fontFamilyForFace("微软雅黑"_gbk), QStringLiteral("Noto Sans CJK SC"));
  EXPECT_EQ(fontFamilyForFace("楷体"_gbk), QStringLiteral("AR PL UKai CN"));
  EXPECT_EQ(fontFamilyForFace("宋体"_gbk), QStringLiteral("AR PL UMing CN"));
  EXPECT_EQ(fontFamilyForFace(""), QStringLiteral("Noto Sans CJK SC"));
  for (const char* face : {"微软雅黑", "楷体", "宋体"}) {
    const QFont font = toQFont({utf8ToGbk(face), 29, true});
    EXPECT_EQ(font.pixelSize(), 29);
    EXPECT_TRUE(font.bold());
    EXPECT_EQ(QFontInfo(font).family(), fontFamilyForFace(utf8ToGbk(face))) << face;
  }
  EXPECT_FALSE(toQFont({"", 21, false}).bold());
}

TEST(Slider, KeysRaiseThePositionEventButWritesDoNot) {
  auto form = showForm({windowSpec(), element("slider", ControlKind::SliderBar, {0, 0, 200, 24},
                                              {.minimum = 1, .maximum = 20, .lineStep = 1,
                                               .pageStep = 5, .position = 1})});
  ASSERT_NE(form, nullptr);
  SliderBar slider = form->sliderBar("slider");
  std::vector<int32_t> seen;
  slider.onPositionChanged([&] { seen.push_back(slider.position()); });
  QWidget* w = widgetOf(*form, "slider");
  QTest::keyClick(w, Qt::Key_Right);
  QTest::keyClick(w, Qt::Key_PageUp);
  QTest::keyClick(w, Qt::Key_End);
  EXPECT_EQ(seen, (std::vector<int32_t>{2, 7, 20}));
  slider.setPosition(3);
  EXPECT_EQ(slider.position(), 3);
  EXPECT_EQ(seen.size(), 3u);
}

TEST(Picker, ChoosingRaisesTheChangeEventSettingDoesNot) {
  auto form = showForm({windowSpec(), element("picker", ControlKind::ColorPicker, {0, 0, 176, 40},
                                              {.colour = RGB(255, 0, 0)})});
  ASSERT_NE(form, nullptr);
  ColorPicker picker = form->colorPicker("picker");
  EXPECT_EQ(picker.colour(), RGB(255, 0, 0));
  std::vector<COLORREF> seen;
  picker.onColourChanged([&] { seen.push_back(picker.colour()); });
  picker.setColour(RGB(0, 255, 0));
  picker.choose(RGB(0, 0, 255));
  EXPECT_EQ(seen, (std::vector<COLORREF>{RGB(0, 0, 255)}));
  // The button shows its colour.
  const QImage shot = widgetOf(*form, "picker")->grab().toImage();
  EXPECT_EQ(shot.pixelColor(40, 20), QColor(0, 0, 255));
}

TEST(Timers, IntervalsBelowTenMillisecondsRunAtTenAndZeroStops) {
  auto form = showForm({windowSpec(), element("timer", ControlKind::Timer, {575, 4, 32, 32})});
  ASSERT_NE(form, nullptr);
  Timer timer = form->timer("timer");
  auto* qtimer = widgetOf(*form, "")->findChild<QTimer*>();
  ASSERT_NE(qtimer, nullptr);
  EXPECT_FALSE(qtimer->isActive());
  int ticks = 0;
  const Qt::HANDLE gui = QThread::currentThreadId();
  bool onGuiThread = true;
  timer.onTick([&] {
    ++ticks;
    onGuiThread &= QThread::currentThreadId() == gui;
  });
  timer.setInterval(1);
  EXPECT_EQ(timer.interval(), 1);
  EXPECT_EQ(qtimer->interval(), 10);
  EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 3; }, 5000));
  EXPECT_TRUE(onGuiThread);
  timer.setInterval(25);
  EXPECT_EQ(qtimer->interval(), 25);
  timer.setInterval(0);
  EXPECT_FALSE(qtimer->isActive());
  EXPECT_EQ(timer.interval(), 0);
}

TEST(Timers, AnIntervalInTheLayoutRunsFromTheStart) {
  auto form = showForm({windowSpec(), element("fast", ControlKind::Timer, {}, {.interval = 1}),
                        element("slow", ControlKind::Timer, {}, {.interval = 40})});
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->timer("fast").interval(), 1);
  EXPECT_EQ(form->timer("slow").interval(), 40);
  std::vector<int> running;
  for (QTimer* t : widgetOf(*form, "")->findChildren<QTimer*>())
    if (t->isActive()) running.push_back(t->interval());
  std::sort(running.begin(), running.end());
  EXPECT_EQ(running, (std::vector<int>{10, 40}));
}

// What the platform shows of the window right now, without a turn of the loop.
QImage onScreen(QWidget* window) {
  return QGuiApplication::primaryScreen()->grabWindow(window->winId()).toImage();
}

TEST(Writes, ShowOnScreenBeforeTheWriteReturns) {
  auto form = showForm({windowSpec(), element("label", ControlKind::Label, {10, 10, 100, 40}),
                        element("pic", ControlKind::PicBox, {10, 100, 200, 40}),
                        element("inner", ControlKind::Label, {0, 0, 50, 40}, {}, "pic")});
  ASSERT_NE(form, nullptr);
  QWidget* w = widgetOf(*form, "");
  QApplication::processEvents();
  form->label("label").setBackColour(RGB(255, 0, 0));
  EXPECT_EQ(onScreen(w).pixelColor(50, 30), QColor(255, 0, 0));
  form->label("inner").setBackColour(RGB(0, 255, 0));
  form->label("inner").setLeft(100);
  const QImage shot = onScreen(w);
  EXPECT_EQ(shot.pixelColor(130, 120), QColor(0, 255, 0));  // where it went
  EXPECT_NE(shot.pixelColor(20, 120), QColor(0, 255, 0));   // where it was
}

}  // namespace
}  // namespace gui
