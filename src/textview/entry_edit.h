#pragma once

// What Enter and the plus and minus keys do to the selected entry of the text view, without
// a window: a cell text parsed and stored, or an entry stepped by one. Each returns what
// happened, so the window only tells the user and shows the cell again.

#include "app/shared_state.h"
#include "image/entry_width.h"
#include "image/image_document.h"
#include "image/table_layout.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

// The text of the box shown for a cell text that is no number (caption "Input Error").
inline constexpr std::string_view kBadValueText =
    "Bad value. Must be decimal or hex with a leading '0x'";

// The entry at byte `Position` went from `OldValue` to `NewValue` (the entry's bits).
struct EntryStored {
  std::uint32_t OldValue = 0;
  std::uint32_t NewValue = 0;
  std::size_t Position = 0;
  friend bool operator==(const EntryStored&, const EntryStored&) = default;
};

// The text is no number; nothing was written.
struct EntryRejected {
  std::string Message;
  friend bool operator==(const EntryRejected&, const EntryRejected&) = default;
};

// The entry does not lie wholly inside the image; nothing was written.
struct EntryOutsideImage {
  friend bool operator==(const EntryOutsideImage&, const EntryOutsideImage&) = default;
};

using EntryEdit = std::variant<EntryStored, EntryRejected, EntryOutsideImage>;

// Where entry (row, column) lies in `image` and the value that `text` (ParseInteger's rules)
// would store there, cut to the entry's width; nothing is written. A text that is no number
// is rejected wherever the entry lies.
[[nodiscard]] EntryEdit PlanTextEdit(std::span<const std::uint8_t> image, const TTableLayout& table,
                                     std::int32_t row, std::int32_t column, std::string_view text);

// The entry stepped by `step`, wrapping within its width (FF + 1 is 00 in an 8-bit entry).
[[nodiscard]] EntryEdit PlanStep(std::span<const std::uint8_t> image, const TTableLayout& table,
                                 std::int32_t row, std::int32_t column, std::int32_t step);

// Writes a planned edit's new value through the document, as one undoable step, in the
// type's byte order; anything but EntryStored, or a position whose entry does not fit the
// image, writes nothing.
TEditOutcome ApplyEntryEdit(TImageDocument& document, const EntryEdit& edit, TElementType type);

// Plan and write in one, through the document: what Enter and the plus and minus keys do.
EntryEdit StoreEntryText(TImageDocument& document, const TTableLayout& table, std::int32_t row,
                         std::int32_t column, std::string_view text);
EntryEdit StepEntry(TImageDocument& document, const TTableLayout& table, std::int32_t row,
                    std::int32_t column, std::int32_t step);

// The same for the cursor's table at `width` bytes per entry, and for an unsigned big-endian
// entry of `width` bytes.
[[nodiscard]] EntryEdit PlanTextEdit(std::span<const std::uint8_t> image,
                                     const TTableCursor& cursor, std::int32_t row,
                                     std::int32_t column, EntryWidth width, std::string_view text);
EntryEdit StoreEntryText(TImageDocument& document, const TTableCursor& cursor, std::int32_t row,
                         std::int32_t column, EntryWidth width, std::string_view text);
EntryEdit StepEntry(TImageDocument& document, const TTableCursor& cursor, std::int32_t row,
                    std::int32_t column, EntryWidth width, std::int32_t step);
TEditOutcome ApplyEntryEdit(TImageDocument& document, const EntryEdit& edit, EntryWidth width);
