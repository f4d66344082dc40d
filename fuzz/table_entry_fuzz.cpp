// Entry access with any base, table address, shape and width over an image buffer of exactly
// Size bytes: the address sanitizer proves no byte outside it is touched, and a write changes
// only the bytes of an entry that lies wholly inside.

#include "fuzz_input.h"
#include "image/table_entry.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  TRomImage image;
  image.Size = input.Take<std::uint16_t>() % 4097;
  image.Bytes = std::vector<std::uint8_t>(static_cast<std::size_t>(image.Size), 0xA5);
  TTableCursor cursor;
  cursor.BaseAddress = input.Take<std::int32_t>();
  // Table addresses near the base as often as anywhere.
  cursor.TableAddress =
      input.Take<std::uint8_t>() % 2 == 0
          ? static_cast<std::int32_t>(static_cast<std::uint32_t>(cursor.BaseAddress) +
                                      static_cast<std::uint32_t>(input.Take<std::int16_t>()))
          : input.Take<std::int32_t>();
  cursor.Columns = input.Take<std::int32_t>();
  const int widths[] = {1, 2, 4, 3, 0};
  const int width = widths[input.Take<std::uint8_t>() % 5];

  while (!input.Empty()) {
    const auto row = input.Take<std::int32_t>();
    const auto column = input.Take<std::int32_t>();
    const auto value = input.Take<std::uint32_t>();
    const std::vector<std::uint8_t> before = *image.Bytes;
    const bool inside = EntryInsideImage(image, cursor, row, column, width);
    (void)ReadEntry(image, cursor, row, column, width);
    if (WriteEntry(image, cursor, row, column, value, width) != inside) std::abort();
    if (!inside && *image.Bytes != before) std::abort();
    if (inside && ReadEntry(image, cursor, row, column, width) !=
                      (width == 4 ? value : value & ((1u << (8 * width)) - 1))) {
      std::abort();
    }
  }
  return 0;
}
