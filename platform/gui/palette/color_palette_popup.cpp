#include "platform/gui/palette/color_palette_popup.h"

#include <QColorDialog>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QToolTip>
#include <algorithm>

#include "platform/gui/colorref.h"
#include "platform/gui/palette/palette_colours.h"

namespace {

const QString DefaultText = QString::fromUtf8("透明");
const QString OtherText = QString::fromUtf8("其它颜色...");

using palette::isCell;
using palette::LastCell;
using palette::Rows;
constexpr int TextPadding = 12;

QColor toQColor(COLORREF colorref) {
  return QColor(colorref & 0xFF, (colorref >> 8) & 0xFF, (colorref >> 16) & 0xFF);
}

COLORREF toColorref(const QColor& colour) {
  return RGB(static_cast<uint8_t>(colour.red()), static_cast<uint8_t>(colour.green()),
             static_cast<uint8_t>(colour.blue()));
}

std::optional<uint32_t> runStandardColourDialog(uint32_t initial, QWidget* parent) {
  QColor start = initial == SystemDefaultColour ? QColor(Qt::white) : toQColor(initial);
  QColor chosen = QColorDialog::getColor(start, parent, QString(), QColorDialog::DontUseNativeDialog);
  if (!chosen.isValid()) return std::nullopt;
  return toColorref(chosen);
}

}  // namespace

ColorPalettePopup::ColorPalettePopup(uint32_t currentColour, QWidget* parent)
    : QWidget(parent, Qt::Popup),
      currentColour_(currentColour),
      highlighted_(palette::entryOfColour(currentColour)),
      colourDialog_(runStandardColourDialog) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setFixedSize(sizeHint());
}

void ColorPalettePopup::setColourDialog(ColourDialog dialog) { colourDialog_ = std::move(dialog); }

int ColorPalettePopup::textRowHeight() const { return fontMetrics().height() + 6; }

int ColorPalettePopup::contentWidth() const {
  const QFontMetrics metrics = fontMetrics();
  return std::max({Columns * CellSize, metrics.horizontalAdvance(DefaultText) + TextPadding,
                   metrics.horizontalAdvance(OtherText) + TextPadding});
}

QSize ColorPalettePopup::sizeHint() const {
  return QSize(contentWidth() + 2 * Margin, 2 * Margin + 2 * textRowHeight() + Rows * CellSize);
}

QRect ColorPalettePopup::entryRect(int entry) const {
  const int row = textRowHeight();
  if (entry == DefaultEntry) return QRect(Margin, Margin, contentWidth(), row);
  if (entry == OtherEntry) return QRect(Margin, Margin + row + Rows * CellSize, contentWidth(), row);
  if (!isCell(entry)) return QRect();
  const int cell = entry - FirstCell;
  return QRect(Margin + (cell % Columns) * CellSize, Margin + row + (cell / Columns) * CellSize,
               CellSize, CellSize);
}

int ColorPalettePopup::entryAt(const QPoint& pos) const {
  for (int entry = DefaultEntry; entry <= OtherEntry; ++entry)
    if (entryRect(entry).contains(pos)) return entry;
  return NoEntry;
}

void ColorPalettePopup::popupAt(const QPoint& globalTopLeft) {
  finished_ = false;
  pressedInside_ = false;
  const QSize size = sizeHint();
  setFixedSize(size);
  QScreen* screen = QGuiApplication::screenAt(globalTopLeft);
  if (screen == nullptr) screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
  QPoint at = globalTopLeft;
  if (screen != nullptr) {
    const QRect area = screen->availableGeometry();
    at.setX(std::max(std::min(at.x(), area.right() + 1 - size.width()), area.left()));
    at.setY(std::max(std::min(at.y(), area.bottom() + 1 - size.height()), area.top()));
  }
  move(at);
  show();
  activateWindow();
  setFocus(Qt::PopupFocusReason);
}

void ColorPalettePopup::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPalette& colours = palette();
  painter.fillRect(rect(), colours.window());
  painter.setPen(colours.color(QPalette::Dark));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));

  for (int entry : {DefaultEntry, OtherEntry}) {
    const QRect box = entryRect(entry);
    const bool lit = entry == highlighted_;
    if (lit) painter.fillRect(box, colours.highlight());
    painter.setPen(colours.color(lit ? QPalette::HighlightedText : QPalette::WindowText));
    painter.drawText(box, Qt::AlignCenter, entry == DefaultEntry ? DefaultText : OtherText);
  }
  for (int entry = FirstCell; entry <= LastCell; ++entry) {
    const QRect box = entryRect(entry);
    const QRect swatch = box.adjusted(3, 3, -3, -3);
    painter.fillRect(swatch, toQColor(PaletteColours[entry - FirstCell].colorref));
    painter.setPen(colours.color(QPalette::Shadow));
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
    if (entry == highlighted_) {
      painter.setPen(QPen(colours.color(QPalette::Highlight), 2));
      painter.drawRect(box.adjusted(1, 1, -1, -1));
    }
  }
}

void ColorPalettePopup::setHighlighted(int entry) {
  if (entry == highlighted_) return;
  highlighted_ = entry;
  update();
}

void ColorPalettePopup::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Left:
      setHighlighted(palette::neighbour(highlighted_, palette::Arrow::Left));
      break;
    case Qt::Key_Right:
      setHighlighted(palette::neighbour(highlighted_, palette::Arrow::Right));
      break;
    case Qt::Key_Up:
      setHighlighted(palette::neighbour(highlighted_, palette::Arrow::Up));
      break;
    case Qt::Key_Down:
      setHighlighted(palette::neighbour(highlighted_, palette::Arrow::Down));
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      if (highlighted_ != NoEntry) choose(highlighted_);
      break;
    case Qt::Key_Escape:
      finish(std::nullopt);
      break;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  event->accept();
}

void ColorPalettePopup::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (!rect().contains(pos)) {
    finish(std::nullopt);
    return;
  }
  pressedInside_ = true;
  if (int entry = entryAt(pos); entry != NoEntry) setHighlighted(entry);
}

void ColorPalettePopup::mouseMoveEvent(QMouseEvent* event) {
  if (int entry = entryAt(event->position().toPoint()); entry != NoEntry) setHighlighted(entry);
}

void ColorPalettePopup::mouseReleaseEvent(QMouseEvent* event) {
  const bool wasPressed = pressedInside_;
  pressedInside_ = false;
  if (!wasPressed) return;
  if (int entry = entryAt(event->position().toPoint()); entry != NoEntry) choose(entry);
}

bool ColorPalettePopup::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QWidget::event(event);
  auto* help = static_cast<QHelpEvent*>(event);
  const int entry = entryAt(help->pos());
  if (isCell(entry)) {
    QToolTip::showText(help->globalPos(), QString::fromUtf8(PaletteColours[entry - FirstCell].name), this,
                       entryRect(entry));
  } else {
    QToolTip::hideText();
    event->ignore();
  }
  return true;
}

void ColorPalettePopup::choose(int entry) {
  if (entry == DefaultEntry) return finish(SystemDefaultColour);
  if (isCell(entry)) return finish(PaletteColours[entry - FirstCell].colorref);
  if (entry != OtherEntry || finished_) return;
  // The dialog is modal: the popup steps aside while it runs.
  finished_ = true;
  hide();
  QPointer<ColorPalettePopup> alive(this);
  std::optional<uint32_t> colour = colourDialog_ ? colourDialog_(currentColour_, parentWidget()) : std::nullopt;
  if (!alive) return;
  finished_ = false;
  finish(colour);
}

void ColorPalettePopup::finish(std::optional<uint32_t> colour) {
  if (finished_) return;
  finished_ = true;
  close();
  if (colour) {
    emit colourChosen(*colour);
  } else {
    emit dismissed();
  }
}

void ColorPalettePopup::closeEvent(QCloseEvent* event) {
  if (!finished_) {
    finished_ = true;
    emit dismissed();
  }
  QWidget::closeEvent(event);
}
