#pragma once

#include "tables/definition_list.h"

#include <QAbstractTableModel>

#include <functional>

// A definition list as a grid of text cells for the table editor's views. Row 0 is the caption
// row, rows 1 … n the definitions; every text is read from the list when the view asks for it,
// so no object is made per cell whatever the list's length. Editing a cell in place stores the
// text into the field unchecked. Changes to the list go through this model so the views hear
// of them.
class TDefinitionListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  TDefinitionListModel(DefinitionList& list, QObject* parent);

  [[nodiscard]] DefinitionList& List() const { return list_; }

  // Runs a change that appends one definition: a new last row, or row 1 of the unused list.
  void AppendWith(const std::function<void()>& append);
  // Removes the definition in the list's current row.
  void DeleteSelected();
  // Runs a change of any size, such as a load or a clear.
  void ResetWith(const std::function<void()>& change);
  // Stores one field and tells the views.
  void SetField(int row, int column, std::string text);
  // Tells the views that fields of data row `row` changed.
  void RowChanged(int row);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  [[nodiscard]] QVariant FormatToolTip(const QModelIndex& index) const;
  DefinitionList& list_;
};
