// The Qt widgets behind the control kinds whose behaviour differs from the
// stock Qt widget: the window, the check and radio box, the colour picker
// (the edit boxes are in edit_boxes.h).
#pragma once

#include <QCheckBox>
#include <QPoint>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

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
