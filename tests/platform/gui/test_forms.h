// Small layouts for the framework's tests.
#pragma once

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <memory>

#include "platform/gui/form.h"
#include "platform/gui/form_state.h"

namespace gui::testing {

inline ElementSpec windowSpec(int32_t width = 400, int32_t height = 300) {
  return {"w", ControlKind::Window, "", {0, 0, width, height}, "", {}, SystemDefaultColour,
          RGB(0, 136, 255), Style{}};
}

inline ElementSpec element(const char* name, ControlKind kind, Geometry g, Style style = {},
                           const char* parent = "") {
  ElementSpec e;
  e.name = name;
  e.kind = kind;
  e.parent = parent;
  e.geometry = g;
  e.style = style;
  return e;
}

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
