#include "textview/ui/text_grid_model.h"

#include "app/number_text.h"
#include "app/session.h"
#include "app/ui/controls.h"
#include "image/document_entries.h"

#include <QStringList>

#include <algorithm>
#include <optional>
#include <span>

namespace {

int GridSide(std::int32_t count) { return std::clamp(count, 0, TTextGridModel::kMaxSide) + 1; }

}  // namespace

TTextGridModel::TTextGridModel(const TSession& session, QObject* parent)
    : QAbstractTableModel(parent), session_(session) {}

bool TTextGridModel::Refresh(const Layout& layout) {
  const bool sameShape = GridSide(layout.table.Rows) == GridSide(layout_.table.Rows) &&
                         GridSide(layout.table.Columns) == GridSide(layout_.table.Columns);
  if (!sameShape) beginResetModel();
  layout_ = layout;
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

void TTextGridModel::RenderCell(std::int32_t row, std::int32_t column, const TTableLayout& table) {
  const int gridRow = row + 1;
  const int gridColumn = column + 1;
  if (row < 0 || column < 0 || gridRow >= rowCount() || gridColumn >= columnCount()) return;
  keptTexts_[{gridRow, gridColumn}] = EntryCellText(row, column, table);
  const QModelIndex cell = index(gridRow, gridColumn);
  emit dataChanged(cell, cell);
}

QString TTextGridModel::EntryCellText(std::int32_t row, std::int32_t column,
                                      const TTableLayout& table) const {
  const std::optional<std::uint32_t> bits =
      table.ReadBits(session_.Document().Bytes(), row, column);
  if (!bits) return {};
  return Text(EntryText(layout_.mode, table.Type, *bits));
}

QString TTextGridModel::CellText(int gridRow, int gridColumn) const {
  if (gridRow == 0 && gridColumn == 0) return Text(HexText(layout_.tableAddress, 4));
  if (gridRow == 0) return Text(ColumnHeaderText(gridColumn - 1, layout_.table.Width()));
  if (gridColumn == 0) {
    return Text(RowHeaderText(layout_.tableAddress, gridRow - 1, layout_.table.Columns,
                              layout_.table.Width()));
  }
  if (const auto kept = keptTexts_.find({gridRow, gridColumn}); kept != keptTexts_.end()) {
    return kept->second;
  }
  return EntryCellText(gridRow - 1, gridColumn - 1, layout_.table);
}

std::optional<std::int64_t> TTextGridModel::RawValue(int gridRow, int gridColumn) const {
  if (gridRow < 1 || gridColumn < 1) return std::nullopt;
  return layout_.table.ReadValue(session_.Document().Bytes(), gridRow - 1, gridColumn - 1);
}

std::optional<TValueRange> TTextGridModel::ValueRange() const {
  if (!valueRange_) {
    TTableLayout table = layout_.table;
    table.Rows = std::clamp(table.Rows, 0, kMaxSide);
    table.Columns = std::clamp(table.Columns, 0, kMaxSide);
    valueRange_ = TableValueRange(session_.Image(), table);
  }
  return *valueRange_;
}

void TTextGridModel::NoteEntryStored(std::int64_t oldValue, std::int64_t newValue) {
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
  RowChanges(session_.Document(), layout_.table, gridRow - 1, firstGridColumn - 1, marks);
}

std::span<const std::uint8_t> TTextGridModel::ComparedBytes() const {
  const std::optional<TComparedImage>& compared = session_.Compared();
  if (!compared) return {};
  return compared->Bytes;
}

bool TTextGridModel::DiffersFromCompared(int gridRow, int gridColumn) const {
  if (gridRow < 1 || gridColumn < 1) return false;
  return EntryDiffers(session_.Document().Bytes(), ComparedBytes(), layout_.table, gridRow - 1,
                      gridColumn - 1);
}

void TTextGridModel::ComparedMarks(int gridRow, int firstGridColumn, std::span<bool> marks) const {
  if (!session_.Compared()) {
    std::fill(marks.begin(), marks.end(), false);
    return;
  }
  for (std::size_t i = 0; i < marks.size(); ++i) {
    marks[i] = DiffersFromCompared(gridRow, firstGridColumn + static_cast<int>(i));
  }
}

QString TTextGridModel::ToolTip(int gridRow, int gridColumn) const {
  if (gridRow < 1 || gridColumn < 1) return {};
  const TTableLayout& table = layout_.table;
  QStringList lines;
  if (table.ZScale != 1.0f || table.ZOffset != 0.0f || !table.ZLabelName.empty()) {
    if (const std::optional<std::int64_t> value = RawValue(gridRow, gridColumn)) {
      const double scaled = static_cast<double>(*value) * table.ZScale + table.ZOffset;
      QString line = "Scaled: " + Text(FloatText(scaled));
      if (!table.ZLabelName.empty()) line += " " + Text(table.ZLabelName);
      lines << line;
    }
  }
  if (DiffersFromCompared(gridRow, gridColumn)) {
    const std::optional<std::uint32_t> bits =
        table.ReadBits(ComparedBytes(), gridRow - 1, gridColumn - 1);
    // Scaled mode shows no raw value in its cells; the tooltip gives the raw decimal.
    const DisplayMode mode = layout_.mode == DisplayMode::Hex ? DisplayMode::Hex : DisplayMode::Raw;
    if (bits) lines << "Compared: " + Text(EntryText(mode, table.Type, *bits));
  }
  return lines.join('\n');
}

int TTextGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : GridSide(layout_.table.Rows);
}

int TTextGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : GridSide(layout_.table.Columns);
}

QVariant TTextGridModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return CellText(index.row(), index.column());
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::ToolTipRole: {
      const QString tip = ToolTip(index.row(), index.column());
      return tip.isEmpty() ? QVariant() : QVariant(tip);
    }
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
