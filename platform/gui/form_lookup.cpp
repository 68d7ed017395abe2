// Finding controls by name and kind: the same on every backend.
#include "platform/gui/backend_state.h"

namespace gui {

namespace {

Control* lookup(Form& form, const Text& name, std::initializer_list<ControlKind> kinds) {
  Control* c = form.state().find(name);
  if (!c) return nullptr;
  for (ControlKind k : kinds)
    if (c->spec.kind == k) return c;
  return nullptr;
}

}  // namespace

Text ControlHandle::name() const { return control_ ? control_->spec.name : Text(); }
ControlKind ControlHandle::kind() const {
  return control_ ? control_->spec.kind : ControlKind::Label;
}

ControlHandle Form::window() { return ControlHandle(state_->controls.front().get()); }
ControlHandle Form::control(const Text& name) { return ControlHandle(state_->find(name)); }
EditBox Form::editBox(const Text& name) {
  return EditBox(lookup(*this, name, {ControlKind::EditBox}));
}
Label Form::label(const Text& name) {
  return Label(lookup(*this, name, {ControlKind::Label, ControlKind::TransLabel}));
}
CheckBox Form::checkBox(const Text& name) {
  return CheckBox(lookup(*this, name, {ControlKind::CheckBox}));
}
RadioBox Form::radioBox(const Text& name) {
  return RadioBox(lookup(*this, name, {ControlKind::RadioBox}));
}
SliderBar Form::sliderBar(const Text& name) {
  return SliderBar(lookup(*this, name, {ControlKind::SliderBar}));
}
ColorPicker Form::colorPicker(const Text& name) {
  return ColorPicker(lookup(*this, name, {ControlKind::ColorPicker}));
}
Timer Form::timer(const Text& name) { return Timer(lookup(*this, name, {ControlKind::Timer})); }
Container Form::container(const Text& name) {
  return Container(lookup(*this, name, {ControlKind::PicBox, ControlKind::GroupBox}));
}

// Handler registration: each handle stores its handler with the control.
void EditBox::onKeyDown(KeyHandler handler) const {
  if (control_) control_->onKeyDown = std::move(handler);
}
void EditBox::onContentChanged(Handler handler) const {
  if (control_) control_->onChange = std::move(handler);
}
void Label::onDoubleClick(Handler handler) const {
  if (control_) control_->onDoubleClick = std::move(handler);
}
void CheckBox::onClick(Handler handler) const {
  if (control_) control_->onClick = std::move(handler);
}
void SliderBar::onPositionChanged(Handler handler) const {
  if (control_) control_->onChange = std::move(handler);
}
void ColorPicker::onColourChanged(Handler handler) const {
  if (control_) control_->onChange = std::move(handler);
}
void Timer::onTick(Handler handler) const {
  if (control_) control_->onTick = std::move(handler);
}

int32_t Timer::interval() const {
  return control_ && control_->spec.kind == ControlKind::Timer ? control_->interval : 0;
}

COLORREF ControlHandle::textColour() const { return control_ ? control_->textColour : 0; }
COLORREF ControlHandle::backColour() const { return control_ ? control_->backColour : 0; }

}  // namespace gui
