#pragma once

// The table editor's setup panel against an ordinary definition: which edit box shows which
// field, the entry size and Fxxx rules, and what storing the panel writes. The window only
// moves texts between these values and its controls.

#include "app/cursor_inputs.h"
#include "image/entry_width.h"
#include "tables/definition_list.h"

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

// The panel's thirteen edit boxes.
enum class PanelBox : int {
  TableName,
  TableAddress,
  Columns,
  Rows,
  XLabelName,
  XScale,
  XOffset,
  YLabelName,
  YScale,
  YOffset,
  ZLabelName,
  ZScale,
  ZOffset,
};
inline constexpr std::size_t kPanelBoxCount = 13;

struct PanelField {
  int Column;  // a TableDefinition column
  PanelBox Box;
};

// Each box with the field it shows, in the order the panel takes them: the table's name,
// place and shape (kPanelShapeFields of them), then the axes.
inline constexpr std::array<PanelField, kPanelBoxCount> kPanelFields = {{
    {TableDefinition::TableName, PanelBox::TableName},
    {TableDefinition::TableAddr, PanelBox::TableAddress},
    {TableDefinition::Columns, PanelBox::Columns},
    {TableDefinition::Rows, PanelBox::Rows},
    {TableDefinition::XLabel, PanelBox::XLabelName},
    {TableDefinition::XScale, PanelBox::XScale},
    {TableDefinition::XOffset, PanelBox::XOffset},
    {TableDefinition::YLabel, PanelBox::YLabelName},
    {TableDefinition::YScale, PanelBox::YScale},
    {TableDefinition::YOffset, PanelBox::YOffset},
    {TableDefinition::ZLabel, PanelBox::ZLabelName},
    {TableDefinition::ZScale, PanelBox::ZScale},
    {TableDefinition::ZOffset, PanelBox::ZOffset},
}};
inline constexpr std::size_t kPanelShapeFields = 4;

// The boxes' texts (as field bytes), indexed by PanelBox.
using PanelTexts = std::array<std::string, kPanelBoxCount>;

[[nodiscard]] constexpr std::size_t Index(PanelBox box) { return static_cast<std::size_t>(box); }

// The width button an "Entry Size" field checks: 2 and 4 their own, any other number 8 bits.
// Throws ConversionError for a text that is no integer.
[[nodiscard]] EntryWidth PanelEntryWidth(std::string_view entrySize);

// The "Entry Size" text of a width: "1", "2" or "4".
[[nodiscard]] std::string EntrySizeText(EntryWidth width);

// How the panel shows a definition's Fxxx fields.
struct FxxxShown {
  bool Checked = false;
  int DecimalPlaces = 0;  // 0 … 32
  friend bool operator==(const FxxxShown&, const FxxxShown&) = default;
};

// Checked when the "Fxxx Table" field starts with y or Y; its places are the "Fxxx DPs"
// number, 0 when that is no number or lies outside 0 … 32. Unchecked shows 0.
[[nodiscard]] FxxxShown FxxxShownOf(std::string_view fxxxTable, std::string_view fxxxPlaces);

// Storing the panel into data row `row`: every box's text into its field and the entry size
// of `width`. The Fxxx fields are not stored.
void StorePanelTexts(DefinitionList& list, int row, const PanelTexts& texts, EntryWidth width);

// The definition the panel shows, as opening it applies it.
[[nodiscard]] OpenedTable OpenedTableOf(const PanelTexts& texts);

// A definition row (one text per TableDefinition column) as opening it applies it, with its
// entry size and format. Float entries are opened as their raw, unsigned bit patterns.
[[nodiscard]] OpenedTable OpenedTableOfRow(std::span<const std::string> row, TEntryFormat format);
