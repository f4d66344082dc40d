// The ".ecu" reader on arbitrary bytes: it ends, touches nothing outside its input and its
// fields, and leaves both lists in their shape.

#include "tables/ecu_file.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void CheckShape(const DefinitionList& list) {
  if (list.RowCount() < 2 || list.DataRowCount() < 1) std::abort();
  if (list.CurrentRow() < 1 || list.CurrentRow() > list.DataRowCount()) std::abort();
  if (!list.InUse()) {
    if (list.DataRowCount() != 1) std::abort();
    for (int c = 0; c < list.ColumnCount(); ++c) {
      if (!list.Field(1, c).empty()) std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  EcuHeader header;
  TableDefinitions lists;
  const EcuReadReport report =
      ReadEcuText(std::string_view(reinterpret_cast<const char*>(data), size), header, lists);
  CheckShape(lists.Ordinary);
  CheckShape(lists.BitWise);
  if (report.Stored < 0) std::abort();
  const int names = lists.Ordinary.InUse() ? lists.Ordinary.DataRowCount() : 0;
  for (int row = 1; row <= names; ++row) {
    if (lists.Ordinary.Field(row, TableDefinition::TableName).size() > kEcuTextLimits[0]) {
      std::abort();
    }
  }
  return 0;
}
