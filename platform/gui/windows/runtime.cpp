#include "platform/gui/runtime.h"

#include "platform/gui/windows/containers.h"
#include "platform/gui/windows/window_classes.h"
#include "platform/system/pending_messages.h"

namespace gui {

namespace {

// Dispatches the thread's pending messages; a quit request stays queued for
// the message loop.
void dispatchPendingMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace

struct GuiRuntime::Impl {
  std::vector<std::function<void()>> exitRoutines;
};

GuiRuntime::GuiRuntime() : impl_(std::make_unique<Impl>()) {
  win32::registerWindowClasses();
  // Code below the framework (the HTTP engine) dispatches pending messages through this.
  setPendingMessageProcessor(&dispatchPendingMessages);
}

GuiRuntime::~GuiRuntime() {
  setPendingMessageProcessor(nullptr);
  for (const auto& routine : impl_->exitRoutines) routine();
}

void GuiRuntime::onExit(std::function<void()> routine) {
  impl_->exitRoutines.push_back(std::move(routine));
}

int GuiRuntime::runMessageLoop() {
  if (!win32::anotherFormOpen(nullptr)) return 0;
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

}  // namespace gui

void reportFatalError(const Text& message) {
  MessageBoxA(nullptr, message.c_str(), "", MB_OK | MB_ICONERROR | MB_TASKMODAL);
  ExitProcess(1);
}
