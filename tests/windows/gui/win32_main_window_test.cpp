// The program's main window on the Win32 backend: built from the same
// layout table, each colour reaching exactly its targets, the query on
// Enter, the number box's keys.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "eval/tail_table.h"
#include "platform/text/gbk.h"
#include "tests/ui/colour_targets.h"
#include "tests/windows/gui/win32_test_support.h"
#include "ui/main_window.h"
#include "ui/main_window_layout.h"

namespace {

using gui::testing::key;
using gui::testing::paintedColours;
using gui::testing::pixel;
using gui::testing::placement;
using gui::testing::pump;
using gui::testing::type;

class Win32MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    if (TailTable.empty()) loadTailTable();
    window = MainWindow::create();
    ASSERT_NE(window, nullptr);
    window->form().show();
    pump();
  }
  HWND hwnd(const char* name) { return gui::windowOf(window->form(), utf8ToGbk(name)); }
  std::string caption(const char* name) { return gbkToUtf8(window->form().label(utf8ToGbk(name)).caption()); }
  std::string text(const char* name) { return gbkToUtf8(window->form().editBox(utf8ToGbk(name)).text()); }

  std::unique_ptr<MainWindow> window;
};

TEST_F(Win32MainWindow, EveryElementIsBuiltAsTheTableSays) {
  for (const gui::ElementSpec& e : mainWindowLayout()) {
    SCOPED_TRACE(gbkToUtf8(e.name));
    if (e.kind == gui::ControlKind::Window) {
      RECT r;
      GetWindowRect(gui::windowOf(window->form(), ""), &r);
      EXPECT_EQ(r.right - r.left, e.geometry.width);
      EXPECT_EQ(r.bottom - r.top, e.geometry.height);
      continue;
    }
    HWND h = gui::windowOf(window->form(), e.name);
    if (e.kind == gui::ControlKind::Timer) {
      EXPECT_EQ(h, nullptr);
      continue;
    }
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GetParent(h), gui::windowOf(window->form(), e.parent));
    const RECT r = placement(h);
    EXPECT_EQ((gui::Geometry{r.left, r.top, r.right - r.left, r.bottom - r.top}), e.geometry);
    EXPECT_EQ(IsWindowVisible(h) != FALSE, e.name != "图片框_标题2"_gbk && e.parent != "图片框_标题2"_gbk);
    if (e.kind != gui::ControlKind::PicBox && e.kind != gui::ControlKind::ColorPicker &&
        e.kind != gui::ControlKind::SliderBar) {
      char buffer[512] = {};
      GetWindowTextA(h, buffer, sizeof buffer);
      EXPECT_EQ(Text(buffer), e.caption);  // GBK as the layout holds it
    }
    if (e.font.height > 0) {
      LOGFONTA lf{};
      GetObjectA(reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0)), sizeof lf, &lf);
      EXPECT_EQ(Text(lf.lfFaceName), e.font.face);
      EXPECT_EQ(lf.lfHeight, -e.font.height);
      EXPECT_EQ(lf.lfWeight, e.font.bold ? FW_BOLD : FW_NORMAL);
      EXPECT_EQ(lf.lfCharSet, GB2312_CHARSET);
    }
  }
}

TEST_F(Win32MainWindow, EachColourReachesExactlyItsTargets) {
  const Text windowName = mainWindowLayout().front().name;
  // How each element is painted: the colours its parent answers for it, or
  // for the window the pixel of a spot of its own background.
  auto paintings = [&] {
    std::map<Text, std::vector<COLORREF>> out;
    for (const gui::ElementSpec& e : mainWindowLayout()) {
      if (e.kind == gui::ControlKind::Timer) continue;
      if (e.kind == gui::ControlKind::Window) {
        out[e.name] = {pixel(gui::windowOf(window->form(), ""), 490, 130)};
        continue;
      }
      HWND h = gui::windowOf(window->form(), e.name);
      const auto p = paintedColours(h);
      out[e.name] = {p.text, p.back};
      if (e.kind == gui::ControlKind::ColorPicker) out[e.name].push_back(pixel(h, 40, 20));
    }
    return out;
  };
  for (const ColourTargets& colour : Colours) {
    SCOPED_TRACE(colour.picker);
    std::set<Text> targets;
    for (const char* name : colour.targets) targets.insert(*name ? utf8ToGbk(name) : windowName);
    targets.insert(utf8ToGbk(colour.picker));  // the picker shows its colour
    // The slider has no background of its own: the window's shows through.
    if (targets.count(windowName)) targets.insert("滑块条_速度"_gbk);
    const gui::ColorPicker picker = window->form().colorPicker(utf8ToGbk(colour.picker));
    const COLORREF original = picker.colour();
    picker.choose(RGB(0, 200, 0));
    const auto before = paintings();
    picker.choose(RGB(200, 0, 200));
    const auto after = paintings();
    for (const auto& [name, painted] : before)
      EXPECT_EQ(painted != after.at(name), targets.count(name) == 1) << gbkToUtf8(name);
    picker.choose(original);
  }
}

TEST_F(Win32MainWindow, EnterInTheNumberBoxQueriesAndTheBoxKeepsItsDigits) {
  ASSERT_EQ(GetFocus(), hwnd("编辑框_号码"));
  type("8888");
  key(VK_RETURN);
  EXPECT_EQ(caption("标题_价格"), "￥ 16888 米");
  EXPECT_EQ(caption("标题_等级"), "极品");
  EXPECT_EQ(caption("标题_建议"), "传家使用");
  EXPECT_EQ(text("编辑框_号码"), "8888");  // Enter was the query's, not a line break
  // The yellow price shows on screen.
  int yellow = 0;
  for (int y = 371; y < 411; ++y)
    for (int x = 226; x < 406; x += 2) yellow += pixel(hwnd(""), x, y) == RGB(255, 255, 0);
  EXPECT_GT(yellow, 20);
}

TEST_F(Win32MainWindow, TheNumberBoxTakesFourDigitsOrMinusAndRewritesItselfOnLeaving) {
  SetFocus(hwnd("编辑框_号码"));
  type("a0-1b23");
  EXPECT_EQ(text("编辑框_号码"), "0-12");  // letters refused, a fifth character too
  SendMessageA(hwnd("编辑框_号码"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
  type("0123");
  EXPECT_EQ(text("编辑框_号码"), "0123");
  SetFocus(hwnd("编辑框_滚动"));
  EXPECT_EQ(text("编辑框_号码"), "123");
  SetFocus(hwnd("编辑框_号码"));
  SendMessageA(hwnd("编辑框_号码"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
  type("0");
  SetFocus(hwnd("编辑框_滚动"));
  EXPECT_EQ(text("编辑框_号码"), "");
}

TEST_F(Win32MainWindow, DoubleClicksOnTheBarsToggleThePanelAndEscEnds) {
  RECT r;
  auto width = [&] {
    GetWindowRect(hwnd(""), &r);
    return r.right - r.left;
  };
  SendMessageA(hwnd("标签1"), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(width(), 888);
  SendMessageA(hwnd("标签2"), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(width(), 488);
  SetFocus(hwnd("编辑框1"));
  key(VK_ESCAPE);
  EXPECT_FALSE(window->form().isOpen());
}

}  // namespace
