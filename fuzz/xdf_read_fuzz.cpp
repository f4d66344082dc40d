// The XDF reader on arbitrary bytes: it ends, stays inside its input and leaves both lists in
// their shape, with no more definitions than it says it read.

#include "definition_read_check.h"
#include "tables/xdf_file.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckDefinitionRead(
      ReadXdfText(std::string_view(reinterpret_cast<const char*>(data), size), 0x800000));
  return 0;
}
