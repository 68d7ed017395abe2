// The live overlay: latency from Enter in the window's number box to the
// query's state leaving the server (as a loopback client receives it) and
// to the page in headless Chromium having painted it, p50 and p99 over 200
// queries; and the CPU the program takes while nothing changes, without the
// overlay and with it serving a page.
//
//   build/bench/bench_overlay [QUERIES]
//
// The window runs in this process on Qt's offscreen platform, with the
// overlay started as the program starts it (the INI file's [Overlay] Port=).
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "app/program_state.h"
#include "app/window_overlay.h"
#include "eval/tail_table.h"
#include "platform/gui/form_state.h"
#include "platform/text/gbk.h"
#include "tests/overlay/headless_chromium.h"
#include "tests/overlay/overlay_client.h"
#include "ui/main_window.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::system_clock;

double epochMs(Clock::time_point t) {
  return std::chrono::duration<double, std::milli>(t.time_since_epoch()).count();
}

uint16_t freePort() {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t n = sizeof a;
  bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &n);
  close(s);
  return ntohs(a.sin_port);
}

// CPU seconds of the whole process, and of each of its threads but this one.
double processCpu() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}
double otherThreadsCpu() {
  double total = 0;
  const std::string self = std::to_string(getpid());
  DIR* tasks = opendir("/proc/self/task");
  while (dirent* e = readdir(tasks)) {
    if (e->d_name[0] == '.' || self == e->d_name) continue;
    std::ifstream stat(std::string("/proc/self/task/") + e->d_name + "/stat");
    std::string line;
    std::getline(stat, line);
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
      if (i == 14) utime = std::stoull(field);
      if (i == 15) stime = std::stoull(field);
    }
    total += static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
  }
  closedir(tasks);
  return total;
}

void runLoop(std::chrono::milliseconds time) {
  QEventLoop loop;
  QTimer::singleShot(static_cast<int>(time.count()), &loop, &QEventLoop::quit);
  loop.exec();
}

int64_t seqOf(const std::string& data) {
  static const std::regex seq("\"seq\":([0-9]+)");
  std::smatch m;
  return std::regex_search(data, m, seq) ? std::stoll(m[1]) : -1;
}

double percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

// CPU over `seconds` of the idle message loop: the process, and its other threads.
void idle(const char* what, int seconds) {
  const double cpu0 = processCpu(), others0 = otherThreadsCpu();
  runLoop(std::chrono::seconds(seconds));
  const double cpu = processCpu() - cpu0, others = otherThreadsCpu() - others0;
  std::printf("idle %-34s %2d s: process %7.1f ms CPU (%.3f%% of a core), threads but the GUI thread %6.1f ms\n",
              what, seconds, cpu * 1e3, 100 * cpu / seconds, others * 1e3);
}

}  // namespace

int main(int argc, char** argv) {
  const int queries = argc > 1 ? std::atoi(argv[1]) : 200;
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir prefix;
  qputenv("KESTRUNE_PREFIX", prefix.path().toUtf8());
  QApplication app(argc, argv);
  initProgramState();
  loadTailTable();

  std::unique_ptr<MainWindow> window = MainWindow::create();
  window->form().onCreated([&] { window->appearance().restore(); });
  window->form().show();
  QApplication::processEvents();
  idle("window, no overlay", 30);

  const uint16_t port = freePort();
  QDir().mkpath(prefix.path() + "/drive_c/Windows");
  std::ofstream(prefix.path().toStdString() + "/drive_c/Windows/Kestrune.ini")
      << "[Overlay]\r\nPort=" << port << "\r\n";
  std::unique_ptr<WindowOverlay> overlay = WindowOverlay::start(*window);
  if (!overlay) {
    std::fprintf(stderr, "bench_overlay: the overlay did not start on port %u\n", port);
    return 1;
  }
  auto page = std::make_unique<overlay_test::HeadlessChromium>(
      "http://127.0.0.1:" + std::to_string(port) + "/?trace", 488, 888);
  if (!page->waitUntil("!!window.kestruneTrace && kestruneTrace.length > 0", 60s)) {
    std::fprintf(stderr, "bench_overlay: the page did not show the area\n");
    return 1;
  }
  runLoop(5s);  // the page's other connections close
  idle("window, overlay serving one page", 30);

  overlay_test::EventStream stream(port);
  gui::EditBox number = window->form().editBox("编辑框_号码"_gbk);
  QWidget* box = gui::widgetOf(window->form(), "编辑框_号码"_gbk);
  const char* tails[] = {"8888", "1234", "6666", "0520"};
  std::vector<double> toServer, toPage;
  auto painted = [&](int64_t seq) {
    return page->evaluate(QStringLiteral("(kestruneTrace.find(t => t[0] === %1) || [0, 0])[1]").arg(seq)).toDouble();
  };
  for (int i = 0; i < queries; ++i) {
    // The tail first; the query once the page shows it.
    const size_t from = stream.events().size();
    number.setText(tails[i % 4]);
    const int typed = stream.waitFor([](const auto& e) { return e.name == "state"; }, 10s, from);
    if (typed < 0) break;
    const int64_t seq = seqOf(stream.events()[static_cast<size_t>(typed)].data);
    while (painted(seq) == 0) std::this_thread::sleep_for(2ms);
    std::this_thread::sleep_for(20ms);

    const size_t before = stream.events().size();
    const Clock::time_point enter = Clock::now();
    QTest::keyClick(box, Qt::Key_Return);
    const int answered = stream.waitFor([&](const auto& e) { return e.name == "state" && seqOf(e.data) == seq + 1; },
                                        10s, before);
    if (answered < 0) break;
    toServer.push_back(epochMs(stream.events()[static_cast<size_t>(answered)].at) - epochMs(enter));
    double paintedAt = 0;
    for (int wait = 0; wait < 5000 && (paintedAt = painted(seq + 1)) == 0; ++wait) std::this_thread::sleep_for(2ms);
    toPage.push_back(paintedAt - epochMs(enter));
  }
  std::printf("Enter -> state leaves the server (%zu queries): p50 %.2f ms, p99 %.2f ms, max %.2f ms\n",
              toServer.size(), percentile(toServer, 0.5), percentile(toServer, 0.99),
              toServer.empty() ? 0 : *std::max_element(toServer.begin(), toServer.end()));
  std::printf("Enter -> page painted       (%zu queries): p50 %.2f ms, p99 %.2f ms, max %.2f ms\n", toPage.size(),
              percentile(toPage, 0.5), percentile(toPage, 0.99),
              toPage.empty() ? 0 : *std::max_element(toPage.begin(), toPage.end()));
  return toPage.size() == static_cast<size_t>(queries) ? 0 : 1;
}
