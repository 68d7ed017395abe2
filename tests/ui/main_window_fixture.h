// The main window as the program shows it, with the created handler's table
// load and colour restore, on a private INI prefix; helpers for real key and
// mouse input.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "eval/tail_table.h"
#include "platform/gui/form_state.h"
#include "platform/text/gbk.h"
#include "ui/main_window.h"

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(prefix.isValid());
    setenv("KESTRUNE_PREFIX", prefix.path().toUtf8().constData(), 1);
    if (TailTable.empty()) loadTailTable();
  }
  void TearDown() override {
    window.reset();
    unsetenv("KESTRUNE_PREFIX");
  }

  // Builds and shows the window; the created handler restores the colours.
  void open() {
    window = MainWindow::create();
    ASSERT_NE(window, nullptr);
    window->form().onCreated([this] { window->appearance().restore(); });
    window->form().show();
    QWidget* w = widget("");
    w->activateWindow();
    QApplication::setActiveWindow(w);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
  }

  gui::Form& form() { return window->form(); }
  QWidget* widget(const char* name) { return gui::widgetOf(form(), utf8ToGbk(name)); }

  void click(const char* name) { QTest::mouseClick(widget(name), Qt::LeftButton); }
  void doubleClick(const char* name) { QTest::mouseDClick(widget(name), Qt::LeftButton); }
  // Focuses the box and types UTF-8 text into it, key by key.
  void type(const char* name, const char* utf8) {
    widget(name)->setFocus();
    typeKeys(widget(name), utf8);
  }
  // One key event a character; characters beyond ASCII come as the text of
  // a key without a key code, as an input method delivers them.
  static void typeKeys(QWidget* target, const char* utf8) {
    for (QChar c : QString::fromUtf8(utf8)) {
      if (c.unicode() < 0x80) QTest::keyClick(target, static_cast<char>(c.unicode()));
      else QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
  }
  void key(const char* name, Qt::Key k) { QTest::keyClick(widget(name), k); }
  // Sets a box's text the way an operator would: select all, type.
  void retype(const char* name, const char* utf8) {
    widget(name)->setFocus();
    QTest::keyClick(widget(name), Qt::Key_A, Qt::ControlModifier);
    if (*utf8) typeKeys(widget(name), utf8);
    else QTest::keyClick(widget(name), Qt::Key_Delete);
  }

  std::string caption(const char* name) { return gbkToUtf8(form().label(utf8ToGbk(name)).caption()); }
  std::string text(const char* name) { return gbkToUtf8(form().editBox(utf8ToGbk(name)).text()); }

  std::string iniPath() const {
    return prefix.path().toStdString() + "/drive_c/Windows/Kestrune.ini";
  }
  bool iniExists() const { return std::ifstream(iniPath()).good(); }
  std::string iniBytes() const {
    std::ifstream in(iniPath(), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  void writeIni(const std::string& gbkBytes) {
    std::string dir = prefix.path().toStdString() + "/drive_c/Windows";
    QDir().mkpath(QString::fromStdString(dir));
    std::ofstream(iniPath(), std::ios::binary) << gbkBytes;
  }

  QTemporaryDir prefix;
  std::unique_ptr<MainWindow> window;
};
