// A window described as one table: each element with its name, kind, parent,
// geometry, caption, font, colours and style. The window framework builds a
// Form from such a table (platform/gui/form.h).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gui/colorref.h"
#include "platform/text/text.h"

namespace gui {

enum class ControlKind {
  Window,       // 窗口: the top-level window; exactly one, the first element
  EditBox,      // 编辑框
  PicBox,       // 图片框: a container
  GroupBox,     // 分组框: a container with a caption
  Label,        // 标签: text over its own background
  TransLabel,   // 透明标签: text without a background of its own
  CheckBox,     // 选择框
  RadioBox,     // 单选框: no automatic exclusivity
  SliderBar,    // 滑块条
  ColorPicker,  // 颜色选择器
  Timer,        // 时钟: invisible at run time
};

// Left, top, width, height in pixels, relative to the parent's client area.
struct Geometry {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  bool operator==(const Geometry&) const = default;
};

// A Windows logical font: face name (empty = the default face for the
// GB2312 character set), character height in pixels (0 = the runtime's
// default size), bold (weight 700) or normal (400).
struct FontSpec {
  Text face;
  int32_t height = 0;
  bool bold = false;
  bool operator==(const FontSpec&) const = default;
};

enum class HAlign { Left = 0, Centre = 1, Right = 2 };

// Input modes of an edit box.
enum class InputMode {
  Any,
  // Typed printable characters other than "-" and "0"-"9" are refused; on
  // losing the focus the text becomes the clamped 16-bit value ("0" empty).
  ShortInteger,
};

// Build-time style of an element; each kind reads the fields it knows.
struct Style {
  HAlign align = HAlign::Left;
  bool verticalCentre = false;  // Label
  bool wordWrap = false;        // Label
  bool handCursor = false;
  bool visible = true;
  // EditBox
  bool framed = false;
  bool multiLine = false;
  bool wantReturn = false;      // multi-line: Enter inserts a line break
  bool hideSelection = true;    // selection hidden while unfocused
  int32_t maxLength = 0;        // characters, a line break counts two; 0 = unlimited
  InputMode inputMode = InputMode::Any;
  // CheckBox, RadioBox
  bool checked = false;
  // SliderBar
  int32_t minimum = 0;
  int32_t maximum = 100;
  int32_t lineStep = 1;
  int32_t pageStep = 10;
  int32_t position = 0;
  // Timer: milliseconds, 0 = stopped
  int32_t interval = 0;
  // ColorPicker: initial colour
  COLORREF colour = 0;
  // Window (Enter never moves the focus to the next control)
  bool frameless = true;
  bool centred = true;
  bool escCloses = true;
  bool dragByBackground = true;
  bool alwaysOnTop = false;
};

struct ElementSpec {
  Text name;
  ControlKind kind = ControlKind::Label;
  Text parent;  // empty: the window
  Geometry geometry;
  Text caption;  // caption, title or initial text
  FontSpec font;
  COLORREF textColour = SystemDefaultColour;
  COLORREF backColour = SystemDefaultColour;
  Style style;
};

using Layout = std::vector<ElementSpec>;

// Why a layout cannot be built, or empty text when it can: the first
// element must be the only window, names unique and non-empty, every parent
// an earlier container (window, PicBox or GroupBox), sizes not negative.
Text checkLayout(const Layout& layout);

bool isContainer(ControlKind kind);

}  // namespace gui
