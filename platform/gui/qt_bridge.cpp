#include "platform/gui/qt_bridge.h"

#include <QApplication>
#include <QWidget>

#include "platform/text/codepage.h"
#include "platform/text/gbk.h"

namespace gui {

QString toQString(const Text& gbk) {
  std::u16string wide = multiByteToUtf16(gbk, CP_GBK);
  return QString::fromStdU16String(wide);
}

Text fromQString(const QString& text) {
  return utf16ToMultiByte(text.toStdU16String(), CP_GBK);
}

QString toQtLines(const Text& gbk) {
  QString t = toQString(gbk);
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return t;
}

Text fromQtLines(QString text) {
  text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return fromQString(text);
}

QColor toQColor(COLORREF colour) {
  if (colour & 0xFF000000u) return QColor();
  return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

COLORREF toColorref(const QColor& colour) {
  if (!colour.isValid()) return SystemDefaultColour;
  return RGB(static_cast<uint8_t>(colour.red()), static_cast<uint8_t>(colour.green()),
             static_cast<uint8_t>(colour.blue()));
}

QPalette ownPalette(const QWidget& widget) {
  QPalette palette = QApplication::palette(&widget);
  palette.setResolveMask(~QPalette::ResolveMask(0));
  return palette;
}

void setRoleColour(QPalette& palette, QPalette::ColorRole role, COLORREF colour, const QWidget& widget) {
  QColor c = toQColor(colour);
  if (!c.isValid()) c = QApplication::palette(&widget).color(role);
  palette.setColor(role, c);
}

QString fontFamilyForFace(const Text& face) {
  static const Text yaHei = "微软雅黑"_gbk, kaiTi = "楷体"_gbk, songTi = "宋体"_gbk;
  if (face.empty() || face == yaHei) return QStringLiteral("Noto Sans CJK SC");
  if (face == kaiTi) return QStringLiteral("AR PL UKai CN");
  if (face == songTi) return QStringLiteral("AR PL UMing CN");
  return toQString(face);
}

QFont toQFont(const FontSpec& spec) {
  QFont font(fontFamilyForFace(spec.face));
  if (spec.height > 0) font.setPixelSize(spec.height);
  font.setBold(spec.bold);
  return font;
}

int32_t virtualKeyCode(const QKeyEvent& event) {
  const int key = event.key();
  const bool keypad = event.modifiers() & Qt::KeypadModifier;
  if (key >= Qt::Key_0 && key <= Qt::Key_9)
    return (keypad ? 0x60 : 0x30) + (key - Qt::Key_0);
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return 0x41 + (key - Qt::Key_A);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 0x70 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Tab: case Qt::Key_Backtab: return 0x09;
    case Qt::Key_Clear: return 0x0C;
    case Qt::Key_Return: case Qt::Key_Enter: return 0x0D;
    case Qt::Key_Shift: return 0x10;
    case Qt::Key_Control: return 0x11;
    case Qt::Key_Alt: return 0x12;
    case Qt::Key_Pause: return 0x13;
    case Qt::Key_CapsLock: return 0x14;
    case Qt::Key_Escape: return 0x1B;
    case Qt::Key_Space: return 0x20;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_End: return 0x23;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Print: return 0x2C;
    case Qt::Key_Insert: return 0x2D;
    case Qt::Key_Delete: return 0x2E;
    case Qt::Key_Asterisk: return keypad ? 0x6A : 0x38;
    case Qt::Key_Plus: return keypad ? 0x6B : 0xBB;
    case Qt::Key_Minus: case Qt::Key_Underscore: return keypad ? 0x6D : 0xBD;
    case Qt::Key_Period: case Qt::Key_Greater: return keypad ? 0x6E : 0xBE;
    case Qt::Key_Slash: case Qt::Key_Question: return keypad ? 0x6F : 0xBF;
    case Qt::Key_NumLock: return 0x90;
    case Qt::Key_ScrollLock: return 0x91;
    case Qt::Key_Semicolon: case Qt::Key_Colon: return 0xBA;
    case Qt::Key_Equal: return 0xBB;
    case Qt::Key_Comma: case Qt::Key_Less: return 0xBC;
    case Qt::Key_QuoteLeft: case Qt::Key_AsciiTilde: return 0xC0;
    case Qt::Key_BracketLeft: case Qt::Key_BraceLeft: return 0xDB;
    case Qt::Key_Backslash: case Qt::Key_Bar: return 0xDC;
    case Qt::Key_BracketRight: case Qt::Key_BraceRight: return 0xDD;
    case Qt::Key_Apostrophe: case Qt::Key_QuoteDbl: return 0xDE;
    default: return 0;
  }
}

int32_t shiftState(Qt::KeyboardModifiers modifiers) {
  int32_t state = 0;
  if (modifiers & Qt::ShiftModifier) state |= 1;
  if (modifiers & Qt::ControlModifier) state |= 2;
  if (modifiers & Qt::AltModifier) state |= 4;
  return state;
}

}  // namespace gui
