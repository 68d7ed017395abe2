// Building a Form from its layout table, and the window-level operations.
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QSlider>

#include "platform/gui/blanks.h"
#include "platform/gui/edit_boxes.h"
#include "platform/gui/form_state.h"
#ifdef KESTRUNE_HAVE_PALETTE
#include "platform/gui/palette/color_palette_popup.h"
#endif
#include "platform/gui/qt_bridge.h"

namespace gui {

namespace {

Qt::Alignment labelAlignment(const Style& style) {
  Qt::Alignment a = style.align == HAlign::Centre  ? Qt::AlignHCenter
                    : style.align == HAlign::Right ? Qt::AlignRight
                                                   : Qt::AlignLeft;
  return a | (style.verticalCentre ? Qt::AlignVCenter : Qt::AlignTop);
}

QWidget* makeWidget(Control& c, QWidget* parent) {
  const ElementSpec& s = c.spec;
  switch (s.kind) {
    case ControlKind::Window:
      return nullptr;  // made by Form::create
    case ControlKind::EditBox:
      return makeEditBox(s, parent);
    case ControlKind::PicBox:
      return new QWidget(parent);
    case ControlKind::GroupBox:
      return new QGroupBox(toQtLines(s.caption), parent);
    case ControlKind::Label:
    case ControlKind::TransLabel: {
      auto* label = new QLabel(toQtLines(s.caption), parent);
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(labelAlignment(s.style));
      label->setWordWrap(s.style.wordWrap);
      if (s.kind == ControlKind::TransLabel)
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
      return label;
    }
    case ControlKind::CheckBox: {
      auto* box = new CheckBoxWidget(toQtLines(s.caption), parent);
      box->setChecked(s.style.checked);
      return box;
    }
    case ControlKind::RadioBox: {
      auto* box = new RadioBoxWidget(toQtLines(s.caption), parent);
      box->setAutoExclusive(false);
      box->setChecked(s.style.checked);
      return box;
    }
    case ControlKind::SliderBar: {
      auto* slider = new QSlider(Qt::Horizontal, parent);
      slider->setRange(s.style.minimum, s.style.maximum);
      slider->setSingleStep(s.style.lineStep);
      slider->setPageStep(s.style.pageStep);
      slider->setValue(s.style.position);
      return slider;
    }
    case ControlKind::ColorPicker:
      return new ColorPickerButton(s.style.colour, parent);
    case ControlKind::Timer:
      return nullptr;
  }
  return nullptr;
}

// Kinds that paint their background colour over their whole rectangle.
bool fillsItsBackground(ControlKind kind) {
  switch (kind) {
    case ControlKind::Window:
    case ControlKind::PicBox:
    case ControlKind::GroupBox:
    case ControlKind::Label:
    case ControlKind::CheckBox:
    case ControlKind::RadioBox:
      return true;
    default:
      return false;
  }
}

// Kinds that can have the keyboard focus (Esc, key-down handlers) or a
// double-click handler; containers and TransLabels have neither.
bool seesKeysOrDoubleClicks(ControlKind kind) {
  return kind != ControlKind::PicBox && kind != ControlKind::GroupBox &&
         kind != ControlKind::TransLabel && kind != ControlKind::Timer;
}

void connectEvents(Control& c) {
  Control* self = &c;
  switch (c.spec.kind) {
    case ControlKind::EditBox:
      if (auto* lines = qobject_cast<QTextEdit*>(c.widget))
        QObject::connect(lines, &QTextEdit::textChanged, lines, [self] { raiseEvent(self->onChange); });
      else
        QObject::connect(static_cast<QLineEdit*>(c.widget), &QLineEdit::textChanged, c.widget,
                         [self] { raiseEvent(self->onChange); });
      break;
    case ControlKind::CheckBox:
    case ControlKind::RadioBox:
      // clicked is emitted after the state has toggled
      QObject::connect(static_cast<QAbstractButton*>(c.widget), &QAbstractButton::clicked,
                       c.widget, [self] { raiseEvent(self->onClick); });
      break;
    case ControlKind::SliderBar:
      QObject::connect(static_cast<QSlider*>(c.widget), &QSlider::valueChanged, c.widget,
                       [self] { raiseEvent(self->onChange); });
      break;
#ifdef KESTRUNE_HAVE_PALETTE
    case ControlKind::ColorPicker: {
      // Pressing the picker drops down its palette; a choice sets the colour
      // and raises the change event, dismissing it keeps the old colour.
      auto* button = static_cast<ColorPickerButton*>(c.widget);
      QObject::connect(button, &QPushButton::clicked, button, [self, button] {
        auto* popup = new ColorPalettePopup(button->colour(), button);
        QObject::connect(popup, &ColorPalettePopup::colourChosen, button,
                         [self, popup](uint32_t colour) {
                           popup->deleteLater();
                           ColorPicker(self).choose(colour);
                         });
        QObject::connect(popup, &ColorPalettePopup::dismissed, popup, &QObject::deleteLater);
        popup->popupAt(button->mapToGlobal(QPoint(0, button->height())));
      });
      break;
    }
#endif
    case ControlKind::Timer:
      QObject::connect(c.timer, &QTimer::timeout, c.timer, [self] { raiseEvent(self->onTick); });
      break;
    default:
      break;
  }
}

}  // namespace

void applyColours(Control& c);  // controls.cpp

bool ControlEventFilter::eventFilter(QObject* watched, QEvent* event) {
  // Most events pass: look the control up only for the two that count.
  if (event->type() != QEvent::KeyPress && event->type() != QEvent::MouseButtonDblClick) return false;
  auto it = form_.byObject.find(watched);
  if (it == form_.byObject.end()) return false;
  Control& c = *it->second;
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    const Style& windowStyle = form_.controls.front()->spec.style;
    if (key->key() == Qt::Key_Escape && windowStyle.escCloses) {
      form_.window->close();
      return true;
    }
    if (c.onKeyDown) {
      // Copy: the handler may replace itself.
      KeyHandler handler = c.onKeyDown;
      return handler(virtualKeyCode(*key), shiftState(key->modifiers()));
    }
  } else if (event->type() == QEvent::MouseButtonDblClick && c.onDoubleClick) {
    raiseEvent(c.onDoubleClick);
    return true;
  }
  return false;
}

std::unique_ptr<Form> Form::create(const Layout& layout, Text* error) {
  Text problem = checkLayout(layout);
  if (!problem.empty()) {
    if (error) *error = problem;
    return nullptr;
  }
  installBlankWidthStyle();
  auto state = std::make_unique<FormState>();
  state->filter = std::make_unique<ControlEventFilter>(*state);
  for (const ElementSpec& spec : layout) {
    auto c = std::make_unique<Control>();
    c->spec = spec;
    c->form = state.get();
    c->textColour = spec.textColour;
    c->backColour = spec.backColour;
    if (spec.kind == ControlKind::Window) {
      state->window = std::make_unique<WindowWidget>(spec.style);
      c->widget = state->window.get();
      c->widget->resize(spec.geometry.width, spec.geometry.height);
      c->widget->setWindowTitle(toQString(spec.caption));
    } else {
      Control* parent = spec.parent.empty() ? state->controls.front().get() : state->find(spec.parent);
      if (spec.kind == ControlKind::Timer) {
        c->timer = new QTimer(state->window.get());
      } else {
        c->widget = makeWidget(*c, parent->widget);
        const Geometry& g = spec.geometry;
        c->widget->setGeometry(g.left, g.top, g.width, g.height);
        if (!spec.style.visible) c->widget->hide();
      }
    }
    if (c->widget) {
      if (spec.kind != ControlKind::Window || spec.font.height > 0 || !spec.font.face.empty())
        c->widget->setFont(toQFont(spec.font));
      setOriginalFace(*c->widget, spec.font.face);
      if (spec.style.handCursor) c->widget->setCursor(Qt::PointingHandCursor);
      if (fillsItsBackground(spec.kind)) {
        // Buttons would paint their background in the Button role.
        c->widget->setBackgroundRole(QPalette::Window);
        c->widget->setForegroundRole(QPalette::WindowText);
        c->widget->setAutoFillBackground(true);
      }
      applyColours(*c);
      if (seesKeysOrDoubleClicks(spec.kind)) c->widget->installEventFilter(state->filter.get());
      state->byObject.emplace(c->widget, c.get());
    }
    connectEvents(*c);
    state->byName.emplace(spec.name, c.get());
    state->controls.push_back(std::move(c));
  }
  for (auto& c : state->controls)
    if (c->timer) Timer(c.get()).setInterval(c->spec.style.interval);
  return std::unique_ptr<Form>(new Form(std::move(state)));
}

Form::Form(std::unique_ptr<FormState> state) : state_(std::move(state)) {}

Form::~Form() {
  // Handlers may refer to whoever owns the form; none may run from here on.
  for (auto& c : state_->controls) {
    if (c->timer) c->timer->stop();
    if (c->widget) c->widget->removeEventFilter(state_->filter.get());
  }
  state_->window.reset();
}

void Form::onCreated(Handler handler) { state_->onCreated = std::move(handler); }

void Form::show() {
  if (!state_->createdRan) {
    state_->createdRan = true;
    if (state_->onCreated) state_->onCreated();
  }
  WindowWidget& w = *state_->window;
  if (state_->controls.front()->spec.style.centred) {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
      const QRect area = screen->geometry();
      w.move(area.x() + (area.width() - w.width()) / 2, area.y() + (area.height() - w.height()) / 2);
    }
  }
  w.show();
}

void Form::close() { state_->window->close(); }

bool Form::isOpen() const { return state_->window->isVisible(); }

QWidget* widgetOf(Form& form, const Text& name) {
  if (name.empty()) return form.state().window.get();
  Control* c = form.state().find(name);
  return c ? c->widget : nullptr;
}

}  // namespace gui
