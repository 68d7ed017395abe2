#include "platform/gui/blanks.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QStyleFactory>
#include <QTextDocument>
#include <QWidget>

#include <cmath>

#include "platform/text/gbk.h"

namespace gui {

namespace {

// The dynamic property that carries a widget's blank width (em).
constexpr const char* BlankEmProperty = "kestruneBlankEm";

// Lays `text` out as QPainter::drawText(rect, flags, text) does (lines,
// their spacing, alignment, clipping), with the blank ranges widened.
void drawTextWithBlanks(QPainter& painter, const QRect& r, int flags, QString text, qreal spacing) {
  text.replace(QLatin1Char('\n'), QChar::LineSeparator);
  const QFont font = painter.font();
  QTextLayout layout(text, font, painter.device());
  layout.setFormats(blankFormats(text, spacing));
  const qreal lineWidth = (flags & Qt::TextWordWrap) ? std::max<qreal>(0, r.width()) : 0x01000000;
  const qreal leading = QFontMetricsF(font, painter.device()).leading();
  qreal height = -leading;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(lineWidth);
    height = std::ceil(height + leading);  // lines start on whole pixels
    line.setPosition(QPointF(0, height));
    height += line.ascent() + line.descent();
    if (!(flags & Qt::TextDontClip) && height >= r.height()) break;  // the rest is clipped away
  }
  layout.endLayout();
  qreal top = 0;
  if (flags & Qt::AlignBottom) top = r.height() - height;
  else if (flags & Qt::AlignVCenter) top = (r.height() - height) / 2;
  painter.save();
  if (!(flags & Qt::TextDontClip)) painter.setClipRect(r, Qt::IntersectClip);
  for (int i = 0; i < layout.lineCount(); ++i) {
    const QTextLine line = layout.lineAt(i);
    qreal left = 0;
    if (flags & Qt::AlignRight) left = r.width() - line.horizontalAdvance();
    else if (flags & Qt::AlignHCenter) left = (r.width() - line.horizontalAdvance()) / 2;
    line.draw(&painter, QPointF(r.x() + left, r.y() + top));
  }
  painter.restore();
}

}  // namespace

double originalBlankEm(const Text& face) {
  static const Text yaHei = "微软雅黑"_gbk, kaiTi = "楷体"_gbk, songTi = "宋体"_gbk;
  // Microsoft YaHei gives its blank 0.3 em (the Windows font is not at hand
  // here to read the exact advance from its metrics). In whole pixels that
  // is 6 at both 20 and 21 pixels, the heights of the main window's headline
  // options; their edit boxes then start 5 pixels after the text before the
  // blanks and end 5 and 7 pixels before the text after them, a fit that
  // says the layout was drawn for that width.
  if (face == yaHei) return 0.3;
  if (face.empty() || face == kaiTi || face == songTi) return 0.5;
  return 0;
}

void setOriginalFace(QWidget& widget, const Text& face) {
  widget.setProperty(BlankEmProperty, originalBlankEm(face));
}

qreal blankSpacing(const QFont& font, double em) {
  if (em <= 0) return 0;
  const int pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
  const qreal wanted = static_cast<qreal>(std::lround(em * pixels));
  return wanted - QFontMetricsF(font).horizontalAdvance(QLatin1Char(' '));
}

QList<QTextLayout::FormatRange> blankFormats(const QString& text, qreal spacing) {
  QList<QTextLayout::FormatRange> ranges;
  if (spacing == 0) return ranges;
  QTextCharFormat wider;
  wider.setFontLetterSpacingType(QFont::AbsoluteSpacing);
  wider.setFontLetterSpacing(spacing);
  for (qsizetype i = 0; i < text.size();) {
    if (text.at(i) != QLatin1Char(' ')) {
      ++i;
      continue;
    }
    qsizetype end = i;
    while (end < text.size() && text.at(end) == QLatin1Char(' ')) ++end;
    ranges.append({static_cast<int>(i), static_cast<int>(end - i), wider});
    i = end;
  }
  return ranges;
}

void BlankWidthStyle::drawItemText(QPainter* painter, const QRect& rect, int flags,
                                   const QPalette& palette, bool enabled, const QString& text,
                                   QPalette::ColorRole textRole) const {
  qreal spacing = 0;
  // Texts without blanks, and mnemonic ampersands, are the base style's.
  if (text.contains(QLatin1Char(' ')) &&
      !((flags & Qt::TextShowMnemonic) && text.contains(QLatin1Char('&')))) {
    if (const auto* widget = dynamic_cast<const QWidget*>(painter->device()))
      spacing = blankSpacing(painter->font(), widget->property(BlankEmProperty).toDouble());
  }
  if (spacing == 0) {
    QProxyStyle::drawItemText(painter, rect, flags, palette, enabled, text, textRole);
    return;
  }
  painter->save();
  if (textRole != QPalette::NoRole) painter->setPen(QPen(palette.brush(textRole), painter->pen().widthF()));
  drawTextWithBlanks(*painter, rect, flags, text, spacing);
  painter->restore();
}

void installBlankWidthStyle() {
  QStyle* current = QApplication::style();
  if (dynamic_cast<BlankWidthStyle*>(current)) return;
  QApplication::setStyle(new BlankWidthStyle(QStyleFactory::create(current->name())));
}

BlankWidthHighlighter::BlankWidthHighlighter(QTextDocument* document, double em)
    : QSyntaxHighlighter(document), em_(em) {}

void BlankWidthHighlighter::highlightBlock(const QString& text) {
  if (!text.contains(QLatin1Char(' '))) return;
  const qreal spacing = blankSpacing(document()->defaultFont(), em_);
  for (const QTextLayout::FormatRange& range : blankFormats(text, spacing))
    setFormat(range.start, range.length, range.format);
}

}  // namespace gui
