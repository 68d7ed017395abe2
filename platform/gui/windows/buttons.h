// The system's BUTTON control in three kinds: the check box (it toggles
// itself before it reports the click), the radio box (no automatic
// exclusivity: a click checks it, a checked one stays checked, and the
// click is reported either way) and the group box, a container with a
// caption. Their colours come through WM_CTLCOLORSTATIC.
#pragma once

#include "platform/gui/windows/control_wnd.h"

namespace gui::win32 {

struct CheckBoxArgs : ChildArgs {
  bool checked = false;
};
struct RadioBoxArgs : ChildArgs {
  bool checked = false;
};
struct GroupBoxArgs : ChildArgs {};

class CheckButton : public ControlWnd {
 public:
  using ControlWnd::ControlWnd;
  bool create(const CheckBoxArgs& args);
  bool create(const RadioBoxArgs& args);
  bool checked() const;
  void setChecked(bool checked);
  bool onCommand(WORD code) override;

 private:
  bool radio_ = false;
};

class GroupBox : public ControlWnd {
 public:
  using ControlWnd::ControlWnd;
  bool create(const GroupBoxArgs& args);
  void repaint() override;

 protected:
  LRESULT wndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace gui::win32
