#include "tables/definition_list.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <stdexcept>
#include <utility>

namespace {

constexpr int kNameWidth = 300;
constexpr int kAddressWidth = 72;
constexpr int kNumberWidth = 60;

std::string BitDescription(int bit) { return "Bit " + std::to_string(bit) + " Description"; }

}  // namespace

std::span<const std::string> TableDefinition::Captions() {
  static const std::array<std::string, ColumnCount> captions = {
      "Table Name", "Table Addr", "Columns",    "Rows",    "Entry Size", "X Label",
      "X Scale",    "X Offset",   "Y Label",    "Y Scale", "Y Offset",   "Z Label",
      "Z Scale",    "Z Offset",   "Fxxx Table", "Fxxx DPs"};
  return captions;
}

std::span<const int> TableDefinition::Widths() {
  static constexpr std::array<int, ColumnCount> widths = {
      kNameWidth,   kAddressWidth, kNumberWidth, kNumberWidth, kNumberWidth, kNameWidth,
      kNumberWidth, kNumberWidth,  kNameWidth,   kNumberWidth, kNumberWidth, kNameWidth,
      kNumberWidth, kNumberWidth,  kNumberWidth, kNumberWidth};
  return widths;
}

std::span<const std::string> BitWiseDefinition::Captions() {
  static const std::array<std::string, ColumnCount> captions = [] {
    std::array<std::string, ColumnCount> texts = {"Table Name", "Table Addr", "Bytes"};
    for (int bit = 0; bit < BitCount; ++bit) texts[BitColumn(bit)] = BitDescription(bit);
    return texts;
  }();
  return captions;
}

std::span<const int> BitWiseDefinition::Widths() {
  static constexpr std::array<int, ColumnCount> widths = [] {
    std::array<int, ColumnCount> pixels{};
    pixels.fill(kNameWidth);
    pixels[TableAddr] = kAddressWidth;
    pixels[Bytes] = kNumberWidth;
    return pixels;
  }();
  return widths;
}

DefinitionList::DefinitionList(ListKind kind)
    : kind_(kind),
      captions_(kind == ListKind::Ordinary ? TableDefinition::Captions()
                                           : BitWiseDefinition::Captions()),
      widths_(kind == ListKind::Ordinary ? TableDefinition::Widths() : BitWiseDefinition::Widths()),
      fields_(captions_.size()),
      formats_(1) {}

int DefinitionList::DataRowCount() const {
  return static_cast<int>(fields_.size() / captions_.size());
}

const std::string& DefinitionList::Caption(int column) const {
  if (column < 0 || column >= ColumnCount()) throw std::out_of_range("no such column");
  return captions_[static_cast<std::size_t>(column)];
}

int DefinitionList::ColumnWidth(int column) const {
  if (column < 0 || column >= ColumnCount()) throw std::out_of_range("no such column");
  return widths_[static_cast<std::size_t>(column)];
}

void DefinitionList::SetCurrentRow(int row) { current_row_ = std::clamp(row, 1, DataRowCount()); }

std::size_t DefinitionList::RowIndex(int row) const {
  if (row < 1 || row > DataRowCount()) throw std::out_of_range("no such definition row");
  return static_cast<std::size_t>(row - 1);
}

std::size_t DefinitionList::Index(int row, int column) const {
  if (row < 1 || row > DataRowCount() || column < 0 || column >= ColumnCount()) {
    throw std::out_of_range("no such definition field");
  }
  return static_cast<std::size_t>(row - 1) * captions_.size() + static_cast<std::size_t>(column);
}

const std::string& DefinitionList::Cell(int row, int column) const {
  return row == 0 ? Caption(column) : Field(row, column);
}

const std::string& DefinitionList::Field(int row, int column) const {
  return fields_[Index(row, column)];
}

void DefinitionList::SetField(int row, int column, std::string text) {
  fields_[Index(row, column)] = std::move(text);
}

std::span<const std::string> DefinitionList::Row(int row) const {
  return std::span(fields_).subspan(Index(row, 0), captions_.size());
}

TEntryFormat DefinitionList::Format(int row) const { return formats_[RowIndex(row)]; }

void DefinitionList::SetFormat(int row, TEntryFormat format) { formats_[RowIndex(row)] = format; }

void DefinitionList::Clear() {
  fields_.assign(captions_.size(), std::string());
  formats_.assign(1, TEntryFormat{});
  in_use_ = false;
  current_row_ = 1;
}

int DefinitionList::Append(std::vector<std::string> fields, TEntryFormat format) {
  if (fields.size() > captions_.size()) throw std::invalid_argument("too many definition fields");
  fields.resize(captions_.size());
  if (in_use_) {
    fields_.insert(fields_.end(), std::make_move_iterator(fields.begin()),
                   std::make_move_iterator(fields.end()));
    formats_.push_back(format);
  } else {
    std::move(fields.begin(), fields.end(), fields_.begin());
    formats_.front() = format;
    in_use_ = true;
  }
  return DataRowCount();
}

void DefinitionList::DeleteSelected() {
  const auto columns = static_cast<std::ptrdiff_t>(captions_.size());
  if (DataRowCount() > 1) {
    const auto first = fields_.begin() + (current_row_ - 1) * columns;
    fields_.erase(first, first + columns);
    formats_.erase(formats_.begin() + (current_row_ - 1));
    current_row_ = std::min(current_row_, DataRowCount());
  } else {
    Clear();
  }
}

std::vector<std::string> NewTableDefinition(std::string tableAddress, std::string columns,
                                            std::string rows, int entryWidth) {
  return {"New Table",
          std::move(tableAddress),
          std::move(columns),
          std::move(rows),
          std::to_string(entryWidth),
          "X Label",
          "1",
          "0",
          "Y Label",
          "1",
          "0",
          "Z Label",
          "1",
          "0",
          "No",
          "0"};
}

std::vector<std::string> NewBitWiseDefinition(std::string tableAddress) {
  // One byte of flags: eight described bits.
  constexpr int kBytes = 1;
  std::vector<std::string> fields = {"New Table", std::move(tableAddress), std::to_string(kBytes)};
  for (int bit = 0; bit < 8 * kBytes; ++bit) fields.push_back(BitDescription(bit));
  return fields;
}

AddedDefinition AddDefinitionFromInputs(TableDefinitions& lists, const CursorInputs& inputs) {
  const TEntryFormat format{inputs.EntrySigned, inputs.EntryOrder};
  if (inputs.MultiBit) {
    return {ListKind::BitWise,
            lists.BitWise.Append(NewBitWiseDefinition(inputs.TableAddress), format)};
  }
  return {ListKind::Ordinary,
          lists.Ordinary.Append(NewTableDefinition(inputs.TableAddress, inputs.Columns, inputs.Rows,
                                                   inputs.EntryWidth.Bytes()),
                                format)};
}
