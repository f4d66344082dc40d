#include "image/table_entry.h"

#include "image/rom_image.h"

std::optional<std::int64_t> EntryPosition(const TTableCursor& cursor, std::int32_t row,
                                          std::int32_t column, int width) {
  // (TableAddress − BaseAddress) + (row × Columns + column) × width, checked at each step.
  std::int64_t index = 0;
  std::int64_t offset = 0;
  std::int64_t position = 0;
  if (__builtin_mul_overflow(std::int64_t{row}, std::int64_t{cursor.Columns}, &index) ||
      __builtin_add_overflow(index, std::int64_t{column}, &index) ||
      __builtin_mul_overflow(index, std::int64_t{width}, &offset) ||
      __builtin_add_overflow(std::int64_t{cursor.TableAddress} - cursor.BaseAddress, offset,
                             &position)) {
    return std::nullopt;
  }
  return position;
}

std::optional<std::size_t> EntryPositionInside(std::span<const std::uint8_t> image,
                                               const TTableCursor& cursor, std::int32_t row,
                                               std::int32_t column, int width) {
  if (width != 1 && width != 2 && width != 4) return std::nullopt;
  const std::optional<std::int64_t> position = EntryPosition(cursor, row, column, width);
  const auto size = static_cast<std::int64_t>(image.size());
  if (!position || *position < 0 || *position > size - width) return std::nullopt;
  return static_cast<std::size_t>(*position);
}

void WriteEntryAt(std::span<std::uint8_t> image, std::size_t position, std::uint32_t value,
                  int width) {
  for (int i = width - 1; i >= 0; --i) {
    image[position + i] = static_cast<std::uint8_t>(value & 0xFF);
    value >>= 8;
  }
}

bool EntryInsideImage(const TRomImage& image, const TTableCursor& cursor, std::int32_t row,
                      std::int32_t column, int width) {
  return EntryPositionInside(ImageBytes(image), cursor, row, column, width).has_value();
}

std::uint32_t ReadEntry(const TRomImage& image, const TTableCursor& cursor, std::int32_t row,
                        std::int32_t column, int width) {
  const std::span<const std::uint8_t> bytes = ImageBytes(image);
  const std::optional<std::size_t> position =
      EntryPositionInside(bytes, cursor, row, column, width);
  return position ? ReadEntryAt(bytes, *position, width) : 0;
}

bool WriteEntry(TRomImage& image, const TTableCursor& cursor, std::int32_t row, std::int32_t column,
                std::uint32_t value, int width) {
  const std::span<std::uint8_t> bytes = ImageBytes(image);
  const std::optional<std::size_t> position =
      EntryPositionInside(bytes, cursor, row, column, width);
  if (!position) return false;
  WriteEntryAt(bytes, *position, value, width);
  return true;
}

bool EntryPastEnd(std::int32_t row, std::int32_t column, int width) {
  return !EntryInsideImage(RomImage, TableCursor, row, column, width);
}

std::uint32_t ReadEntry(std::int32_t row, std::int32_t column, int width) {
  return ReadEntry(RomImage, TableCursor, row, column, width);
}

bool WriteEntry(std::int32_t row, std::int32_t column, std::uint32_t value, int width) {
  return WriteEntry(RomImage, TableCursor, row, column, value, width);
}
