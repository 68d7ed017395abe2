// The window framework on Win32: the windows a layout becomes, the form's
// window, mouse and keys, colours through WM_CTLCOLOR*, fonts, timers.
#include <gtest/gtest.h>

#include <vector>

#include "platform/windows_sdk.h"  // before the common controls
#include <commctrl.h>

#include "platform/gui/windows/color_picker.h"
#include "platform/gui/windows/fonts.h"
#include "platform/text/gbk.h"
#include "tests/platform/gui/layout_specs.h"
#include "tests/windows/gui/win32_test_support.h"

namespace gui {
namespace {

using testing::element;
using testing::key;
using testing::paintedColours;
using testing::pixel;
using testing::placement;
using testing::pump;
using testing::pumpUntil;
using testing::showForm;
using testing::windowSpec;

std::string className(HWND hwnd) {
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

LONG_PTR style(HWND hwnd) { return GetWindowLongPtrA(hwnd, GWL_STYLE); }

TEST(Win32Form, EachKindBecomesItsWindowWithGeometryAndParent) {
  const Layout layout = {windowSpec(),
                         element("pic", ControlKind::PicBox, {10, 20, 100, 50}),
                         element("group", ControlKind::GroupBox, {120, 20, 200, 100}),
                         element("edit", ControlKind::EditBox, {5, 16, 40, 20}, {}, "group"),
                         element("label", ControlKind::Label, {-3, 0, 30, 20}, {}, "pic"),
                         element("trans", ControlKind::TransLabel, {0, 30, 30, 20}, {}, "pic"),
                         element("check", ControlKind::CheckBox, {0, 200, 80, 20}),
                         element("radio", ControlKind::RadioBox, {100, 200, 80, 20}),
                         element("slider", ControlKind::SliderBar, {0, 230, 100, 20}),
                         element("picker", ControlKind::ColorPicker, {0, 260, 176, 40}),
                         element("timer", ControlKind::Timer, {575, 4, 32, 32})};
  std::unique_ptr<Form> form = Form::create(layout);
  ASSERT_NE(form, nullptr);
  const struct {
    const char* name;
    const char* windowClass;
    LONG_PTR styleBits;
  } kinds[] = {{"pic", "KestrunePicBox", 0},
               {"group", "Button", BS_GROUPBOX},
               {"edit", "Edit", 0},
               {"label", "KestruneLabel", 0},
               {"trans", "KestruneLabel", 0},
               {"check", "Button", BS_AUTOCHECKBOX},
               {"radio", "Button", BS_RADIOBUTTON},
               {"slider", TRACKBAR_CLASSA, 0},
               {"picker", "ComboBox", CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED}};
  for (const auto& k : kinds) {
    SCOPED_TRACE(k.name);
    HWND hwnd = windowOf(*form, k.name);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(lstrcmpiA(className(hwnd).c_str(), k.windowClass), 0) << className(hwnd);
    EXPECT_EQ(style(hwnd) & k.styleBits, k.styleBits);
    const ElementSpec& spec = *std::find_if(layout.begin(), layout.end(),
                                            [&](const ElementSpec& e) { return e.name == k.name; });
    EXPECT_EQ(GetParent(hwnd), windowOf(*form, spec.parent));
    const RECT r = placement(hwnd);
    EXPECT_EQ((Geometry{r.left, r.top, r.right - r.left, r.bottom - r.top}), spec.geometry);
    const ControlHandle c = form->control(k.name);
    EXPECT_EQ((Geometry{c.left(), c.top(), c.width(), c.height()}), spec.geometry);
  }
  EXPECT_EQ(windowOf(*form, "timer"), nullptr);
  EXPECT_TRUE(GetWindowLongPtrA(windowOf(*form, "trans"), GWL_EXSTYLE) & WS_EX_TRANSPARENT);
}

TEST(Win32Form, TheWindowIsFramelessCentredAndMovedByItsOwnBackground) {
  auto form = showForm({windowSpec(888, 888), element("label", ControlKind::Label, {0, 0, 100, 40}),
                        element("trans", ControlKind::TransLabel, {0, 50, 100, 40}),
                        element("group", ControlKind::GroupBox, {200, 0, 100, 100})});
  ASSERT_NE(form, nullptr);
  HWND w = windowOf(*form, "");
  EXPECT_TRUE(style(w) & WS_POPUP);
  EXPECT_FALSE(style(w) & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU));
  EXPECT_FALSE(GetWindowLongPtrA(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 888) / 2);
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 888) / 2);
  EXPECT_EQ(r.right - r.left, 888);
  form->window().setWidth(488);
  RECT narrow;
  GetWindowRect(w, &narrow);
  EXPECT_EQ((std::vector<LONG>{narrow.left, narrow.top, narrow.right - narrow.left, narrow.bottom - narrow.top}),
            (std::vector<LONG>{r.left, r.top, 488, 888}));
  // Where a press lands: the background is grabbed like a title bar, a
  // label and a group box keep it, a TransLabel lets it through.
  auto hit = [](HWND hwnd, int x, int y) {
    POINT p{x, y};
    ClientToScreen(GetParent(hwnd) ? GetParent(hwnd) : hwnd, &p);
    return SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
  };
  EXPECT_EQ(hit(w, 400, 400), HTCAPTION);
  EXPECT_EQ(hit(windowOf(*form, "label"), 10, 10), HTCLIENT);
  EXPECT_EQ(hit(windowOf(*form, "group"), 250, 50), HTCLIENT);
  EXPECT_EQ(hit(windowOf(*form, "trans"), 10, 60), HTTRANSPARENT);
}

TEST(Win32Form, CreatedRunsOnceBeforeTheWindowShowsAndTheFirstControlGetsTheKeyboard) {
  std::unique_ptr<Form> form = Form::create({windowSpec(), element("label", ControlKind::Label, {0, 0, 10, 10}),
                                             element("edit", ControlKind::EditBox, {0, 20, 50, 20})});
  ASSERT_NE(form, nullptr);
  int runs = 0;
  bool sawVisible = true;
  form->onCreated([&] {
    ++runs;
    sawVisible = form->isOpen();
  });
  form->show();
  form->show();
  EXPECT_EQ(runs, 1);
  EXPECT_FALSE(sawVisible);
  EXPECT_TRUE(form->isOpen());
  EXPECT_EQ(GetFocus(), windowOf(*form, "edit"));
}

TEST(Win32Form, EscClosesFromEveryControlEnterStaysAndTabMovesOn) {
  for (ControlKind kind : {ControlKind::CheckBox, ControlKind::SliderBar, ControlKind::ColorPicker,
                           ControlKind::EditBox}) {
    auto form = showForm({windowSpec(), element("a", kind, {0, 0, 100, 30}),
                          element("b", ControlKind::EditBox, {0, 40, 100, 30})});
    ASSERT_NE(form, nullptr);
    HWND a = windowOf(*form, "a");
    SetFocus(a);
    key(VK_RETURN);
    EXPECT_EQ(GetFocus(), a);
    key(VK_TAB);
    EXPECT_EQ(GetFocus(), windowOf(*form, "b"));
    SetFocus(a);
    key(VK_ESCAPE);
    EXPECT_FALSE(form->isOpen());
  }
}

TEST(Win32Form, ClicksSeeTheToggledStateAndRadioBoxesAreNotExclusive) {
  auto form = showForm({windowSpec(), element("check", ControlKind::CheckBox, {0, 0, 100, 20}),
                        element("r1", ControlKind::RadioBox, {0, 30, 100, 20}, {.checked = true}),
                        element("r2", ControlKind::RadioBox, {0, 60, 100, 20})});
  ASSERT_NE(form, nullptr);
  std::vector<bool> seen;
  CheckBox check = form->checkBox("check");
  check.onClick([&] { seen.push_back(check.checked()); });
  SendMessageA(windowOf(*form, "check"), BM_CLICK, 0, 0);
  SendMessageA(windowOf(*form, "check"), BM_CLICK, 0, 0);
  EXPECT_EQ(seen, (std::vector<bool>{true, false}));
  RadioBox r1 = form->radioBox("r1"), r2 = form->radioBox("r2");
  int r1Clicks = 0;
  r1.onClick([&] { ++r1Clicks; });
  SendMessageA(windowOf(*form, "r2"), BM_CLICK, 0, 0);
  EXPECT_TRUE(r1.checked());
  EXPECT_TRUE(r2.checked());
  SendMessageA(windowOf(*form, "r1"), BM_CLICK, 0, 0);
  EXPECT_TRUE(r1.checked());
  EXPECT_EQ(r1Clicks, 1);
}

TEST(Win32Form, CaptionsAndTextsCrossAsGbkThroughTheSystemCodePage) {
  ASSERT_EQ(GetACP(), 936u);
  auto form = showForm({windowSpec(), element("label", ControlKind::Label, {0, 0, 100, 40}),
                        element("edit", ControlKind::EditBox, {0, 50, 100, 40}, {.multiLine = true}),
                        element("line", ControlKind::EditBox, {0, 100, 100, 20})});
  ASSERT_NE(form, nullptr);
  form->label("label").setCaption("一\r\n二"_gbk);
  form->editBox("edit").setText("尾号\r\n8888"_gbk);
  form->editBox("line").setText("第一行\r\n第二行"_gbk);
  auto wide = [&](const char* name) {
    wchar_t text[64] = {};
    GetWindowTextW(windowOf(*form, name), text, 64);
    return std::wstring(text);
  };
  EXPECT_EQ(wide("label"), L"\u4e00\r\n\u4e8c");
  EXPECT_EQ(wide("edit"), L"\u5c3e\u53f7\r\n8888");
  EXPECT_EQ(wide("line"), L"\u7b2c\u4e00\u884c");  // a single line keeps its first line
  EXPECT_EQ(form->label("label").caption(), "一\r\n二"_gbk);
  EXPECT_EQ(form->editBox("edit").text(), "尾号\r\n8888"_gbk);
}

TEST(Win32Form, ColoursReachTheControlThroughWmCtlColor) {
  auto form = showForm({windowSpec(), element("label", ControlKind::Label, {0, 0, 100, 40}),
                        element("trans", ControlKind::TransLabel, {0, 50, 100, 40}),
                        element("edit", ControlKind::EditBox, {0, 100, 100, 30}),
                        element("check", ControlKind::CheckBox, {0, 140, 100, 30}),
                        element("pic", ControlKind::PicBox, {200, 0, 100, 100}),
                        element("inner", ControlKind::TransLabel, {0, 0, 50, 50}, {}, "pic"),
                        element("slider", ControlKind::SliderBar, {0, 180, 100, 30})});
  ASSERT_NE(form, nullptr);
  for (const char* name : {"label", "edit", "check"}) {
    SCOPED_TRACE(name);
    form->control(name).setTextColour(RGB(1, 2, 3));
    form->control(name).setBackColour(RGB(4, 5, 6));
    EXPECT_EQ(paintedColours(windowOf(*form, name)), (testing::Painted{RGB(1, 2, 3), RGB(4, 5, 6), false}));
    form->control(name).setBackColour(SystemDefaultColour);
    EXPECT_EQ(paintedColours(windowOf(*form, name)).back,
              GetSysColor(std::string(name) == "edit" ? COLOR_WINDOW : COLOR_BTNFACE));
  }
  // No background of its own: the text goes over what lies behind.
  form->label("trans").setTextColour(RGB(7, 8, 9));
  EXPECT_EQ(paintedColours(windowOf(*form, "trans")), (testing::Painted{RGB(7, 8, 9), testing::Hollow, true}));
  // The slider shows its parent's background, which is the picture box's.
  form->container("pic").setBackColour(RGB(10, 20, 30));
  EXPECT_EQ(paintedColours(windowOf(*form, "slider")).back, RGB(0, 136, 255));
  EXPECT_EQ(pixel(windowOf(*form, ""), 260, 80), RGB(10, 20, 30));
  form->window().setBackColour(RGB(40, 50, 60));
  EXPECT_EQ(paintedColours(windowOf(*form, "slider")).back, RGB(40, 50, 60));
  EXPECT_EQ(pixel(windowOf(*form, ""), 150, 250), RGB(40, 50, 60));
}

TEST(Win32Form, FontsAreGb2312LogicalFontsOfTheLayoutsFacesAndPixelHeights) {
  auto form = showForm({windowSpec(), element("label", ControlKind::Label, {0, 0, 100, 40}),
                        element("plain", ControlKind::CheckBox, {0, 50, 100, 40})});
  ASSERT_NE(form, nullptr);
  for (auto [face, height, bold] : {std::tuple{"微软雅黑", 29, true}, std::tuple{"楷体", 48, true},
                                    std::tuple{"宋体", 21, false}, std::tuple{"", 16, true}}) {
    const LOGFONTA lf = win32::logicalFont({utf8ToGbk(face), height, bold});
    EXPECT_EQ(Text(lf.lfFaceName), utf8ToGbk(face));
    EXPECT_EQ(lf.lfHeight, -height);
    EXPECT_EQ(lf.lfWeight, bold ? 700 : 400);
    EXPECT_EQ(lf.lfCharSet, GB2312_CHARSET);
  }
  // A control without a font has the system's default GUI font.
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(windowOf(*form, "plain"), WM_GETFONT, 0, 0)),
            GetStockObject(DEFAULT_GUI_FONT));
}

TEST(Win32Form, SliderKeysRaiseThePositionEventButWritesDoNot) {
  auto form = showForm({windowSpec(), element("slider", ControlKind::SliderBar, {0, 0, 200, 24},
                                              {.minimum = 1, .maximum = 20, .lineStep = 1,
                                               .pageStep = 5, .position = 1})});
  ASSERT_NE(form, nullptr);
  SliderBar slider = form->sliderBar("slider");
  std::vector<int32_t> seen;
  slider.onPositionChanged([&] { seen.push_back(slider.position()); });
  SetFocus(windowOf(*form, "slider"));
  key(VK_RIGHT);
  key(VK_NEXT);
  key(VK_END);
  EXPECT_EQ(seen, (std::vector<int32_t>{2, 7, 20}));
  slider.setPosition(3);
  EXPECT_EQ(slider.position(), 3);
  EXPECT_EQ(seen.size(), 3u);
}

TEST(Win32Form, ThePickersPaletteChoosesDismissesAndShowsTheColour) {
  auto form = showForm({windowSpec(), element("picker", ControlKind::ColorPicker, {0, 0, 176, 40},
                                              {.colour = RGB(255, 0, 0)})});
  ASSERT_NE(form, nullptr);
  ColorPicker picker = form->colorPicker("picker");
  std::vector<COLORREF> seen;
  picker.onColourChanged([&] { seen.push_back(picker.colour()); });
  picker.setColour(RGB(0, 255, 0));
  EXPECT_TRUE(seen.empty());
  HWND combo = windowOf(*form, "picker");
  EXPECT_EQ(pixel(combo, 40, 20), RGB(0, 255, 0));  // it shows its colour

  auto& wnd = static_cast<win32::ColorPickerWnd&>(*form->state().find("picker")->wnd);
  auto open = [&] {
    SendMessageA(combo, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 20));
    SendMessageA(combo, WM_LBUTTONUP, 0, MAKELPARAM(40, 20));
    return wnd.openPaletteNow();
  };
  // Whatever the pointer stands on when the palette opens is not highlighted
  // until the pointer moves.
  RECT pickerRect;
  GetWindowRect(combo, &pickerRect);
  SetCursorPos(pickerRect.left + 30, pickerRect.bottom + 50);
  win32::PalettePopup* palette = open();
  ASSERT_NE(palette, nullptr);
  EXPECT_TRUE(IsWindowVisible(palette->hwnd()));
  EXPECT_EQ(palette->highlighted(), palette::FirstCell + 10);  // 绿色, the current colour
  pump(100);
  {  // each cell shows its colour
    const RECT red = palette->entryRect(palette::FirstCell + 12);
    EXPECT_EQ(pixel(palette->hwnd(), (red.left + red.right) / 2, (red.top + red.bottom) / 2), RGB(255, 0, 0));
  }
  RECT r;
  GetWindowRect(palette->hwnd(), &r);
  const RECT cell = palette->entryRect(palette::FirstCell);
  EXPECT_EQ(cell.right - cell.left, 18);
  EXPECT_GE(r.right - r.left, 7 * 18);
  key(VK_RIGHT);
  key(VK_RETURN);
  EXPECT_EQ(seen, (std::vector<COLORREF>{0x00FFFF00}));  // 艳青, the next cell
  EXPECT_FALSE(IsWindowVisible(palette->hwnd()));

  palette = open();
  ASSERT_NE(palette, nullptr);
  key(VK_ESCAPE);  // closes the palette, not the form
  EXPECT_EQ(seen.size(), 1u);
  EXPECT_TRUE(form->isOpen());

  // "其它颜色..." asks the colour dialog; a cancelled one changes nothing.
  for (std::optional<COLORREF> answer : {std::optional<COLORREF>(), std::optional<COLORREF>(RGB(1, 2, 3))}) {
    palette = open();
    ASSERT_NE(palette, nullptr);
    COLORREF askedWith = 0;
    palette->setColourDialog([&](COLORREF initial, HWND) {
      askedWith = initial;
      return answer;
    });
    key(VK_UP);  // from 艳青 two rows up reaches 透明
    key(VK_UP);
    key(VK_UP);
    key(VK_LEFT);
    EXPECT_EQ(palette->highlighted(), palette::DefaultEntry);
    key(VK_LEFT);  // stays on 透明
    for (int i = 0; i < 6; ++i) key(VK_DOWN);
    EXPECT_EQ(palette->highlighted(), palette::OtherEntry);
    key(VK_SPACE);
    EXPECT_EQ(askedWith, 0x00FFFF00u);
  }
  EXPECT_EQ(seen, (std::vector<COLORREF>{0x00FFFF00, RGB(1, 2, 3)}));
}

TEST(Win32Form, TimersTickOnTheGuiThreadAndZeroStops) {
  auto form = showForm({windowSpec(), element("timer", ControlKind::Timer, {575, 4, 32, 32}),
                        element("running", ControlKind::Timer, {}, {.interval = 1})});
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->timer("running").interval(), 1);
  form->timer("running").setInterval(0);
  Timer timer = form->timer("timer");
  int ticks = 0;
  const DWORD gui = GetCurrentThreadId();
  bool onGuiThread = true;
  timer.onTick([&] {
    ++ticks;
    onGuiThread &= GetCurrentThreadId() == gui;
  });
  timer.setInterval(1);
  EXPECT_EQ(timer.interval(), 1);
  EXPECT_TRUE(pumpUntil([&] { return ticks >= 3; }));
  EXPECT_TRUE(onGuiThread);
  timer.setInterval(0);
  pump(50);
  const int stopped = ticks;
  pump(100);
  EXPECT_EQ(ticks, stopped);
  EXPECT_EQ(timer.interval(), 0);
}

TEST(Win32Form, HidingAContainerHidesItsChildrenAndWritesShowAtOnce) {
  auto form = showForm({windowSpec(), element("pic", ControlKind::PicBox, {10, 10, 50, 50}),
                        element("inner", ControlKind::Label, {0, 0, 200, 50}, {}, "pic")});
  ASSERT_NE(form, nullptr);
  HWND w = windowOf(*form, "");
  form->label("inner").setBackColour(RGB(255, 0, 0));
  EXPECT_EQ(pixel(w, 30, 30), RGB(255, 0, 0));        // painted before the write returned
  EXPECT_EQ(pixel(w, 100, 30), RGB(0, 136, 255));     // clipped at the box's edge
  form->container("pic").setVisible(false);
  EXPECT_FALSE(IsWindowVisible(windowOf(*form, "inner")));
  EXPECT_TRUE(form->label("inner").visible());  // its own flag is unchanged
  EXPECT_EQ(pixel(w, 30, 30), RGB(0, 136, 255));
}

}  // namespace
}  // namespace gui
