#include "image/document_entries.h"

#include "image/table_entry.h"

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
  if (!EntryInsideImage(image, cursor, row, column, width)) return std::nullopt;
  return TByteRange{*EntryPosition(cursor, row, column, width), width};
}

bool AddEntryWrite(TImageEdit& edit, const TRomImage& image, const TTableCursor& cursor,
                   std::int32_t row, std::int32_t column, std::uint32_t value, int width) {
  const std::optional<TByteRange> range = EntryRange(image, cursor, row, column, width);
  if (!range) return false;
  const std::array<std::uint8_t, 4> bytes = EntryBytes(value, width);
  edit.Add(range->first, std::span(bytes).first(static_cast<std::size_t>(width)));
  return true;
}

TEditOutcome WriteEntry(TImageDocument& document, const TTableCursor& cursor, std::int32_t row,
                        std::int32_t column, std::uint32_t value, int width) {
  TImageEdit edit;
  if (!AddEntryWrite(edit, document.Image(), cursor, row, column, value, width)) {
    return {TEditResult::OutsideImage, {}};
  }
  return document.Apply(edit);
}

TEditOutcome StepEntry(TImageDocument& document, const TTableCursor& cursor, std::int32_t row,
                       std::int32_t column, std::int32_t step, int width) {
  const std::uint32_t value = ReadEntry(document.Image(), cursor, row, column, width);
  return WriteEntry(document, cursor, row, column, value + static_cast<std::uint32_t>(step), width);
}

bool EntryChanged(const TImageDocument& document, const TTableCursor& cursor, std::int32_t row,
                  std::int32_t column, int width) {
  const std::optional<TByteRange> range = EntryRange(document.Image(), cursor, row, column, width);
  return range && document.Differs(*range);
}
