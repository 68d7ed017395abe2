// The drop-down palette of a colour picker: a borderless popup with the row
// "透明" (the system default colour, 0xFF000000), a grid of the 32 palette
// colours (18 x 18 cells, 7 a row, the names as tooltips) and the row
// "其它颜色..." that opens the colour dialog.
//
// A click on an entry, or Enter / Space on the highlighted one, chooses it:
// the popup closes and emits colourChosen. The arrow keys move the highlight
// (Left / Right one entry on, Up / Down one row, "透明" before the first cell
// and "其它颜色..." after the last). Esc, a click outside the popup, or a
// colour dialog that is cancelled close it and emit dismissed: the picker
// keeps its colour. Exactly one of the two signals follows each popupAt().
// The popup only hides itself; its owner decides when to delete it.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/gui/palette/palette_grid.h"

class ColorPalettePopup : public QWidget {
  Q_OBJECT

 public:
  // Runs a colour dialog that starts at `initial` and gives the colour
  // chosen, or nothing when cancelled.
  using ColourDialog = std::function<std::optional<uint32_t>(uint32_t initial, QWidget* parent)>;

  // Entries in highlight order: NoEntry, then DefaultEntry, the cells
  // FirstCell .. FirstCell + 31, then OtherEntry.
  static constexpr int NoEntry = palette::NoEntry;
  static constexpr int DefaultEntry = palette::DefaultEntry;
  static constexpr int FirstCell = palette::FirstCell;
  static constexpr int OtherEntry = palette::OtherEntry;

  static constexpr int CellSize = palette::CellSize;
  static constexpr int Columns = palette::Columns;
  static constexpr int Margin = 2;  // the system edge width

  explicit ColorPalettePopup(uint32_t currentColour, QWidget* parent = nullptr);

  // Shows the popup with its top left corner at the given screen point,
  // shifted as needed to lie wholly on the available area of that screen.
  void popupAt(const QPoint& globalTopLeft);

  // The dialog behind "其它颜色..."; Qt's standard colour dialog by default.
  void setColourDialog(ColourDialog dialog);

  int highlighted() const { return highlighted_; }
  // Where an entry lies, in the popup's own coordinates.
  QRect entryRect(int entry) const;

  QSize sizeHint() const override;

 signals:
  void colourChosen(uint32_t colorref);
  void dismissed();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  int entryAt(const QPoint& pos) const;
  int textRowHeight() const;
  int contentWidth() const;
  void setHighlighted(int entry);
  void choose(int entry);
  void finish(std::optional<uint32_t> colour);

  uint32_t currentColour_;
  int highlighted_ = NoEntry;
  bool finished_ = false;
  bool pressedInside_ = false;
  ColourDialog colourDialog_;
};
