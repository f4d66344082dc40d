#include "tables/typed_definition.h"

#include "app/number_text.h"
#include "tables/definition_list.h"

std::vector<std::string> DefinitionRow(const TTypedDefinition& definition) {
  const TTypedDefinition& d = definition;
  return {d.TableName,
          HexText(d.TableAddress, 4),
          DecimalText(d.Columns),
          DecimalText(d.Rows),
          DecimalText(d.EntrySize),
          d.XLabel,
          FloatText(d.XScale),
          FloatText(d.XOffset),
          d.YLabel,
          FloatText(d.YScale),
          FloatText(d.YOffset),
          d.ZLabel,
          FloatText(d.ZScale),
          FloatText(d.ZOffset),
          d.FxxxTable ? "Yes" : "No",
          DecimalText(d.FxxxDecimalPlaces)};
}

std::optional<TTypedDefinition> TypedDefinition(std::span<const std::string> row,
                                                TEntryFormat format) {
  if (row.size() != TableDefinition::ColumnCount) return std::nullopt;
  const auto text = [&](TableDefinition::Column column) -> const std::string& {
    return row[static_cast<std::size_t>(column)];
  };
  const auto number = [&](TableDefinition::Column column) { return ParseFloat(text(column)); };

  const std::optional<std::int32_t> address = TryParseInteger(text(TableDefinition::TableAddr));
  const std::optional<std::int32_t> columns = TryParseInteger(text(TableDefinition::Columns));
  const std::optional<std::int32_t> rows = TryParseInteger(text(TableDefinition::Rows));
  const std::optional<std::int32_t> size = TryParseInteger(text(TableDefinition::EntrySize));
  const std::optional<std::int32_t> places = TryParseInteger(text(TableDefinition::FxxxDPs));
  if (!address || !columns || !rows || !size || !places) return std::nullopt;

  const std::string& fxxx = text(TableDefinition::FxxxTable);
  return TTypedDefinition{text(TableDefinition::TableName),
                          *address,
                          *columns,
                          *rows,
                          *size,
                          text(TableDefinition::XLabel),
                          number(TableDefinition::XScale),
                          number(TableDefinition::XOffset),
                          text(TableDefinition::YLabel),
                          number(TableDefinition::YScale),
                          number(TableDefinition::YOffset),
                          text(TableDefinition::ZLabel),
                          number(TableDefinition::ZScale),
                          number(TableDefinition::ZOffset),
                          !fxxx.empty() && (fxxx.front() == 'y' || fxxx.front() == 'Y'),
                          *places,
                          format};
}
