#include "platform/gui/runtime.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

#include <cstdlib>

#include "platform/gui/qt_bridge.h"
#include "platform/system/pending_messages.h"

namespace gui {

struct GuiRuntime::Impl {
  int argc = 1;
  char noName[1] = {'\0'};
  char* argv[2] = {noName, nullptr};
  std::unique_ptr<QApplication> app;
  std::vector<std::function<void()>> exitRoutines;
};

GuiRuntime::GuiRuntime() : impl_(std::make_unique<Impl>()) {
  impl_->app = std::make_unique<QApplication>(impl_->argc, impl_->argv);
  QApplication::setQuitOnLastWindowClosed(true);
  // Code below the framework (the HTTP engine) dispatches pending messages through this.
  setPendingMessageProcessor([] { QCoreApplication::processEvents(); });
}

GuiRuntime::~GuiRuntime() {
  setPendingMessageProcessor(nullptr);
  for (const auto& routine : impl_->exitRoutines) routine();
}

void GuiRuntime::onExit(std::function<void()> routine) {
  impl_->exitRoutines.push_back(std::move(routine));
}

int GuiRuntime::runMessageLoop() {
  bool anyVisible = false;
  for (QWidget* w : QApplication::topLevelWidgets()) anyVisible |= w->isVisible();
  if (!anyVisible) return 0;
  QApplication::exec();
  return 0;
}

}  // namespace gui

int MessageBoxA(void* owner, const char* text, const char* caption, uint32_t type) {
  QMessageBox box;
  box.setText(gui::toQString(text ? Text(text) : Text()));
  box.setWindowTitle(gui::toQString(caption ? Text(caption) : Text()));
  switch (type & MB_ICONMASK) {
    case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
  }
  box.setWindowModality(Qt::ApplicationModal);
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
  return IDOK;
}

void reportFatalError(const Text& message) {
  if (QApplication::instance()) MessageBoxA(nullptr, message.c_str(), "", MB_OK | MB_ICONERROR);
  std::exit(1);
}
