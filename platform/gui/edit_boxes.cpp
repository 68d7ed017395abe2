#include "platform/gui/edit_boxes.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QValidator>

#include <algorithm>
#include <functional>

#include "platform/gui/qt_bridge.h"

namespace gui {

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

bool isEnter(const QKeyEvent& event) {
  return event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
}

Qt::Alignment horizontal(HAlign align) {
  return align == HAlign::Centre  ? Qt::AlignHCenter
         : align == HAlign::Right ? Qt::AlignRight
                                  : Qt::AlignLeft;
}

// Passes an input method event on to `deliver`, its commit cut to `kept`.
void passCommit(QInputMethodEvent* event, const QString& kept,
                const std::function<void(QInputMethodEvent*)>& deliver) {
  if (kept == event->commitString()) {
    deliver(event);
    return;
  }
  QInputMethodEvent cut(event->preeditString(), event->attributes());
  cut.setCommitString(kept, event->replacementStart(), event->replacementLength());
  deliver(&cut);
  event->accept();
}

// Text that comes into a single-line box (pasted, or from its context menu)
// keeps only what stands before its first line break.
class SingleLineValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& pos) const override {
    qsizetype cut = 0;
    while (cut < input.size() && input.at(cut) != QLatin1Char('\r') && input.at(cut) != QLatin1Char('\n')) ++cut;
    if (cut < input.size()) {
      // The line edit held no line break before: the inserted text ends at
      // the cursor, and its part from the break on goes.
      const qsizetype end = std::max<qsizetype>(pos, cut + 1);
      input.remove(cut, end - cut);
      pos = static_cast<int>(cut);
    }
    return Acceptable;
  }
};

}  // namespace

EditBoxWidget::EditBoxWidget(QWidget& self, const ElementSpec& spec)
    : style_(spec.style),
      blankEm_(originalBlankEm(spec.font.face)),
      self_(self),
      selectionShown_(!spec.style.hideSelection) {
  // The font first: the text set afterwards is laid out once.
  self.setFont(toQFont(spec.font));
}

void EditBoxWidget::setColours(COLORREF text, COLORREF back) {
  textColour_ = text;
  backColour_ = back;
  applyPalette();
}

void EditBoxWidget::applyPalette() {
  QPalette p = ownPalette(self_);
  setRoleColour(p, QPalette::Text, textColour_, self_);
  setRoleColour(p, QPalette::Base, backColour_, self_);
  if (!selectionShown_) {
    // A hidden selection: no highlight, its text in the box's text colour.
    p.setColor(QPalette::Highlight, Qt::transparent);
    p.setColor(QPalette::HighlightedText, p.color(QPalette::Text));
  }
  self_.setPalette(p);
}

void EditBoxWidget::setSelectionVisible(bool visible) {
  if (selectionShown_ == visible) return;
  selectionShown_ = visible;
  applyPalette();
}

bool EditBoxWidget::acceptsTyped(QChar c) const {
  if (style_.inputMode != InputMode::ShortInteger) return true;
  return c == QLatin1Char('-') || (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
}

bool EditBoxWidget::acceptsTyped(const QString& typed) const {
  return std::all_of(typed.begin(), typed.end(), [this](QChar c) { return acceptsTyped(c); });
}

QString EditBoxWidget::typedOnly(const QString& typed) const {
  QString kept;
  for (QChar c : typed)
    if (acceptsTyped(c)) kept += c;
  return kept;
}

void EditBoxWidget::focusGained() {
  if (style_.hideSelection) setSelectionVisible(true);
}

void EditBoxWidget::focusLost(const QFocusEvent& event, const QWidget* menuParent) {
  if (event.reason() == Qt::PopupFocusReason) {
    const QWidget* popup = QApplication::activePopupWidget();
    if (popup && (popup->parentWidget() == &self_ || popup->parentWidget() == menuParent)) return;
  }
  if (style_.hideSelection) setSelectionVisible(false);
  if (style_.inputMode == InputMode::ShortInteger) {
    const int32_t value = std::clamp<int32_t>(textToInt(text()), -32768, 32767);
    const Text wanted = value == 0 ? Text() : intToText(value);
    if (text() != wanted) setText(wanted);
  }
}

// --- multi-line --------------------------------------------------------------

MultiLineEditBox::MultiLineEditBox(const ElementSpec& spec, QWidget* parent)
    : QTextEdit(parent),
      EditBoxWidget(*this, spec),
      blanks_(new BlankWidthHighlighter(document(), blankEm_)) {
  setAcceptRichText(false);
  setTabChangesFocus(true);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  if (style_.framed) setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  else setFrameStyle(QFrame::NoFrame);
  document()->setDocumentMargin(1);
  QTextOption option = document()->defaultTextOption();
  option.setAlignment(horizontal(style_.align));
  document()->setDefaultTextOption(option);
  if (!spec.caption.empty()) setText(spec.caption);
}

Text MultiLineEditBox::text() const { return fromQtLines(toPlainText()); }

void MultiLineEditBox::setText(const Text& text) {
  // The document's own replace: it resets the undo history as the edit
  // box's would, without the box's bookkeeping for a cursor about to move.
  document()->setPlainText(toQtLines(text));
  moveCursor(QTextCursor::End);
}

int32_t MultiLineEditBox::windowsLength() const { return windowsLengthOf(toPlainText()); }

int32_t MultiLineEditBox::room() const {
  if (style_.maxLength <= 0) return INT32_MAX;
  const int32_t selected = windowsLengthOf(textCursor().selectedText().replace(
      QChar::ParagraphSeparator, QLatin1Char('\n')));
  return std::max(0, style_.maxLength - (windowsLength() - selected));
}

QString MultiLineEditBox::fitting(QString text) const {
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

void MultiLineEditBox::keyPressEvent(QKeyEvent* event) {
  if (isEnter(*event)) {
    // Without want-return Enter is the window's; a line break counts two.
    if (!style_.wantReturn) event->ignore();
    else if (room() >= 2) QTextEdit::keyPressEvent(event);
    else event->accept();
    return;
  }
  if (isPrintable(*event) && (!acceptsTyped(event->text()) || windowsLengthOf(event->text()) > room())) {
    event->accept();  // refused: not allowed here, or the box is full
    return;
  }
  QTextEdit::keyPressEvent(event);
}

void MultiLineEditBox::inputMethodEvent(QInputMethodEvent* event) {
  passCommit(event, fitting(typedOnly(event->commitString())),
             [this](QInputMethodEvent* e) { QTextEdit::inputMethodEvent(e); });
}

void MultiLineEditBox::insertFromMimeData(const QMimeData* source) {
  if (!source || !source->hasText()) return;
  QString t = source->text();
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  // Keep as much of the pasted text as fits.
  t = fitting(t);
  if (!t.isEmpty()) textCursor().insertText(t);
}

void MultiLineEditBox::changeEvent(QEvent* event) {
  QTextEdit::changeEvent(event);  // passes the font on to the document
  if (event->type() == QEvent::FontChange && toPlainText().contains(QLatin1Char(' '))) blanks_->rehighlight();
}

void MultiLineEditBox::focusInEvent(QFocusEvent* event) {
  focusGained();
  QTextEdit::focusInEvent(event);
}

void MultiLineEditBox::focusOutEvent(QFocusEvent* event) {
  QTextEdit::focusOutEvent(event);
  focusLost(*event, viewport());
}

// --- single-line -------------------------------------------------------------

SingleLineEditBox::SingleLineEditBox(const ElementSpec& spec, QWidget* parent)
    : QLineEdit(parent), EditBoxWidget(*this, spec) {
  setFrame(style_.framed);
  setAlignment(horizontal(style_.align) | Qt::AlignVCenter);
  if (style_.maxLength > 0) setMaxLength(style_.maxLength);
  setValidator(new SingleLineValidator(this));
  if (!spec.caption.empty()) setText(spec.caption);
  if (blankEm_ > 0) connect(this, &QLineEdit::textChanged, this, [this] { widenBlanks(); });
  widenBlanks();
}

Text SingleLineEditBox::text() const { return fromQString(QLineEdit::text()); }

void SingleLineEditBox::setText(const Text& text) {
  QString t = toQtLines(text);
  const qsizetype cut = t.indexOf(QLatin1Char('\n'));
  if (cut >= 0) t.truncate(cut);
  QLineEdit::setText(t);
}

void SingleLineEditBox::keyPressEvent(QKeyEvent* event) {
  if (isEnter(*event)) {
    event->ignore();  // the window's
    return;
  }
  if (isPrintable(*event) && !acceptsTyped(event->text())) {
    event->accept();  // refused
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void SingleLineEditBox::inputMethodEvent(QInputMethodEvent* event) {
  // The line edit cuts a commit to the room left itself.
  passCommit(event, typedOnly(event->commitString()),
             [this](QInputMethodEvent* e) { QLineEdit::inputMethodEvent(e); });
}

void SingleLineEditBox::changeEvent(QEvent* event) {
  QLineEdit::changeEvent(event);
  if (event->type() == QEvent::FontChange) widenBlanks();
}

void SingleLineEditBox::focusInEvent(QFocusEvent* event) {
  focusGained();
  QLineEdit::focusInEvent(event);
}

void SingleLineEditBox::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  focusLost(*event, nullptr);
}

void SingleLineEditBox::widenBlanks() {
  const QString shown = QLineEdit::text();
  const auto ranges = blankFormats(shown, shown.contains(QLatin1Char(' ')) ? blankSpacing(font(), blankEm_) : 0);
  if (ranges.isEmpty() && !blanksWidened_) return;
  // A line edit takes formats for its text only from an input method
  // event; one without text changes nothing else. Its ranges count from
  // the cursor.
  QList<QInputMethodEvent::Attribute> attributes;
  for (const QTextLayout::FormatRange& r : ranges)
    attributes.append({QInputMethodEvent::TextFormat, r.start - cursorPosition(), r.length, r.format});
  QInputMethodEvent formats(QString(), attributes);
  QLineEdit::inputMethodEvent(&formats);
  blanksWidened_ = !ranges.isEmpty();
}

QWidget* makeEditBox(const ElementSpec& spec, QWidget* parent) {
  if (spec.style.multiLine) return new MultiLineEditBox(spec, parent);
  return new SingleLineEditBox(spec, parent);
}

}  // namespace gui
