#include "app/startup.h"

#include "app/program_state.h"
#include "app/version_notice.h"
#include "app/window_overlay.h"
#include "eval/tail_table.h"
#include "kestrune/notice_endpoint.h"
#include "platform/com/class_registry.h"
#include "platform/components/components.h"
#include "platform/gui/runtime.h"
#include "platform/system/program_folder.h"
#include "platform/system/shell.h"
#include "platform/text/gbk.h"
#include "script/json_document.h"
#include "ui/main_window.h"

void startRuntime() {
  enterProgramFolder();
  // OLE for the GUI thread, and the automation components it can create.
  OleInitialize(nullptr);
  registerComponentFactories();
}

void stopRuntime() { OleUninitialize(); }

void checkVersionNotice(JsonDocument& document) {
  if (readVersionNotice(document, noticeAddress())) return;
  MessageBoxA(nullptr, "软件已更新，请下载最新版本"_gbk.c_str(), "温馨提示"_gbk.c_str(),
              MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL);
  ShellExecuteA(nullptr, "open", DownloadPageAddress, nullptr, nullptr, SW_SHOWNORMAL);
  endProcessNow(0);
}

void onMainWindowCreated(MainWindow& window, const StepObserver& observe) {
  auto done = [&](StartupStep step) {
    if (observe) observe(step, &window);
  };
  // The notice's document lives for the whole handler.
  JsonDocument noticeDocument;
  // 1. Version notice: on a different version the process ends here.
  checkVersionNotice(noticeDocument);
  done(StartupStep::VersionNotice);
  // 2. The tail-number table.
  loadTailTable();
  done(StartupStep::TableLoad);
  // 3. Colour restore.
  window.appearance().restore();
  done(StartupStep::ColourRestore);
}

int runProgram(const StepObserver& observe) {
  gui::GuiRuntime runtime;
  startRuntime();
  initProgramState();
  runtime.onExit([observe] {
    onProgramExit();
    if (observe) observe(StartupStep::ExitCleanUp, nullptr);
  });
  int result = 0;
  {
    std::unique_ptr<MainWindow> window = MainWindow::create();
    if (!window) reportFatalError("载入启动窗口失败"_gbk);
    // The live overlay, when the INI file asks for one; it goes before the window.
    std::unique_ptr<WindowOverlay> overlay;
    window->form().onCreated([&w = *window, &observe, &overlay] {
      onMainWindowCreated(w, observe);
      overlay = WindowOverlay::start(w);
    });
    window->form().show();
    result = runtime.runMessageLoop();
  }
  stopRuntime();
  return result;
}
