#include "image/table_layout.h"

std::optional<std::int64_t> TTableLayout::EntryPosition(std::int32_t row,
                                                        std::int32_t column) const {
  std::int64_t index = 0;
  std::int64_t offset = 0;
  std::int64_t position = 0;
  if (__builtin_mul_overflow(std::int64_t{row}, std::int64_t{Columns}, &index) ||
      __builtin_add_overflow(index, std::int64_t{column}, &index) ||
      __builtin_mul_overflow(index, std::int64_t{Width()}, &offset) ||
      __builtin_add_overflow(std::int64_t{TableAddress} - BaseAddress, offset, &position)) {
    return std::nullopt;
  }
  return position;
}

std::optional<std::size_t> TTableLayout::EntryInside(std::span<const std::uint8_t> image,
                                                     std::int32_t row, std::int32_t column) const {
  const std::optional<std::int64_t> position = EntryPosition(row, column);
  if (!position || !FitsInside(*position, Width(), static_cast<std::int64_t>(image.size()))) {
    return std::nullopt;
  }
  return static_cast<std::size_t>(*position);
}

std::optional<std::uint32_t> TTableLayout::ReadBits(std::span<const std::uint8_t> image,
                                                    std::int32_t row, std::int32_t column) const {
  const std::optional<std::size_t> position = EntryInside(image, row, column);
  if (!position) return std::nullopt;
  return DecodeBits(Type, image.data() + *position);
}

std::optional<std::int64_t> TTableLayout::ReadValue(std::span<const std::uint8_t> image,
                                                    std::int32_t row, std::int32_t column) const {
  const std::optional<std::uint32_t> bits = ReadBits(image, row, column);
  if (!bits) return std::nullopt;
  return ValueOfBits(Type, *bits);
}

TTableLayout LayoutOf(const TTableCursor& cursor, EntryWidth width) {
  TTableLayout table;
  table.BaseAddress = cursor.BaseAddress;
  table.TableAddress = cursor.TableAddress;
  table.Rows = cursor.Rows;
  table.Columns = cursor.Columns;
  table.Type = cursor.Type(width);
  table.ZScale = cursor.ZScale;
  table.ZOffset = cursor.ZOffset;
  table.TableName = cursor.TableName;
  table.XLabelName = cursor.XLabelName;
  table.YLabelName = cursor.YLabelName;
  table.ZLabelName = cursor.ZLabelName;
  return table;
}
