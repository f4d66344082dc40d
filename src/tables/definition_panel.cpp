#include "tables/definition_panel.h"

#include "app/number_text.h"

#include <optional>
#include <stdexcept>

EntryWidth PanelEntryWidth(std::string_view entrySize) {
  return EntryWidth::FromBytes(ParseInteger(entrySize)).value_or(EntryWidth::k8Bit);
}

std::string EntrySizeText(EntryWidth width) { return std::to_string(width.Bytes()); }

FxxxShown FxxxShownOf(std::string_view fxxxTable, std::string_view fxxxPlaces) {
  if (fxxxTable.empty() || (fxxxTable.front() != 'y' && fxxxTable.front() != 'Y')) return {};
  const std::int32_t places = TryParseInteger(fxxxPlaces).value_or(0);
  return {true, places < 0 || places > 32 ? 0 : places};
}

void StorePanelTexts(DefinitionList& list, int row, const PanelTexts& texts, EntryWidth width) {
  for (const PanelField& field : kPanelFields) {
    list.SetField(row, field.Column, texts[Index(field.Box)]);
  }
  list.SetField(row, TableDefinition::EntrySize, EntrySizeText(width));
}

OpenedTable OpenedTableOf(const PanelTexts& texts) {
  const auto text = [&](PanelBox box) { return texts[Index(box)]; };
  return {text(PanelBox::TableAddress), text(PanelBox::Columns),    text(PanelBox::Rows),
          text(PanelBox::TableName),    text(PanelBox::XLabelName), text(PanelBox::YLabelName),
          text(PanelBox::ZLabelName),   text(PanelBox::ZScale),     text(PanelBox::ZOffset)};
}

OpenedTable OpenedTableOfRow(std::span<const std::string> row, TEntryFormat format) {
  if (row.size() != TableDefinition::ColumnCount)
    throw std::invalid_argument("not a definition row");
  PanelTexts texts;
  for (const PanelField& field : kPanelFields) {
    texts[Index(field.Box)] = row[static_cast<std::size_t>(field.Column)];
  }
  OpenedTable table = OpenedTableOf(texts);
  table.EntrySize = row[TableDefinition::EntrySize];
  table.EntrySigned = format.Signed && !format.Float;
  table.EntryOrder = format.Order;
  return table;
}
