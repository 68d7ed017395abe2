#include "platform/gui/widgets.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>

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
