#include "platform/gui/runtime.h"

#include <QApplication>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <string>

#include "platform/gui/qt_bridge.h"
#include "platform/system/pending_messages.h"

namespace gui {

struct GuiRuntime::Impl {
  int argc = 1;
  std::string program;
  char* argv[2] = {nullptr, nullptr};
  std::unique_ptr<QApplication> app;
};

GuiRuntime::GuiRuntime(const char* programPath) : impl_(std::make_unique<Impl>()) {
  impl_->program = programPath ? programPath : "kestrune";
  impl_->argv[0] = impl_->program.data();
  impl_->app = std::make_unique<QApplication>(impl_->argc, impl_->argv);
  QApplication::setQuitOnLastWindowClosed(true);
  // Code below the framework (the HTTP engine) dispatches pending messages through this.
  setPendingMessageProcessor([] { QCoreApplication::processEvents(); });
}

GuiRuntime::~GuiRuntime() { setPendingMessageProcessor(nullptr); }

namespace {

int envInt(const char* name, int fallback) {
  const char* v = std::getenv(name);
  if (!v || !*v) return fallback;
  return std::atoi(v);
}

}  // namespace

int GuiRuntime::runMessageLoop() {
  if (const char* shot = std::getenv("KESTRUNE_SCREENSHOT"); shot && *shot) {
    const std::string path = shot;
    const bool quit = envInt("KESTRUNE_SCREENSHOT_QUIT", 0) == 1;
    QTimer::singleShot(envInt("KESTRUNE_SCREENSHOT_DELAY_MS", 3000), [path, quit] {
      saveWindowPicture(path.c_str());
      if (quit) QApplication::closeAllWindows();
    });
  }
  bool anyVisible = false;
  for (QWidget* w : QApplication::topLevelWidgets()) anyVisible |= w->isVisible();
  if (!anyVisible) return 0;
  QApplication::exec();
  return 0;
}

bool saveWindowPicture(const char* pngPath) {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->isVisible() && w->isWindow()) return w->grab().save(QString::fromUtf8(pngPath), "PNG");
  }
  return false;
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
