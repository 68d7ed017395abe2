// Conversions at the edge between the framework's values and Qt's: GBK text
// to QString, COLORREF to QColor, Windows font faces to installed fonts, Qt
// keys to Windows virtual-key codes.
#pragma once

#include <QColor>
#include <QFont>
#include <QKeyEvent>
#include <QPalette>
#include <QString>

#include "platform/gui/colorref.h"
#include "platform/gui/layout.h"
#include "platform/text/text.h"

namespace gui {

QString toQString(const Text& gbk);
Text fromQString(const QString& text);
// GBK text with CR LF line breaks as a QString with "\n" ones, and back.
QString toQtLines(const Text& gbk);
Text fromQtLines(QString text);

// 0x00BBGGRR to an opaque QColor; the system default gives an invalid QColor.
QColor toQColor(COLORREF colour);
COLORREF toColorref(const QColor& colour);

// Sets one palette role of `widget` to `colour`, or back to the application
// palette's colour for the system default.
void setRoleColour(QWidget& widget, QPalette::ColorRole role, COLORREF colour);

// The installed family that stands in for a Windows face name.
QString fontFamilyForFace(const Text& face);
QFont toQFont(const FontSpec& font);

// Windows virtual-key code of a key event (0 when there is none).
int32_t virtualKeyCode(const QKeyEvent& event);
// Shift state as key-down handlers receive it: 1 Shift, 2 Ctrl, 4 Alt.
int32_t shiftState(Qt::KeyboardModifiers modifiers);

}  // namespace gui
