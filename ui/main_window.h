// The main window: built from its layout with every event bound to its
// handler.
#pragma once

#include <memory>

#include "platform/gui/form.h"
#include "ui/appearance.h"
#include "ui/settings_panel.h"

class MainWindow {
 public:
  // Null when the layout cannot be built; `error` then says why.
  static std::unique_ptr<MainWindow> create(Text* error = nullptr);

  gui::Form& form() { return *form_; }
  const PanelToggle& panelToggle() const { return toggle_; }
  const Appearance& appearance() const { return *appearance_; }

 private:
  explicit MainWindow(std::unique_ptr<gui::Form> form);
  void bindHandlers();

  std::unique_ptr<gui::Form> form_;
  PanelToggle toggle_;
  std::unique_ptr<Appearance> appearance_;
};
