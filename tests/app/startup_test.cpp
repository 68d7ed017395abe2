// The created handler, and the real program on a virtual display, started
// twice on one INI prefix.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/program_state.h"
#include "app/startup.h"
#include "platform/com/class_registry.h"
#include "script/com_object.h"
#include "eval/tail_table.h"
#include "platform/gui/form_state.h"
#include "platform/text/gbk.h"
#include "tests/app/virtual_display.h"
#include "tests/app/notice_endpoint.h"
#include "ui/main_window.h"

namespace {

// The program asks for its notice at every start.
const auto* const notice = ::testing::AddGlobalTestEnvironment(new MatchingNoticeEnvironment);

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(prefix.isValid());
    setenv("KESTRUNE_PREFIX", prefix.path().toUtf8().constData(), 1);
    initProgramState();
  }
  void TearDown() override { unsetenv("KESTRUNE_PREFIX"); }

  std::unique_ptr<MainWindow> startWindow() {
    std::unique_ptr<MainWindow> window = MainWindow::create();
    if (!window) return nullptr;
    window->form().onCreated([&w = *window] { onMainWindowCreated(w); });
    window->form().show();
    return window;
  }
  std::string iniBytes() const {
    std::ifstream in(prefix.path().toStdString() + "/drive_c/Windows/Kestrune.ini", std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  // Runs the real program on a virtual display: takes the picture of its
  // window from the display once it shows, checks that the window has no
  // title, ends the program with Esc and checks that it ended normally.
  QImage runProgram() {
    VirtualDisplay display;
    EXPECT_FALSE(display.name().isEmpty());
    QProcess program;
    QProcessEnvironment env = display.environment();
    env.insert("KESTRUNE_PREFIX", prefix.path());
    program.setProcessEnvironment(env);
    program.start(KESTRUNE_BINARY, {});
    EXPECT_TRUE(program.waitForStarted(30000));
    const QString shot = prefix.path() + "/shot.png";
    QFile::remove(shot);
    const auto window = display.run(KESTRUNE_SOURCE_DIR "/scripts/capture-window",
                                    {QString::number(program.processId()), shot});
    EXPECT_TRUE(window.has_value());
    if (!window) {
      program.waitForFinished(1000);
      ADD_FAILURE() << "the program said: " << program.readAllStandardError().toStdString();
      return {};
    }
    // As the window manager sees it: "_NET_WM_NAME = " and nothing after.
    const auto title = display.run("xprop", {"-id", *window, "-notype", "_NET_WM_NAME"});
    EXPECT_EQ(title.value_or("?").section('=', 1).trimmed().remove('"').toStdString(), "");
    EXPECT_TRUE(display.run("xdotool", {"windowfocus", "--sync", *window}).has_value());
    EXPECT_TRUE(display.run("xdotool", {"key", "Escape"}).has_value());
    EXPECT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    return QImage(shot);
  }

  QTemporaryDir prefix;
};

TEST(RuntimeStartUp, InitialisesComForTheGuiThreadAndEntersTheProgramFolder) {
  ASSERT_EQ(comInitializeCount(), 0);
  ComObject regExp;
  EXPECT_FALSE(regExp.createObject("VBScript.RegExp"));  // COM not initialised yet
  startRuntime();
  EXPECT_EQ(comInitializeCount(), 1);
  EXPECT_TRUE(regExp.createObject("VBScript.RegExp"));
  EXPECT_TRUE(regExp.setProperty("Pattern", Text("a+")));
  regExp.clear();
  EXPECT_EQ(std::filesystem::current_path(),
            std::filesystem::read_symlink("/proc/self/exe").parent_path());
  stopRuntime();
  EXPECT_EQ(comInitializeCount(), 0);
}

TEST_F(StartupTest, CreatedHandlerLoadsTheTableAndRestoresColours) {
  std::unique_ptr<MainWindow> window = startWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(TailTable.size(), 10000u);
  // Nothing remembered: built-in colours, no file written.
  EXPECT_EQ(window->form().window().backColour(), 0x00FF8800u);
  EXPECT_EQ(iniBytes(), "");
  // The picture boxes of the headlines got the background colour.
  EXPECT_EQ(window->form().container("图片框_标题1"_gbk).backColour(), 0x00FF8800u);
}

TEST_F(StartupTest, RealProgramStartedTwiceShowsTheRememberedColours) {
  {
    // An operator's session: remember the colours, then pick a background
    // and a price colour.
    std::unique_ptr<MainWindow> window = startWindow();
    ASSERT_NE(window, nullptr);
    QTest::mouseClick(gui::widgetOf(window->form(), "选择框_配置"_gbk), Qt::LeftButton);
    window->form().colorPicker("颜色选择器_背景色"_gbk).choose(RGB(128, 0, 128));
    window->form().colorPicker("颜色选择器_字体颜色"_gbk).choose(RGB(0, 255, 0));
  }
  const std::string remembered = iniBytes();
  ASSERT_NE(remembered.find("8388736"), std::string::npos);  // RGB(128, 0, 128)

  for (int run = 1; run <= 2; ++run) {
    SCOPED_TRACE(run);
    const QImage shot = runProgram();
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(shot.size(), QSize(888, 888));
    EXPECT_EQ(shot.pixelColor(5, 5), QColor(128, 0, 128));      // top bar
    EXPECT_EQ(shot.pixelColor(400, 850), QColor(128, 0, 128));  // bottom bar
    int green = 0;  // "软件使用说明" and the other texts in the text colour
    for (int y = 648; y < 820; ++y)
      for (int x = 552; x < 824; ++x) green += shot.pixelColor(x, y) == QColor(0, 255, 0);
    EXPECT_GT(green, 100);
    EXPECT_EQ(iniBytes(), remembered);
  }
}

TEST_F(StartupTest, RealProgramWithoutAnIniFileShowsTheBuiltInColoursAndWritesNothing) {
  const QImage shot = runProgram();
  ASSERT_FALSE(shot.isNull());
  EXPECT_EQ(shot.pixelColor(5, 5), QColor(0, 136, 255));
  EXPECT_FALSE(QFile::exists(prefix.path() + "/drive_c/Windows/Kestrune.ini"));
}

}  // namespace
