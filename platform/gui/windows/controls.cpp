// Property reads and writes through the typed control handles, on the
// controls' windows. A write shows on screen before it returns.
#include <algorithm>

#include "platform/gui/windows/buttons.h"
#include "platform/gui/windows/color_picker.h"
#include "platform/gui/windows/edit_box.h"
#include "platform/gui/windows/form_state.h"
#include "platform/gui/windows/labels.h"
#include "platform/gui/windows/slider.h"

namespace gui {

namespace {

using namespace win32;

bool is(const Control* c, ControlKind kind) { return c && c->spec.kind == kind; }

template <class W>
W* wndOf(const Control* c, ControlKind kind) {
  return is(c, kind) ? static_cast<W*>(c->wnd.get()) : nullptr;
}

// The control's rectangle in its parent's client coordinates (on the
// screen for the window).
RECT placement(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  if (HWND parent = (GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD) ? GetParent(hwnd) : nullptr)
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Moves or resizes a control and paints what it uncovered and what it now
// shows. An opaque control's pixels move along; a transparent one is drawn
// anew over its new background.
void place(Control& c, int32_t left, int32_t width) {
  HWND hwnd = c.hwnd();
  const RECT now = placement(hwnd);
  if (now.left == left && now.right - now.left == width) return;
  UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
  if (!fillsItsBackground(c.spec.kind)) flags |= SWP_NOCOPYBITS;
  SetWindowPos(hwnd, nullptr, left, now.top, width, now.bottom - now.top, flags);
  paintNow(GetParent(hwnd) ? GetParent(hwnd) : hwnd);
}

}  // namespace

int32_t ControlHandle::left() const {
  if (!control_) return 0;
  return control_->hwnd() ? placement(control_->hwnd()).left : control_->spec.geometry.left;
}
int32_t ControlHandle::top() const {
  if (!control_) return 0;
  return control_->hwnd() ? placement(control_->hwnd()).top : control_->spec.geometry.top;
}
int32_t ControlHandle::width() const {
  if (!control_) return 0;
  if (!control_->hwnd()) return control_->spec.geometry.width;
  const RECT r = placement(control_->hwnd());
  return r.right - r.left;
}
int32_t ControlHandle::height() const {
  if (!control_) return 0;
  if (!control_->hwnd()) return control_->spec.geometry.height;
  const RECT r = placement(control_->hwnd());
  return r.bottom - r.top;
}

void ControlHandle::setLeft(int32_t left) const {
  if (!control_) return;
  if (!control_->hwnd()) {
    control_->spec.geometry.left = left;
    return;
  }
  place(*control_, left, width());
}

void ControlHandle::setWidth(int32_t width) const {
  if (!control_) return;
  width = std::max(0, width);
  if (!control_->hwnd()) {
    control_->spec.geometry.width = width;
    return;
  }
  place(*control_, left(), width);
}

bool ControlHandle::visible() const {
  if (!control_ || !control_->hwnd()) return false;
  if (control_->spec.kind == ControlKind::Window) return IsWindowVisible(control_->hwnd()) != FALSE;
  return (GetWindowLongPtrA(control_->hwnd(), GWL_STYLE) & WS_VISIBLE) != 0;
}

void ControlHandle::setVisible(bool visible) const {
  if (!control_ || !control_->hwnd()) return;
  HWND hwnd = control_->hwnd();
  ShowWindow(hwnd, visible ? SW_SHOWNA : SW_HIDE);
  paintNow(GetParent(hwnd) ? GetParent(hwnd) : hwnd);
}

void ControlHandle::setTextColour(COLORREF colour) const {
  // Writing the colour a control already has changes nothing on screen.
  if (!control_ || control_->textColour == colour) return;
  control_->textColour = colour;
  if (control_->wnd) control_->wnd->repaint();
}

void ControlHandle::setBackColour(COLORREF colour) const {
  if (!control_ || control_->backColour == colour) return;
  control_->backColour = colour;
  if (control_->wnd) control_->wnd->repaint();
}

Text EditBox::text() const {
  auto* box = wndOf<EditBoxWnd>(control_, ControlKind::EditBox);
  return box ? box->text() : Text();
}

void EditBox::setText(const Text& text) const {
  auto* box = wndOf<EditBoxWnd>(control_, ControlKind::EditBox);
  if (!box) return;
  box->setText(text);
  paintNow(box->hwnd());
}

Text Label::caption() const {
  if (!control_ || !control_->hwnd()) return {};
  return windowText(control_->hwnd());
}

void Label::setCaption(const Text& caption) const {
  if (!control_ || !control_->hwnd()) return;
  SetWindowTextA(control_->hwnd(), caption.c_str());
  control_->wnd->repaint();
}

bool CheckBox::checked() const {
  auto* box = static_cast<CheckButton*>(control_ ? control_->wnd.get() : nullptr);
  return (is(control_, ControlKind::CheckBox) || is(control_, ControlKind::RadioBox)) && box->checked();
}

void CheckBox::setChecked(bool checked) const {
  if (!is(control_, ControlKind::CheckBox) && !is(control_, ControlKind::RadioBox)) return;
  auto* box = static_cast<CheckButton*>(control_->wnd.get());
  box->setChecked(checked);
  paintNow(box->hwnd());
}

int32_t SliderBar::position() const {
  auto* slider = wndOf<SliderBarWnd>(control_, ControlKind::SliderBar);
  return slider ? slider->position() : 0;
}

void SliderBar::setPosition(int32_t position) const {
  auto* slider = wndOf<SliderBarWnd>(control_, ControlKind::SliderBar);
  if (!slider) return;
  slider->setPosition(position);
  paintNow(slider->hwnd());
}

COLORREF ColorPicker::colour() const {
  auto* picker = wndOf<ColorPickerWnd>(control_, ControlKind::ColorPicker);
  return picker ? picker->colour() : 0;
}

void ColorPicker::setColour(COLORREF colour) const {
  if (auto* picker = wndOf<ColorPickerWnd>(control_, ControlKind::ColorPicker)) picker->setColour(colour);
}

void ColorPicker::choose(COLORREF colour) const {
  if (!is(control_, ControlKind::ColorPicker)) return;
  setColour(colour);
  raiseEvent(*control_, control_->onChange);
}

void Timer::setInterval(int32_t milliseconds) const {
  if (!is(control_, ControlKind::Timer)) return;
  control_->interval = std::max(0, milliseconds);
  HWND window = control_->form->window().hwnd();
  // A window timer runs at 10 ms at the shortest, as USER_TIMER_MINIMUM says.
  if (control_->interval == 0) KillTimer(window, control_->timerId);
  else SetTimer(window, control_->timerId, static_cast<UINT>(std::max(10, control_->interval)), nullptr);
}

void Timer::tick() const {
  if (control_) raiseEvent(*control_, control_->onTick);
}

}  // namespace gui
