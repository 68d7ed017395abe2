// The real program entry with a probe, for end-to-end tests of start-up and
// exit. The probe starts with the application object and writes what it sees
// to the file named by KESTRUNE_PROBE_REPORT, one "key value" line each:
// - each message box: "box TITLE|TEXT|ICON|MODALITY" and "table ROWS" at
//   that moment, then it presses Enter on the box;
// - the main window shown: "window shown", "table ROWS", then it presses Esc;
// - the exit clean-up having run: "exit table ROWS", through the entry's
//   step observer.
#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <fstream>
#include <string>

#include "app/startup.h"
#include "eval/tail_table.h"

namespace {

void report(const std::string& line) {
  if (const char* file = std::getenv("KESTRUNE_PROBE_REPORT"))
    std::ofstream(file, std::ios::app) << line << "\n" << std::flush;
}

void probe() {
  auto* timer = new QTimer(QCoreApplication::instance());
  QObject::connect(timer, &QTimer::timeout, [timer] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      if (!box->isVisible()) return;
      report("box " + box->windowTitle().toStdString() + "|" + box->text().toStdString() + "|" +
             std::to_string(box->icon()) + "|" + std::to_string(box->windowModality()));
      report("table " + std::to_string(TailTable.size()));
      QTest::keyClick(box, Qt::Key_Return);
      return;
    }
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->isVisible() && !qobject_cast<QMessageBox*>(w)) {
        timer->stop();
        report("window shown");
        report("table " + std::to_string(TailTable.size()));
        QTest::keyClick(w, Qt::Key_Escape);
        return;
      }
    }
  });
  timer->start(20);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(probe)

int main() {
  return runProgram([](StartupStep step, MainWindow*) {
    if (step == StartupStep::ExitCleanUp) report("exit table " + std::to_string(TailTable.size()));
  });
}
