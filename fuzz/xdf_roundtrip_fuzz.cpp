// Save Tables then Load Tables: any texts in any field of either list, and any entry format,
// read back exactly as they were.

#include "fuzz_input.h"
#include "tables/xdf_file.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void FillList(FuzzInput& input, DefinitionList& list) {
  const int count = input.Take<std::uint8_t>() % 4;
  for (int i = 0; i < count; ++i) {
    std::vector<std::string> fields;
    for (int c = 0; c < list.ColumnCount(); ++c) fields.push_back(input.TakeText(24));
    const std::uint8_t flags = input.Take<std::uint8_t>();
    TEntryFormat format{(flags & 1) != 0,
                        (flags & 2) != 0 ? TByteOrder::LittleEndian : TByteOrder::BigEndian,
                        (flags & 4) != 0, input.TakeText(24)};
    list.Append(std::move(fields), list.Kind() == ListKind::Ordinary ? format : TEntryFormat{});
  }
}

bool SameList(const DefinitionList& a, const DefinitionList& b) {
  if (a.InUse() != b.InUse() || a.DataRowCount() != b.DataRowCount()) return false;
  for (int row = 1; row <= a.DataRowCount(); ++row) {
    if (a.Format(row) != b.Format(row)) return false;
    for (int c = 0; c < a.ColumnCount(); ++c) {
      if (a.Field(row, c) != b.Field(row, c)) return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const std::int64_t base = input.Take<std::int32_t>();
  TableDefinitions lists;
  FillList(input, lists.Ordinary);
  FillList(input, lists.BitWise);
  if (!lists.Ordinary.InUse() && !lists.BitWise.InUse()) return 0;
  const TDefinitionFileRead read = ReadXdfText(FormatXdf(lists, base), base);
  if (!SameList(read.Lists.Ordinary, lists.Ordinary) ||
      !SameList(read.Lists.BitWise, lists.BitWise)) {
    std::abort();
  }
  return 0;
}
