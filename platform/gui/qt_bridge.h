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

// The application's palette for `widget` with every role marked as the
// widget's own. Qt passes a palette role on from a parent to every child that
// has not set that role itself; a widget given this palette takes nothing
// from its parent, so a colour set on a control reaches that control's own
// drawing only (its inner parts, such as an edit box's viewport, included).
QPalette ownPalette(const QWidget& widget);

// Sets one role of `palette` to `colour`; the system default is the role's
// colour in the application palette for `widget`.
void setRoleColour(QPalette& palette, QPalette::ColorRole role, COLORREF colour, const QWidget& widget);

// The installed family that stands in for a Windows face name.
QString fontFamilyForFace(const Text& face);
QFont toQFont(const FontSpec& font);

// Windows virtual-key code of a key event (0 when there is none).
int32_t virtualKeyCode(const QKeyEvent& event);
// Shift state as key-down handlers receive it: 1 Shift, 2 Ctrl, 4 Alt.
int32_t shiftState(Qt::KeyboardModifiers modifiers);

}  // namespace gui
