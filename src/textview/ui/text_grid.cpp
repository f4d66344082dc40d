#include "textview/ui/text_grid.h"

#include "textview/ui/text_grid_model.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <memory>

namespace {

// The corner mark of a changed cell: a small triangle in its top-left corner.
constexpr int kMarkSize = 5;
const QColor kMarkColour(200, 0, 0);

// The mark of a cell that differs from the compared image: a blue triangle in its top-right
// corner, so it is told apart from a change since the load at a glance.
const QColor kComparedColour(0, 80, 220);

void DrawMark(QPainter& painter, QPoint corner) {
  const QPoint mark[] = {corner, corner + QPoint(kMarkSize, 0), corner + QPoint(0, kMarkSize)};
  painter.setPen(Qt::NoPen);
  painter.setBrush(kMarkColour);
  painter.drawPolygon(mark, 3);
  painter.setBrush(Qt::NoBrush);
}

// `corner` is the cell's top-right pixel.
void DrawComparedMark(QPainter& painter, QPoint corner) {
  const QPoint right = corner + QPoint(1, 0);
  const QPoint mark[] = {right, right - QPoint(kMarkSize, 0), right + QPoint(0, kMarkSize)};
  painter.setPen(Qt::NoPen);
  painter.setBrush(kComparedColour);
  painter.drawPolygon(mark, 3);
  painter.setBrush(Qt::NoBrush);
}

}  // namespace

TTextGrid::TTextGrid(TTextGridModel* model, QWidget* parent) : QTableView(parent), model_(model) {
  setModel(model);
}

QRect TTextGrid::SelectedBlock() const {
  QRect block;
  if (selectionModel() == nullptr) return block;
  for (const QItemSelectionRange& range : selectionModel()->selection()) {
    block |= QRect(QPoint(std::max(1, range.left()), std::max(1, range.top())),
                   QPoint(range.right(), range.bottom()));
  }
  return block;
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
  const QRect inside = cell.adjusted(0, 0, -1, -1);
  const bool selected = context.current.row() == row && context.current.column() == column;
  const auto at = static_cast<std::size_t>(column - context.cells.firstColumn);
  const bool changed = context.changed[at];
  const bool compared = context.compared[at];
  const int right = cell.right() - 3;
  QColor text = context.text;
  if (selected) {
    context.painter.fillRect(inside, palette().highlight());
    text = palette().color(QPalette::HighlightedText);
  } else if (context.values) {
    // Cells outside the image have no value and stay plain.
    if (const std::optional<std::int64_t> value = model_->RawValue(row, column)) {
      const TCellShade shade = HeatShade(*value, *context.values);
      const TCellLook look{
          model_->CellText(row, column),
          qRgb(shade.background.red, shade.background.green, shade.background.blue),
          qRgb(shade.text.red, shade.text.green, shade.text.blue),
          changed,
          inside.size(),
          context.painter.device()->devicePixelRatio(),
          compared};
      if (DrawPicturedCell(context, inside, look, right, baseline)) {
        // The block's tint over the finished picture: the shade still shows through.
        if (context.block.contains(column, row))
          context.painter.fillRect(inside, context.blockTint);
        return;
      }
      context.painter.fillRect(inside, QColor(look.background));
      text = QColor(look.foreground);
    }
  }
  if (changed) DrawMark(context.painter, inside.topLeft());
  if (compared) DrawComparedMark(context.painter, inside.topRight());
  if (!selected && context.block.contains(column, row)) {
    context.painter.fillRect(inside, context.blockTint);
  }
  context.painter.setPen(text);
  (changed ? changedText_ : cellText_)
      .Draw(context.painter, changed ? context.bold : context.plain, right, baseline,
            model_->CellText(row, column));
}

bool TTextGrid::DrawPicturedCell(PaintContext& context, const QRect& inside, const TCellLook& look,
                                 int right, int baseline) {
  if (const QImage* picture = pictures_.Find(look)) {
    context.painter.drawImage(inside.topLeft(), *picture);
    return true;
  }
  const QFontMetrics& metrics = context.metrics;
  if (inside.isEmpty() || baseline - metrics.ascent() < inside.top() ||
      baseline + metrics.descent() > inside.bottom() + 1) {
    return false;
  }
  // Drawn as it would be in place, moved by whole pixels, so the picture matches exactly.
  QImage picture(inside.size() * look.ratio, QImage::Format_RGB32);
  picture.setDevicePixelRatio(look.ratio);
  picture.fill(look.background);
  QPainter painter(&picture);
  painter.setFont(context.painter.font());
  if (look.changed) DrawMark(painter, QPoint(0, 0));
  if (look.compared) DrawComparedMark(painter, QPoint(inside.width() - 1, 0));
  painter.setPen(QColor(look.foreground));
  const qreal width = (look.changed ? changedText_ : cellText_)
                          .Draw(painter, look.changed ? context.bold : context.plain,
                                right - inside.left(), baseline - inside.top(), look.text);
  painter.end();
  if (width > right - inside.left()) return false;
  context.painter.drawImage(inside.topLeft(), picture);
  pictures_.Insert(look, std::move(picture));
  return true;
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
  QFont bold = font();
  bold.setBold(true);
  pictures_.UseFont(font());
  PaintContext context{painter,
                       *cells,
                       fontMetrics(),
                       font(),
                       bold,
                       palette().color(QPalette::Text),
                       currentIndex(),
                       model_->ValueRange(),
                       {},
                       {},
                       {},
                       {}};
  if (const QRect block = SelectedBlock(); block.width() * block.height() > 1) {
    context.block = block;
    QColor tint = palette().color(QPalette::Highlight);
    tint.setAlpha(90);
    context.blockTint = tint;
  }
  const auto columns = static_cast<std::size_t>(cells->lastColumn - cells->firstColumn + 1);
  const auto marks = std::make_unique<bool[]>(2 * columns);
  const std::span<bool> rowMarks(marks.get(), columns);
  const std::span<bool> comparedMarks(marks.get() + columns, columns);
  context.changed = rowMarks;
  context.compared = comparedMarks;
  for (int r = cells->firstRow; r <= cells->lastRow; ++r) {
    model_->ChangedMarks(r, cells->firstColumn, rowMarks);
    model_->ComparedMarks(r, cells->firstColumn, comparedMarks);
    const int top = rowViewportPosition(r);
    const int height = rowHeight(r);
    const int baseline = top + (height + context.metrics.ascent() - context.metrics.descent()) / 2;
    for (int c = cells->firstColumn; c <= cells->lastColumn; ++c) {
      DrawCell(context, r, c, top, height, baseline);
    }
  }
  DrawGridLines(context);
}
