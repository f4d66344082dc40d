#pragma once

#include "textview/heat_shade.h"
#include "textview/ui/cell_pictures.h"
#include "textview/ui/cell_text_painter.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QModelIndex>
#include <QRect>
#include <QTableView>

#include <optional>
#include <span>

class QPainter;
class TTextGridModel;

// The text view's grid: cells are plain right-aligned number texts, painted in one pass over
// the visible cells straight from the model's texts, without the per-cell item machinery, so
// a full grid paints quickly at any table size.
class TTextGrid : public QTableView {
 public:
  TTextGrid(TTextGridModel* model, QWidget* parent);

 public:
  // The selected rectangle of normal cells in grid rows and columns (one cell when nothing
  // more is selected); empty without a selection.
  [[nodiscard]] QRect SelectedBlock() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // The grid rows and columns of normal cells an area of the viewport shows.
  struct CellRange {
    int firstRow;
    int lastRow;
    int firstColumn;
    int lastColumn;
  };

  // What every cell of one paint shares.
  struct PaintContext {
    QPainter& painter;
    CellRange cells;
    QFontMetrics metrics;
    QFont plain;
    QFont bold;  // for cells that differ from the saved bytes
    QColor text;
    QModelIndex current;
    std::optional<TValueRange> values;  // the table's value range, for the shades
    std::span<const bool> changed;      // the current row's marks, from cells.firstColumn on
    std::span<const bool> compared;     // the same for differences from the compared image
    QRect block;  // the selected block of more than one cell, in grid rows and columns
    QColor blockTint;
  };

  // Nothing when the area holds no normal cell.
  [[nodiscard]] std::optional<CellRange> VisibleCells(const QRect& area) const;
  // One cell's background and text: the one place that decides how a cell looks.
  void DrawCell(PaintContext& context, int row, int column, int top, int height, int baseline);
  // A shaded cell from its finished picture, drawn on first use. False, with nothing drawn,
  // when its text does not fit inside it: such a cell is drawn directly.
  bool DrawPicturedCell(PaintContext& context, const QRect& inside, const TCellLook& look,
                        int right, int baseline);
  // The lines along each visible cell's right and bottom edge.
  void DrawGridLines(PaintContext& context) const;

  TTextGridModel* model_;
  TCellTextPainter cellText_;
  TCellTextPainter changedText_;  // bold, for cells that differ from the saved bytes
  TCellPictures pictures_;
};
