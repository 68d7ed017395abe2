#include "ui/main_window_layout.h"

#include "platform/text/gbk.h"

using gui::ControlKind;
using gui::ElementSpec;
using gui::FontSpec;
using gui::HAlign;
using gui::Style;

namespace {

constexpr COLORREF Default = SystemDefaultColour;

Text repeat(const Text& piece, int times) {
  Text out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

gui::Layout buildLayout() {
  const FontSpec yaHei29{"微软雅黑"_gbk, 29, true};
  const FontSpec yaHei24{"微软雅黑"_gbk, 24, true};
  const FontSpec yaHei27{"微软雅黑"_gbk, 27, true};
  const FontSpec separatorFont{"微软雅黑"_gbk, 21, false};
  const FontSpec songTi29{"宋体"_gbk, 29, true};
  const FontSpec plain16{"", 16, false};
  const Text separator = repeat("—"_gbk, 28);
  const Text group = "分组框_标题"_gbk;
  const Text headline1 = "图片框_标题1"_gbk;
  const Text headline2 = "图片框_标题2"_gbk;

  // Live-area headline pieces and the bars.
  const Style piece{.align = HAlign::Centre, .verticalCentre = true};
  const Style bar{.handCursor = true};
  // Captions over the live area and the panel.
  const Style right{.align = HAlign::Right};
  const Style centred{.align = HAlign::Centre};
  const Style left{};
  // The panel's framed white edit boxes.
  auto panelEdit = [](int32_t maxLength) {
    return Style{.align = HAlign::Centre, .framed = true, .maxLength = maxLength};
  };

  return {
      {"主窗口"_gbk, ControlKind::Window, "", {0, 0, 888, 888}, "", {}, Default, Blue, Style{}},

      // Live area.
      {"标签1"_gbk, ControlKind::Label, "", {0, 0, 888, 64}, "", {}, Default, Blue, bar},
      {"标签2"_gbk, ControlKind::Label, "", {0, 824, 888, 64}, "", {}, Default, Blue, bar},
      {"图片框_滚动"_gbk, ControlKind::PicBox, "", {10, 129, 470, 64}, "", {}, Default, Blue, {}},
      {"滚动标题"_gbk, ControlKind::Label, "图片框_滚动"_gbk, {0, 0, 50, 64}, "",
       {"楷体"_gbk, 48, true}, Red, Blue, Style{.verticalCentre = true}},
      {headline1, ControlKind::PicBox, "", {36, 208, 424, 64}, "", {}, Default, Default, {}},
      {"直播标题1"_gbk, ControlKind::Label, headline1, {0, 0, 78, 64}, "寻找"_gbk, yaHei29, White, Blue, piece},
      {"直播标题2"_gbk, ControlKind::Label, headline1, {76, 0, 48, 64}, "10", yaHei29, Red, Blue, piece},
      {"直播标题3"_gbk, ControlKind::Label, headline1, {122, 0, 138, 64}, "年以上过"_gbk, yaHei29, White, Blue, piece},
      {"直播标题4"_gbk, ControlKind::Label, headline1, {258, 0, 32, 64}, "万"_gbk, yaHei29, Red, Blue, piece},
      {"直播标题5"_gbk, ControlKind::Label, headline1, {286, 0, 138, 64}, "手机尾号"_gbk, yaHei29, White, Blue, piece},
      {headline2, ControlKind::PicBox, "", {68, 208, 360, 64}, "", {}, Default, Default, Style{.visible = false}},
      {"直播标题6"_gbk, ControlKind::Label, headline2, {-3, 0, 78, 64}, "寻找"_gbk, yaHei29, White, Blue, piece},
      {"直播标题7"_gbk, ControlKind::Label, headline2, {75, 0, 109, 64}, "10000", yaHei29, Red, Blue, piece},
      {"直播标题8"_gbk, ControlKind::Label, headline2, {184, 0, 184, 64}, "以上手机尾号"_gbk, yaHei29, White, Blue, piece},
      {"标题5"_gbk, ControlKind::TransLabel, "", {46, 307, 180, 40}, "尾号后4位数："_gbk, yaHei24, White, Default, right},
      {"编辑框_号码"_gbk, ControlKind::EditBox, "", {220, 307, 224, 42}, "", yaHei29, Yellow, Blue,
       Style{.align = HAlign::Centre, .multiLine = true, .wantReturn = true, .hideSelection = true,
             .maxLength = 4, .inputMode = gui::InputMode::ShortInteger}},
      {"标题6"_gbk, ControlKind::TransLabel, "", {44, 333, 408, 40}, separator, separatorFont, White, Default, left},
      {"标题10"_gbk, ControlKind::TransLabel, "", {46, 371, 180, 40}, "评估价格："_gbk, yaHei24, White, Default, right},
      {"标题_价格"_gbk, ControlKind::TransLabel, "", {226, 371, 180, 40}, "", yaHei27, Yellow, Default, centred},
      {"标题7"_gbk, ControlKind::TransLabel, "", {44, 400, 408, 40}, separator, separatorFont, White, Default, left},
      {"标题11"_gbk, ControlKind::TransLabel, "", {46, 435, 180, 40}, "等级："_gbk, yaHei24, White, Default, right},
      {"标题_等级"_gbk, ControlKind::TransLabel, "", {226, 435, 180, 40}, "", yaHei27, White, Default, centred},
      {"标题9"_gbk, ControlKind::TransLabel, "", {44, 467, 408, 40}, separator, separatorFont, White, Default, left},
      {"标题12"_gbk, ControlKind::TransLabel, "", {46, 507, 180, 40}, "建议："_gbk, yaHei24, White, Default, right},
      {"标题_建议"_gbk, ControlKind::TransLabel, "", {226, 507, 180, 40}, "", yaHei27, White, Default, centred},
      {"标题8"_gbk, ControlKind::TransLabel, "", {44, 534, 408, 40}, separator, separatorFont, White, Default, left},

      // Settings panel.
      {"标题1"_gbk, ControlKind::TransLabel, "", {504, 63, 200, 40}, "软件背景颜色："_gbk, songTi29, White, Default, left},
      {"颜色选择器_背景色"_gbk, ControlKind::ColorPicker, "", {704, 63, 176, 40}, "", {}, Default, Default, Style{.colour = Blue}},
      {"标题2"_gbk, ControlKind::TransLabel, "", {504, 109, 200, 40}, "软件字体颜色："_gbk, songTi29, White, Default, left},
      {"颜色选择器_字体颜色"_gbk, ControlKind::ColorPicker, "", {704, 109, 176, 40}, "", {}, Default, Default, Style{.colour = White}},
      {"标题3"_gbk, ControlKind::TransLabel, "", {504, 157, 144, 32}, "滚动字幕："_gbk, songTi29, White, Default, left},
      {"编辑框_滚动"_gbk, ControlKind::EditBox, "", {646, 158, 234, 32}, "棒棒糖排队、墨镜插队、兔兔置顶"_gbk,
       {"", 14, false}, Black, White, panelEdit(0)},
      {"选择框_滚动"_gbk, ControlKind::CheckBox, "", {504, 200, 142, 32}, "启用滚动字幕"_gbk, {"", 19, true}, White, Blue, {}},
      {"滑块条_速度"_gbk, ControlKind::SliderBar, "", {646, 202, 234, 24}, "", {}, Default, Default,
       Style{.minimum = 1, .maximum = 20, .lineStep = 1, .pageStep = 5, .position = 1}},
      {"标题16"_gbk, ControlKind::TransLabel, "", {504, 235, 200, 40}, "滚动字幕颜色："_gbk, songTi29, White, Default, left},
      {"颜色选择器_滚动字幕颜色"_gbk, ControlKind::ColorPicker, "", {704, 235, 176, 40}, "", {}, Default, Default, Style{.colour = Red}},
      {group, ControlKind::GroupBox, "", {504, 289, 376, 172}, "直播标题设置"_gbk, {"", 16, true}, White, Blue, {}},
      {"软件标题1"_gbk, ControlKind::RadioBox, group, {42, 40, 16, 16}, "", {}, White, Blue, Style{.checked = true}},
      {"透明标签1"_gbk, ControlKind::TransLabel, group, {65, 30, 287, 32}, "寻找         年以上过万手机尾号"_gbk,
       {"微软雅黑"_gbk, 20, true}, White, Default, left},
      {"编辑框1"_gbk, ControlKind::EditBox, group, {110, 33, 44, 24}, "10", plain16, Black, White, panelEdit(2)},
      {"软件标题2"_gbk, ControlKind::RadioBox, group, {42, 80, 16, 16}, "", {}, White, Blue, Style{}},
      {"透明标签2"_gbk, ControlKind::TransLabel, group, {65, 73, 287, 32}, "寻找                  以上手机尾号"_gbk,
       {"微软雅黑"_gbk, 21, true}, White, Default, left},
      {"编辑框2"_gbk, ControlKind::EditBox, group, {112, 78, 96, 24}, "10000", plain16, Black, White, panelEdit(5)},
      {"标题4"_gbk, ControlKind::TransLabel, group, {16, 120, 168, 40}, "特殊字颜色："_gbk, songTi29, White, Default, left},
      {"颜色选择器_特殊字颜色"_gbk, ControlKind::ColorPicker, group, {192, 120, 176, 40}, "", {}, Default, Default, Style{.colour = Red}},
      {"标题13"_gbk, ControlKind::TransLabel, "", {504, 472, 200, 40}, "输入尾号颜色："_gbk, songTi29, White, Default, left},
      {"颜色选择器_尾号颜色"_gbk, ControlKind::ColorPicker, "", {704, 472, 176, 40}, "", {}, Default, Default, Style{.colour = Yellow}},
      {"标题14"_gbk, ControlKind::TransLabel, "", {504, 520, 200, 40}, "评估价格颜色："_gbk, songTi29, White, Default, left},
      {"颜色选择器_价格颜色"_gbk, ControlKind::ColorPicker, "", {704, 520, 176, 40}, "", {}, Default, Default, Style{.colour = Yellow}},
      {"单选框2"_gbk, ControlKind::RadioBox, "", {515, 565, 168, 40}, "固定的评估价格"_gbk, {"微软雅黑"_gbk, 16, true}, White, Blue,
       Style{.checked = true}},
      {"单选框1"_gbk, ControlKind::RadioBox, "", {707, 565, 168, 40}, "随机的评估价格"_gbk, {"微软雅黑"_gbk, 16, true}, White, Blue, {}},
      {"选择框_配置"_gbk, ControlKind::CheckBox, "", {560, 607, 272, 40}, "下次启动软件延用当前配色"_gbk,
       {"微软雅黑"_gbk, 20, true}, White, Blue, {}},
      {"标签3"_gbk, ControlKind::Label, "", {552, 648, 272, 172},
       "软件使用说明：\r\n软件双击顶部或底部展开或收起右边软件设置页面\r\n按Enter(回车键)查询\r\n按Esc键退出程序"_gbk, yaHei24,
       White, Blue, Style{.align = HAlign::Centre, .verticalCentre = true, .wordWrap = true}},
      {"时钟_滚动"_gbk, ControlKind::Timer, "", {575, 4, 32, 32}, "", {}, Default, Default, Style{.interval = 0}},
  };
}

}  // namespace

const gui::Layout& mainWindowLayout() {
  static const gui::Layout layout = buildLayout();
  return layout;
}
