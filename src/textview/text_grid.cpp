#include "textview/text_grid.h"

#include "textview/text_grid_model.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

TTextGrid::TTextGrid(TTextGridModel* model, QWidget* parent) : QTableView(parent), model_(model) {
  setModel(model);
}

std::optional<TTextGrid::CellRange> TTextGrid::VisibleCells(const QRect& area) const {
  const int rows = model_->rowCount();
  const int columns = model_->columnCount();
  // An area past the last row or column holds no cell; the background is already there.
  if (rows < 2 || columns < 2 || rowAt(area.top()) < 0 || columnAt(area.left()) < 0) {
    return std::nullopt;
  }
  return CellRange{std::max(1, rowAt(area.top())),
                   rowAt(area.bottom()) < 0 ? rows - 1 : rowAt(area.bottom()),
                   std::max(1, columnAt(area.left())),
                   columnAt(area.right()) < 0 ? columns - 1 : columnAt(area.right())};
}

void TTextGrid::DrawCell(PaintContext& context, int row, int column, int top, int height,
                         int baseline) {
  const QRect cell(columnViewportPosition(column), top, columnWidth(column), height);
  const bool selected = context.current.row() == row && context.current.column() == column;
  if (selected) context.painter.fillRect(cell.adjusted(0, 0, -1, -1), palette().highlight());
  context.painter.setPen(selected ? palette().color(QPalette::HighlightedText) : context.text);
  cellText_.Draw(context.painter, font(), cell.right() - 3, baseline,
                 model_->CellText(row, column));
}

void TTextGrid::DrawGridLines(PaintContext& context) const {
  const CellRange& cells = context.cells;
  const int right = columnViewportPosition(cells.lastColumn) + columnWidth(cells.lastColumn) - 1;
  const int bottom = rowViewportPosition(cells.lastRow) + rowHeight(cells.lastRow) - 1;
  context.painter.setPen(QColor::fromRgba(
      static_cast<QRgb>(style()->styleHint(QStyle::SH_Table_GridLineColor, nullptr, this))));
  for (int r = cells.firstRow; r <= cells.lastRow; ++r) {
    const int y = rowViewportPosition(r) + rowHeight(r) - 1;
    context.painter.drawLine(0, y, right, y);
  }
  for (int c = cells.firstColumn; c <= cells.lastColumn; ++c) {
    const int x = columnViewportPosition(c) + columnWidth(c) - 1;
    context.painter.drawLine(x, 0, x, bottom);
  }
}

void TTextGrid::paintEvent(QPaintEvent* event) {
  const std::optional<CellRange> cells = VisibleCells(event->rect());
  if (!cells) return;
  QPainter painter(viewport());
  PaintContext context{painter, *cells, fontMetrics(), palette().color(QPalette::Text),
                       currentIndex()};
  for (int r = cells->firstRow; r <= cells->lastRow; ++r) {
    const int top = rowViewportPosition(r);
    const int height = rowHeight(r);
    const int baseline = top + (height + context.metrics.ascent() - context.metrics.descent()) / 2;
    for (int c = cells->firstColumn; c <= cells->lastColumn; ++c) {
      DrawCell(context, r, c, top, height, baseline);
    }
  }
  DrawGridLines(context);
}
