#pragma once

// Access to the entries of the current table: unsigned big-endian integers of 1, 2 or 4
// bytes, stored row by row from the table address. An entry that does not lie wholly inside
// the image has no value: it is never read or written.

#include "app/shared_state.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

// Byte position of entry (row, column) in the image buffer, or nothing when the arithmetic
// leaves the 64-bit range.
[[nodiscard]] std::optional<std::int64_t> EntryPosition(const TTableCursor& cursor,
                                                        std::int32_t row, std::int32_t column,
                                                        int width);

// Byte position of entry (row, column) when every byte of it lies inside `image`; nothing
// otherwise, and for any width but 1, 2 and 4.
[[nodiscard]] std::optional<std::size_t> EntryPositionInside(std::span<const std::uint8_t> image,
                                                             const TTableCursor& cursor,
                                                             std::int32_t row, std::int32_t column,
                                                             int width);

// The big-endian value of the `width` bytes at `position`, which the caller checked.
[[nodiscard]] inline std::uint32_t ReadEntryAt(std::span<const std::uint8_t> image,
                                               std::size_t position, int width) {
  std::uint32_t value = 0;
  for (int i = 0; i < width; ++i) value = (value << 8) | image[position + i];
  return value;
}
// Stores the low 8 × width bits of `value` big-endian at `position`, which the caller checked.
void WriteEntryAt(std::span<std::uint8_t> image, std::size_t position, std::uint32_t value,
                  int width);

// True when every byte of the entry lies inside offsets 0 … Size − 1 of the image.
[[nodiscard]] bool EntryInsideImage(const TRomImage& image, const TTableCursor& cursor,
                                    std::int32_t row, std::int32_t column, int width);

// The entry's value; 0 for an entry outside the image.
[[nodiscard]] std::uint32_t ReadEntry(const TRomImage& image, const TTableCursor& cursor,
                                      std::int32_t row, std::int32_t column, int width);

// Stores the low 8 × width bits of `value`; an entry outside the image is left alone.
// Returns whether the entry was written.
bool WriteEntry(TRomImage& image, const TTableCursor& cursor, std::int32_t row, std::int32_t column,
                std::uint32_t value, int width);

// The same, on the shared RomImage and TableCursor.
[[nodiscard]] bool EntryPastEnd(std::int32_t row, std::int32_t column, int width);
[[nodiscard]] std::uint32_t ReadEntry(std::int32_t row, std::int32_t column, int width);
bool WriteEntry(std::int32_t row, std::int32_t column, std::uint32_t value, int width);
