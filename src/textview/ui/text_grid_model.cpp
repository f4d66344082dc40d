#include "textview/ui/text_grid_model.h"

#include "app/ui/controls.h"
#include "app/number_text.h"
#include "image/document_entries.h"
#include "image/image_document.h"
#include "image/rom_image.h"
#include "image/table_entry.h"

#include <algorithm>
#include <optional>
#include <span>

namespace {

int GridSide(std::int32_t count) { return std::clamp(count, 0, TTextGridModel::kMaxSide) + 1; }

}  // namespace

TTextGridModel::TTextGridModel(QObject* parent) : QAbstractTableModel(parent) {}

bool TTextGridModel::Refresh(const Layout& layout, const TTableCursor& cursor) {
  const bool sameShape = GridSide(layout.rows) == GridSide(layout_.rows) &&
                         GridSide(layout.columns) == GridSide(layout_.columns);
  if (!sameShape) beginResetModel();
  layout_ = layout;
  cursor_ = cursor;
  keptTexts_.clear();
  valueRange_.reset();
  if (!sameShape) {
    endResetModel();
    return true;
  }
  emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
  emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
  emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
  return false;
}

void TTextGridModel::RenderCell(std::int32_t row, std::int32_t column, EntryWidth width) {
  const int gridRow = row + 1;
  const int gridColumn = column + 1;
  if (row < 0 || column < 0 || gridRow >= rowCount() || gridColumn >= columnCount()) return;
  keptTexts_[{gridRow, gridColumn}] = EntryCellText(row, column, width, TableCursor);
  const QModelIndex cell = index(gridRow, gridColumn);
  emit dataChanged(cell, cell);
}

QString TTextGridModel::EntryCellText(std::int32_t row, std::int32_t column, EntryWidth width,
                                      const TTableCursor& cursor) const {
  const std::span<const std::uint8_t> image = ImageBytes(RomImage);
  const std::optional<std::size_t> position =
      EntryPositionInside(image, cursor, row, column, width.Bytes());
  if (!position) return {};
  return Text(EntryText(layout_.mode, ReadEntryAt(image, *position, width.Bytes()), width.Bytes()));
}

QString TTextGridModel::CellText(int gridRow, int gridColumn) const {
  if (gridRow == 0 && gridColumn == 0) return Text(HexText(layout_.tableAddress, 4));
  if (gridRow == 0) return Text(ColumnHeaderText(gridColumn - 1, layout_.width.Bytes()));
  if (gridColumn == 0) {
    return Text(
        RowHeaderText(layout_.tableAddress, gridRow - 1, layout_.columns, layout_.width.Bytes()));
  }
  if (const auto kept = keptTexts_.find({gridRow, gridColumn}); kept != keptTexts_.end()) {
    return kept->second;
  }
  return EntryCellText(gridRow - 1, gridColumn - 1, layout_.width, cursor_);
}

std::optional<std::uint32_t> TTextGridModel::RawValue(int gridRow, int gridColumn) const {
  if (gridRow < 1 || gridColumn < 1) return std::nullopt;
  const std::span<const std::uint8_t> image = ImageBytes(RomImage);
  const int width = layout_.width.Bytes();
  const std::optional<std::size_t> position =
      EntryPositionInside(image, cursor_, gridRow - 1, gridColumn - 1, width);
  if (!position) return std::nullopt;
  return ReadEntryAt(image, *position, width);
}

std::optional<TValueRange> TTextGridModel::ValueRange() const {
  if (!valueRange_) {
    TTableCursor table = cursor_;
    table.Rows = std::clamp(table.Rows, 0, kMaxSide);
    table.Columns = std::clamp(table.Columns, 0, kMaxSide);
    valueRange_ = TableValueRange(RomImage, table, layout_.width.Bytes());
  }
  return *valueRange_;
}

void TTextGridModel::NoteEntryStored(std::uint32_t oldValue, std::uint32_t newValue) {
  if (!valueRange_ || !*valueRange_) {
    valueRange_.reset();
    return;
  }
  TValueRange& range = **valueRange_;
  if (oldValue == range.min || oldValue == range.max) {
    valueRange_.reset();
    return;
  }
  range.min = std::min(range.min, newValue);
  range.max = std::max(range.max, newValue);
}

void TTextGridModel::ChangedMarks(int gridRow, int firstGridColumn, std::span<bool> marks) const {
  if (gridRow < 1 || firstGridColumn < 1) {
    std::fill(marks.begin(), marks.end(), false);
    return;
  }
  RowChanges(ImageDocument, cursor_, gridRow - 1, firstGridColumn - 1, layout_.width.Bytes(),
             marks);
}

int TTextGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : GridSide(layout_.rows);
}

int TTextGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : GridSide(layout_.columns);
}

QVariant TTextGridModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return CellText(index.row(), index.column());
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    default:
      return {};
  }
}

bool TTextGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  // Typing into a cell changes its text only; the entry is stored by the key handler.
  if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid) ||
      index.row() == 0 || index.column() == 0) {
    return false;
  }
  keptTexts_[{index.row(), index.column()}] = value.toString();
  emit dataChanged(index, index);
  return true;
}

Qt::ItemFlags TTextGridModel::flags(const QModelIndex& index) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return Qt::NoItemFlags;
  if (index.row() == 0 || index.column() == 0) return Qt::ItemIsEnabled;  // the headers
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QVariant TTextGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  // The views' own headers show the header row and column, so they stay in place on scrolling.
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignCenter);
  if (role != Qt::DisplayRole || section < 0) return {};
  if (orientation == Qt::Horizontal) {
    return section < columnCount() ? CellText(0, section) : QVariant();
  }
  return section < rowCount() ? CellText(section, 0) : QVariant();
}
