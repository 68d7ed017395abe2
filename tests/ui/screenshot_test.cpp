// A picture of the window on the offscreen platform: the colours and texts
// land where the layout puts them.
#include "tests/ui/main_window_fixture.h"

namespace {

QColor rgb(COLORREF c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

int countPixels(const QImage& image, QRect area, const std::function<bool(QColor)>& test) {
  int n = 0;
  area = area.intersected(image.rect());
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) n += test(image.pixelColor(x, y));
  return n;
}

bool isWhite(QColor c) { return c.red() > 230 && c.green() > 230 && c.blue() > 230; }
bool isYellow(QColor c) { return c.red() > 230 && c.green() > 230 && c.blue() < 60; }
bool isRed(QColor c) { return c.red() > 200 && c.green() < 80 && c.blue() < 80; }

TEST_F(MainWindowTest, ScreenshotShowsTheLiveAreaAndThePanel) {
  open();
  const QImage shot = widget("")->grab().toImage();
  ASSERT_EQ(shot.size(), QSize(888, 888));
  const QColor blue = rgb(0x00FF8800);
  for (QPoint p : {QPoint(5, 5), QPoint(880, 60), QPoint(400, 850), QPoint(15, 150), QPoint(480, 700)})
    EXPECT_EQ(shot.pixelColor(p), blue) << p.x() << "," << p.y();
  // White headline text ("寻找", "年以上过", "手机尾号") and red special numbers.
  EXPECT_GT(countPixels(shot, {36, 208, 78, 64}, isWhite), 50);
  EXPECT_GT(countPixels(shot, {112, 208, 48, 64}, isRed), 20);
  EXPECT_GT(countPixels(shot, {294, 208, 32, 64}, isRed), 20);
  // The captions and separators.
  EXPECT_GT(countPixels(shot, {46, 307, 180, 40}, isWhite), 50);
  EXPECT_GT(countPixels(shot, {44, 333, 408, 40}, isWhite), 100);
  EXPECT_GT(countPixels(shot, {552, 648, 272, 172}, isWhite), 200);  // usage text
  // The pickers show their colours.
  EXPECT_GT(countPixels(shot, {704, 472, 176, 40}, isYellow), 1000);
  EXPECT_GT(countPixels(shot, {704, 235, 176, 40}, isRed), 1000);
}

TEST_F(MainWindowTest, ScreenshotAfterAQueryShowsTheYellowPrice) {
  open();
  widget("编辑框_号码")->setFocus();
  QTest::keyClicks(widget("编辑框_号码"), "8888");
  QTest::keyClick(widget("编辑框_号码"), Qt::Key_Return);
  const QImage shot = widget("")->grab().toImage();
  EXPECT_GT(countPixels(shot, {226, 371, 180, 40}, isYellow), 100);   // price
  EXPECT_GT(countPixels(shot, {220, 307, 224, 42}, isYellow), 100);   // the typed tail
  EXPECT_GT(countPixels(shot, {226, 435, 180, 40}, isWhite), 100);    // grade
}

// The two headline options in the panel, cropped from a picture of the
// window: each caption reads in full around the edit box over its blanks.
TEST_F(MainWindowTest, ScreenshotCropsShowBothHeadlineOptionsInFull) {
  open();
  // Green text, so that the captions' pixels differ from the boxes' white.
  form().colorPicker(utf8ToGbk("颜色选择器_字体颜色")).choose(RGB(0, 255, 0));
  QWidget* window = widget("");
  for (auto [caption, box] : {std::pair{"透明标签1", "编辑框1"}, std::pair{"透明标签2", "编辑框2"}}) {
    SCOPED_TRACE(caption);
    QWidget* text = widget(caption);
    const QRect textArea(text->mapTo(window, QPoint(0, 0)), text->size());
    const QRect boxArea(widget(box)->mapTo(window, QPoint(0, 0)), widget(box)->size());
    const QRect option = textArea | boxArea;
    const QImage crop = window->grab(option).toImage();
    // The caption drawn alone: its fully inked pixels must all show in the crop.
    QImage alone(text->size(), QImage::Format_ARGB32_Premultiplied);
    alone.fill(Qt::transparent);
    text->render(&alone, QPoint(), QRegion(), {});
    int before = 0, after = 0, hidden = 0;
    for (int y = 0; y < alone.height(); ++y)
      for (int x = 0; x < alone.width(); ++x) {
        if (qAlpha(alone.pixel(x, y)) < 255) continue;
        const QPoint at = textArea.topLeft() + QPoint(x, y);
        hidden += crop.pixelColor(at - option.topLeft()) != QColor(0, 255, 0);
        before += at.x() < boxArea.left();
        after += at.x() > boxArea.right();
      }
    EXPECT_EQ(hidden, 0);
    EXPECT_GT(before, 50);  // "寻找" left of the box
    EXPECT_GT(after, 200);  // the rest of the sentence right of it
  }
}

}  // namespace
