// Integer and float parses on arbitrary text: no crash, and every accepted integer's texts
// parse back to the same value.

#include "app/number_text.h"

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)ParseFloat(text);
  std::int32_t value = 0;
  try {
    value = ParseInteger(text);
  } catch (const ConversionError&) {
    return 0;
  }
  if (ParseInteger(HexText(value, 1)) != value) std::abort();
  // The one decimal text the parse refuses by design: its range is symmetric.
  if (value != std::numeric_limits<std::int32_t>::min() &&
      ParseInteger(DecimalText(value)) != value) {
    std::abort();
  }
  return 0;
}
