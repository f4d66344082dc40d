#include "tables/found_table.h"

#include "app/number_text.h"
#include "tables/definition_list.h"

#include <limits>

std::optional<TFoundDefinition> FoundDefinition(const TTableCandidate& candidate,
                                                std::int64_t baseAddress) {
  const std::int64_t address = baseAddress + candidate.Offset;
  if (candidate.Offset < 0 || address < 0 || address > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  const std::string addressText = HexText(static_cast<std::int32_t>(address), 4);
  TFoundDefinition found{NewTableDefinition(addressText, std::to_string(candidate.Columns),
                                            std::to_string(candidate.Rows), candidate.Width),
                         {}};
  found.Row[TableDefinition::TableName] = "Found " + addressText;
  found.Format.Order = candidate.LittleEndian ? TByteOrder::LittleEndian : TByteOrder::BigEndian;
  return found;
}
