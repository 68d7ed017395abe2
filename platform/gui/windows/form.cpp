// Building a Form from its layout table on Win32, and the window-level
// operations.
#include "platform/gui/windows/buttons.h"
#include "platform/gui/windows/color_picker.h"
#include "platform/gui/windows/containers.h"
#include "platform/gui/windows/edit_box.h"
#include "platform/gui/windows/form_state.h"
#include "platform/gui/windows/labels.h"
#include "platform/gui/windows/slider.h"
#include "platform/gui/windows/window_classes.h"

namespace gui {

namespace {

using namespace win32;

template <class Args>
Args childArgs(const Control& c, HWND parent, HFONT font) {
  Args args;
  args.parent = parent;
  args.geometry = c.spec.geometry;
  args.text = c.spec.caption;
  args.font = font;
  args.visible = c.spec.style.visible;
  return args;
}

template <class W, class Args>
bool make(Control& c, const Args& args) {
  auto w = std::make_unique<W>(c);
  const bool made = w->create(args);
  c.wnd = std::move(w);
  return made;
}

// Creates the window of one control, a child of `parent`.
bool build(Control& c, HWND parent) {
  const ElementSpec& s = c.spec;
  const Style& style = s.style;
  HFONT font = c.form->fonts.get(s.font);
  switch (s.kind) {
    case ControlKind::Window: {
      return make<FormWindow>(
          c, FormWindowArgs{s.geometry, s.caption, style.frameless, style.alwaysOnTop, style.dragByBackground});
    }
    case ControlKind::EditBox: {
      auto args = childArgs<EditBoxArgs>(c, parent, font);
      args.align = style.align;
      args.framed = style.framed;
      args.multiLine = style.multiLine;
      args.wantReturn = style.wantReturn;
      args.hideSelection = style.hideSelection;
      args.maxLength = style.maxLength;
      args.inputMode = style.inputMode;
      return make<EditBoxWnd>(c, args);
    }
    case ControlKind::PicBox: {
      return make<PicBox>(c, childArgs<PicBoxArgs>(c, parent, font));
    }
    case ControlKind::GroupBox: {
      return make<GroupBox>(c, childArgs<GroupBoxArgs>(c, parent, font));
    }
    case ControlKind::Label:
    case ControlKind::TransLabel: {
      auto args = childArgs<LabelArgs>(c, parent, font);
      args.transparent = s.kind == ControlKind::TransLabel;
      args.align = style.align;
      args.verticalCentre = style.verticalCentre;
      args.wordWrap = style.wordWrap;
      return make<LabelWnd>(c, args);
    }
    case ControlKind::CheckBox: {
      auto args = childArgs<CheckBoxArgs>(c, parent, font);
      args.checked = style.checked;
      return make<CheckButton>(c, args);
    }
    case ControlKind::RadioBox: {
      auto args = childArgs<RadioBoxArgs>(c, parent, font);
      args.checked = style.checked;
      return make<CheckButton>(c, args);
    }
    case ControlKind::SliderBar: {
      auto args = childArgs<SliderBarArgs>(c, parent, font);
      args.minimum = style.minimum;
      args.maximum = style.maximum;
      args.lineStep = style.lineStep;
      args.pageStep = style.pageStep;
      args.position = style.position;
      return make<SliderBarWnd>(c, args);
    }
    case ControlKind::ColorPicker: {
      auto args = childArgs<ColorPickerArgs>(c, parent, font);
      args.colour = style.colour;
      return make<ColorPickerWnd>(c, args);
    }
    case ControlKind::Timer:
      return true;  // a timer of the form's window, started by its interval
  }
  return false;
}

}  // namespace

std::unique_ptr<Form> Form::create(const Layout& layout, Text* error) {
  Text problem = checkLayout(layout);
  if (!problem.empty()) {
    if (error) *error = problem;
    return nullptr;
  }
  registerWindowClasses();
  std::unique_ptr<Form> form(new Form(std::make_unique<FormState>()));
  FormState& state = *form->state_;
  for (const ElementSpec& spec : layout) {
    auto c = std::make_unique<Control>();
    c->spec = spec;
    c->form = &state;
    c->textColour = spec.textColour;
    c->backColour = spec.backColour;
    c->timerId = state.controls.size() + 1;
    HWND parent = nullptr;
    if (spec.kind != ControlKind::Window)
      parent = spec.parent.empty() ? state.window().hwnd() : state.find(spec.parent)->hwnd();
    if (!build(*c, parent)) {
      if (error) *error = "the window of " + spec.name + " cannot be created";
      return nullptr;
    }
    state.byName.emplace(spec.name, c.get());
    state.controls.push_back(std::move(c));
  }
  for (auto& c : state.controls)
    if (c->spec.kind == ControlKind::Timer) Timer(c.get()).setInterval(c->spec.style.interval);
  return form;
}

Form::Form(std::unique_ptr<FormState> state) : state_(std::move(state)) {}

Form::~Form() {
  // Handlers may refer to whoever owns the form; none may run from here on.
  state_->live = false;
  if (state_->controls.empty()) return;
  if (HWND window = state_->window().hwnd()) {
    for (auto& c : state_->controls)
      if (c->spec.kind == ControlKind::Timer) KillTimer(window, c->timerId);
    DestroyWindow(window);
  }
}

void Form::onCreated(Handler handler) { state_->onCreated = std::move(handler); }

void Form::show() {
  if (!state_->createdRan) {
    state_->createdRan = true;
    if (state_->onCreated) state_->onCreated();
  }
  HWND window = state_->window().hwnd();
  if (state_->window().spec.style.centred) {
    RECT r;
    GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  SetForegroundWindow(window);
  // The keyboard goes to the first control that takes it, as on any window
  // that has just been shown.
  HWND focus = GetFocus();
  if (focus && IsChild(window, focus)) return;
  for (auto& c : state_->controls) {
    HWND h = c->hwnd();
    if (h && takesFocus(c->spec.kind) && IsWindowVisible(h)) {
      SetFocus(h);
      break;
    }
  }
}

void Form::close() { closeForm(*state_); }

bool Form::isOpen() const { return IsWindowVisible(state_->window().hwnd()) != FALSE; }

HWND windowOf(Form& form, const Text& name) {
  if (name.empty()) return form.state().window().hwnd();
  Control* c = form.state().find(name);
  return c ? c->hwnd() : nullptr;
}

}  // namespace gui
