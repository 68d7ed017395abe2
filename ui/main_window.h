// The main window: built from its layout with every event bound to its
// handler.
#pragma once

#include <functional>
#include <memory>

#include "platform/gui/form.h"
#include "ui/appearance.h"
#include "ui/settings_panel.h"

// What changed in the live area, told after the handler that changed it.
enum class LiveAreaChange { Tail, Query, Colour, Headline, Marquee, MarqueeTick };
using LiveAreaObserver = std::function<void(LiveAreaChange change)>;

class MainWindow {
 public:
  // Null when the layout cannot be built; `error` then says why.
  static std::unique_ptr<MainWindow> create(Text* error = nullptr);

  gui::Form& form() { return *form_; }
  const PanelToggle& panelToggle() const { return toggle_; }
  const Appearance& appearance() const { return *appearance_; }
  // One observer of the live area's changes (the live overlay); empty: none.
  void observeLiveArea(LiveAreaObserver observer) { observer_ = std::move(observer); }

 private:
  explicit MainWindow(std::unique_ptr<gui::Form> form);
  void bindHandlers();
  void changed(LiveAreaChange change) const {
    if (observer_) observer_(change);
  }

  std::unique_ptr<gui::Form> form_;
  PanelToggle toggle_;
  std::unique_ptr<Appearance> appearance_;
  LiveAreaObserver observer_;
};
