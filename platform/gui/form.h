// A window built from its layout table, and typed handles on its controls.
// Handlers reach a control by its layout name and read or write one property
// at a time; text crosses in GBK, colours as COLORREF values. A write of a
// visual property repaints at once. A handle on a name that does not exist,
// or of another kind, is empty: reads give zero values, writes do nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/gui/colorref.h"
#include "platform/gui/layout.h"
#include "platform/text/text.h"

namespace gui {

struct Control;
struct FormState;

using Handler = std::function<void()>;
// Key-down: the Windows virtual-key code and the shift state (1 Shift,
// 2 Ctrl, 4 Alt). Returning true consumes the key: the control never sees it.
using KeyHandler = std::function<bool(int32_t keyCode, int32_t shiftState)>;

// Properties every control has.
class ControlHandle {
 public:
  explicit ControlHandle(Control* control = nullptr) : control_(control) {}
  bool valid() const { return control_ != nullptr; }
  Text name() const;
  ControlKind kind() const;
  int32_t left() const;
  int32_t top() const;
  int32_t width() const;
  int32_t height() const;
  void setLeft(int32_t left) const;
  void setWidth(int32_t width) const;
  bool visible() const;
  // Hiding a container hides its children with it.
  void setVisible(bool visible) const;
  COLORREF textColour() const;
  void setTextColour(COLORREF colour) const;
  COLORREF backColour() const;
  void setBackColour(COLORREF colour) const;

 protected:
  Control* control_;
};

class EditBox : public ControlHandle {
 public:
  using ControlHandle::ControlHandle;
  // Line breaks are CR LF.
  Text text() const;
  void setText(const Text& text) const;
  void onKeyDown(KeyHandler handler) const;
  void onContentChanged(Handler handler) const;
};

// Label and TransLabel.
class Label : public ControlHandle {
 public:
  using ControlHandle::ControlHandle;
  Text caption() const;
  void setCaption(const Text& caption) const;
  void onDoubleClick(Handler handler) const;
};

// CheckBox and RadioBox. The click handler runs after the state toggled.
class CheckBox : public ControlHandle {
 public:
  using ControlHandle::ControlHandle;
  bool checked() const;
  void setChecked(bool checked) const;
  void onClick(Handler handler) const;
};
using RadioBox = CheckBox;

class SliderBar : public ControlHandle {
 public:
  using ControlHandle::ControlHandle;
  int32_t position() const;
  // Does not raise the position-changed event.
  void setPosition(int32_t position) const;
  void onPositionChanged(Handler handler) const;
};

class ColorPicker : public ControlHandle {
 public:
  using ControlHandle::ControlHandle;
  COLORREF colour() const;
  // Sets the current colour without raising the change event.
  void setColour(COLORREF colour) const;
  // What a choice in the palette does: sets the colour, raises the event.
  void choose(COLORREF colour) const;
  void onColourChanged(Handler handler) const;
};

class Timer : public ControlHandle {
 public:
  using ControlHandle::ControlHandle;
  // Milliseconds; 0 = stopped. Intervals below 10 ms run at 10 ms.
  int32_t interval() const;
  void setInterval(int32_t milliseconds) const;
  void onTick(Handler handler) const;
  // Runs the tick handler once, as the timer would.
  void tick() const;
};

// PicBox and GroupBox.
using Container = ControlHandle;

class Form {
 public:
  // Builds the window and every control of `layout`, hidden. Null when the
  // layout cannot be built; `error` (optional) then says why.
  static std::unique_ptr<Form> create(const Layout& layout, Text* error = nullptr);
  ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // The window itself: width, background colour.
  ControlHandle window();
  ControlHandle control(const Text& name);
  EditBox editBox(const Text& name);
  Label label(const Text& name);  // Label or TransLabel
  CheckBox checkBox(const Text& name);
  RadioBox radioBox(const Text& name);
  SliderBar sliderBar(const Text& name);
  ColorPicker colorPicker(const Text& name);
  Timer timer(const Text& name);
  Container container(const Text& name);  // PicBox or GroupBox

  // Runs once, after all controls exist and before the window answers input.
  void onCreated(Handler handler);
  // Runs the created handler (the first time only), then shows the window
  // centred on the screen.
  void show();
  // A close request: the window closes; closing the last window ends the
  // message loop.
  void close();
  bool isOpen() const;

  FormState& state() { return *state_; }

 private:
  explicit Form(std::unique_ptr<FormState> state);
  std::unique_ptr<FormState> state_;
};

}  // namespace gui
