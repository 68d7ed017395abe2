// The panel toggle, the radio pairs, the headline layouts and numbers, Esc.
#include "tests/ui/main_window_fixture.h"

namespace {

class PanelTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    open();
  }
  bool checked(const char* name) { return form().radioBox(utf8ToGbk(name)).checked(); }
  bool shown(const char* name) { return form().container(utf8ToGbk(name)).visible(); }
};

TEST_F(PanelTest, FirstDoubleClickKeepsTheWidthTheSecondNarrows) {
  const QRect before = widget("")->geometry();
  doubleClick("标签1");
  EXPECT_EQ(form().window().width(), 888);
  doubleClick("标签1");
  EXPECT_EQ(form().window().width(), 488);
  const QRect after = widget("")->geometry();
  EXPECT_EQ(after.topLeft(), before.topLeft());  // only the width changes
  EXPECT_EQ(after.height(), 888);
  doubleClick("标签1");
  EXPECT_EQ(form().window().width(), 888);
}

TEST_F(PanelTest, TopThenBottomBarCountsTwo) {
  doubleClick("标签1");
  doubleClick("标签2");
  EXPECT_EQ(form().window().width(), 488);
  EXPECT_EQ(window->panelToggle().count(), 2);
}

TEST_F(PanelTest, SingleClicksOnTheBarsDoNothing) {
  click("标签1");
  click("标签2");
  click("标签1");
  EXPECT_EQ(window->panelToggle().count(), 0);
}

TEST_F(PanelTest, PriceModeRadioBoxesStayExclusive) {
  EXPECT_TRUE(checked("单选框2"));
  click("单选框1");
  EXPECT_TRUE(checked("单选框1"));
  EXPECT_FALSE(checked("单选框2"));
  click("单选框1");  // clicking the checked one keeps it
  EXPECT_TRUE(checked("单选框1"));
  EXPECT_FALSE(checked("单选框2"));
  click("单选框2");
  EXPECT_FALSE(checked("单选框1"));
  EXPECT_TRUE(checked("单选框2"));
}

TEST_F(PanelTest, HeadlineLayoutsFollowTheirRadioBoxesAndCopyTheNumbers) {
  retype("编辑框2", "500");
  click("软件标题2");
  EXPECT_FALSE(checked("软件标题1"));
  EXPECT_TRUE(checked("软件标题2"));
  EXPECT_FALSE(shown("图片框_标题1"));
  EXPECT_TRUE(shown("图片框_标题2"));
  EXPECT_EQ(caption("直播标题7"), "500");
  click("软件标题2");
  EXPECT_TRUE(shown("图片框_标题2"));
  click("软件标题1");
  EXPECT_TRUE(checked("软件标题1"));
  EXPECT_FALSE(checked("软件标题2"));
  EXPECT_TRUE(shown("图片框_标题1"));
  EXPECT_FALSE(shown("图片框_标题2"));
}

TEST_F(PanelTest, ShowingALayoutCopiesItsNumberItself) {
  struct Layout {
    const char* choice;
    const char* number;
    const char* shown;
    const char* typed;
  };
  for (const Layout& l : {Layout{"软件标题2", "编辑框2", "直播标题7", "777"},
                          Layout{"软件标题1", "编辑框1", "直播标题2", "55"}}) {
    retype(l.number, l.typed);
    // The headline differs from its box: only the show operation can copy.
    form().label(utf8ToGbk(l.shown)).setCaption("x");
    click(l.choice);
    EXPECT_EQ(caption(l.shown), l.typed) << l.choice;
  }
}

TEST_F(PanelTest, EmptyingNumberOneEmptiesItsHeadlineWhileLayoutTwoShows) {
  click("软件标题2");
  retype("编辑框1", "");
  EXPECT_EQ(text("编辑框1"), "");
  EXPECT_EQ(caption("直播标题2"), "");
  retype("编辑框1", "123");  // at most two characters
  EXPECT_EQ(caption("直播标题2"), "12");
  retype("编辑框2", "1234567");
  EXPECT_EQ(caption("直播标题7"), "12345");
}

TEST_F(PanelTest, PanelControlsKeepWorkingWhileHidden) {
  doubleClick("标签1");
  doubleClick("标签2");
  ASSERT_EQ(form().window().width(), 488);
  retype("编辑框1", "8");
  EXPECT_EQ(caption("直播标题2"), "8");
}

TEST_F(PanelTest, EscFromInsideAnEditBoxClosesTheWindow) {
  type("编辑框_号码", "12");
  key("编辑框_号码", Qt::Key_Escape);
  EXPECT_FALSE(form().isOpen());
}

TEST_F(PanelTest, EscFromThePanelsEditBoxesAndButtonsClosesTheWindow) {
  for (const char* name : {"编辑框_滚动", "编辑框1", "单选框1", "滑块条_速度"}) {
    window.reset();
    open();
    widget(name)->setFocus();
    key(name, Qt::Key_Escape);
    EXPECT_FALSE(form().isOpen()) << name;
  }
}

}  // namespace
