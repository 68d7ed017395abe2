// The window: frameless, centred, moved by its background, closed by Esc
// from any control, the created event once before the window shows.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QScreen>
#include <QTimer>

#include <cstdio>

#include "platform/gui/runtime.h"
#include "platform/text/gbk.h"
#include "tests/platform/gui/test_forms.h"

namespace gui {
namespace {

using testing::element;
using testing::showForm;
using testing::windowSpec;

TEST(Window, IsFramelessCentredAndNotOnTop) {
  auto form = showForm({windowSpec(888, 888)});
  ASSERT_NE(form, nullptr);
  QWidget* w = widgetOf(*form, "");
  EXPECT_TRUE(w->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_FALSE(w->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(w->size(), QSize(888, 888));
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(w->x(), screen.x() + (screen.width() - 888) / 2);
  EXPECT_EQ(w->y(), screen.y() + (screen.height() - 888) / 2);
  form->window().setWidth(488);
  EXPECT_EQ(w->size(), QSize(488, 888));
  EXPECT_EQ(w->x(), screen.x() + (screen.width() - 888) / 2);  // only the width changes
}

TEST(Window, CreatedRunsOnceWithAllControlsBeforeTheWindowShows) {
  std::unique_ptr<Form> form =
      Form::create({windowSpec(), element("label", ControlKind::Label, {0, 0, 10, 10})});
  ASSERT_NE(form, nullptr);
  int runs = 0;
  bool sawControl = false, sawVisible = false;
  form->onCreated([&] {
    ++runs;
    sawControl = form->label("label").valid();
    sawVisible = form->isOpen();
  });
  form->show();
  form->show();
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(sawControl);
  EXPECT_FALSE(sawVisible);
  EXPECT_TRUE(form->isOpen());
}

TEST(Window, DraggingTheBackgroundMovesTheWindowButDraggingAControlDoesNot) {
  auto form = showForm({windowSpec(), element("pic", ControlKind::PicBox, {100, 100, 50, 50})});
  ASSERT_NE(form, nullptr);
  QWidget* w = widgetOf(*form, "");
  const QPoint start = w->pos();
  QTest::mousePress(w, Qt::LeftButton, {}, QPoint(20, 20));
  QTest::mouseMove(w, QPoint(50, 60));
  QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(50, 60));
  EXPECT_EQ(w->pos(), start + QPoint(30, 40));

  const QPoint moved = w->pos();
  QWidget* pic = widgetOf(*form, "pic");
  QTest::mousePress(pic, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseMove(pic, QPoint(25, 25));
  QTest::mouseRelease(pic, Qt::LeftButton, {}, QPoint(25, 25));
  EXPECT_EQ(w->pos(), moved);
}

TEST(Window, EscClosesFromAnyControlAndEnterDoesNotMoveTheFocus) {
  for (ControlKind kind : {ControlKind::CheckBox, ControlKind::SliderBar, ControlKind::ColorPicker,
                           ControlKind::EditBox}) {
    auto form = showForm({windowSpec(), element("a", kind, {0, 0, 100, 30}),
                          element("b", ControlKind::EditBox, {0, 40, 100, 30})});
    ASSERT_NE(form, nullptr);
    QWidget* a = widgetOf(*form, "a");
    a->setFocus();
    QTest::keyClick(a, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), a);
    QTest::keyClick(a, Qt::Key_Escape);
    EXPECT_FALSE(form->isOpen());
  }
}

TEST(FatalErrorDeathTest, ShowsTheMessageThenEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        QTimer::singleShot(50, [] {
          auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
          if (box) std::fprintf(stderr, "box: %s\n", box->text().toUtf8().constData());
          if (box) box->close();
        });
        reportFatalError("载入启动窗口失败"_gbk);
      },
      ::testing::ExitedWithCode(1), "box: 载入启动窗口失败");
}

}  // namespace
}  // namespace gui
