// Creating the main window from its layout and running its created handler,
// against an empty frameless 888 x 888 Qt window, and against the same 54
// controls built with stock Qt widgets by hand-written code (what the window
// framework itself costs); all on the offscreen platform in the same run.
// Each time runs until the window's first frame has been painted.
//
// Before the timings, each kind of window is also built alone in fresh
// processes (seven of each, taken in turns): the resident memory it adds to
// the bare application and its time (elapsed and CPU) to the first painted
// frame from a cold start; the report gives the medians and main / plain-Qt
// as ratios.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTextEdit>
#include <QTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>

#include <QElapsedTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "app/startup.h"
#include "eval/tail_table.h"
#include "platform/gui/form_state.h"
#include "platform/gui/qt_bridge.h"
#include "ui/main_window_layout.h"
#include "ui/main_window.h"

namespace {

long residentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}

double processCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
}

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Turns the event loop until `window` has had its first paint event (at most 5 s).
void waitForFirstFrame(QWidget& window) {
  struct PaintSeen : QObject {
    bool seen = false;
    bool eventFilter(QObject*, QEvent* e) override {
      seen |= e->type() == QEvent::Paint;
      return false;
    }
  } filter;
  window.installEventFilter(&filter);
  QElapsedTimer limit;
  limit.start();
  while (!filter.seen && limit.elapsed() < 5000) QApplication::processEvents(QEventLoop::AllEvents, 5);
  window.removeEventFilter(&filter);
}

// The created handler's table load and colour restore; its first step, the
// version notice, is a network request and no cost of the window.
std::unique_ptr<MainWindow> showMainWindow() {
  std::unique_ptr<MainWindow> window = MainWindow::create();
  window->form().onCreated([&w = *window] {
    loadTailTable();
    w.appearance().restore();
  });
  window->form().show();
  waitForFirstFrame(*gui::widgetOf(window->form(), ""));
  return window;
}

std::unique_ptr<QWidget> showEmptyWindow() {
  auto window = std::make_unique<QWidget>(nullptr, Qt::Window | Qt::FramelessWindowHint);
  window->resize(888, 888);
  window->show();
  waitForFirstFrame(*window);
  return window;
}

// One palette for a stock widget with its text and background colour; the
// system default leaves a role as Qt has it.
void setPlainColours(QWidget& w, COLORREF text, COLORREF back) {
  auto qt = [](COLORREF c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); };
  QPalette palette = w.palette();
  if (text != SystemDefaultColour) palette.setColor(QPalette::WindowText, qt(text));
  if (back != SystemDefaultColour) palette.setColor(QPalette::Window, qt(back));
  w.setPalette(palette);
}

// The same window as stock Qt widgets: geometry, caption, font and colours of
// each element, then the table load of the created handler.
std::unique_ptr<QWidget> showPlainQtWindow() {
  using gui::ControlKind;
  auto window = std::make_unique<QWidget>(nullptr, Qt::Window | Qt::FramelessWindowHint);
  std::map<Text, QWidget*> byName;
  for (const gui::ElementSpec& e : mainWindowLayout()) {
    if (e.kind == ControlKind::Window) {
      window->resize(e.geometry.width, e.geometry.height);
      setPlainColours(*window, e.textColour, e.backColour);
      window->setAutoFillBackground(true);
      byName[e.name] = window.get();
      continue;
    }
    QWidget* parent = e.parent.empty() ? window.get() : byName.at(e.parent);
    const QString caption = gui::toQString(e.caption);
    QWidget* w = nullptr;
    switch (e.kind) {
      case ControlKind::EditBox:
        if (e.style.multiLine) w = new QTextEdit(caption, parent);
        else w = new QLineEdit(caption, parent);
        break;
      case ControlKind::PicBox: w = new QWidget(parent); break;
      case ControlKind::GroupBox: w = new QGroupBox(caption, parent); break;
      case ControlKind::Label:
      case ControlKind::TransLabel: {
        auto* label = new QLabel(caption, parent);
        label->setWordWrap(e.style.wordWrap);
        w = label;
        break;
      }
      case ControlKind::CheckBox: w = new QCheckBox(caption, parent); break;
      case ControlKind::RadioBox: w = new QRadioButton(caption, parent); break;
      case ControlKind::SliderBar: w = new QSlider(Qt::Horizontal, parent); break;
      case ControlKind::ColorPicker: w = new QPushButton(parent); break;
      case ControlKind::Timer: new QTimer(parent); continue;
      case ControlKind::Window: break;
    }
    w->setGeometry(e.geometry.left, e.geometry.top, e.geometry.width, e.geometry.height);
    if (e.font.height > 0) w->setFont(gui::toQFont(e.font));
    const bool opaque = e.kind != ControlKind::TransLabel;
    setPlainColours(*w, e.textColour, opaque ? e.backColour : SystemDefaultColour);
    w->setAutoFillBackground(opaque && e.backColour != SystemDefaultColour);
    w->setVisible(e.style.visible);
    byName[e.name] = w;
  }
  loadTailTable();
  window->show();
  waitForFirstFrame(*window);
  return window;
}

void BM_MainWindowFromLayout(benchmark::State& state) {
  initProgramState();
  for (auto _ : state) {
    std::unique_ptr<MainWindow> window = showMainWindow();
    state.PauseTiming();
    window.reset();
    QApplication::processEvents();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_MainWindowFromLayout)->Unit(benchmark::kMillisecond);

void BM_EmptyFramelessWindow(benchmark::State& state) {
  for (auto _ : state) {
    std::unique_ptr<QWidget> window = showEmptyWindow();
    state.PauseTiming();
    window.reset();
    QApplication::processEvents();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_EmptyFramelessWindow)->Unit(benchmark::kMillisecond);

void BM_SameControlsInPlainQt(benchmark::State& state) {
  for (auto _ : state) {
    std::unique_ptr<QWidget> window = showPlainQtWindow();
    state.PauseTiming();
    window.reset();
    QApplication::processEvents();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_SameControlsInPlainQt)->Unit(benchmark::kMillisecond);

// The main window and its plain-Qt equivalent built in turns, so that both
// see the same load on the machine; the counters are the medians of the
// elapsed time and of the process's CPU time, and their ratios.
void BM_MainWindowOverPlainQt(benchmark::State& state) {
  initProgramState();
  std::vector<double> mainMs, plainMs, mainCpuMs, plainCpuMs;
  auto timed = [](auto show, std::vector<double>& wall, std::vector<double>& cpu) {
    const double cpu0 = processCpuMs();
    const auto t0 = std::chrono::steady_clock::now();
    auto window = show();
    wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    cpu.push_back(processCpuMs() - cpu0);
    window.reset();
    QApplication::processEvents();
  };
  for (auto _ : state) {
    const bool plainFirst = mainMs.size() % 2;
    if (plainFirst) timed(showPlainQtWindow, plainMs, plainCpuMs);
    timed(showMainWindow, mainMs, mainCpuMs);
    if (!plainFirst) timed(showPlainQtWindow, plainMs, plainCpuMs);
  }
  state.counters["main_ms"] = median(mainMs);
  state.counters["plain_ms"] = median(plainMs);
  state.counters["ratio"] = median(mainMs) / median(plainMs);
  state.counters["main_cpu_ms"] = median(mainCpuMs);
  state.counters["plain_cpu_ms"] = median(plainCpuMs);
  state.counters["cpu_ratio"] = median(mainCpuMs) / median(plainCpuMs);
}
BENCHMARK(BM_MainWindowOverPlainQt)->Iterations(100)->Unit(benchmark::kMillisecond);

// Child process: builds one window and prints "<rss with application> <rss
// with window> <milliseconds to its first painted frame> <CPU milliseconds
// to it>".
int probeColdStart(const char* kind) {
  int argc = 1;
  char name[] = "window_bench";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  const long base = residentKiB();
  const double cpu0 = processCpuMs();
  const auto t0 = std::chrono::steady_clock::now();
  std::unique_ptr<MainWindow> main;
  std::unique_ptr<QWidget> other;
  if (std::strcmp(kind, "main") == 0) {
    initProgramState();
    main = showMainWindow();
  } else if (std::strcmp(kind, "plain") == 0) {
    other = showPlainQtWindow();
  } else {
    other = showEmptyWindow();
  }
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  const double cpuMs = processCpuMs() - cpu0;
  QApplication::processEvents();
  std::printf("%ld %ld %.3f %.3f\n", base, residentKiB(), ms, cpuMs);
  return 0;
}

void reportColdStarts(const char* self) {
  const char* const kinds[] = {"empty", "plain", "main"};
  std::map<std::string, std::vector<double>> total, added, ms, cpuMs;
  for (int round = 0; round < 7; ++round) {
    for (const char* kind : kinds) {
      QProcess child;
      child.start(QString::fromLocal8Bit(self), {QStringLiteral("--cold-probe=") + kind});
      child.waitForFinished(60000);
      long base = 0, with = 0;
      double t = 0, cpu = 0;
      std::sscanf(child.readAllStandardOutput().constData(), "%ld %ld %lf %lf", &base, &with, &t, &cpu);
      total[kind].push_back(static_cast<double>(with));
      added[kind].push_back(static_cast<double>(with - base));
      ms[kind].push_back(t);
      cpuMs[kind].push_back(cpu);
    }
  }
  for (const char* kind : kinds)
    std::printf("cold start, %-24s %7.0f KiB resident (%6.0f KiB more than the bare application), "
                "first frame after %6.1f ms (%6.1f ms CPU)\n",
                std::strcmp(kind, "main") == 0    ? "main window:"
                : std::strcmp(kind, "plain") == 0 ? "plain-Qt equivalent:"
                                                  : "empty frameless 888x888:",
                median(total[kind]), median(added[kind]), median(ms[kind]), median(cpuMs[kind]));
  std::printf("main / plain-Qt: resident memory added %.3f, in all %.3f; time to first frame %.3f "
              "(CPU %.3f)\n",
              median(added["main"]) / median(added["plain"]), median(total["main"]) / median(total["plain"]),
              median(ms["main"]) / median(ms["plain"]), median(cpuMs["main"]) / median(cpuMs["plain"]));
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir prefix;  // no INI file: the built-in colours
  qputenv("KESTRUNE_PREFIX", prefix.path().toUtf8());
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--cold-probe=", 13) == 0) return probeColdStart(argv[i] + 13);
  QApplication app(argc, argv);
  reportColdStarts(argv[0]);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
