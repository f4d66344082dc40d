#include "tables/ui/definition_list_model.h"

#include "app/ui/controls.h"

TDefinitionListModel::TDefinitionListModel(DefinitionList& list, QObject* parent)
    : QAbstractTableModel(parent), list_(list) {}

void TDefinitionListModel::AppendWith(const std::function<void()>& append) {
  if (!list_.InUse()) {
    append();
    RowChanged(1);
    return;
  }
  const int row = list_.RowCount();
  beginInsertRows({}, row, row);
  append();
  endInsertRows();
}

void TDefinitionListModel::DeleteSelected() {
  const int row = list_.CurrentRow();
  if (list_.DataRowCount() < 2) {
    list_.DeleteSelected();
    RowChanged(1);
    return;
  }
  beginRemoveRows({}, row, row);
  // A view moves its current cell off the row as it goes, which moves the list's current
  // row with it: the row to delete is the one chosen before.
  list_.SetCurrentRow(row);
  list_.DeleteSelected();
  endRemoveRows();
}

void TDefinitionListModel::ResetWith(const std::function<void()>& change) {
  beginResetModel();
  change();
  endResetModel();
}

void TDefinitionListModel::SetField(int row, int column, std::string text) {
  list_.SetField(row, column, std::move(text));
  const QModelIndex cell = index(row, column);
  emit dataChanged(cell, cell);
}

void TDefinitionListModel::RowChanged(int row) {
  emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

int TDefinitionListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : list_.RowCount();
}

int TDefinitionListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : list_.ColumnCount();
}

QVariant TDefinitionListModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
  if (role == Qt::ToolTipRole) return FormatToolTip(index);
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  return FieldText(list_.Cell(index.row(), index.column()));
}

QVariant TDefinitionListModel::FormatToolTip(const QModelIndex& index) const {
  // What the row's texts cannot say, on the name of an ordinary definition that has any.
  if (list_.Kind() != ListKind::Ordinary || index.row() == 0 ||
      index.column() != TableDefinition::TableName) {
    return {};
  }
  const TEntryFormat format = list_.Format(index.row());
  QStringList lines;
  if (format.Float) lines << "Float entries, opened as their raw 32-bit patterns";
  if (format.Signed && !format.Float) lines << "Signed entries";
  if (format.Order == TByteOrder::LittleEndian) lines << "Little-endian entries";
  if (!format.Equation.empty()) lines << "Equation: " + FieldText(format.Equation);
  if (lines.isEmpty()) return {};
  return lines.join('\n');
}

bool TDefinitionListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  // The caption row is never a definition.
  if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid) ||
      index.row() == 0) {
    return false;
  }
  SetField(index.row(), index.column(),
           FieldBytes(value.toString(), list_.Cell(index.row(), index.column())));
  return true;
}

Qt::ItemFlags TDefinitionListModel::flags(const QModelIndex& index) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return Qt::NoItemFlags;
  if (index.row() == 0) return Qt::ItemIsEnabled;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QVariant TDefinitionListModel::headerData(int section, Qt::Orientation orientation,
                                          int role) const {
  // The view's own header shows the caption row, so it stays in place on scrolling.
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
      section >= columnCount()) {
    return {};
  }
  return Text(list_.Caption(section));
}
