// What a Form holds on Windows: its controls in layout order, each with the
// wrapper of its window and its handlers, and the fonts they share. Only the
// framework and its tests include this header.
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/gui/form.h"
#include "platform/gui/windows/fonts.h"
#include "platform/windows_sdk.h"

namespace gui {

namespace win32 {
class ControlWnd;
}

struct Control {
  Control() = default;
  ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  // The control's window (the form's own for the window), null for a timer.
  HWND hwnd() const;
  // A brush of the background colour, `systemColour` standing for the
  // system default (COLOR_* index).
  HBRUSH backBrush(int systemColour);

  ElementSpec spec;
  FormState* form = nullptr;
  std::unique_ptr<win32::ControlWnd> wnd;  // null for a Timer
  UINT_PTR timerId = 0;                    // Timer: its id on the form's window
  int32_t interval = 0;                    // Timer: as last set
  COLORREF textColour = SystemDefaultColour;
  COLORREF backColour = SystemDefaultColour;
  Handler onClick;        // CheckBox, RadioBox
  Handler onDoubleClick;  // Label
  Handler onChange;       // EditBox content, SliderBar position, ColorPicker colour
  Handler onTick;         // Timer
  KeyHandler onKeyDown;   // EditBox

 private:
  HBRUSH brush_ = nullptr;
  COLORREF brushColour_ = SystemDefaultColour;
};

struct FormState {
  std::vector<std::unique_ptr<Control>> controls;  // layout order; [0] the window
  std::unordered_map<Text, Control*> byName;
  win32::FontCache fonts;
  Handler onCreated;
  bool createdRan = false;
  // False once the form is being destroyed: no handler runs from then on.
  bool live = true;

  Control& window() const { return *controls.front(); }
  Control* find(const Text& name) const {
    auto it = byName.find(name);
    return it == byName.end() ? nullptr : it->second;
  }
};

// Runs a handler from a copy of it (a handler may replace itself while it
// runs), while its form is live.
inline void raiseEvent(const Control& control, const Handler& handler) {
  if (!handler || !control.form->live) return;
  Handler copy = handler;
  copy();
}

// The window of a control (the form's window for an empty name), or null.
// For tests and for the program entry; handlers use the typed handles.
HWND windowOf(Form& form, const Text& name);

}  // namespace gui
