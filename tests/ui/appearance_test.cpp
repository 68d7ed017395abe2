// The six colours on screen and in the INI file, and their restore at start.
#include "tests/ui/main_window_fixture.h"

#include "platform/gui/palette/color_palette_popup.h"

namespace {

const char* const PickerNames[] = {"颜色选择器_背景色", "颜色选择器_字体颜色",
                                   "颜色选择器_特殊字颜色", "颜色选择器_滚动字幕颜色",
                                   "颜色选择器_尾号颜色", "颜色选择器_价格颜色"};

std::string gbk(const char* utf8) { return utf8ToGbk(utf8); }

// The file that checking the box writes while the built-in colours show.
const std::string BuiltInFile = gbk(
    "[记住配色]\r\n记住配色=1\r\n[背景色]\r\n背景色=16746496\r\n[字体颜色]\r\n字体颜色=16777215\r\n"
    "[特殊字颜色]\r\n特殊字颜色=255\r\n[滚动字幕颜色]\r\n滚动字幕颜色=255\r\n[尾号颜色]\r\n"
    "尾号颜色=65535\r\n[价格颜色]\r\n价格颜色=65535\r\n");

class AppearanceTest : public MainWindowTest {
 protected:
  gui::ColorPicker picker(const char* name) { return form().colorPicker(gbk(name)); }
  COLORREF back(const char* name) {
    return *name ? form().control(gbk(name)).backColour() : form().window().backColour();
  }
  COLORREF fore(const char* name) { return form().control(gbk(name)).textColour(); }
  bool remembered() { return form().checkBox(gbk("选择框_配置")).checked(); }
  void reopen() {
    window.reset();
    open();
  }
};

TEST_F(AppearanceTest, PickingWithTheBoxUncheckedChangesOnlyTheScreen) {
  open();
  picker("颜色选择器_背景色").choose(RGB(1, 2, 3));
  EXPECT_EQ(back(""), RGB(1, 2, 3));
  EXPECT_FALSE(iniExists());
  writeIni("; kept\r\n");
  picker("颜色选择器_价格颜色").choose(RGB(4, 5, 6));
  EXPECT_EQ(iniBytes(), "; kept\r\n");
}

TEST_F(AppearanceTest, CheckingWritesAllSevenKeysInOrder) {
  open();
  click("选择框_配置");
  EXPECT_TRUE(remembered());
  EXPECT_EQ(iniBytes(), BuiltInFile);
}

TEST_F(AppearanceTest, UncheckingWritesOnlyTheRememberKey) {
  open();
  click("选择框_配置");
  click("选择框_配置");
  std::string expected = BuiltInFile;
  expected.replace(expected.find(gbk("记住配色=1")), gbk("记住配色=1").size(), gbk("记住配色=0"));
  EXPECT_EQ(iniBytes(), expected);
}

TEST_F(AppearanceTest, PickingWhileCheckedWritesThatColourOnly) {
  open();
  click("选择框_配置");
  picker("颜色选择器_尾号颜色").choose(RGB(0, 0, 255));
  std::string expected = BuiltInFile;
  expected.replace(expected.find(gbk("尾号颜色=65535")), gbk("尾号颜色=65535").size(),
                   gbk("尾号颜色=16711680"));
  EXPECT_EQ(iniBytes(), expected);
}

TEST_F(AppearanceTest, RestartAfterCheckingRestoresAllSixColours) {
  open();
  click("选择框_配置");
  const COLORREF chosen[] = {RGB(10, 20, 30), RGB(40, 50, 60), RGB(70, 80, 90),
                             RGB(100, 110, 120), RGB(130, 140, 150), SystemDefaultColour};
  for (int i = 0; i < 6; ++i) picker(PickerNames[i]).choose(chosen[i]);
  const std::string file = iniBytes();
  EXPECT_NE(file.find(gbk("价格颜色=-16777216")), std::string::npos);  // 透明

  reopen();
  EXPECT_TRUE(remembered());
  for (int i = 0; i < 6; ++i) EXPECT_EQ(picker(PickerNames[i]).colour(), chosen[i]) << PickerNames[i];
  EXPECT_EQ(back(""), chosen[0]);
  EXPECT_EQ(back("编辑框_号码"), chosen[0]);
  EXPECT_EQ(fore("标签3"), chosen[1]);
  EXPECT_EQ(fore("直播标题7"), chosen[2]);
  EXPECT_EQ(fore("滚动标题"), chosen[3]);
  EXPECT_EQ(fore("编辑框_号码"), chosen[4]);
  EXPECT_EQ(fore("标题_价格"), chosen[5]);
  EXPECT_EQ(iniBytes(), file);  // the restore writes the same values back
}

TEST_F(AppearanceTest, AnyRememberValueButOneLeavesTheFileAndTheBuiltInColours) {
  const std::string colours = gbk("[背景色]\r\n背景色=255\r\n");
  for (const char* value : std::initializer_list<const char*>{"0", "01", "true", " 1x", nullptr}) {
    const std::string file =
        (value ? gbk("[记住配色]\r\n记住配色=") + value + "\r\n" : std::string()) + colours;
    writeIni(file);
    reopen();
    EXPECT_FALSE(remembered()) << (value ? value : "missing");
    EXPECT_EQ(back(""), 0x00FF8800u);
    EXPECT_EQ(iniBytes(), file);
  }
}

TEST_F(AppearanceTest, MissingOrNonNumericColourRestoresBlackAndWritesZero) {
  writeIni(gbk("[记住配色]\r\n记住配色=1\r\n[背景色]\r\n背景色=blue\r\n[字体颜色]\r\n字体颜色= 255 \r\n"));
  open();
  EXPECT_EQ(picker("颜色选择器_背景色").colour(), 0u);
  EXPECT_EQ(back(""), 0u);
  EXPECT_EQ(picker("颜色选择器_字体颜色").colour(), 255u);
  EXPECT_EQ(picker("颜色选择器_价格颜色").colour(), 0u);  // missing
  const std::string file = iniBytes();
  EXPECT_NE(file.find(gbk("背景色=0\r\n")), std::string::npos);
  EXPECT_NE(file.find(gbk("[价格颜色]\r\n价格颜色=0\r\n")), std::string::npos);
}

TEST_F(AppearanceTest, AFileThatCannotBeWrittenIsIgnoredSilently) {
  // A prefix below a plain file: no folder, no INI file can ever be made there.
  const std::string blocker = prefix.path().toStdString() + "/blocker";
  std::ofstream(blocker) << "x";
  setenv("KESTRUNE_PREFIX", (blocker + "/prefix").c_str(), 1);
  open();
  click("选择框_配置");
  EXPECT_TRUE(remembered());
  picker("颜色选择器_背景色").choose(RGB(7, 7, 7));
  EXPECT_EQ(back(""), RGB(7, 7, 7));
  EXPECT_TRUE(form().isOpen());
}

TEST_F(AppearanceTest, BackgroundReachesNumberBoxAndHeadlinesButNotThePanelsWhiteBoxes) {
  open();
  picker("颜色选择器_背景色").choose(RGB(9, 9, 9));
  for (const char* name : {"编辑框_号码", "图片框_标题1", "图片框_标题2", "图片框_滚动", "标签1",
                           "标签2", "标签3", "滚动标题", "直播标题1", "直播标题8", "分组框_标题",
                           "选择框_滚动", "选择框_配置", "软件标题1", "软件标题2", "单选框1", "单选框2"})
    EXPECT_EQ(back(name), RGB(9, 9, 9)) << name;
  for (const char* name : {"编辑框_滚动", "编辑框1", "编辑框2"}) EXPECT_EQ(back(name), 0x00FFFFFFu) << name;
  const QImage shot = widget("")->grab().toImage();
  EXPECT_EQ(shot.pixelColor(5, 5), QColor(9, 9, 9));
  EXPECT_EQ(shot.pixelColor(600, 320), QColor(9, 9, 9));  // inside the group box
}

TEST_F(AppearanceTest, TextColourLeavesSpecialMarqueeTailAndPriceAlone) {
  open();
  picker("颜色选择器_字体颜色").choose(RGB(0, 255, 0));
  for (const char* name : {"直播标题1", "直播标题3", "直播标题5", "直播标题6", "直播标题8", "标签3",
                           "标题1", "标题6", "标题16", "透明标签1", "透明标签2", "标题_等级",
                           "标题_建议", "分组框_标题", "选择框_滚动", "单选框1"})
    EXPECT_EQ(fore(name), RGB(0, 255, 0)) << name;
  EXPECT_EQ(fore("直播标题2"), 0x000000FFu);
  EXPECT_EQ(fore("直播标题4"), 0x000000FFu);
  EXPECT_EQ(fore("直播标题7"), 0x000000FFu);
  EXPECT_EQ(fore("滚动标题"), 0x000000FFu);
  EXPECT_EQ(fore("编辑框_号码"), 0x0000FFFFu);
  EXPECT_EQ(fore("标题_价格"), 0x0000FFFFu);
  EXPECT_EQ(fore("编辑框_滚动"), 0u);
}

class PalettePickTest : public AppearanceTest {
 protected:
  ColorPalettePopup* pressPicker(const char* name) {
    click(name);
    auto* popup = qobject_cast<ColorPalettePopup*>(QApplication::activePopupWidget());
    EXPECT_NE(popup, nullptr);
    return popup;
  }
};

TEST_F(PalettePickTest, KeyboardChoiceWithTheBoxCheckedIsWritten) {
  open();
  click("选择框_配置");
  ColorPalettePopup* popup = pressPicker("颜色选择器_价格颜色");
  ASSERT_NE(popup, nullptr);
  // From "黄色" (cell 15) one to the right is "白色".
  QTest::keyClick(popup, Qt::Key_Right);
  QTest::keyClick(popup, Qt::Key_Return);
  EXPECT_EQ(picker("颜色选择器_价格颜色").colour(), 0x00FFFFFFu);
  EXPECT_NE(iniBytes().find(gbk("价格颜色=16777215")), std::string::npos);
}

}  // namespace
