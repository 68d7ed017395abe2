// Blanks drawn as wide as the Windows faces draw them, in captions and in
// edit boxes, by the pixels and cursor positions of the real rendering.
#include <gtest/gtest.h>

#include "platform/gui/blanks.h"
#include "platform/gui/qt_bridge.h"
#include "platform/text/gbk.h"
#include "tests/platform/gui/test_forms.h"

namespace gui {
namespace {

using testing::element;
using testing::showForm;
using testing::windowSpec;

struct BlankCase {
  const char* face;
  int32_t height;
  bool bold;
  int blank;  // pixels: the original face's blank at that height
};

const BlankCase Cases[] = {
    {"微软雅黑", 20, true, 6},   // 0.3 em
    {"微软雅黑", 21, true, 6},   // 6.3
    {"微软雅黑", 27, true, 8},   // 8.1
    {"微软雅黑", 29, true, 9},   // 8.7
    {"宋体", 29, true, 15},      // half an em, 14.5
    {"楷体", 48, true, 24},
    {"", 16, false, 8},          // the default face: SimSun
    {"", 19, true, 10},
};

// A caption's drawing: the label alone, on a transparent ground.
QImage drawing(QWidget* w) {
  QImage image(w->size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  w->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  return image;
}

// First and last column and row holding ink: pixels unlike the corner's ground.
QRect ink(const QImage& image) {
  QRect r;
  const QRgb ground = image.pixel(0, 0);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) != ground) r |= QRect(x, y, 1, 1);
  return r;
}

ElementSpec withFont(ElementSpec e, const BlankCase& c) {
  e.font = {utf8ToGbk(c.face), c.height, c.bold};
  e.textColour = RGB(255, 255, 255);
  return e;
}

TEST(Blanks, EachBlankOfACaptionIsAsWideAsInTheOriginalFace) {
  for (const BlankCase& c : Cases) {
    SCOPED_TRACE(std::string(c.face) + " " + std::to_string(c.height));
    auto form = showForm({windowSpec(600, 200),
                          withFont(element("trans", ControlKind::TransLabel, {0, 0, 600, 60}), c),
                          withFont(element("label", ControlKind::Label, {0, 100, 600, 60},
                                           {.verticalCentre = true}),
                                   c)});
    ASSERT_NE(form, nullptr);
    for (const char* name : {"trans", "label"}) {
      Label label = form->label(name);
      auto inkWith = [&](int blanks) {
        label.setCaption("寻找"_gbk + Text(blanks, ' ') + "年"_gbk);
        return ink(drawing(widgetOf(*form, name)));
      };
      const QRect nine = inkWith(9), ten = inkWith(10);
      EXPECT_EQ(ten.right() - nine.right(), c.blank) << name;
      EXPECT_EQ(nine.left(), ten.left()) << name;
      // The lines stand where they stand without blanks.
      label.setCaption("寻找年"_gbk);
      const QRect none = ink(drawing(widgetOf(*form, name)));
      EXPECT_EQ(nine.top(), none.top()) << name;
      EXPECT_EQ(nine.bottom(), none.bottom()) << name;
    }
  }
}

TEST(Blanks, EditBoxesLayOutTheirBlanksAsWideAsTheOriginalFace) {
  for (const BlankCase& c : Cases) {
    SCOPED_TRACE(std::string(c.face) + " " + std::to_string(c.height));
    auto form = showForm({windowSpec(600, 200),
                          withFont(element("single", ControlKind::EditBox, {0, 0, 600, 80}), c),
                          withFont(element("multi", ControlKind::EditBox, {0, 100, 600, 80},
                                           {.multiLine = true}),
                                   c)});
    ASSERT_NE(form, nullptr);
    for (const char* name : {"single", "multi"}) {
      EditBox edit = form->editBox(name);
      QWidget* widget = widgetOf(*form, name);
      // Where the cursor stands at the end of the text.
      auto endOf = [&](int blanks) {
        edit.setText("寻找"_gbk + Text(blanks, ' '));
        return widget->inputMethodQuery(Qt::ImCursorRectangle).toRect().x();
      };
      EXPECT_EQ(endOf(10) - endOf(9), c.blank) << name;
      // Typed blanks too.
      edit.setText("寻找"_gbk);
      const int before = widget->inputMethodQuery(Qt::ImCursorRectangle).toRect().x();
      QTest::keyClicks(widget, "  ");
      EXPECT_EQ(widget->inputMethodQuery(Qt::ImCursorRectangle).toRect().x() - before, 2 * c.blank) << name;
    }
  }
}

TEST(Blanks, FacesWithoutAKnownBlankKeepTheInstalledFontsBlank) {
  EXPECT_EQ(originalBlankEm("Arial"), 0);
  EXPECT_EQ(blankSpacing(toQFont({"微软雅黑"_gbk, 20, true}), 0), 0);
  EXPECT_TRUE(blankFormats(QStringLiteral("a  b c"), 0).isEmpty());
  const auto ranges = blankFormats(QStringLiteral("a  b c"), 1.5);
  ASSERT_EQ(ranges.size(), 2);
  EXPECT_EQ(ranges[0].start, 1);
  EXPECT_EQ(ranges[0].length, 2);
  EXPECT_EQ(ranges[1].start, 4);
  EXPECT_EQ(ranges[1].length, 1);
}

}  // namespace
}  // namespace gui
