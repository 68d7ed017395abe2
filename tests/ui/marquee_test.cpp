// The scrolling caption: switched by its check box, paced by the slider,
// moved by the tick handler, clipped by its picture box.
#include "tests/ui/main_window_fixture.h"

#include "ui/marquee.h"

namespace {

class MarqueeTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    open();
  }
  gui::Label caption() { return form().label("滚动标题"_gbk); }
  gui::Timer timer() { return form().timer("时钟_滚动"_gbk); }
  void tick(int times) {
    for (int i = 0; i < times; ++i) timer().tick();
  }
};

TEST_F(MarqueeTest, CheckingShowsTheTextWithFiftyPixelsPerByteAndStartsTheTimer) {
  click("选择框_滚动");
  EXPECT_EQ(MainWindowTest::caption("滚动标题"), "棒棒糖排队、墨镜插队、兔兔置顶");
  EXPECT_EQ(caption().width(), 1500);  // 30 GBK bytes
  EXPECT_EQ(caption().left(), 0);
  EXPECT_EQ(timer().interval(), 1);
}

TEST_F(MarqueeTest, WidthCountsGbkBytesOfMixedText) {
  retype("编辑框_滚动", "ab中");
  click("选择框_滚动");
  EXPECT_EQ(caption().width(), 200);
}

TEST_F(MarqueeTest, TheCaptionWrapsFromMinus489To488) {
  click("选择框_滚动");
  tick(489);
  EXPECT_EQ(caption().left(), -489);
  tick(1);
  EXPECT_EQ(caption().left(), 488);
  tick(1);
  EXPECT_EQ(caption().left(), 487);
}

TEST_F(MarqueeTest, EmptyTextRunsWithWidthZero) {
  retype("编辑框_滚动", "");
  click("选择框_滚动");
  EXPECT_EQ(caption().width(), 0);
  EXPECT_EQ(timer().interval(), 1);
  tick(3);
  EXPECT_EQ(caption().left(), -3);
}

TEST_F(MarqueeTest, UncheckingStopsAndEmptiesButKeepsLeftAndWidth) {
  click("选择框_滚动");
  tick(10);
  click("选择框_滚动");
  EXPECT_EQ(timer().interval(), 0);
  EXPECT_EQ(MainWindowTest::caption("滚动标题"), "");
  EXPECT_EQ(caption().left(), -10);
  EXPECT_EQ(caption().width(), 1500);
  click("选择框_滚动");  // resumes where it stood
  EXPECT_EQ(caption().left(), -10);
}

TEST_F(MarqueeTest, SliderChangesTheIntervalAtOnceWhileRunningOnly) {
  QWidget* slider = widget("滑块条_速度");
  slider->setFocus();
  QTest::keyClick(slider, Qt::Key_End);  // off: the update keeps it off
  EXPECT_EQ(timer().interval(), 0);
  EXPECT_EQ(MainWindowTest::caption("滚动标题"), "");
  QTest::keyClick(slider, Qt::Key_Home);
  click("选择框_滚动");
  EXPECT_EQ(timer().interval(), 1);
  QTest::keyClick(slider, Qt::Key_End);
  EXPECT_EQ(timer().interval(), 20);
}

TEST_F(MarqueeTest, EditingTheTextWhileRunningShowsOnlyAtTheNextUpdate) {
  click("选择框_滚动");
  retype("编辑框_滚动", "abc");
  EXPECT_EQ(MainWindowTest::caption("滚动标题"), "棒棒糖排队、墨镜插队、兔兔置顶");
  QWidget* slider = widget("滑块条_速度");
  QTest::keyClick(slider, Qt::Key_Right);
  EXPECT_EQ(MainWindowTest::caption("滚动标题"), "abc");
  EXPECT_EQ(caption().width(), 150);
}

TEST_F(MarqueeTest, TheTimerMovesTheCaptionOnItsOwn) {
  click("选择框_滚动");
  EXPECT_TRUE(QTest::qWaitFor([&] { return caption().left() <= -3; }, 5000));
}

TEST_F(MarqueeTest, CaptionIsClippedByItsPictureBox) {
  form().colorPicker("颜色选择器_滚动字幕颜色"_gbk).choose(RGB(255, 0, 0));
  click("选择框_滚动");
  const QImage shot = widget("")->grab().toImage();
  auto redIn = [&](int x0, int x1) {
    int red = 0;
    for (int y = 129; y < 193; ++y)
      for (int x = x0; x < x1; ++x) {
        const QColor c = shot.pixelColor(x, y);
        red += c.red() > 200 && c.green() < 80 && c.blue() < 80;
      }
    return red;
  };
  EXPECT_GT(redIn(10, 480), 0);   // text inside the box
  EXPECT_EQ(redIn(480, 504), 0);  // nothing beyond its right edge
}

}  // namespace
