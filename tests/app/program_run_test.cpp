// The program entry run in this process as main runs it (offscreen): the
// steps of the created handler in their order, the exit clean-up once Esc
// has closed the window and the message loop has ended, and the environment
// variables the program's own code reads.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "app/startup.h"
#include "eval/tail_table.h"
#include "platform/gui/form_state.h"
#include "platform/text/gbk.h"
#include "tests/app/notice_endpoint.h"
#include "ui/main_window.h"

namespace {

// The program asks for its notice at every start.
const auto* const notice = ::testing::AddGlobalTestEnvironment(new MatchingNoticeEnvironment);

std::mutex readsLock;
bool recording = false;
std::set<std::string> programReads;  // names read by code of this executable

const void* executableBase() {
  Dl_info info{};
  dladdr(reinterpret_cast<const void*>(&executableBase), &info);
  return info.dli_fbase;
}

}  // namespace

// Every getenv of the process comes here first; the reads made by code
// linked into this executable (the program's own, not Qt's or the C
// library's) are noted while a run is recorded.
extern "C" char* getenv(const char* name) noexcept {
  using Getenv = char* (*)(const char*);
  static const Getenv real = reinterpret_cast<Getenv>(dlsym(RTLD_NEXT, "getenv"));
  Dl_info caller{};
  if (dladdr(__builtin_return_address(0), &caller) && caller.dli_fbase == executableBase()) {
    std::lock_guard<std::mutex> lock(readsLock);
    if (recording) programReads.insert(name);
  }
  return real(name);
}

namespace {

class ProgramRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(prefix.isValid());
    setenv("KESTRUNE_PREFIX", prefix.path().toUtf8().constData(), 1);
    // Remembered colours: a red background.
    QDir().mkpath(prefix.path() + "/drive_c/Windows");
    std::ofstream(prefix.path().toStdString() + "/drive_c/Windows/Kestrune.ini", std::ios::binary)
        << utf8ToGbk("[记住配色]\r\n记住配色=1\r\n[背景色]\r\n背景色=255\r\n");
  }
  void TearDown() override { unsetenv("KESTRUNE_PREFIX"); }

  // Once the window shows, Esc as the operator presses it; a window still
  // open after 20 s ends the loop and counts as a failure.
  void closeWithEsc(MainWindow& window) {
    QWidget* w = gui::widgetOf(window.form(), "");
    QTimer::singleShot(0, w, [w] { QTest::keyClick(w, Qt::Key_Escape); });
    QTimer::singleShot(20000, w, [this] {
      timedOut = true;
      QApplication::quit();
    });
  }

  QTemporaryDir prefix;
  bool timedOut = false;
};

TEST_F(ProgramRunTest, CreatedStepsRunInOrderAndTheExitCleanUpRunsWhenEscHasEndedTheLoop) {
  std::vector<StartupStep> steps;
  const int result = runProgram([&](StartupStep step, MainWindow* window) {
    steps.push_back(step);
    switch (step) {
      case StartupStep::VersionNotice:
        EXPECT_EQ(NoticeVersion, "25.14");
        EXPECT_TRUE(TailTable.empty());  // the table comes after the notice
        EXPECT_FALSE(window->appearance().rememberBox().checked());
        break;
      case StartupStep::TableLoad:
        EXPECT_EQ(TailTable.size(), 10000u);
        // The colours are not restored yet.
        EXPECT_FALSE(window->appearance().rememberBox().checked());
        EXPECT_EQ(window->form().window().backColour(), 0x00FF8800u);
        break;
      case StartupStep::ColourRestore:
        EXPECT_EQ(TailTable.size(), 10000u);
        EXPECT_TRUE(window->appearance().rememberBox().checked());
        EXPECT_EQ(window->form().window().backColour(), 0x000000FFu);
        EXPECT_FALSE(window->form().isOpen());  // it shows after the handler
        closeWithEsc(*window);
        break;
      case StartupStep::ExitCleanUp:
        EXPECT_EQ(window, nullptr);
        for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_FALSE(w->isVisible());
        // The table is freed, not just emptied.
        EXPECT_TRUE(TailTable.empty());
        EXPECT_EQ(TailTable.capacity(), 0u);
        EXPECT_EQ(NoticeVersion.capacity(), Text().capacity());  // the notice texts too
        break;
    }
  });
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(timedOut);
  EXPECT_EQ(steps, (std::vector<StartupStep>{StartupStep::VersionNotice, StartupStep::TableLoad,
                                             StartupStep::ColourRestore, StartupStep::ExitCleanUp}));
}

TEST_F(ProgramRunTest, ReadsNoEnvironmentVariableButThePrefixAndTheNoticeOverride) {
  {
    std::lock_guard<std::mutex> lock(readsLock);
    programReads.clear();
    recording = true;
  }
  const int result = runProgram([&](StartupStep step, MainWindow* window) {
    if (step == StartupStep::ColourRestore) closeWithEsc(*window);
  });
  std::lock_guard<std::mutex> lock(readsLock);
  recording = false;
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(timedOut);
  // Where the Windows drive lives (HOME only for its default, when unset),
  // and the notice-address override.
  const std::set<std::string> allowed = {"KESTRUNE_PREFIX", "HOME", "KESTRUNE_NOTICE_URL"};
  for (const std::string& name : programReads) EXPECT_TRUE(allowed.count(name)) << name;
  EXPECT_TRUE(programReads.count("KESTRUNE_PREFIX"));  // the reads are seen at all
  EXPECT_TRUE(programReads.count("KESTRUNE_NOTICE_URL"));
}

}  // namespace
