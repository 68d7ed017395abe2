// Each of the six colours, by the pixels the controls draw: a pick changes
// the drawing of exactly the controls the colour belongs to (and of the
// picker, which shows it), and nothing of any other control: a container's
// colours reach no control inside it.
#include "tests/ui/main_window_fixture.h"

#include <set>
#include <vector>

#include "tests/ui/colour_targets.h"
#include "ui/main_window_layout.h"

namespace {

class ColourPixelsTest : public MainWindowTest {
 protected:
  // The main window with text in every caption that a colour can reach.
  void openWithTexts() {
    open();
    type("编辑框_号码", "8888");
    key("编辑框_号码", Qt::Key_Return);  // price, grade, advice
    form().label(utf8ToGbk("滚动标题")).setCaption(utf8ToGbk("滚动 字幕"));
  }

  // What a control draws itself: a container without the controls in it,
  // any other control with its inner parts (an edit box's viewport).
  QImage ownDrawing(const gui::ElementSpec& e) {
    QWidget* w = gui::widgetOf(form(), e.kind == gui::ControlKind::Window ? Text() : e.name);
    QImage image(w->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QWidget::RenderFlags flags = QWidget::DrawWindowBackground;
    if (!gui::isContainer(e.kind)) flags |= QWidget::DrawChildren;
    w->render(&image, QPoint(), QRegion(), flags);
    return image;
  }
  std::map<Text, QImage> drawings() {
    std::map<Text, QImage> out;
    for (const gui::ElementSpec& e : mainWindowLayout())
      if (e.kind != gui::ControlKind::Timer) out[e.name] = ownDrawing(e);
    return out;
  }
};

TEST_F(ColourPixelsTest, EachColourRedrawsExactlyItsTargets) {
  openWithTexts();
  const Text windowName = mainWindowLayout().front().name;
  for (const ColourTargets& colour : Colours) {
    SCOPED_TRACE(colour.picker);
    std::set<Text> targets;
    for (const char* name : colour.targets) targets.insert(*name ? utf8ToGbk(name) : windowName);
    targets.insert(utf8ToGbk(colour.picker));  // the picker shows its colour
    const gui::ColorPicker picker = form().colorPicker(utf8ToGbk(colour.picker));
    const COLORREF original = picker.colour();
    picker.choose(RGB(0, 200, 0));
    const auto before = drawings();
    picker.choose(RGB(200, 0, 200));
    const auto after = drawings();
    for (const auto& [name, image] : before)
      EXPECT_EQ(image != after.at(name), targets.count(name) == 1) << gbkToUtf8(name);
    picker.choose(original);
  }
}

// The marks of the headline options and the arrow of the special-colour
// picker, as the whole window shows them, whatever the text colour.
TEST_F(ColourPixelsTest, MarksAndArrowInsideTheGroupKeepTheirColoursUnderAnyTextColour) {
  open();
  QWidget* window = widget("");
  auto crop = [&](const char* name) {
    QWidget* w = widget(name);
    return window->grab(QRect(w->mapTo(window, QPoint(0, 0)), w->size())).toImage();
  };
  const QImage mark = crop("软件标题1"), emptyMark = crop("软件标题2"), arrow = crop("颜色选择器_特殊字颜色");
  // The checked mark stands out from the white of its circle.
  int dark = 0;
  for (int y = 0; y < mark.height(); ++y)
    for (int x = 0; x < mark.width(); ++x) dark += qGray(mark.pixel(x, y)) < 100;
  EXPECT_GT(dark, 4);
  const COLORREF textColours[] = {RGB(255, 255, 255), RGB(255, 0, 0), RGB(0, 0, 0), RGB(0, 136, 255),
                                  RGB(255, 255, 0), RGB(96, 96, 96)};
  for (COLORREF c : textColours) {
    form().colorPicker(utf8ToGbk("颜色选择器_字体颜色")).choose(c);
    EXPECT_EQ(crop("软件标题1"), mark) << std::hex << c;
    EXPECT_EQ(crop("软件标题2"), emptyMark) << std::hex << c;
    EXPECT_EQ(crop("颜色选择器_特殊字颜色"), arrow) << std::hex << c;
  }
}

}  // namespace
