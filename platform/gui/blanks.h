// Blanks as wide as the Windows faces draw them.
//
// The installed fonts that stand in for the Windows faces draw the ASCII
// blank at another width than the originals: Noto Sans CJK SC gives it about
// 0.22 em where Microsoft YaHei gives it 0.3 em. Layouts put edit boxes over
// runs of blanks in a caption, so the framework draws every blank as wide as
// the original face does at the same pixel height, rounded to whole pixels as
// GDI lays text out, and leaves every other character and all geometry alone.
#pragma once

#include <QList>
#include <QProxyStyle>
#include <QSyntaxHighlighter>
#include <QTextLayout>

#include "platform/text/text.h"

class QWidget;

namespace gui {

// Width of the ASCII blank of a Windows face, in em (of the character
// height). SimSun (宋体) and KaiTi (楷体) are monospaced GB2312 faces whose
// half-width characters, the blank among them, are half an em. Microsoft
// YaHei (微软雅黑) gives its blank 0.3 em. The default face (empty name) is
// the one the Windows font mapper picks for the GB2312 character set,
// SimSun. Unknown faces keep the blank of the installed font (0).
double originalBlankEm(const Text& face);

// Records that `widget` shows its text in the Windows face `face`: the
// captions it draws get that face's blank width (see BlankWidthStyle).
void setOriginalFace(QWidget& widget, const Text& face);

// What each blank of `font` needs added to its advance (pixels, may be
// negative) to be `em` of the font's pixel height in whole pixels; 0 when
// `em` is 0.
qreal blankSpacing(const QFont& font, double em);

// Format ranges that widen every run of blanks of `text` by `spacing` each.
QList<QTextLayout::FormatRange> blankFormats(const QString& text, qreal spacing);

// The application's style, except that item texts (the captions of labels,
// check and radio boxes, group boxes and buttons) of a widget marked with
// setOriginalFace are drawn with that face's blank width.
class BlankWidthStyle : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;
  void drawItemText(QPainter* painter, const QRect& rect, int flags, const QPalette& palette,
                    bool enabled, const QString& text,
                    QPalette::ColorRole textRole = QPalette::NoRole) const override;
};

// Makes BlankWidthStyle the application's style, once.
void installBlankWidthStyle();

// Widens the blanks of a text document (an edit box's) to `em` of its
// default font's pixel height. Call rehighlight() when that font changes.
class BlankWidthHighlighter : public QSyntaxHighlighter {
 public:
  BlankWidthHighlighter(QTextDocument* document, double em);

 protected:
  void highlightBlock(const QString& text) override;

 private:
  double em_;
};

}  // namespace gui
