// What a Form holds: its controls in layout order, each with its Qt object
// and its handlers. Only the framework and its tests include this header.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/gui/form.h"
#include "platform/gui/widgets.h"

namespace gui {

struct Control {
  ElementSpec spec;
  FormState* form = nullptr;
  QWidget* widget = nullptr;  // null for a Timer
  QTimer* timer = nullptr;    // Timer only
  int32_t interval = 0;       // Timer: as last set
  COLORREF textColour = SystemDefaultColour;
  COLORREF backColour = SystemDefaultColour;
  Handler onClick;        // CheckBox, RadioBox
  Handler onDoubleClick;  // Label
  Handler onChange;       // EditBox content, SliderBar position, ColorPicker colour
  Handler onTick;         // Timer
  KeyHandler onKeyDown;   // EditBox
};

// Runs a handler from a copy of it: a handler may replace itself while it runs.
inline void raiseEvent(const Handler& handler) {
  if (!handler) return;
  Handler copy = handler;
  copy();
}

// Sees the events of every control that can take the focus or a
// double-click: Esc closes the window from anywhere, key-down handlers run
// before the control, double-clicks reach their handlers.
class ControlEventFilter : public QObject {
 public:
  explicit ControlEventFilter(FormState& form) : form_(form) {}
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  FormState& form_;
};

struct FormState {
  std::unique_ptr<WindowWidget> window;
  std::vector<std::unique_ptr<Control>> controls;  // layout order; [0] the window
  std::unordered_map<Text, Control*> byName;
  std::unordered_map<const QObject*, Control*> byObject;
  std::unique_ptr<ControlEventFilter> filter;
  Handler onCreated;
  bool createdRan = false;

  Control* find(const Text& name) const {
    auto it = byName.find(name);
    return it == byName.end() ? nullptr : it->second;
  }
};

// The Qt widget of a control (the window for an empty name), or null. For
// tests and for the program entry; handlers use the typed handles.
QWidget* widgetOf(Form& form, const Text& name);

}  // namespace gui
