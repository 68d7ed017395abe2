// The version notice at start-up against the real endpoint (notice-server over
// HTTPS on a free loopback port): in this process for the documents that let
// the program start, and through the real program entry (program_probe) for
// everything that ends it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/program_state.h"
#include "app/startup.h"
#include "app/version_notice.h"
#include "eval/tail_table.h"
#include "kestrune/notice_endpoint.h"
#include "platform/gui/form_state.h"
#include "platform/text/gbk.h"
#include "script/json_document.h"
#include "tests/app/notice_endpoint.h"
#include "ui/main_window.h"

namespace {

std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

class VersionNoticeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new QTemporaryDir;
    endpoint_ = new NoticeEndpoint(folder_->path().toStdString());
  }
  static void TearDownTestSuite() {
    delete endpoint_;
    delete folder_;
  }
  void SetUp() override {
    ASSERT_TRUE(endpoint_->running()) << "the notice endpoint did not start";
    ASSERT_TRUE(prefix.isValid());
    setenv("KESTRUNE_PREFIX", prefix.path().toUtf8().constData(), 1);
    setenv("KESTRUNE_NOTICE_URL", endpoint_->address().c_str(), 1);
    initProgramState();
  }
  void TearDown() override {
    unsetenv("KESTRUNE_NOTICE_URL");
    unsetenv("KESTRUNE_PREFIX");
  }

  std::string path(const char* name) const { return prefix.path().toStdString() + "/" + name; }

  // Runs the program entry with its probe; an "xdg-open" on PATH records
  // the address it is given. Returns the probe's report.
  std::string runProgram(const std::string& noticeAddress, int& exitCode) {
    const std::string bin = path("bin");
    QDir().mkpath(QString::fromStdString(bin));
    std::ofstream(bin + "/xdg-open") << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << path("opened")
                                     << "'\n";
    QFile::setPermissions(QString::fromStdString(bin + "/xdg-open"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("KESTRUNE_PREFIX", prefix.path());
    env.insert("KESTRUNE_NOTICE_URL", QString::fromStdString(noticeAddress));
    env.insert("KESTRUNE_PROBE_REPORT", QString::fromStdString(path("report")));
    env.insert("PATH", QString::fromStdString(bin) + ":" + env.value("PATH"));
    program.setProcessEnvironment(env);
    program.start(PROGRAM_PROBE, {});
    EXPECT_TRUE(program.waitForFinished(90000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    exitCode = program.exitCode();
    return fileBytes(path("report"));
  }

  static QTemporaryDir* folder_;
  static NoticeEndpoint* endpoint_;
  QTemporaryDir prefix;
};

QTemporaryDir* VersionNoticeTest::folder_ = nullptr;
NoticeEndpoint* VersionNoticeTest::endpoint_ = nullptr;

TEST_F(VersionNoticeTest, ThePublishedVersionAsTextOrNumberLetsTheProgramStart) {
  const struct {
    const char* document;
    const char* c;
    const char* w;
  } cases[] = {
      {R"({"data":{"V":"25.14"}})", "", ""},
      {R"({"data":{"V":25.14,"C":"更新说明：修复若干问题","W":"下载地址"}})", "更新说明：修复若干问题",
       "下载地址"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.document);
    initProgramState();
    endpoint_->serve(c.document);
    std::unique_ptr<MainWindow> window = MainWindow::create();
    ASSERT_NE(window, nullptr);
    window->form().onCreated([&w = *window] { onMainWindowCreated(w); });
    window->form().show();
    EXPECT_EQ(AppVersion, "25.14");
    EXPECT_EQ(NoticeVersion, "25.14");
    EXPECT_EQ(NoticeC, utf8ToGbk(c.c));  // UTF-8 on the wire, GBK in the program
    EXPECT_EQ(NoticeW, utf8ToGbk(c.w));
    EXPECT_EQ(NoticeText, utf8ToGbk(c.document));
    ASSERT_EQ(TailTable.size(), 10000u);
    // The window takes a query.
    QWidget* box = gui::widgetOf(window->form(), "编辑框_号码"_gbk);
    box->setFocus();
    QTest::keyClicks(box, "8888");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(gbkToUtf8(window->form().label("标题_价格"_gbk).caption()), "￥ 16888 米");
  }
}

TEST_F(VersionNoticeTest, AnyOtherAnswerShowsTheMessageOpensTheDownloadPageAndEndsTheProgram) {
  SilentPort silent;
  const std::string unreachable =
      "https://127.0.0.1:" + std::to_string(freeLoopbackPort()) + "/Admins/ksxt.json";
  const std::string neverAnswers =
      "https://127.0.0.1:" + std::to_string(silent.port()) + "/Admins/ksxt.json";
  const struct {
    const char* what;
    const char* document;  // served by the endpoint when the address is its own
    std::string address;
  } cases[] = {
      {"newer", R"({"data":{"V":"25.15"}})", endpoint_->address()},
      {"older", R"({"data":{"V":25.13}})", endpoint_->address()},
      {"trailing blank", R"({"data":{"V":"25.14 "}})", endpoint_->address()},
      {"empty", R"({"data":{"V":""}})", endpoint_->address()},
      {"no data", R"({"V":"25.14"})", endpoint_->address()},
      {"not JSON", "25.14", endpoint_->address()},
      {"nothing listening", "", unreachable},
      {"never answers (after the request's timeout)", "", neverAnswers},
  };
  // Remembered colours that a start-up would restore: the file must not change.
  const std::string ini = "[记住配色]\r\n记住配色=1\r\n[背景色]\r\n背景色=255\r\n"_gbk;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    QDir().mkpath(prefix.path() + "/drive_c/Windows");
    std::ofstream(path("drive_c/Windows/Kestrune.ini"), std::ios::binary) << ini;
    QFile::remove(QString::fromStdString(path("report")));
    QFile::remove(QString::fromStdString(path("opened")));
    endpoint_->serve(c.document);

    int exitCode = -1;
    const std::string report = runProgram(c.address, exitCode);
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(report,
              "box 温馨提示|软件已更新，请下载最新版本|" + std::to_string(QMessageBox::Warning) + "|" +
                  std::to_string(Qt::ApplicationModal) +
                  "\ntable 0\n");  // no table loaded, no exit clean-up
    // The opener starts detached: give it a moment to write.
    for (int i = 0; i < 100 && fileBytes(path("opened")).empty(); ++i) QTest::qWait(20);
    EXPECT_EQ(fileBytes(path("opened")), std::string(DownloadPageAddress) + "\n");
    EXPECT_EQ(fileBytes(path("drive_c/Windows/Kestrune.ini")), ini);
  }
}

TEST_F(VersionNoticeTest, TheRealProgramStartsAndCleansUpAtANormalExit) {
  endpoint_->serve(R"({"data":{"V":"25.14"}})");
  int exitCode = -1;
  EXPECT_EQ(runProgram(endpoint_->address(), exitCode), "window shown\ntable 10000\nexit table 0\n");
  EXPECT_EQ(exitCode, 0);
  EXPECT_FALSE(QFile::exists(QString::fromStdString(path("opened"))));
}

TEST_F(VersionNoticeTest, TheCliReadsTheNoticeAsTheProgramDoes) {
  const auto cli = [](const std::string& args, int& exitCode) {
    QProcess process;
    process.start(KESTRUNE_CLI, QProcess::splitCommand(QString::fromStdString(args)));
    EXPECT_TRUE(process.waitForFinished(60000));
    exitCode = process.exitCode();
    return process.readAllStandardOutput().toStdString();
  };
  int exitCode = -1;
  endpoint_->serve(R"({"data":{"V":25.14,"C":"说明","W":"网址"}})");
  EXPECT_EQ(cli("notice " + endpoint_->address(), exitCode),
            "address\t" + endpoint_->address() +
                "\nstatus\t200 OK\nversion\t25.14\nC\t说明\nW\t网址\nthe program starts\n");
  EXPECT_EQ(exitCode, 0);
  endpoint_->serve(R"({"data":{"V":"25.15"}})");
  EXPECT_NE(cli("notice", exitCode).find("version\t25.15\n"), std::string::npos);  // the override
  EXPECT_EQ(exitCode, 1);
}

TEST(VersionNoticeAddress, TheOverrideReplacesTheBuiltInAddressWhole) {
  unsetenv("KESTRUNE_NOTICE_URL");
  EXPECT_EQ(noticeAddress(), BuiltInNoticeAddress);
  EXPECT_EQ(std::string(BuiltInNoticeAddress).substr(0, 8), "https://");
  EXPECT_NE(std::string(BuiltInNoticeAddress).find("/Admins/ksxt.json"), std::string::npos);
  setenv("KESTRUNE_NOTICE_URL", "https://example.invalid:1/x", 1);
  EXPECT_EQ(noticeAddress(), "https://example.invalid:1/x");
  setenv("KESTRUNE_NOTICE_URL", "", 1);
  EXPECT_EQ(noticeAddress(), BuiltInNoticeAddress);
  unsetenv("KESTRUNE_NOTICE_URL");
}

}  // namespace
