#pragma once

// Table entries written and compared through the image document, so every change of an entry
// becomes an undoable step. Entries are the unsigned big-endian integers of table_entry.h; an
// entry that does not lie wholly inside the image is never written and never counts as changed.

#include "app/shared_state.h"
#include "image/image_document.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>

// The bytes of the low 8 × width bits of `value`, most significant first (`width` of them).
[[nodiscard]] std::array<std::uint8_t, 4> EntryBytes(std::uint32_t value, int width);

// The bytes entry (row, column) occupies, or nothing for an entry outside the image.
[[nodiscard]] std::optional<TByteRange> EntryRange(const TRomImage& image,
                                                   const TTableCursor& cursor, std::int32_t row,
                                                   std::int32_t column, int width);

// Adds the write of `value` into entry (row, column) to `edit`. Returns false, adding nothing,
// for an entry outside the image.
bool AddEntryWrite(TImageEdit& edit, const TRomImage& image, const TTableCursor& cursor,
                   std::int32_t row, std::int32_t column, std::uint32_t value, int width);

// True when the entry's bytes differ from the baseline: the changed-cell mark.
[[nodiscard]] bool EntryChanged(const TImageDocument& document, const TTableCursor& cursor,
                                std::int32_t row, std::int32_t column, int width);

// The marks of entries (row, firstColumn) … (row, firstColumn + marks.size() − 1) at once,
// as EntryChanged gives them one by one: what a paint asks for each visible row.
void RowChanges(const TImageDocument& document, const TTableCursor& cursor, std::int32_t row,
                std::int32_t firstColumn, int width, std::span<bool> marks);
