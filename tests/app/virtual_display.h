// A virtual X display (Xvfb) for running the real program as an operator
// would, and for watching and driving it only from outside: the picture of
// its window as the X server has it, its title, keys typed at it.
#pragma once

#include <gtest/gtest.h>

#include <QProcess>
#include <QString>
#include <QStringList>

#include <optional>

class VirtualDisplay {
 public:
  VirtualDisplay() {
    // -noreset: an X server resets when its last client leaves, and a
    // program connecting just then would find no server.
    server_.start(QStringLiteral("Xvfb"),
                  {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                   QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                   QStringLiteral("tcp"), QStringLiteral("-noreset")});
    if (server_.waitForReadyRead(20000)) {
      const QString number = QString::fromLatin1(server_.readLine()).trimmed();
      if (!number.isEmpty()) name_ = QLatin1Char(':') + number;
    }
  }
  ~VirtualDisplay() {
    server_.terminate();
    if (!server_.waitForFinished(5000)) server_.kill();
  }
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;

  // ":N", or empty when the server did not start.
  const QString& name() const { return name_; }

  // Environment for a program shown on this display through Qt's X11 platform.
  QProcessEnvironment environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), name_);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return env;
  }

  // Runs a tool on this display (at most 30 s); its standard output without
  // the final line break, or nothing (and a test failure that says why)
  // when it failed.
  std::optional<QString> run(const QString& tool, const QStringList& arguments) const {
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(tool, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
      ADD_FAILURE() << tool.toStdString() << " " << arguments.join(' ').toStdString() << ": "
                    << process.readAllStandardError().toStdString();
      return std::nullopt;
    }
    QString out = QString::fromUtf8(process.readAllStandardOutput());
    if (out.endsWith(QLatin1Char('\n'))) out.chop(1);
    return out;
  }

 private:
  QProcess server_;
  QString name_;
};
