#include "textview/entry_edit.h"

#include "app/number_text.h"

#include <array>
#include <optional>

namespace {

EntryEdit Plan(std::span<const std::uint8_t> image, const TTableLayout& table, std::int32_t row,
               std::int32_t column, auto newValue) {
  const std::optional<std::size_t> position = table.EntryInside(image, row, column);
  if (!position) return EntryOutsideImage{};
  const std::uint32_t old = DecodeBits(table.Type, image.data() + *position);
  return EntryStored{old, BitsOfValue(table.Type, newValue(old)), *position};
}

}  // namespace

EntryEdit PlanTextEdit(std::span<const std::uint8_t> image, const TTableLayout& table,
                       std::int32_t row, std::int32_t column, std::string_view text) {
  const std::optional<std::int32_t> value = TryParseInteger(text);
  if (!value) return EntryRejected{std::string(kBadValueText)};
  return Plan(image, table, row, column, [&](std::uint32_t) { return std::int64_t{*value}; });
}

EntryEdit PlanStep(std::span<const std::uint8_t> image, const TTableLayout& table, std::int32_t row,
                   std::int32_t column, std::int32_t step) {
  return Plan(image, table, row, column,
              [&](std::uint32_t old) { return std::int64_t{old} + step; });
}

TEditOutcome ApplyEntryEdit(TImageDocument& document, const EntryEdit& edit, TElementType type) {
  const auto* stored = std::get_if<EntryStored>(&edit);
  if (stored == nullptr) return {};
  const std::array<std::uint8_t, 4> bytes = EncodeBits(type, stored->NewValue);
  // The document refuses a plan made over another image that does not fit this one.
  return document.Write(static_cast<std::int64_t>(stored->Position),
                        std::span(bytes).first(static_cast<std::size_t>(type.Bytes())));
}

EntryEdit StoreEntryText(TImageDocument& document, const TTableLayout& table, std::int32_t row,
                         std::int32_t column, std::string_view text) {
  EntryEdit edit = PlanTextEdit(document.Bytes(), table, row, column, text);
  (void)ApplyEntryEdit(document, edit, table.Type);
  return edit;
}

EntryEdit StepEntry(TImageDocument& document, const TTableLayout& table, std::int32_t row,
                    std::int32_t column, std::int32_t step) {
  EntryEdit edit = PlanStep(document.Bytes(), table, row, column, step);
  (void)ApplyEntryEdit(document, edit, table.Type);
  return edit;
}

EntryEdit PlanTextEdit(std::span<const std::uint8_t> image, const TTableCursor& cursor,
                       std::int32_t row, std::int32_t column, EntryWidth width,
                       std::string_view text) {
  return PlanTextEdit(image, LayoutOf(cursor, width), row, column, text);
}

EntryEdit StoreEntryText(TImageDocument& document, const TTableCursor& cursor, std::int32_t row,
                         std::int32_t column, EntryWidth width, std::string_view text) {
  return StoreEntryText(document, LayoutOf(cursor, width), row, column, text);
}

EntryEdit StepEntry(TImageDocument& document, const TTableCursor& cursor, std::int32_t row,
                    std::int32_t column, EntryWidth width, std::int32_t step) {
  return StepEntry(document, LayoutOf(cursor, width), row, column, step);
}

TEditOutcome ApplyEntryEdit(TImageDocument& document, const EntryEdit& edit, EntryWidth width) {
  return ApplyEntryEdit(document, edit, TElementType{width});
}
