#pragma once

#include "image/table_layout.h"
#include "textview/entry_text.h"
#include "textview/heat_shade.h"

#include <QAbstractTableModel>

class TSession;

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <utility>

// The text view's grid as a model of text cells. Row 0 holds the column headers, column 0
// the row headers, (0, 0) the table address. No text is stored per cell: each is made when
// the view asks for it, from the session's image and the table of the last refresh, so a
// refresh costs the same for any table size. Only texts typed in place and cells rendered
// again after an edit are kept, until the next refresh.
class TTextGridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // What a refresh shows.
  struct Layout {
    TTableLayout table;             // the entries the cells show
    std::int32_t tableAddress = 0;  // as typed in the main window, for the headers
    DisplayMode mode = DisplayMode::Raw;
  };

  // The grid's side is held to this many table rows or columns, whatever was typed.
  static constexpr std::int32_t kMaxSide = 65535;

  TTextGridModel(const TSession& session, QObject* parent);

  // Takes a refresh's layout; every text is made anew. Returns whether the grid changed shape
  // (a model reset).
  bool Refresh(const Layout& layout);

  // Renders the cell of table entry (row, column) again, from the image as `table` reads it.
  void RenderCell(std::int32_t row, std::int32_t column, const TTableLayout& table);

  [[nodiscard]] const Layout& layout() const { return layout_; }
  [[nodiscard]] QString CellText(int gridRow, int gridColumn) const;

  // The raw value of a normal cell's entry, or nothing for a header or an entry outside the
  // image: what its shade follows.
  [[nodiscard]] std::optional<std::int64_t> RawValue(int gridRow, int gridColumn) const;
  // The smallest and largest raw value of the table's entries inside the image, worked out
  // once after each refresh or edit; nothing when no entry lies inside the image.
  [[nodiscard]] std::optional<TValueRange> ValueRange() const;
  // One entry went from `oldValue` to `newValue`: the range is widened when it can be, and
  // worked out again only when the old value was the smallest or largest.
  void NoteEntryStored(std::int64_t oldValue, std::int64_t newValue);
  // The image changed in ways no single entry tells: the range is worked out again.
  void ForgetValueRange() { valueRange_.reset(); }
  // Whether the entries of grid row `gridRow` from `firstGridColumn` on differ from the
  // image's baseline, one mark per entry.
  void ChangedMarks(int gridRow, int firstGridColumn, std::span<bool> marks) const;
  // Whether they differ from the compared image; all false while nothing is compared.
  void ComparedMarks(int gridRow, int firstGridColumn, std::span<bool> marks) const;
  // Whether the entry of a normal cell differs from the compared image.
  [[nodiscard]] bool DiffersFromCompared(int gridRow, int gridColumn) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  [[nodiscard]] QString EntryCellText(std::int32_t row, std::int32_t column,
                                      const TTableLayout& table) const;
  // A normal cell's tooltip: its value scaled by the table's Z scale and offset when the
  // table has them, and the compared image's entry where it differs.
  [[nodiscard]] QString ToolTip(int gridRow, int gridColumn) const;
  [[nodiscard]] std::span<const std::uint8_t> ComparedBytes() const;

  const TSession& session_;
  Layout layout_;
  std::map<std::pair<int, int>, QString> keptTexts_;
  // The value range of the last refresh or edit; empty until a paint asks for it.
  mutable std::optional<std::optional<TValueRange>> valueRange_;
};
