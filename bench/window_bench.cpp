// Creating the main window from its layout and running its created handler,
// against an empty frameless 888 x 888 Qt window, and against the same 54
// controls built with stock Qt widgets by hand-written code (what the window
// framework itself costs); all on the offscreen platform in the same run. Before the timings, each kind of window is also
// built alone in a fresh process to report its resident memory.
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

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "app/program_state.h"
#include "app/startup.h"
#include "eval/tail_table.h"
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

std::unique_ptr<MainWindow> showMainWindow() {
  std::unique_ptr<MainWindow> window = MainWindow::create();
  window->form().onCreated([&w = *window] { onMainWindowCreated(w); });
  window->form().show();
  QApplication::processEvents();
  return window;
}

std::unique_ptr<QWidget> showEmptyWindow() {
  auto window = std::make_unique<QWidget>(nullptr, Qt::Window | Qt::FramelessWindowHint);
  window->resize(888, 888);
  window->show();
  QApplication::processEvents();
  return window;
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
      gui::setRoleColour(*window, QPalette::Window, e.backColour);
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
    gui::setRoleColour(*w, QPalette::WindowText, e.textColour);
    if (e.kind != ControlKind::TransLabel) {
      gui::setRoleColour(*w, QPalette::Window, e.backColour);
      w->setAutoFillBackground(e.backColour != SystemDefaultColour);
    }
    w->setVisible(e.style.visible);
    byName[e.name] = w;
  }
  loadTailTable();
  window->show();
  QApplication::processEvents();
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

// Child process: builds one window and prints "<rss with application> <rss with window>".
int probeResidentMemory(const char* kind) {
  int argc = 1;
  char name[] = "window_bench";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  const long base = residentKiB();
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
  QApplication::processEvents();
  std::printf("%ld %ld\n", base, residentKiB());
  return 0;
}

void reportResidentMemory(const char* self) {
  for (const char* kind : {"empty", "plain", "main"}) {
    QProcess child;
    child.start(QString::fromLocal8Bit(self), {QStringLiteral("--rss-probe=") + kind});
    child.waitForFinished(60000);
    long base = 0, with = 0;
    std::sscanf(child.readAllStandardOutput().constData(), "%ld %ld", &base, &with);
    std::printf("resident memory, %s window: %ld KiB in all (%ld KiB more than the bare application)\n",
                std::strcmp(kind, "main") == 0    ? "main"
                : std::strcmp(kind, "plain") == 0 ? "plain-Qt equivalent"
                                                  : "empty frameless 888x888",
                with, with - base);
  }
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir prefix;  // no INI file: the built-in colours
  qputenv("KESTRUNE_PREFIX", prefix.path().toUtf8());
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--rss-probe=", 12) == 0) return probeResidentMemory(argv[i] + 12);
  QApplication app(argc, argv);
  reportResidentMemory(argv[0]);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
