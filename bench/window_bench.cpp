// Creating the main window from its layout and running its created handler,
// against an empty frameless 888 x 888 Qt window; both on the offscreen
// platform in the same run. Before the timings, each kind of window is also
// built alone in a fresh process to report its resident memory.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "app/program_state.h"
#include "app/startup.h"
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

// Child process: builds one window and prints "<rss with application> <rss with window>".
int probeResidentMemory(const char* kind) {
  int argc = 1;
  char name[] = "window_bench";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  const long base = residentKiB();
  std::unique_ptr<MainWindow> main;
  std::unique_ptr<QWidget> empty;
  if (std::strcmp(kind, "main") == 0) {
    initProgramState();
    main = showMainWindow();
  } else {
    empty = showEmptyWindow();
  }
  QApplication::processEvents();
  std::printf("%ld %ld\n", base, residentKiB());
  return 0;
}

void reportResidentMemory(const char* self) {
  for (const char* kind : {"empty", "main"}) {
    QProcess child;
    child.start(QString::fromLocal8Bit(self), {QStringLiteral("--rss-probe=") + kind});
    child.waitForFinished(60000);
    long base = 0, with = 0;
    std::sscanf(child.readAllStandardOutput().constData(), "%ld %ld", &base, &with);
    std::printf("resident memory, %s window: %ld KiB in all (%ld KiB more than the bare application)\n",
                std::strcmp(kind, "main") == 0 ? "main" : "empty frameless 888x888", with, with - base);
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
