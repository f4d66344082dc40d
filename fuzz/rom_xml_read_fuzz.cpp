// The RomRaider / ECUFlash reader on arbitrary bytes: it ends, stays inside its input and
// leaves both lists in their shape, with no more definitions than it says it read. Includes
// are looked for in a folder that does not exist.

#include "definition_read_check.h"
#include "tables/rom_xml_file.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckDefinitionRead(
      ReadRomXmlText("/nonexistent-quorvel-fuzz/rom.xml",
                     std::string_view(reinterpret_cast<const char*>(data), size), 0x1000));
  return 0;
}
