// Property reads and writes through the typed control handles.
#include <QAbstractButton>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QSlider>

#include "platform/gui/edit_boxes.h"
#include "platform/gui/form_state.h"
#include "platform/gui/qt_bridge.h"

namespace gui {

namespace {

bool is(const Control* c, ControlKind kind) { return c && c->spec.kind == kind; }

EditBoxWidget* editBoxOf(Control* c) {
  return is(c, ControlKind::EditBox) ? dynamic_cast<EditBoxWidget*>(c->widget) : nullptr;
}

// A write shows at once: whatever the write made dirty (Qt marks it) is
// painted before the write returns, instead of at the next turn of the loop.
void paintNow(QWidget* widget) {
  if (!widget || !widget->isVisible()) return;
  QEvent request(QEvent::UpdateRequest);
  QCoreApplication::sendEvent(widget->window(), &request);
}

// Moves or resizes a control. Qt scrolls an opaque control's pixels and
// paints only the strip that moved into view.
void setGeometryNow(Control& c, const QRect& to) {
  QWidget* w = c.widget;
  if (w->geometry() == to) return;
  w->setGeometry(to);
  paintNow(w);
}

}  // namespace

// Gives a control a palette of its own (see ownPalette) that holds its text
// and background colour. Controls the form colours nothing of (colour
// pickers, sliders) get one too, so that no container's colours reach them.
void applyColours(Control& c) {
  QWidget* w = c.widget;
  if (!w) return;
  if (EditBoxWidget* box = editBoxOf(&c)) {
    box->setColours(c.textColour, c.backColour);
    return;
  }
  QPalette p = ownPalette(*w);
  switch (c.spec.kind) {
    case ControlKind::ColorPicker:
    case ControlKind::SliderBar:
      break;
    case ControlKind::TransLabel:
      setRoleColour(p, QPalette::WindowText, c.textColour, *w);
      break;
    default:
      setRoleColour(p, QPalette::WindowText, c.textColour, *w);
      setRoleColour(p, QPalette::ButtonText, c.textColour, *w);
      // The group box's caption is drawn in the Text role. Check and radio
      // marks are drawn in it too: the boxes keep the system's.
      if (c.spec.kind == ControlKind::GroupBox) setRoleColour(p, QPalette::Text, c.textColour, *w);
      setRoleColour(p, QPalette::Window, c.backColour, *w);
      break;
  }
  w->setPalette(p);
}

int32_t ControlHandle::left() const {
  if (!control_) return 0;
  return control_->widget ? control_->widget->x() : control_->spec.geometry.left;
}
int32_t ControlHandle::top() const {
  if (!control_) return 0;
  return control_->widget ? control_->widget->y() : control_->spec.geometry.top;
}
int32_t ControlHandle::width() const {
  if (!control_) return 0;
  return control_->widget ? control_->widget->width() : control_->spec.geometry.width;
}
int32_t ControlHandle::height() const {
  if (!control_) return 0;
  return control_->widget ? control_->widget->height() : control_->spec.geometry.height;
}

void ControlHandle::setLeft(int32_t left) const {
  if (!control_) return;
  if (!control_->widget) {
    control_->spec.geometry.left = left;
    return;
  }
  QRect g = control_->widget->geometry();
  g.moveLeft(left);
  setGeometryNow(*control_, g);
}

void ControlHandle::setWidth(int32_t width) const {
  if (!control_) return;
  if (width < 0) width = 0;
  if (!control_->widget) {
    control_->spec.geometry.width = width;
    return;
  }
  if (control_->spec.kind == ControlKind::Window) {
    control_->widget->resize(width, control_->widget->height());
    paintNow(control_->widget);
    return;
  }
  QRect g = control_->widget->geometry();
  g.setWidth(width);
  setGeometryNow(*control_, g);
}

bool ControlHandle::visible() const {
  if (!control_ || !control_->widget) return false;
  if (control_->spec.kind == ControlKind::Window) return control_->widget->isVisible();
  return !control_->widget->isHidden();
}

void ControlHandle::setVisible(bool visible) const {
  if (!control_ || !control_->widget) return;
  control_->widget->setVisible(visible);
  paintNow(control_->widget->window());
}

void ControlHandle::setTextColour(COLORREF colour) const {
  // Writing the colour a control already has changes nothing on screen.
  if (!control_ || control_->textColour == colour) return;
  control_->textColour = colour;
  applyColours(*control_);
  paintNow(control_->widget);
}

void ControlHandle::setBackColour(COLORREF colour) const {
  if (!control_ || control_->backColour == colour) return;
  control_->backColour = colour;
  applyColours(*control_);
  paintNow(control_->widget);
}

Text EditBox::text() const {
  EditBoxWidget* box = editBoxOf(control_);
  return box ? box->text() : Text();
}

void EditBox::setText(const Text& text) const {
  EditBoxWidget* box = editBoxOf(control_);
  if (!box) return;
  box->setText(text);
  paintNow(control_->widget);
}

Text Label::caption() const {
  if (!control_ || !control_->widget) return {};
  return fromQtLines(static_cast<QLabel*>(control_->widget)->text());
}

void Label::setCaption(const Text& caption) const {
  if (!control_ || !control_->widget) return;
  static_cast<QLabel*>(control_->widget)->setText(toQtLines(caption));
  paintNow(control_->widget);
}

bool CheckBox::checked() const {
  if (!control_ || !control_->widget) return false;
  return static_cast<QAbstractButton*>(control_->widget)->isChecked();
}

void CheckBox::setChecked(bool checked) const {
  if (!control_ || !control_->widget) return;
  static_cast<QAbstractButton*>(control_->widget)->setChecked(checked);
  paintNow(control_->widget);
}

int32_t SliderBar::position() const {
  if (!is(control_, ControlKind::SliderBar)) return 0;
  return static_cast<QSlider*>(control_->widget)->value();
}

void SliderBar::setPosition(int32_t position) const {
  if (!is(control_, ControlKind::SliderBar)) return;
  auto* slider = static_cast<QSlider*>(control_->widget);
  QSignalBlocker quiet(slider);
  slider->setValue(position);
  paintNow(slider);
}

COLORREF ColorPicker::colour() const {
  if (!is(control_, ControlKind::ColorPicker)) return 0;
  return static_cast<ColorPickerButton*>(control_->widget)->colour();
}

void ColorPicker::setColour(COLORREF colour) const {
  if (!is(control_, ControlKind::ColorPicker)) return;
  static_cast<ColorPickerButton*>(control_->widget)->setColour(colour);
  paintNow(control_->widget);
}

void ColorPicker::choose(COLORREF colour) const {
  if (!is(control_, ControlKind::ColorPicker)) return;
  setColour(colour);
  raiseEvent(control_->onChange);
}

void Timer::setInterval(int32_t milliseconds) const {
  if (!is(control_, ControlKind::Timer)) return;
  control_->interval = std::max(0, milliseconds);
  if (control_->interval == 0) control_->timer->stop();
  else control_->timer->start(std::max(10, control_->interval));
}

void Timer::tick() const {
  if (control_) raiseEvent(control_->onTick);
}

}  // namespace gui
