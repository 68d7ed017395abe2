// Windows edit boxes on Qt widgets: a multi-line box on QTextEdit, a
// single-line box on QLineEdit (as light as Qt's own line edit), both with
// what the Windows edit box does: GBK text, a maximum length, the
// short-integer input mode, the selection hidden while unfocused, colours of
// their own, blanks as wide as in the Windows face of their font.
#pragma once

#include <QLineEdit>
#include <QTextEdit>

#include "platform/gui/blanks.h"
#include "platform/gui/colorref.h"
#include "platform/gui/layout.h"
#include "platform/text/text.h"

namespace gui {

// What every edit box does, whatever Qt widget draws it.
class EditBoxWidget {
 public:
  virtual ~EditBoxWidget() = default;
  // Line breaks are CR LF.
  virtual Text text() const = 0;
  virtual void setText(const Text& text) = 0;
  // Text and background colour; the system default for COLORREF 0xFF000000.
  // The box's palette is its own (see ownPalette): nothing of its parent's.
  void setColours(COLORREF text, COLORREF back);

 protected:
  EditBoxWidget(QWidget& self, const ElementSpec& spec);
  // Whether the input mode lets a typed character in.
  bool acceptsTyped(QChar c) const;
  bool acceptsTyped(const QString& typed) const;
  // The characters of `typed` that the input mode lets in.
  QString typedOnly(const QString& typed) const;
  void focusGained();
  // After Qt's own focus-out: the selection hides and a short integer is
  // rewritten, unless the box's own context menu (a popup on `menuParent`)
  // only borrowed the focus, as it never takes it on Windows.
  void focusLost(const QFocusEvent& event, const QWidget* menuParent);

  const Style style_;
  const double blankEm_;  // the blank of the box's Windows face, in em

 private:
  void setSelectionVisible(bool visible);
  void applyPalette();

  QWidget& self_;
  COLORREF textColour_ = SystemDefaultColour;
  COLORREF backColour_ = SystemDefaultColour;
  bool selectionShown_;
};

// A multi-line box: the maximum length counts a line break as two
// characters; with want-return, Enter inserts a line break while it fits,
// otherwise Enter is left to the window; pasted text is cut to the room left.
class MultiLineEditBox : public QTextEdit, public EditBoxWidget {
 public:
  MultiLineEditBox(const ElementSpec& spec, QWidget* parent);
  Text text() const override;
  void setText(const Text& text) override;
  // Characters as the Windows edit box counts them (line break = 2).
  int32_t windowsLength() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;
  // Text an input method commits is typed text: filtered and limited as keys are.
  void inputMethodEvent(QInputMethodEvent* event) override;
  // A new font gives the blanks their width in it.
  void changeEvent(QEvent* event) override;

 private:
  int32_t room() const;  // characters that may still be added
  // The longest start of `text` that fits into the room left.
  QString fitting(QString text) const;

  BlankWidthHighlighter* blanks_;
};

// A single-line box: text ends at the first line break (of text set or
// pasted), Enter is left to the window.
class SingleLineEditBox : public QLineEdit, public EditBoxWidget {
 public:
  SingleLineEditBox(const ElementSpec& spec, QWidget* parent);
  Text text() const override;
  void setText(const Text& text) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // Gives the blanks of the current text their width (as text formats of
  // the line edit's layout).
  void widenBlanks();
  bool blanksWidened_ = false;
};

// The edit box of `spec`, single-line or multi-line as its style says.
QWidget* makeEditBox(const ElementSpec& spec, QWidget* parent);

}  // namespace gui
