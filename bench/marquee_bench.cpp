// The scrolling caption: CPU time of one tick with the repaint it causes,
// and the share of one core it takes at the fastest speed over 10 seconds.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <ctime>

#include "app/program_state.h"
#include "platform/gui/form_state.h"
#include "platform/text/gbk.h"
#include "ui/main_window.h"
#include "ui/marquee.h"

namespace {

double processCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The main window with the marquee switched on by a click on its check box.
std::unique_ptr<MainWindow> runningMarquee() {
  std::unique_ptr<MainWindow> window = MainWindow::create();
  window->form().show();
  QApplication::processEvents();
  static_cast<QAbstractButton*>(gui::widgetOf(window->form(), "选择框_滚动"_gbk))->click();
  QApplication::processEvents();
  return window;
}

void BM_MarqueeTickWithRepaint(benchmark::State& state) {
  std::unique_ptr<MainWindow> window = runningMarquee();
  window->form().timer("时钟_滚动"_gbk).setInterval(0);  // ticks come from the loop below
  const gui::Label caption = window->form().label("滚动标题"_gbk);
  for (auto _ : state) {
    marqueeTick(caption);
    QApplication::processEvents();
  }
}
BENCHMARK(BM_MarqueeTickWithRepaint)->Unit(benchmark::kMicrosecond);

// CPU share of the whole program over 10 seconds of its message loop, with
// the marquee running at the fastest slider position or (for comparison)
// switched off.
void coreShareOver10Seconds(benchmark::State& state, bool marqueeOn) {
  for (auto _ : state) {
    std::unique_ptr<MainWindow> window = marqueeOn ? runningMarquee() : MainWindow::create();
    if (!marqueeOn) window->form().show();
    const gui::Label caption = window->form().label("滚动标题"_gbk);
    int ticks = 0;
    double handlerCpu = 0;
    window->form().timer("时钟_滚动"_gbk).onTick([&] {
      ++ticks;
      const double t0 = processCpuSeconds();
      marqueeTick(caption);
      handlerCpu += processCpuSeconds() - t0;
    });
    QApplication::processEvents();
    QEventLoop loop;
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    const double cpu0 = processCpuSeconds();
    loop.exec();
    const double cpu = processCpuSeconds() - cpu0;
    state.SetIterationTime(10.0);
    state.counters["core_share_percent"] = 100.0 * cpu / 10.0;
    state.counters["ticks"] = ticks;
    state.counters["tick_handler_us"] = ticks ? 1e6 * handlerCpu / ticks : 0.0;
  }
}

void BM_MarqueeCoreShareOver10Seconds(benchmark::State& state) { coreShareOver10Seconds(state, true); }
BENCHMARK(BM_MarqueeCoreShareOver10Seconds)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void BM_IdleWindowCoreShareOver10Seconds(benchmark::State& state) { coreShareOver10Seconds(state, false); }
BENCHMARK(BM_IdleWindowCoreShareOver10Seconds)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir prefix;
  qputenv("KESTRUNE_PREFIX", prefix.path().toUtf8());
  QApplication app(argc, argv);
  initProgramState();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
