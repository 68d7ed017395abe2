// GoogleTest main for widget tests: one QApplication on the offscreen
// platform unless another platform is asked for.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>

namespace {

QtMessageHandler standardHandler = nullptr;

// The offscreen platform reports every window feature it lacks; those
// reports say nothing about the code under test.
void quietOffscreenReports(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.startsWith(QLatin1String("This plugin does not support"))) return;
  if (standardHandler) {
    standardHandler(type, context, message);
  } else {
    std::fprintf(stderr, "%s\n", qPrintable(message));
  }
}

}  // namespace

int main(int argc, char** argv) {
  standardHandler = qInstallMessageHandler(quietOffscreenReports);
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
