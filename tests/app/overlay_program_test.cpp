// The live overlay of the real program on a virtual display, driven from
// outside with xdotool and looked at through headless Chromium: the page
// follows the window, across a restart without a reload; hostile clients
// leave the window answering; a second instance is told and goes on.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>

#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "platform/text/gbk.h"
#include "tests/app/notice_endpoint.h"
#include "tests/app/virtual_display.h"
#include "tests/overlay/headless_chromium.h"
#include "tests/overlay/overlay_client.h"

namespace {

using namespace std::chrono_literals;
using overlay_test::HeadlessChromium;

const auto* const notice = ::testing::AddGlobalTestEnvironment(new MatchingNoticeEnvironment);

// Places in the live area (window and page alike).
const QRect TailBox(220, 307, 224, 42);
const QRect PriceBox(226, 371, 180, 40);
const QPoint NumberBox(330, 328);
const QPoint PricePicker(792, 540);

bool yellow(QColor c) { return c.alpha() > 200 && c.red() > 200 && c.green() > 200 && c.blue() < 80; }
bool white(QColor c) { return c.alpha() > 200 && c.red() > 200 && c.green() > 200 && c.blue() > 200; }
bool red(QColor c) { return c.alpha() > 200 && c.red() > 200 && c.green() < 80 && c.blue() < 80; }

int count(const QImage& image, const QRect& area, const std::function<bool(QColor)>& is) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) n += is(image.pixelColor(x, y));
  return n;
}

class OverlayProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(prefix.isValid());
    ASSERT_FALSE(display.name().isEmpty());
    port = static_cast<uint16_t>(freeLoopbackPort());
    writeIni("");
  }
  void TearDown() override {
    if (program.state() != QProcess::NotRunning) {
      program.kill();
      program.waitForFinished(10000);
    }
  }

  // The INI file: the overlay's section, then `rest` (UTF-8).
  void writeIni(const std::string& rest) {
    QDir().mkpath(prefix.path() + "/drive_c/Windows");
    std::ofstream(prefix.path().toStdString() + "/drive_c/Windows/Kestrune.ini", std::ios::binary)
        << utf8ToGbk("[Overlay]\r\nPort=" + std::to_string(port) + "\r\n" + rest);
  }

  // Starts the program and waits for its window.
  void startProgram() {
    QProcessEnvironment env = display.environment();
    env.insert("KESTRUNE_PREFIX", prefix.path());
    program.setProcessEnvironment(env);
    program.start(KESTRUNE_BINARY, {});
    ASSERT_TRUE(program.waitForStarted(30000));
    window = windowShot();
    ASSERT_FALSE(windowId.isEmpty()) << program.readAllStandardError().toStdString();
  }
  // The window's picture as the X server has it.
  QImage windowShot() {
    const QString file = prefix.path() + "/window.png";
    QFile::remove(file);
    windowId = display.run(KESTRUNE_SOURCE_DIR "/scripts/capture-window", {QString::number(program.processId()), file})
                   .value_or(QString());
    return QImage(file);
  }
  void xdotool(const QStringList& arguments) { EXPECT_TRUE(display.run("xdotool", arguments).has_value()); }
  void query(const char* tail) {
    xdotool({"windowfocus", "--sync", windowId});
    xdotool({"mousemove", "--window", windowId, QString::number(NumberBox.x()), QString::number(NumberBox.y()),
             "click", "1"});
    xdotool({"key", "ctrl+a", "BackSpace"});
    xdotool({"type", "--delay", "30", tail});
    xdotool({"key", "Return"});
  }
  void endProgram() {
    xdotool({"windowfocus", "--sync", windowId});
    xdotool({"key", "Escape"});
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
  }

  // The page in Chromium, once it shows the live area.
  std::unique_ptr<HeadlessChromium> openPage() {
    auto page = std::make_unique<HeadlessChromium>("http://127.0.0.1:" + std::to_string(port) + "/", 488, 888);
    EXPECT_TRUE(page->running());
    EXPECT_TRUE(page->waitUntil(shows(), 30s));
    return page;
  }
  static QString shows() { return "!document.getElementById('stage').hidden && document.querySelectorAll('.box').length > 20"; }
  static QString text(const char* name) {
    return QStringLiteral("document.querySelector('[data-name=\"%1\"]').textContent").arg(QString::fromUtf8(name));
  }

  QTemporaryDir prefix;
  VirtualDisplay display;
  QProcess program;
  QString windowId;
  QImage window;
  uint16_t port = 0;
};

TEST_F(OverlayProgramTest, ThePageFollowsTheWindowAndAProgramStartedAgainWithoutAReload) {
  startProgram();
  std::unique_ptr<HeadlessChromium> page = openPage();
  QImage shot = page->screenshot();
  ASSERT_FALSE(shot.isNull());
  EXPECT_EQ(shot.size(), QSize(488, 888));
  EXPECT_EQ(shot.pixelColor(5, 5).alpha(), 0);  // transparent where the window has only its background
  EXPECT_EQ(count(shot, TailBox, yellow), 0);

  // A tail typed into the window: the page shows it, the price and the grade.
  query("8888");
  ASSERT_TRUE(page->waitUntil(text("标题_价格") + " === '￥ 16888 米'", 30s));
  shot = page->screenshot();
  EXPECT_GT(count(shot, TailBox, yellow), 100);
  EXPECT_GT(count(shot, PriceBox, yellow), 100);
  // ... where the window shows them.
  const QImage shown = windowShot();
  EXPECT_GT(count(shown, TailBox, yellow), 100);
  EXPECT_GT(count(shown, PriceBox, yellow), 100);

  // The price colour picked in the window's palette: yellow, then one to the right, white.
  xdotool({"mousemove", "--window", windowId, QString::number(PricePicker.x()), QString::number(PricePicker.y()),
           "click", "1"});
  std::this_thread::sleep_for(500ms);
  xdotool({"key", "Right", "Return"});
  ASSERT_TRUE(page->waitUntil(
      "getComputedStyle(document.querySelector('[data-name=\"标题_价格\"]')).color === 'rgb(255, 255, 255)'", 30s));
  shot = page->screenshot();
  EXPECT_EQ(count(shot, PriceBox, yellow), 0);
  EXPECT_GT(count(shot, PriceBox, white), 100);

  // The program ends and starts again with other remembered colours: the
  // same page, never reloaded, shows the new program's state.
  page->evaluate("window.kestruneMarker = 'still here'");
  endProgram();
  EXPECT_TRUE(page->waitUntil("document.getElementById('stage').hidden", 30s));
  writeIni("[记住配色]\r\n记住配色=1\r\n[背景色]\r\n背景色=16746496\r\n[字体颜色]\r\n字体颜色=16777215\r\n"
           "[特殊字颜色]\r\n特殊字颜色=255\r\n[滚动字幕颜色]\r\n滚动字幕颜色=255\r\n[尾号颜色]\r\n尾号颜色=65535\r\n"
           "[价格颜色]\r\n价格颜色=255\r\n");
  startProgram();
  ASSERT_TRUE(page->waitUntil(shows() + " && " + text("标题_价格") + " === ''", 30s));
  query("1234");
  ASSERT_TRUE(page->waitUntil(text("编辑框_号码") + " === '1234' && " + text("标题_价格") + " !== ''", 30s));
  shot = page->screenshot();
  EXPECT_GT(count(shot, PriceBox, red), 100);
  EXPECT_EQ(page->evaluate("window.kestruneMarker").toString(), QStringLiteral("still here"));
  endProgram();
}

TEST_F(OverlayProgramTest, HostileClientsLeaveTheWindowAnswering) {
  startProgram();
  std::unique_ptr<HeadlessChromium> page = openPage();
  const std::string p = std::to_string(port);
  EXPECT_EQ(overlay_test::rawRequest(port, "GET / HTTP/1.1\r\nHost: evil.example:" + p + "\r\n\r\n").status, 403);
  EXPECT_EQ(overlay_test::rawRequest(port, "POST /events HTTP/1.1\r\nHost: 127.0.0.1:" + p +
                                               "\r\nContent-Length: 2\r\n\r\nhi").status,
            405);

  // A stream that never reads, and a thousand connections that say nothing.
  rlimit files{};
  getrlimit(RLIMIT_NOFILE, &files);
  files.rlim_cur = std::min<rlim_t>(files.rlim_max, 4096);
  setrlimit(RLIMIT_NOFILE, &files);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  std::vector<int> hostile;
  const int stuck = socket(AF_INET, SOCK_STREAM, 0);
  const int small = 1024;
  setsockopt(stuck, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
  ASSERT_EQ(connect(stuck, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  const std::string events = overlay_test::getRequest(port, "/events");
  send(stuck, events.data(), events.size(), 0);
  hostile.push_back(stuck);
  for (int i = 0; i < 1000; ++i) {
    const int s = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    ASSERT_GE(s, 0) << i;
    connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    hostile.push_back(s);
  }

  // The window answers a query, and the page that was open shows it.
  query("8888");
  const QImage shown = windowShot();
  EXPECT_GT(count(shown, PriceBox, yellow), 100);
  EXPECT_TRUE(page->waitUntil(text("标题_价格") + " === '￥ 16888 米'", 30s));

  for (int s : hostile) close(s);
  endProgram();
}

TEST_F(OverlayProgramTest, ASecondInstanceIsToldOnceAndGoesOnWithoutTheOverlay) {
  startProgram();
  // The second instance, through the real entry with its probe (offscreen):
  // it reports each message box and presses Enter on it, then Esc on the window.
  QProcess second;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("KESTRUNE_PREFIX", prefix.path());
  env.insert("KESTRUNE_PROBE_REPORT", prefix.path() + "/report");
  second.setProcessEnvironment(env);
  second.start(PROGRAM_PROBE, {});
  ASSERT_TRUE(second.waitForFinished(60000));
  EXPECT_EQ(second.exitCode(), 0);
  std::ifstream in(prefix.path().toStdString() + "/report");
  std::stringstream report;
  report << in.rdbuf();
  EXPECT_EQ(report.str(), "box 温馨提示|字幕网页没有开启：端口 " + std::to_string(port) +
                              " 已被占用（另一个程序，或本程序的另一个窗口）。|" +
                              std::to_string(QMessageBox::Warning) + "|" + std::to_string(Qt::ApplicationModal) +
                              "\ntable 10000\nwindow shown\ntable 10000\nexit table 0\n");
  // The first instance still serves its page.
  EXPECT_EQ(overlay_test::rawRequest(port, overlay_test::getRequest(port, "/")).status, 200);
  endProgram();
}

}  // namespace
