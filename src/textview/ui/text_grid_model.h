#pragma once

#include "app/shared_state.h"
#include "image/entry_width.h"
#include "textview/entry_text.h"
#include "textview/heat_shade.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <utility>

// The text view's grid as a model of text cells. Row 0 holds the column headers, column 0
// the row headers, (0, 0) the table address. No text is stored per cell: each is made when
// the view asks for it, from the image and the cursor as they were at the last refresh, so a
// refresh costs the same for any table size. Only texts typed in place and cells rendered
// again after an edit are kept, until the next refresh.
class TTextGridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // What a refresh shows.
  struct Layout {
    std::int32_t rows = 16;
    std::int32_t columns = 16;
    std::int32_t tableAddress = 0;  // as typed in the main window, for the headers
    EntryWidth width;
    DisplayMode mode = DisplayMode::Raw;
  };

  // The grid's side is held to this many table rows or columns, whatever was typed.
  static constexpr std::int32_t kMaxSide = 65535;

  explicit TTextGridModel(QObject* parent);

  // Takes a refresh's layout and the cursor to read entries through; every text is made anew.
  // Returns whether the grid changed shape (a model reset).
  bool Refresh(const Layout& layout, const TTableCursor& cursor);

  // Renders the cell of table entry (row, column) again, from the current image and cursor.
  void RenderCell(std::int32_t row, std::int32_t column, EntryWidth width);

  [[nodiscard]] const Layout& layout() const { return layout_; }
  [[nodiscard]] QString CellText(int gridRow, int gridColumn) const;

  // The raw value of a normal cell's entry, or nothing for a header or an entry outside the
  // image: what its shade follows.
  [[nodiscard]] std::optional<std::uint32_t> RawValue(int gridRow, int gridColumn) const;
  // The smallest and largest raw value of the table's entries inside the image, worked out
  // once after each refresh or edit; nothing when no entry lies inside the image.
  [[nodiscard]] std::optional<TValueRange> ValueRange() const;
  // One entry went from `oldValue` to `newValue`: the range is widened when it can be, and
  // worked out again only when the old value was the smallest or largest.
  void NoteEntryStored(std::uint32_t oldValue, std::uint32_t newValue);
  // Whether the entries of grid row `gridRow` from `firstGridColumn` on differ from the
  // image's baseline, one mark per entry.
  void ChangedMarks(int gridRow, int firstGridColumn, std::span<bool> marks) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  [[nodiscard]] QString EntryCellText(std::int32_t row, std::int32_t column, EntryWidth width,
                                      const TTableCursor& cursor) const;

  Layout layout_;
  TTableCursor cursor_;
  std::map<std::pair<int, int>, QString> keptTexts_;
  // The value range of the last refresh or edit; empty until a paint asks for it.
  mutable std::optional<std::optional<TValueRange>> valueRange_;
};
