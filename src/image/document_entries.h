#pragma once

// Table entries written and compared through the image document, so every change of an entry
// becomes an undoable step. An entry that does not lie wholly inside the image is never
// written and never counts as changed.

#include "app/shared_state.h"
#include "image/image_document.h"
#include "image/table_layout.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>

// The bytes entry (row, column) occupies, or nothing for an entry outside the image.
[[nodiscard]] std::optional<TByteRange> EntryRange(const TRomImage& image,
                                                   const TTableLayout& table, std::int32_t row,
                                                   std::int32_t column);

// Adds the write of `value` (its low 8 × width bits, in the table's byte order) into entry
// (row, column) to `edit`. Returns false, adding nothing, for an entry outside the image.
bool AddEntryWrite(TImageEdit& edit, const TRomImage& image, const TTableLayout& table,
                   std::int32_t row, std::int32_t column, std::int64_t value);

// True when the entry's bytes differ from the baseline: the changed-cell mark.
[[nodiscard]] bool EntryChanged(const TImageDocument& document, const TTableLayout& table,
                                std::int32_t row, std::int32_t column);

// The marks of entries (row, firstColumn) … (row, firstColumn + marks.size() − 1) at once,
// as EntryChanged gives them one by one: what a paint asks for each visible row.
void RowChanges(const TImageDocument& document, const TTableLayout& table, std::int32_t row,
                std::int32_t firstColumn, std::span<bool> marks);

// A table entry by its row and column, counted from 0.
struct TEntryCell {
  std::int32_t row = 0;
  std::int32_t column = 0;
  friend bool operator==(const TEntryCell&, const TEntryCell&) = default;
};

// The entry of the table whose bytes hold every byte of `range`, or nothing when no one entry
// of its rows and columns does.
[[nodiscard]] std::optional<TEntryCell> EntryHolding(const TTableLayout& table, TByteRange range);

// The first entry of the table (rows are stored one after another) holding a byte of `range`,
// or nothing when the range lies wholly outside the table.
[[nodiscard]] std::optional<TEntryCell> FirstEntryIn(const TTableLayout& table, TByteRange range);

// True when entry (row, column) lies wholly inside both `image` and `compared` and its bytes
// differ between them; entries outside either are not compared.
[[nodiscard]] bool EntryDiffers(std::span<const std::uint8_t> image,
                                std::span<const std::uint8_t> compared, const TTableLayout& table,
                                std::int32_t row, std::int32_t column);

// The next (or, going back, the previous) entry after `from` in reading order that differs
// between `image` and `compared`; nothing when there is none. Only entries inside both images
// are visited, so the cost follows the images, whatever the table's size.
[[nodiscard]] std::optional<TEntryCell> NextDifference(std::span<const std::uint8_t> image,
                                                       std::span<const std::uint8_t> compared,
                                                       const TTableLayout& table, TEntryCell from,
                                                       bool forward);

// The value entry `cell` held before `change`, which lay within it: its bytes in `image` now,
// with the change's earlier bytes put back. Nothing when the change does not say them.
[[nodiscard]] std::optional<std::int64_t> EntryValueBefore(const TTableLayout& table,
                                                           std::span<const std::uint8_t> image,
                                                           TEntryCell cell,
                                                           const TDocumentChange& change);

// The same for the cursor's table at `width` bytes per entry; nothing is changed or marked
// for any width but 1, 2 and 4.
[[nodiscard]] bool EntryChanged(const TImageDocument& document, const TTableCursor& cursor,
                                std::int32_t row, std::int32_t column, int width);
void RowChanges(const TImageDocument& document, const TTableCursor& cursor, std::int32_t row,
                std::int32_t firstColumn, int width, std::span<bool> marks);
