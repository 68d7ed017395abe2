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

}  // namespace
