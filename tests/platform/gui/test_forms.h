// Small layouts for the framework's tests.
#pragma once

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <memory>

#include "platform/gui/form.h"
#include "platform/gui/form_state.h"
#include "tests/platform/gui/layout_specs.h"

namespace gui::testing {

// Builds, shows and activates a form so that focus and key events work.
inline std::unique_ptr<Form> showForm(const Layout& layout) {
  Text error;
  std::unique_ptr<Form> form = Form::create(layout, &error);
  if (!form) return nullptr;
  form->show();
  QWidget* w = widgetOf(*form, "");
  w->activateWindow();
  QApplication::setActiveWindow(w);
  (void)QTest::qWaitForWindowExposed(w);
  return form;
}

}  // namespace gui::testing
