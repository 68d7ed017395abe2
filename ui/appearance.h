// The six colours of the live area and their persistence in the INI file:
// each picker's colour applied to its targets, the remember-colours check
// box, and the restore at start-up.
#pragma once

#include <array>
#include <vector>

#include "platform/gui/form.h"

// The one persistent settings file.
inline constexpr const char* ColourIniFile = "C:\\Windows\\Kestrune.ini";

// In the order the restore applies them and the remember click writes them.
enum class ColourSlot { Background, Text, Special, Marquee, Tail, Price };
inline constexpr ColourSlot AllColourSlots[] = {ColourSlot::Background, ColourSlot::Text,
                                                ColourSlot::Special,    ColourSlot::Marquee,
                                                ColourSlot::Tail,       ColourSlot::Price};

class Appearance {
 public:
  explicit Appearance(gui::Form& form);

  // The apply operation of one colour: reads its picker, sets the colour on
  // every target, and writes its key when colours are remembered.
  void apply(ColourSlot slot) const;
  // Click of 选择框_配置 (already toggled): unchecked writes "记住配色" = 0;
  // checked writes "记住配色" = 1 and all six colours.
  void rememberColoursClicked() const;
  // Once at start-up: remembered colours back into the pickers, then all six
  // apply operations.
  void restore() const;

  gui::ColorPicker picker(ColourSlot slot) const { return setting(slot).picker; }
  gui::CheckBox rememberBox() const { return remember_; }

 private:
  struct Setting {
    Text key;  // section and key name in the INI file
    gui::ColorPicker picker;
    bool background;  // background colour of the targets, else text colour
    std::vector<gui::ControlHandle> targets;
  };
  const Setting& setting(ColourSlot slot) const { return settings_[static_cast<size_t>(slot)]; }

  std::array<Setting, 6> settings_;
  gui::CheckBox remember_;
};
