#pragma once

// One table as every view reads it: where it lies, its shape, how its entries are stored and
// how their values are scaled. Built once per refresh from the main window's inputs and the
// current table, and handed to the grid, the plot heights, the clipboard and the marks of
// changed entries, so they all read the same table.

#include "app/shared_state.h"
#include "image/element_type.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

struct TTableLayout {
  std::int32_t BaseAddress = 0;
  std::int32_t TableAddress = 0;  // of the first entry, in the control unit's address space
  std::int32_t Rows = 16;
  std::int32_t Columns = 16;  // entries per row, stored one after another
  TElementType Type;
  float ZScale = 1.0f;
  float ZOffset = 0.0f;
  std::string TableName;
  std::string XLabelName;
  std::string YLabelName;
  std::string ZLabelName;

  [[nodiscard]] int Width() const { return Type.Bytes(); }

  // Image offset of entry (row, column): (TableAddress − BaseAddress) + (row × Columns +
  // column) × width; nothing when the arithmetic leaves the 64-bit range.
  [[nodiscard]] std::optional<std::int64_t> EntryPosition(std::int32_t row,
                                                          std::int32_t column) const;
  // The same when every byte of the entry lies inside `image`; nothing otherwise.
  [[nodiscard]] std::optional<std::size_t> EntryInside(std::span<const std::uint8_t> image,
                                                       std::int32_t row, std::int32_t column) const;
  // The entry's bits and value (sign-extended for a signed table); nothing for an entry that
  // does not lie wholly inside `image`.
  [[nodiscard]] std::optional<std::uint32_t> ReadBits(std::span<const std::uint8_t> image,
                                                      std::int32_t row, std::int32_t column) const;
  [[nodiscard]] std::optional<std::int64_t> ReadValue(std::span<const std::uint8_t> image,
                                                      std::int32_t row, std::int32_t column) const;
};

// The cursor's table with entries of `width` bytes in the cursor's sign and byte order.
[[nodiscard]] TTableLayout LayoutOf(const TTableCursor& cursor, EntryWidth width);
// The cursor's table at the cursor's own width.
[[nodiscard]] inline TTableLayout LayoutOf(const TTableCursor& cursor) {
  return LayoutOf(cursor, cursor.EntryWidth);
}
