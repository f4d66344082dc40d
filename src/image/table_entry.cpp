#include "image/table_entry.h"

#include <algorithm>

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

bool EntryInsideImage(const TRomImage& image, const TTableCursor& cursor, std::int32_t row,
                      std::int32_t column, int width) {
  if (width != 1 && width != 2 && width != 4) return false;
  if (image.Size <= 0 || !image.Bytes) return false;
  const std::optional<std::int64_t> position = EntryPosition(cursor, row, column, width);
  const auto size =
      std::min<std::int64_t>(image.Size, static_cast<std::int64_t>(image.Bytes->size()));
  return position && *position >= 0 && *position <= size - width;
}

std::uint32_t ReadEntry(const TRomImage& image, const TTableCursor& cursor, std::int32_t row,
                        std::int32_t column, int width) {
  if (!EntryInsideImage(image, cursor, row, column, width)) return 0;
  const auto first = static_cast<std::size_t>(*EntryPosition(cursor, row, column, width));
  std::uint32_t value = 0;
  for (int i = 0; i < width; ++i) value = (value << 8) | (*image.Bytes)[first + i];
  return value;
}

bool WriteEntry(TRomImage& image, const TTableCursor& cursor, std::int32_t row, std::int32_t column,
                std::uint32_t value, int width) {
  if (!EntryInsideImage(image, cursor, row, column, width)) return false;
  const auto first = static_cast<std::size_t>(*EntryPosition(cursor, row, column, width));
  for (int i = width - 1; i >= 0; --i) {
    (*image.Bytes)[first + i] = static_cast<std::uint8_t>(value & 0xFF);
    value >>= 8;
  }
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
