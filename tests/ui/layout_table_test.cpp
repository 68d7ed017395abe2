// Walks the whole main window against the table of its 55 elements: name,
// kind, parent, geometry, caption, font and colours.
#include "tests/ui/main_window_fixture.h"

#include "ui/main_window_layout.h"

namespace {

using K = gui::ControlKind;
constexpr COLORREF B = 0x00FF8800, W = 0x00FFFFFF, R = 0x000000FF, Y = 0x0000FFFF, N = 0,
                   D = SystemDefaultColour;

struct Row {
  const char* name;
  K kind;
  const char* parent;
  int left, top, width, height;
  const char* caption;
  const char* face;
  int fontHeight;
  bool bold;
  COLORREF text, back;
};

const char* const Sep = "————————————————————————————";  // 28 x U+2014

const Row Expected[] = {
    {"主窗口", K::Window, "", 0, 0, 888, 888, "", "", 0, false, D, B},
    {"标签1", K::Label, "", 0, 0, 888, 64, "", "", 0, false, D, B},
    {"标签2", K::Label, "", 0, 824, 888, 64, "", "", 0, false, D, B},
    {"图片框_滚动", K::PicBox, "", 10, 129, 470, 64, "", "", 0, false, D, B},
    {"滚动标题", K::Label, "图片框_滚动", 0, 0, 50, 64, "", "楷体", 48, true, R, B},
    {"图片框_标题1", K::PicBox, "", 36, 208, 424, 64, "", "", 0, false, D, D},
    {"直播标题1", K::Label, "图片框_标题1", 0, 0, 78, 64, "寻找", "微软雅黑", 29, true, W, B},
    {"直播标题2", K::Label, "图片框_标题1", 76, 0, 48, 64, "10", "微软雅黑", 29, true, R, B},
    {"直播标题3", K::Label, "图片框_标题1", 122, 0, 138, 64, "年以上过", "微软雅黑", 29, true, W, B},
    {"直播标题4", K::Label, "图片框_标题1", 258, 0, 32, 64, "万", "微软雅黑", 29, true, R, B},
    {"直播标题5", K::Label, "图片框_标题1", 286, 0, 138, 64, "手机尾号", "微软雅黑", 29, true, W, B},
    {"图片框_标题2", K::PicBox, "", 68, 208, 360, 64, "", "", 0, false, D, D},
    {"直播标题6", K::Label, "图片框_标题2", -3, 0, 78, 64, "寻找", "微软雅黑", 29, true, W, B},
    {"直播标题7", K::Label, "图片框_标题2", 75, 0, 109, 64, "10000", "微软雅黑", 29, true, R, B},
    {"直播标题8", K::Label, "图片框_标题2", 184, 0, 184, 64, "以上手机尾号", "微软雅黑", 29, true, W, B},
    {"标题5", K::TransLabel, "", 46, 307, 180, 40, "尾号后4位数：", "微软雅黑", 24, true, W, D},
    {"编辑框_号码", K::EditBox, "", 220, 307, 224, 42, "", "微软雅黑", 29, true, Y, B},
    {"标题6", K::TransLabel, "", 44, 333, 408, 40, Sep, "微软雅黑", 21, false, W, D},
    {"标题10", K::TransLabel, "", 46, 371, 180, 40, "评估价格：", "微软雅黑", 24, true, W, D},
    {"标题_价格", K::TransLabel, "", 226, 371, 180, 40, "", "微软雅黑", 27, true, Y, D},
    {"标题7", K::TransLabel, "", 44, 400, 408, 40, Sep, "微软雅黑", 21, false, W, D},
    {"标题11", K::TransLabel, "", 46, 435, 180, 40, "等级：", "微软雅黑", 24, true, W, D},
    {"标题_等级", K::TransLabel, "", 226, 435, 180, 40, "", "微软雅黑", 27, true, W, D},
    {"标题9", K::TransLabel, "", 44, 467, 408, 40, Sep, "微软雅黑", 21, false, W, D},
    {"标题12", K::TransLabel, "", 46, 507, 180, 40, "建议：", "微软雅黑", 24, true, W, D},
    {"标题_建议", K::TransLabel, "", 226, 507, 180, 40, "", "微软雅黑", 27, true, W, D},
    {"标题8", K::TransLabel, "", 44, 534, 408, 40, Sep, "微软雅黑", 21, false, W, D},
    {"标题1", K::TransLabel, "", 504, 63, 200, 40, "软件背景颜色：", "宋体", 29, true, W, D},
    {"颜色选择器_背景色", K::ColorPicker, "", 704, 63, 176, 40, "", "", 0, false, D, D},
    {"标题2", K::TransLabel, "", 504, 109, 200, 40, "软件字体颜色：", "宋体", 29, true, W, D},
    {"颜色选择器_字体颜色", K::ColorPicker, "", 704, 109, 176, 40, "", "", 0, false, D, D},
    {"标题3", K::TransLabel, "", 504, 157, 144, 32, "滚动字幕：", "宋体", 29, true, W, D},
    {"编辑框_滚动", K::EditBox, "", 646, 158, 234, 32, "棒棒糖排队、墨镜插队、兔兔置顶", "", 14, false, N, W},
    {"选择框_滚动", K::CheckBox, "", 504, 200, 142, 32, "启用滚动字幕", "", 19, true, W, B},
    {"滑块条_速度", K::SliderBar, "", 646, 202, 234, 24, "", "", 0, false, D, D},
    {"标题16", K::TransLabel, "", 504, 235, 200, 40, "滚动字幕颜色：", "宋体", 29, true, W, D},
    {"颜色选择器_滚动字幕颜色", K::ColorPicker, "", 704, 235, 176, 40, "", "", 0, false, D, D},
    {"分组框_标题", K::GroupBox, "", 504, 289, 376, 172, "直播标题设置", "", 16, true, W, B},
    {"软件标题1", K::RadioBox, "分组框_标题", 42, 40, 16, 16, "", "", 0, false, W, B},
    {"透明标签1", K::TransLabel, "分组框_标题", 65, 30, 287, 32, "寻找         年以上过万手机尾号", "微软雅黑", 20, true, W, D},
    {"编辑框1", K::EditBox, "分组框_标题", 110, 33, 44, 24, "10", "", 16, false, N, W},
    {"软件标题2", K::RadioBox, "分组框_标题", 42, 80, 16, 16, "", "", 0, false, W, B},
    {"透明标签2", K::TransLabel, "分组框_标题", 65, 73, 287, 32, "寻找                  以上手机尾号", "微软雅黑", 21, true, W, D},
    {"编辑框2", K::EditBox, "分组框_标题", 112, 78, 96, 24, "10000", "", 16, false, N, W},
    {"标题4", K::TransLabel, "分组框_标题", 16, 120, 168, 40, "特殊字颜色：", "宋体", 29, true, W, D},
    {"颜色选择器_特殊字颜色", K::ColorPicker, "分组框_标题", 192, 120, 176, 40, "", "", 0, false, D, D},
    {"标题13", K::TransLabel, "", 504, 472, 200, 40, "输入尾号颜色：", "宋体", 29, true, W, D},
    {"颜色选择器_尾号颜色", K::ColorPicker, "", 704, 472, 176, 40, "", "", 0, false, D, D},
    {"标题14", K::TransLabel, "", 504, 520, 200, 40, "评估价格颜色：", "宋体", 29, true, W, D},
    {"颜色选择器_价格颜色", K::ColorPicker, "", 704, 520, 176, 40, "", "", 0, false, D, D},
    {"单选框2", K::RadioBox, "", 515, 565, 168, 40, "固定的评估价格", "微软雅黑", 16, true, W, B},
    {"单选框1", K::RadioBox, "", 707, 565, 168, 40, "随机的评估价格", "微软雅黑", 16, true, W, B},
    {"选择框_配置", K::CheckBox, "", 560, 607, 272, 40, "下次启动软件延用当前配色", "微软雅黑", 20, true, W, B},
    {"标签3", K::Label, "", 552, 648, 272, 172,
     "软件使用说明：\r\n软件双击顶部或底部展开或收起右边软件设置页面\r\n按Enter(回车键)查询\r\n按Esc键退出程序",
     "微软雅黑", 24, true, W, B},
    {"时钟_滚动", K::Timer, "", 575, 4, 32, 32, "", "", 0, false, D, D},
};

TEST(MainWindowLayout, TableHoldsTheFiftyFiveElementsInOrder) {
  const gui::Layout& layout = mainWindowLayout();
  ASSERT_EQ(std::size(Expected), 55u);
  ASSERT_EQ(layout.size(), std::size(Expected));
  for (size_t i = 0; i < layout.size(); ++i) {
    const Row& row = Expected[i];
    const gui::ElementSpec& e = layout[i];
    SCOPED_TRACE(row.name);
    EXPECT_EQ(e.name, utf8ToGbk(row.name));
    EXPECT_EQ(e.kind, row.kind);
    EXPECT_EQ(e.parent, utf8ToGbk(row.parent));
    EXPECT_EQ(e.geometry, (gui::Geometry{row.left, row.top, row.width, row.height}));
    EXPECT_EQ(e.caption, utf8ToGbk(row.caption));
    EXPECT_EQ(e.font, (gui::FontSpec{utf8ToGbk(row.face), row.fontHeight, row.bold}));
    EXPECT_EQ(e.textColour, row.text);
    EXPECT_EQ(e.backColour, row.back);
  }
}

TEST(MainWindowLayout, StylesOfTheControlsThatHaveOne) {
  auto find = [](const char* name) -> const gui::ElementSpec& {
    for (const gui::ElementSpec& e : mainWindowLayout())
      if (e.name == utf8ToGbk(name)) return e;
    throw std::runtime_error(name);
  };
  const gui::Style& number = find("编辑框_号码").style;
  EXPECT_TRUE(number.multiLine && number.wantReturn && number.hideSelection);
  EXPECT_FALSE(number.framed);
  EXPECT_EQ(number.maxLength, 4);
  EXPECT_EQ(number.inputMode, gui::InputMode::ShortInteger);
  EXPECT_EQ(number.align, gui::HAlign::Centre);
  EXPECT_EQ(find("编辑框1").style.maxLength, 2);
  EXPECT_EQ(find("编辑框2").style.maxLength, 5);
  EXPECT_EQ(find("编辑框_滚动").style.maxLength, 0);
  EXPECT_TRUE(find("编辑框_滚动").style.framed);
  const gui::Style& slider = find("滑块条_速度").style;
  EXPECT_EQ((std::array{slider.minimum, slider.maximum, slider.position, slider.lineStep, slider.pageStep}),
            (std::array{1, 20, 1, 1, 5}));
  EXPECT_TRUE(find("标签1").style.handCursor);
  EXPECT_TRUE(find("标签2").style.handCursor);
  EXPECT_TRUE(find("标签3").style.wordWrap);
  EXPECT_FALSE(find("图片框_标题2").style.visible);
  EXPECT_TRUE(find("软件标题1").style.checked);
  EXPECT_TRUE(find("单选框2").style.checked);
  EXPECT_FALSE(find("单选框1").style.checked);
  EXPECT_EQ(find("标题5").style.align, gui::HAlign::Right);
  EXPECT_EQ(find("标题_价格").style.align, gui::HAlign::Centre);
  EXPECT_EQ(find("颜色选择器_背景色").style.colour, B);
  EXPECT_EQ(find("颜色选择器_字体颜色").style.colour, W);
  EXPECT_EQ(find("颜色选择器_特殊字颜色").style.colour, R);
  EXPECT_EQ(find("颜色选择器_滚动字幕颜色").style.colour, R);
  EXPECT_EQ(find("颜色选择器_尾号颜色").style.colour, Y);
  EXPECT_EQ(find("颜色选择器_价格颜色").style.colour, Y);
  const gui::Style& w = find("主窗口").style;
  EXPECT_TRUE(w.frameless && w.centred && w.escCloses && w.dragByBackground);
  EXPECT_FALSE(w.alwaysOnTop);
}

TEST_F(MainWindowTest, BuiltWindowMatchesTheTableControlByControl) {
  open();
  for (const Row& row : Expected) {
    SCOPED_TRACE(row.name);
    gui::ControlHandle c =
        row.kind == K::Window ? form().window() : form().control(utf8ToGbk(row.name));
    ASSERT_TRUE(c.valid());
    EXPECT_EQ(c.kind(), row.kind);
    if (row.kind != K::Window) {
      EXPECT_EQ((gui::Geometry{c.left(), c.top(), c.width(), c.height()}),
                (gui::Geometry{row.left, row.top, row.width, row.height}));
    }
    if (row.kind == K::Label || row.kind == K::TransLabel) {
      EXPECT_EQ(caption(row.name), row.caption);
    }
    if (row.kind == K::EditBox) {
      EXPECT_EQ(text(row.name), row.caption);
    }
  }
  EXPECT_EQ(form().window().width(), 888);
  EXPECT_EQ(form().window().height(), 888);
  EXPECT_FALSE(form().container("图片框_标题2"_gbk).visible());
  EXPECT_TRUE(form().container("图片框_标题1"_gbk).visible());
  EXPECT_EQ(form().timer("时钟_滚动"_gbk).interval(), 0);
  EXPECT_EQ(form().sliderBar("滑块条_速度"_gbk).position(), 1);
  EXPECT_FALSE(form().checkBox("选择框_滚动"_gbk).checked());
  EXPECT_FALSE(form().checkBox("选择框_配置"_gbk).checked());
}

}  // namespace
