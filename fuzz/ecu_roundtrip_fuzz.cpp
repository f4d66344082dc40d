// Export then import of ordinary definitions: what the file carries comes back equal — the
// address, columns, rows, entry size and name, and the X offset as the Z offset to the four
// decimals written.

#include "app/number_text.h"
#include "fuzz_input.h"
#include "tables/ecu_file.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// A name without the delimiters and line ends the format cannot carry, trimmed and cut as
// the reader keeps it.
std::string Name(FuzzInput& input) {
  std::string name = input.TakeText(80);
  std::erase_if(name,
                [](char c) { return c == ',' || c == '}' || c == '\n' || c == '\r' || c == '\0'; });
  return name;
}

std::string Kept(std::string name) {
  name.resize(std::min(name.size(), kEcuTextLimits[0]));
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
  return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  TableDefinitions lists;
  EcuHeader header;
  for (auto& value : header.Values) value = input.Take<std::int32_t>();
  const int count = 1 + input.Take<std::uint8_t>() % 8;
  struct Row {
    std::int32_t address, columns, rows, size;
    float offset;
    std::string name;
  };
  std::vector<Row> rows;
  for (int i = 0; i < count; ++i) {
    Row row{input.Take<std::int32_t>(),
            static_cast<std::int32_t>(input.Take<std::int16_t>()),
            static_cast<std::int32_t>(input.Take<std::int16_t>()),
            1 << (input.Take<std::uint8_t>() % 3),
            static_cast<float>(input.Take<std::int16_t>()) / 16.0f,
            Name(input)};
    std::vector<std::string> fields = NewTableDefinition(
        HexText(row.address, 4), DecimalText(row.columns), DecimalText(row.rows), row.size);
    fields[TableDefinition::TableName] = row.name;
    fields[TableDefinition::XOffset] = FloatText(row.offset);
    lists.Ordinary.Append(std::move(fields));
    rows.push_back(row);
  }

  const EcuText text = FormatEcu(header, lists);
  if (!text.Complete) std::abort();
  EcuHeader readHeader;
  TableDefinitions read;
  const EcuReadReport report = ReadEcuText(text.Text, readHeader, read);
  // The empty bit-wise list's blank row counts in the header but cannot be read back.
  if (report.Stored != count) std::abort();
  if (readHeader.Values != header.Values) std::abort();
  for (int i = 0; i < count; ++i) {
    const Row& row = rows[static_cast<std::size_t>(i)];
    const DefinitionList& list = read.Ordinary;
    if (ParseInteger(list.Field(i + 1, TableDefinition::TableAddr)) != row.address) std::abort();
    if (ParseInteger(list.Field(i + 1, TableDefinition::Columns)) != row.columns) std::abort();
    if (ParseInteger(list.Field(i + 1, TableDefinition::Rows)) != row.rows) std::abort();
    if (ParseInteger(list.Field(i + 1, TableDefinition::EntrySize)) != row.size) std::abort();
    if (list.Field(i + 1, TableDefinition::TableName) != Kept(row.name)) std::abort();
    const double offset = ParseFloat(list.Field(i + 1, TableDefinition::ZOffset));
    if (std::fabs(offset - row.offset) > 0.00005 + std::fabs(row.offset) * 1e-6) std::abort();
  }
  return 0;
}
