// The Qt widgets behind the control kinds whose behaviour differs from the
// stock Qt widget: the window, the edit box, the radio box, the colour picker.
#pragma once

#include <QCheckBox>
#include <QPoint>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QWidget>

#include "platform/gui/blanks.h"
#include "platform/gui/colorref.h"
#include "platform/gui/layout.h"
#include "platform/text/text.h"

namespace gui {

// Frameless top-level window, moved by dragging its own background. (Esc is
// the form's event filter's: it closes the window from any control.)
class WindowWidget : public QWidget {
 public:
  explicit WindowWidget(const Style& style);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  Style style_;
  bool dragging_ = false;
  QPoint dragOffset_;
};

// A Windows edit box: CR LF line breaks, a maximum length in characters
// where a line break counts two, the short-integer input mode, centred text,
// selection hidden while unfocused, framed or not; blanks as wide as in the
// Windows face of its font.
class EditBoxWidget : public QTextEdit {
 public:
  EditBoxWidget(const ElementSpec& spec, QWidget* parent);
  Text text() const;
  void setText(const Text& text);
  // Characters as the Windows edit box counts them (line break = 2).
  int32_t windowsLength() const;
  // Text and background colour; the system default for COLORREF 0xFF000000.
  // The box's palette is its own (see ownPalette): nothing of its parent's.
  void setColours(COLORREF text, COLORREF back);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;
  // A new font gives the blanks their width in it.
  void changeEvent(QEvent* event) override;
  // Text an input method commits is typed text: filtered and limited as keys are.
  void inputMethodEvent(QInputMethodEvent* event) override;

 private:
  int32_t room() const;  // characters that may still be added
  // The longest start of `text` that fits into the room left.
  QString fitting(QString text) const;
  // Whether the input mode lets a typed character in.
  bool acceptsTyped(QChar c) const;
  void normaliseShortInteger();
  void setSelectionVisible(bool visible);
  void applyPalette();

  Style style_;
  COLORREF textColour_ = SystemDefaultColour;
  COLORREF backColour_ = SystemDefaultColour;
  bool selectionShown_ = true;
  BlankWidthHighlighter* blanks_;
};

// A check box that answers clicks anywhere in its rectangle, as a Windows
// check box does.
class CheckBoxWidget : public QCheckBox {
 public:
  using QCheckBox::QCheckBox;

 protected:
  bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

// A radio box without automatic exclusivity; clicking a checked one keeps
// it checked (and still emits clicked).
class RadioBoxWidget : public QRadioButton {
 public:
  using QRadioButton::QRadioButton;

 protected:
  void nextCheckState() override;
  bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

// A button that shows its current colour.
class ColorPickerButton : public QPushButton {
 public:
  ColorPickerButton(COLORREF colour, QWidget* parent);
  COLORREF colour() const { return colour_; }
  void setColour(COLORREF colour);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  COLORREF colour_;
};

}  // namespace gui
