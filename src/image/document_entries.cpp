#include "image/document_entries.h"

#include "image/table_entry.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <span>

std::array<std::uint8_t, 4> EntryBytes(std::uint32_t value, int width) {
  std::array<std::uint8_t, 4> bytes{};
  for (int i = width - 1; i >= 0; --i) {
    if (i < 4) bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value & 0xFF);
    value >>= 8;
  }
  return bytes;
}

std::optional<TByteRange> EntryRange(const TRomImage& image, const TTableCursor& cursor,
                                     std::int32_t row, std::int32_t column, int width) {
  // EntryInsideImage's test, with the position worked out once: a paste asks for every cell.
  if (width != 1 && width != 2 && width != 4) return std::nullopt;
  if (image.Size <= 0 || !image.Bytes) return std::nullopt;
  const std::optional<std::int64_t> position = EntryPosition(cursor, row, column, width);
  const auto size =
      std::min<std::int64_t>(image.Size, static_cast<std::int64_t>(image.Bytes->size()));
  if (!position || *position < 0 || *position > size - width) return std::nullopt;
  return TByteRange{*position, width};
}

bool AddEntryWrite(TImageEdit& edit, const TRomImage& image, const TTableCursor& cursor,
                   std::int32_t row, std::int32_t column, std::uint32_t value, int width) {
  const std::optional<TByteRange> range = EntryRange(image, cursor, row, column, width);
  if (!range) return false;
  const std::array<std::uint8_t, 4> bytes = EntryBytes(value, width);
  edit.Add(range->first, std::span(bytes).first(static_cast<std::size_t>(width)));
  return true;
}

bool EntryChanged(const TImageDocument& document, const TTableCursor& cursor, std::int32_t row,
                  std::int32_t column, int width) {
  const std::optional<TByteRange> range = EntryRange(document.Image(), cursor, row, column, width);
  return range && document.Differs(*range);
}

void RowChanges(const TImageDocument& document, const TTableCursor& cursor, std::int32_t row,
                std::int32_t firstColumn, int width, std::span<bool> marks) {
  const std::optional<std::int64_t> first = EntryPosition(cursor, row, firstColumn, width);
  if (!first || (width != 1 && width != 2 && width != 4)) {
    std::fill(marks.begin(), marks.end(), false);
    return;
  }
  document.MarkDiffering(*first, width, marks);
  // An entry straddling the image's end is not inside it: it is never marked.
  for (std::size_t i = 0; i < marks.size(); ++i) {
    const auto column = static_cast<std::int64_t>(firstColumn) + static_cast<std::int64_t>(i);
    if (marks[i] && (column > std::numeric_limits<std::int32_t>::max() ||
                     !EntryInsideImage(document.Image(), cursor, row,
                                       static_cast<std::int32_t>(column), width))) {
      marks[i] = false;
    }
  }
}
