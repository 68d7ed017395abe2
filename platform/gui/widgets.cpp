#include "platform/gui/widgets.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QTextBlock>
#include <QWindow>

#include <algorithm>

#include "platform/gui/qt_bridge.h"

namespace gui {

WindowWidget::WindowWidget(const Style& style) : style_(style) {
  Qt::WindowFlags flags = Qt::Window;
  if (style.frameless) flags |= Qt::FramelessWindowHint;
  if (style.alwaysOnTop) flags |= Qt::WindowStaysOnTopHint;
  setWindowFlags(flags);
}

void WindowWidget::mousePressEvent(QMouseEvent* event) {
  // Only a press on the window's own background moves it; controls that
  // pass a press on (labels, containers) do not.
  if (event->button() == Qt::LeftButton && style_.dragByBackground &&
      childAt(event->position().toPoint()) == nullptr) {
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - pos();
    event->accept();
    return;
  }
  QWidget::mousePressEvent(event);
}

void WindowWidget::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_ && (event->buttons() & Qt::LeftButton)) {
    move(event->globalPosition().toPoint() - dragOffset_);
    event->accept();
    return;
  }
  QWidget::mouseMoveEvent(event);
}

void WindowWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) dragging_ = false;
  QWidget::mouseReleaseEvent(event);
}

namespace {

int32_t windowsLengthOf(const QString& text) {
  return static_cast<int32_t>(text.size() + text.count(QLatin1Char('\n')));
}

bool isPrintable(const QKeyEvent& event) {
  const QString t = event.text();
  if (t.isEmpty()) return false;
  if (event.modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) return false;
  const char16_t c = t.at(0).unicode();
  return c >= 0x20 && c != 0x7F;
}

}  // namespace

EditBoxWidget::EditBoxWidget(const ElementSpec& spec, QWidget* parent)
    : QTextEdit(parent),
      style_(spec.style),
      blanks_(new BlankWidthHighlighter(document(), originalBlankEm(spec.font.face))) {
  setAcceptRichText(false);
  setTabChangesFocus(true);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setLineWrapMode(style_.multiLine ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
  if (style_.framed) setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  else setFrameStyle(QFrame::NoFrame);
  document()->setDocumentMargin(1);
  QTextOption option = document()->defaultTextOption();
  option.setAlignment(style_.align == HAlign::Centre  ? Qt::AlignHCenter
                      : style_.align == HAlign::Right ? Qt::AlignRight
                                                      : Qt::AlignLeft);
  document()->setDefaultTextOption(option);
  selectionShown_ = !style_.hideSelection;
  setText(spec.caption);
}

Text EditBoxWidget::text() const {
  return fromQtLines(toPlainText());
}

void EditBoxWidget::setText(const Text& text) {
  QString t = toQtLines(text);
  if (!style_.multiLine && t.contains(QLatin1Char('\n'))) t.truncate(t.indexOf(QLatin1Char('\n')));
  setPlainText(t);
  moveCursor(QTextCursor::End);
}

int32_t EditBoxWidget::windowsLength() const { return windowsLengthOf(toPlainText()); }

void EditBoxWidget::setColours(COLORREF text, COLORREF back) {
  textColour_ = text;
  backColour_ = back;
  applyPalette();
}

void EditBoxWidget::applyPalette() {
  QPalette p = ownPalette(*this);
  setRoleColour(p, QPalette::Text, textColour_, *this);
  setRoleColour(p, QPalette::Base, backColour_, *this);
  if (!selectionShown_) {
    // A hidden selection: no highlight, its text in the box's text colour.
    p.setColor(QPalette::Highlight, Qt::transparent);
    p.setColor(QPalette::HighlightedText, p.color(QPalette::Text));
  }
  setPalette(p);
}

int32_t EditBoxWidget::room() const {
  if (style_.maxLength <= 0) return INT32_MAX;
  const int32_t selected = windowsLengthOf(textCursor().selectedText().replace(
      QChar::ParagraphSeparator, QLatin1Char('\n')));
  return std::max(0, style_.maxLength - (windowsLength() - selected));
}

void EditBoxWidget::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    // A single-line box, or a multi-line one without want-return, leaves
    // Enter to the window; a line break counts two characters.
    if (!style_.multiLine || !style_.wantReturn) {
      event->ignore();
      return;
    }
    if (room() >= 2) QTextEdit::keyPressEvent(event);
    else event->accept();
    return;
  }
  if (isPrintable(*event)) {
    const QString t = event->text();
    if (!std::all_of(t.begin(), t.end(), [this](QChar c) { return acceptsTyped(c); }) ||
        windowsLengthOf(t) > room()) {
      event->accept();  // refused: not allowed here, or the box is full
      return;
    }
  }
  QTextEdit::keyPressEvent(event);
}

bool EditBoxWidget::acceptsTyped(QChar c) const {
  if (style_.inputMode != InputMode::ShortInteger) return true;
  return c == QLatin1Char('-') || (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
}

QString EditBoxWidget::fitting(QString text) const {
  int32_t left = room();
  int n = 0;
  for (; n < text.size(); ++n) {
    const int32_t cost = text.at(n) == QLatin1Char('\n') ? 2 : 1;
    if (cost > left) break;
    left -= cost;
  }
  text.truncate(n);
  return text;
}

void EditBoxWidget::inputMethodEvent(QInputMethodEvent* event) {
  QString typed;
  for (QChar c : event->commitString())
    if (acceptsTyped(c)) typed += c;
  typed = fitting(typed);
  if (typed == event->commitString()) {
    QTextEdit::inputMethodEvent(event);
    return;
  }
  QInputMethodEvent kept(event->preeditString(), event->attributes());
  kept.setCommitString(typed, event->replacementStart(), event->replacementLength());
  QTextEdit::inputMethodEvent(&kept);
  event->accept();
}

void EditBoxWidget::insertFromMimeData(const QMimeData* source) {
  if (!source || !source->hasText()) return;
  QString t = source->text();
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  if (!style_.multiLine) {
    int cut = t.indexOf(QLatin1Char('\n'));
    if (cut >= 0) t.truncate(cut);
  }
  // Keep as much of the pasted text as fits.
  t = fitting(t);
  if (!t.isEmpty()) textCursor().insertText(t);
}

void EditBoxWidget::changeEvent(QEvent* event) {
  QTextEdit::changeEvent(event);  // passes the font on to the document
  if (event->type() == QEvent::FontChange) blanks_->rehighlight();
}

void EditBoxWidget::focusInEvent(QFocusEvent* event) {
  if (style_.hideSelection) setSelectionVisible(true);
  QTextEdit::focusInEvent(event);
}

void EditBoxWidget::focusOutEvent(QFocusEvent* event) {
  QTextEdit::focusOutEvent(event);
  // The box's own context menu leaves the focus with the box, as on Windows:
  // only Qt moves it to the menu for a while.
  if (event->reason() == Qt::PopupFocusReason) {
    const QWidget* popup = QApplication::activePopupWidget();
    if (popup && (popup->parentWidget() == this || popup->parentWidget() == viewport())) return;
  }
  if (style_.hideSelection) setSelectionVisible(false);
  if (style_.inputMode == InputMode::ShortInteger) normaliseShortInteger();
}

void EditBoxWidget::normaliseShortInteger() {
  const int32_t value = std::clamp<int32_t>(textToInt(text()), -32768, 32767);
  const Text wanted = value == 0 ? Text() : intToText(value);
  if (text() != wanted) setText(wanted);
}

void EditBoxWidget::setSelectionVisible(bool visible) {
  if (selectionShown_ == visible) return;
  selectionShown_ = visible;
  applyPalette();
}

void RadioBoxWidget::nextCheckState() { setChecked(true); }

ColorPickerButton::ColorPickerButton(COLORREF colour, QWidget* parent)
    : QPushButton(parent), colour_(colour) {
  setFocusPolicy(Qt::StrongFocus);
}

void ColorPickerButton::setColour(COLORREF colour) {
  colour_ = colour;
  update();
}

void ColorPickerButton::paintEvent(QPaintEvent* event) {
  QPushButton::paintEvent(event);
  QPainter painter(this);
  const int arrow = std::min(16, height() / 2);
  QRect swatch = rect().adjusted(5, 5, -5 - arrow, -5);
  QColor fill = toQColor(colour_);
  if (!fill.isValid()) fill = QApplication::palette(this).color(QPalette::Button);
  painter.fillRect(swatch, fill);
  painter.setPen(palette().color(QPalette::ButtonText));
  painter.drawRect(swatch.adjusted(0, 0, -1, -1));
  // A small drop-down arrow on the right.
  const int cx = width() - 5 - arrow / 2, cy = height() / 2;
  QPolygon triangle;
  triangle << QPoint(cx - 4, cy - 2) << QPoint(cx + 4, cy - 2) << QPoint(cx, cy + 2);
  painter.setBrush(palette().color(QPalette::ButtonText));
  painter.drawPolygon(triangle);
}

}  // namespace gui
