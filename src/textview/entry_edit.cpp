#include "textview/entry_edit.h"

#include "app/number_text.h"
#include "image/document_entries.h"
#include "image/table_entry.h"

#include <array>
#include <optional>

namespace {

// The low 8 × width bits, as the entry keeps them.
std::uint32_t CutToWidth(std::uint32_t value, EntryWidth width) {
  return width.Bytes() == 4 ? value : value & ((std::uint32_t{1} << (8 * width.Bytes())) - 1);
}

EntryEdit Plan(std::span<const std::uint8_t> image, const TTableCursor& cursor, std::int32_t row,
               std::int32_t column, EntryWidth width, auto newValue) {
  const std::optional<std::size_t> position =
      EntryPositionInside(image, cursor, row, column, width.Bytes());
  if (!position) return EntryOutsideImage{};
  const std::uint32_t old = ReadEntryAt(image, *position, width.Bytes());
  return EntryStored{old, CutToWidth(newValue(old), width), *position};
}

}  // namespace

EntryEdit PlanTextEdit(std::span<const std::uint8_t> image, const TTableCursor& cursor,
                       std::int32_t row, std::int32_t column, EntryWidth width,
                       std::string_view text) {
  const std::optional<std::int32_t> value = TryParseInteger(text);
  if (!value) return EntryRejected{std::string(kBadValueText)};
  return Plan(image, cursor, row, column, width,
              [&](std::uint32_t) { return static_cast<std::uint32_t>(*value); });
}

EntryEdit PlanStep(std::span<const std::uint8_t> image, const TTableCursor& cursor,
                   std::int32_t row, std::int32_t column, EntryWidth width, std::int32_t step) {
  return Plan(image, cursor, row, column, width,
              [&](std::uint32_t old) { return old + static_cast<std::uint32_t>(step); });
}

TEditOutcome ApplyEntryEdit(TImageDocument& document, const EntryEdit& edit, EntryWidth width) {
  const auto* stored = std::get_if<EntryStored>(&edit);
  if (stored == nullptr) return {};
  const std::array<std::uint8_t, 4> bytes = EntryBytes(stored->NewValue, width.Bytes());
  // The document refuses a plan made over another image that does not fit this one.
  return document.Write(static_cast<std::int64_t>(stored->Position),
                        std::span(bytes).first(static_cast<std::size_t>(width.Bytes())));
}

EntryEdit StoreEntryText(TImageDocument& document, const TTableCursor& cursor, std::int32_t row,
                         std::int32_t column, EntryWidth width, std::string_view text) {
  EntryEdit edit = PlanTextEdit(document.Bytes(), cursor, row, column, width, text);
  (void)ApplyEntryEdit(document, edit, width);
  return edit;
}

EntryEdit StepEntry(TImageDocument& document, const TTableCursor& cursor, std::int32_t row,
                    std::int32_t column, EntryWidth width, std::int32_t step) {
  EntryEdit edit = PlanStep(document.Bytes(), cursor, row, column, width, step);
  (void)ApplyEntryEdit(document, edit, width);
  return edit;
}
