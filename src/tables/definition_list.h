#pragma once

// The two lists of table definitions the table editor keeps for the run: ordinary tables and
// bit-wise tables. Every field is held as the text the user sees; numbers are converted only
// where a field is used, so a field always reads back exactly what was written or typed.
// Beside its texts each row keeps its entries' sign and byte order, which no column holds.

#include "app/cursor_inputs.h"
#include "tables/typed_definition.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Which of the two lists: also the value of SelectedList, the list the user worked in last.
enum class ListKind : int { Ordinary = 0, BitWise = 1 };

// Columns of a row of the ordinary list.
struct TableDefinition {
  enum Column : int {
    TableName,
    TableAddr,
    Columns,
    Rows,
    EntrySize,
    XLabel,
    XScale,
    XOffset,
    YLabel,
    YScale,
    YOffset,
    ZLabel,
    ZScale,
    ZOffset,
    FxxxTable,
    FxxxDPs,
    ColumnCount
  };
  [[nodiscard]] static std::span<const std::string> Captions();
  [[nodiscard]] static std::span<const int> Widths();
};

// Columns of a row of the bit-wise list: name, address, byte count and one description per bit.
struct BitWiseDefinition {
  enum Column : int { TableName, TableAddr, Bytes, FirstBitDescription, ColumnCount = 35 };
  static constexpr int BitCount = 32;
  [[nodiscard]] static constexpr int BitColumn(int bit) { return FirstBitDescription + bit; }
  [[nodiscard]] static std::span<const std::string> Captions();
  [[nodiscard]] static std::span<const int> Widths();
};

// One list of definitions as the table editor's grids show it: a caption row 0 followed by the
// data rows 1 … n. There is always at least one data row; the empty list is one blank row with
// InUse false. Rows are numbered as the grid counts them, caption row included.
class DefinitionList {
 public:
  explicit DefinitionList(ListKind kind);

  [[nodiscard]] ListKind Kind() const { return kind_; }
  [[nodiscard]] int ColumnCount() const { return static_cast<int>(captions_.size()); }
  // Rows of the grid: the caption row plus the data rows, so the empty list has two.
  [[nodiscard]] int RowCount() const { return DataRowCount() + 1; }
  [[nodiscard]] int DataRowCount() const;
  [[nodiscard]] const std::string& Caption(int column) const;
  [[nodiscard]] int ColumnWidth(int column) const;

  // True when row 1 holds a definition.
  [[nodiscard]] bool InUse() const { return in_use_; }

  // The row selected in the grid, 1 … DataRowCount(); DeleteSelected acts on it. Setting a row
  // outside the data rows selects the nearest one.
  [[nodiscard]] int CurrentRow() const { return current_row_; }
  void SetCurrentRow(int row);

  // A grid cell: the caption for row 0, otherwise the field. Throws std::out_of_range outside
  // the grid.
  [[nodiscard]] const std::string& Cell(int row, int column) const;
  // A field of data row `row` (1 … DataRowCount()). Throws std::out_of_range outside the data.
  [[nodiscard]] const std::string& Field(int row, int column) const;
  // Stores the text unchecked, as typing it into the cell does; InUse does not change.
  void SetField(int row, int column, std::string text);
  // The fields of data row `row`, one per column. Throws std::out_of_range outside the data.
  [[nodiscard]] std::span<const std::string> Row(int row) const;

  // The entry format of data row `row`; unsigned big-endian unless set. Throws
  // std::out_of_range outside the data, as does setting it; InUse does not change.
  [[nodiscard]] TEntryFormat Format(int row) const;
  void SetFormat(int row, TEntryFormat format);

  // Back to the empty list: one blank row, InUse false, row 1 current.
  void Clear();
  // Adds a definition at the end, or into row 1 when the list is not in use. Missing trailing
  // fields are empty; more fields than columns throw std::invalid_argument. Returns the row used.
  int Append(std::vector<std::string> fields, TEntryFormat format = {});
  // Removes the definition in the current row; the only definition leaves the blank row.
  void DeleteSelected();

 private:
  [[nodiscard]] std::size_t RowIndex(int row) const;
  [[nodiscard]] std::size_t Index(int row, int column) const;

  ListKind kind_;
  std::span<const std::string> captions_;
  std::span<const int> widths_;
  std::vector<std::string> fields_;    // data rows one after another, ColumnCount() per row
  std::vector<TEntryFormat> formats_;  // one per data row
  bool in_use_ = false;
  int current_row_ = 1;
};

// The two lists and the one the user worked in last.
struct TableDefinitions {
  DefinitionList Ordinary{ListKind::Ordinary};
  DefinitionList BitWise{ListKind::BitWise};
  ListKind SelectedList = ListKind::Ordinary;

  [[nodiscard]] DefinitionList& List(ListKind kind) {
    return kind == ListKind::Ordinary ? Ordinary : BitWise;
  }
  [[nodiscard]] const DefinitionList& List(ListKind kind) const {
    return kind == ListKind::Ordinary ? Ordinary : BitWise;
  }
};

// An ordinary definition with the given address, columns, rows and entry width texts and the
// default axis names, scales, offsets and Fxxx fields.
[[nodiscard]] std::vector<std::string> NewTableDefinition(std::string tableAddress,
                                                          std::string columns, std::string rows,
                                                          int entryWidth);
// A one-byte bit-wise definition at the address: descriptions for bits 0 … 7, the rest empty.
[[nodiscard]] std::vector<std::string> NewBitWiseDefinition(std::string tableAddress);

struct AddedDefinition {
  ListKind List;
  int Row;
};

// Appends a definition built from the inputs to the list they choose (bit-wise when MultiBit
// is set), with the inputs' entry sign and byte order as its format. Selection and
// SelectedList stay as they are.
AddedDefinition AddDefinitionFromInputs(TableDefinitions& lists, const CursorInputs& inputs);
