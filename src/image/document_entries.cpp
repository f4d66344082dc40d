#include "image/document_entries.h"

#include "image/integer_division.h"
#include "image/rom_image.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <span>

std::optional<TByteRange> EntryRange(const TRomImage& image, const TTableLayout& table,
                                     std::int32_t row, std::int32_t column) {
  const std::optional<std::size_t> position = table.EntryInside(ImageBytes(image), row, column);
  if (!position) return std::nullopt;
  return TByteRange{static_cast<std::int64_t>(*position), table.Width()};
}

bool AddEntryWrite(TImageEdit& edit, const TRomImage& image, const TTableLayout& table,
                   std::int32_t row, std::int32_t column, std::int64_t value) {
  const std::optional<TByteRange> range = EntryRange(image, table, row, column);
  if (!range) return false;
  const std::array<std::uint8_t, 4> bytes = EncodeBits(table.Type, BitsOfValue(table.Type, value));
  edit.Add(range->first, std::span(bytes).first(static_cast<std::size_t>(table.Width())));
  return true;
}

bool EntryChanged(const TImageDocument& document, const TTableLayout& table, std::int32_t row,
                  std::int32_t column) {
  const std::optional<TByteRange> range = EntryRange(document.Image(), table, row, column);
  return range && document.Differs(*range);
}

void RowChanges(const TImageDocument& document, const TTableLayout& table, std::int32_t row,
                std::int32_t firstColumn, std::span<bool> marks) {
  const std::optional<std::int64_t> first = table.EntryPosition(row, firstColumn);
  if (!first) {
    std::fill(marks.begin(), marks.end(), false);
    return;
  }
  document.MarkDiffering(*first, table.Width(), marks);
  // An entry straddling the image's end is not inside it: it is never marked.
  const std::span<const std::uint8_t> image = document.Bytes();
  for (std::size_t i = 0; i < marks.size(); ++i) {
    const auto column = static_cast<std::int64_t>(firstColumn) + static_cast<std::int64_t>(i);
    if (marks[i] && (column > std::numeric_limits<std::int32_t>::max() ||
                     !table.EntryInside(image, row, static_cast<std::int32_t>(column)))) {
      marks[i] = false;
    }
  }
}

std::optional<TEntryCell> EntryHolding(const TTableLayout& table, TByteRange range) {
  if (range.Empty() || table.Rows <= 0 || table.Columns <= 0) return std::nullopt;
  // Image positions and addresses are 32-bit: the offset cannot leave 64 bits.
  const std::int64_t offset = range.first - (std::int64_t{table.TableAddress} - table.BaseAddress);
  const std::int64_t width = table.Width();
  if (offset < 0 || offset % width + range.count > width) return std::nullopt;
  const std::int64_t index = offset / width;
  const std::int64_t row = index / table.Columns;
  if (row >= table.Rows) return std::nullopt;
  return TEntryCell{static_cast<std::int32_t>(row),
                    static_cast<std::int32_t>(index % table.Columns)};
}

std::optional<TEntryCell> FirstEntryIn(const TTableLayout& table, TByteRange range) {
  if (range.Empty() || table.Rows <= 0 || table.Columns <= 0) return std::nullopt;
  const std::int64_t start = std::int64_t{table.TableAddress} - table.BaseAddress;
  // Rows and columns are 32-bit and the width at most 4: the size stays far inside 64 bits.
  const std::int64_t entries = std::int64_t{table.Rows} * table.Columns;
  const std::int64_t end = start + entries * table.Width();
  const std::int64_t first = std::max(range.first, start);
  if (first >= std::min(range.End(), end)) return std::nullopt;
  const std::int64_t index = (first - start) / table.Width();
  return TEntryCell{static_cast<std::int32_t>(index / table.Columns),
                    static_cast<std::int32_t>(index % table.Columns)};
}

bool EntryDiffers(std::span<const std::uint8_t> image, std::span<const std::uint8_t> compared,
                  const TTableLayout& table, std::int32_t row, std::int32_t column) {
  const std::optional<std::size_t> position = table.EntryInside(image, row, column);
  if (!position || !table.EntryInside(compared, row, column)) return false;
  const auto width = static_cast<std::size_t>(table.Width());
  return !std::equal(image.begin() + *position, image.begin() + *position + width,
                     compared.begin() + *position);
}

std::optional<TEntryCell> NextDifference(std::span<const std::uint8_t> image,
                                         std::span<const std::uint8_t> compared,
                                         const TTableLayout& table, TEntryCell from, bool forward) {
  if (table.Rows <= 0 || table.Columns <= 0) return std::nullopt;
  const std::int64_t width = table.Width();
  const std::int64_t start = std::int64_t{table.TableAddress} - table.BaseAddress;
  const auto size = static_cast<std::int64_t>(std::min(image.size(), compared.size()));
  // Entry i (row-major) starts at start + i × width; only those inside both images count.
  const std::int64_t first = std::max<std::int64_t>(0, CeilDiv(-start, width));
  const std::int64_t last =
      std::min(std::int64_t{table.Rows} * table.Columns - 1, FloorDiv(size - width - start, width));
  const std::int64_t index = std::int64_t{from.row} * table.Columns + from.column;
  const std::int64_t step = forward ? 1 : -1;
  for (std::int64_t i = forward ? std::max(index + 1, first) : std::min(index - 1, last);
       i >= first && i <= last; i += step) {
    const auto position = static_cast<std::size_t>(start + i * width);
    if (!std::equal(image.begin() + position, image.begin() + position + width,
                    compared.begin() + position)) {
      return TEntryCell{static_cast<std::int32_t>(i / table.Columns),
                        static_cast<std::int32_t>(i % table.Columns)};
    }
  }
  return std::nullopt;
}

std::optional<std::int64_t> EntryValueBefore(const TTableLayout& table,
                                             std::span<const std::uint8_t> image, TEntryCell cell,
                                             const TDocumentChange& change) {
  const std::optional<std::size_t> position = table.EntryInside(image, cell.row, cell.column);
  if (!position || change.before.size() != static_cast<std::size_t>(change.range.count)) {
    return std::nullopt;
  }
  const auto start = static_cast<std::int64_t>(*position);
  if (change.range.first < start || change.range.End() > start + table.Width()) return std::nullopt;
  std::array<std::uint8_t, 4> bytes{};
  std::copy_n(image.begin() + start, table.Width(), bytes.begin());
  std::copy(change.before.begin(), change.before.end(),
            bytes.begin() + (change.range.first - start));
  return ValueOfBits(table.Type, DecodeBits(table.Type, bytes.data()));
}

bool EntryChanged(const TImageDocument& document, const TTableCursor& cursor, std::int32_t row,
                  std::int32_t column, int width) {
  const std::optional<EntryWidth> entryWidth = EntryWidth::FromBytes(width);
  return entryWidth && EntryChanged(document, LayoutOf(cursor, *entryWidth), row, column);
}

void RowChanges(const TImageDocument& document, const TTableCursor& cursor, std::int32_t row,
                std::int32_t firstColumn, int width, std::span<bool> marks) {
  const std::optional<EntryWidth> entryWidth = EntryWidth::FromBytes(width);
  if (!entryWidth) {
    std::fill(marks.begin(), marks.end(), false);
    return;
  }
  RowChanges(document, LayoutOf(cursor, *entryWidth), row, firstColumn, marks);
}
