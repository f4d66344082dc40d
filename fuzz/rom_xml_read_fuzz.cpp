// The RomRaider / ECUFlash reader on arbitrary bytes: it ends, stays inside its input and
// leaves both lists in their shape, with no more definitions than it says it read. Includes
// are looked for in a folder that does not exist.

#include "tables/rom_xml_file.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void CheckShape(const DefinitionList& list) {
  if (list.RowCount() < 2 || list.DataRowCount() < 1) std::abort();
  if (list.CurrentRow() < 1 || list.CurrentRow() > list.DataRowCount()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const TDefinitionFileRead read =
      ReadRomXmlText("/nonexistent-quorvel-fuzz/rom.xml",
                     std::string_view(reinterpret_cast<const char*>(data), size), 0x1000);
  CheckShape(read.Lists.Ordinary);
  CheckShape(read.Lists.BitWise);
  const int rows = (read.Lists.Ordinary.InUse() ? read.Lists.Ordinary.DataRowCount() : 0) +
                   (read.Lists.BitWise.InUse() ? read.Lists.BitWise.DataRowCount() : 0);
  if (rows != read.Read || (rows == 0 && read.Problem.empty())) std::abort();
  return 0;
}
