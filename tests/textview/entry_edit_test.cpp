#include "textview/entry_edit.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>
#include <variant>
#include <vector>

namespace {

TTableCursor Cursor(std::int32_t table, std::int32_t columns) {
  TTableCursor cursor;
  cursor.TableAddress = table;
  cursor.Columns = columns;
  return cursor;
}

using Bytes = std::vector<std::uint8_t>;

// The edits made through a document over `bytes`, which then hold the image's bytes.
template <typename Edit>
EntryEdit ThroughDocument(Bytes& bytes, Edit edit) {
  TRomImage image;
  image.Size = static_cast<std::int32_t>(bytes.size());
  image.Bytes = bytes;
  TImageDocument document(image);
  const EntryEdit result = edit(document);
  bytes = *image.Bytes;
  return result;
}

EntryEdit StoreText(Bytes& bytes, const TTableCursor& cursor, std::int32_t row, std::int32_t column,
                    EntryWidth width, std::string_view text) {
  return ThroughDocument(bytes, [&](TImageDocument& document) {
    return StoreEntryText(document, cursor, row, column, width, text);
  });
}

EntryEdit Step(Bytes& bytes, const TTableCursor& cursor, std::int32_t row, std::int32_t column,
               EntryWidth width, std::int32_t step) {
  return ThroughDocument(bytes, [&](TImageDocument& document) {
    return StepEntry(document, cursor, row, column, width, step);
  });
}

TEST(StoreEntryTextTest, StoresTheParsedValueCutToTheWidth) {
  const struct {
    const char* text;
    EntryWidth width;
    std::uint32_t newValue;
    Bytes stored;  // bytes 2 … 5 of the image after the edit of entry (0, 1)
  } cases[] = {
      {"0x1F", EntryWidth::k8Bit, 31, {0x1F, 0xAA, 0xAA, 0xAA}},
      {"$FF", EntryWidth::k8Bit, 255, {0xFF, 0xAA, 0xAA, 0xAA}},
      {"xff", EntryWidth::k16Bit, 255, {0x00, 0xFF, 0xAA, 0xAA}},
      {"0XfF", EntryWidth::k16Bit, 255, {0x00, 0xFF, 0xAA, 0xAA}},
      {"  12", EntryWidth::k8Bit, 12, {0x0C, 0xAA, 0xAA, 0xAA}},
      {"300", EntryWidth::k8Bit, 0x2C, {0x2C, 0xAA, 0xAA, 0xAA}},
      {"70000", EntryWidth::k16Bit, 4464, {0x11, 0x70, 0xAA, 0xAA}},
      {"-2", EntryWidth::k16Bit, 0xFFFE, {0xFF, 0xFE, 0xAA, 0xAA}},
      {"0xFFFFFFFF", EntryWidth::k8Bit, 0xFF, {0xFF, 0xAA, 0xAA, 0xAA}},
      {"0xFFFFFFFF", EntryWidth::k16Bit, 0xFFFF, {0xFF, 0xFF, 0xAA, 0xAA}},
      {"0xFFFFFFFF", EntryWidth::k32Bit, 0xFFFFFFFF, {0xFF, 0xFF, 0xFF, 0xFF}},
      {"-2147483647", EntryWidth::k32Bit, 0x80000001, {0x80, 0x00, 0x00, 0x01}},
  };
  for (const auto& c : cases) {
    // Entry (0, 1) of a table at byte 2 - width with two columns: its first byte is byte 2.
    Bytes image(10, 0xAA);
    const TTableCursor cursor = Cursor(2 - c.width.Bytes(), 2);
    const EntryEdit edit = StoreText(image, cursor, 0, 1, c.width, c.text);
    const std::uint32_t old = c.width == 4 ? 0xAAAAAAAA : (c.width == 2 ? 0xAAAA : 0xAA);
    EXPECT_EQ(edit, EntryEdit(EntryStored{old, c.newValue, 2})) << c.text;
    EXPECT_EQ(Bytes(image.begin() + 2, image.begin() + 6), c.stored) << c.text;
  }
}

TEST(StoreEntryTextTest, RejectsTextsThatAreNoNumberAndWritesNothing) {
  for (const char* text : {"12 ", "-0x10", "2147483648", "-2147483648", "???", "", "0x"}) {
    Bytes image(4, 0x55);
    const EntryEdit edit = StoreText(image, Cursor(0, 4), 0, 0, EntryWidth::k16Bit, text);
    EXPECT_EQ(edit, EntryEdit(EntryRejected{std::string(kBadValueText)})) << text;
    EXPECT_EQ(image, Bytes(4, 0x55)) << text;
  }
  // A bad text is rejected wherever the entry lies.
  Bytes image(4, 0x55);
  EXPECT_TRUE(std::holds_alternative<EntryRejected>(
      StoreText(image, Cursor(100, 4), 0, 0, EntryWidth::k8Bit, "abc")));
}

TEST(StoreEntryTextTest, EntriesNotWhollyInsideTheImageAreNotWritten) {
  const struct {
    const char* what;
    TTableCursor cursor;
    std::int32_t row;
    std::int32_t column;
    EntryWidth width;
  } cases[] = {
      {"past the end", Cursor(0, 4), 1, 0, EntryWidth::k8Bit},
      {"straddling the end", Cursor(3, 4), 0, 0, EntryWidth::k16Bit},
      {"before the start", Cursor(-1, 4), 0, 0, EntryWidth::k8Bit},
  };
  for (const auto& c : cases) {
    Bytes image(4, 0x55);
    EXPECT_EQ(StoreText(image, c.cursor, c.row, c.column, c.width, "1"),
              EntryEdit(EntryOutsideImage{}))
        << c.what;
    EXPECT_EQ(Step(image, c.cursor, c.row, c.column, c.width, 1), EntryEdit(EntryOutsideImage{}))
        << c.what;
    EXPECT_EQ(image, Bytes(4, 0x55)) << c.what;
  }
  Bytes none;
  EXPECT_EQ(Step(none, Cursor(0, 1), 0, 0, EntryWidth::k8Bit, -1), EntryEdit(EntryOutsideImage{}));
}

TEST(StepEntryTest, StepsWrapWithinTheWidth) {
  const struct {
    Bytes before;
    EntryWidth width;
    std::int32_t step;
    Bytes after;
  } cases[] = {
      {{0xFF, 0x00}, EntryWidth::k8Bit, 1, {0x00, 0x00}},
      {{0x00, 0x00}, EntryWidth::k8Bit, -1, {0xFF, 0x00}},
      {{0x00, 0x00}, EntryWidth::k16Bit, -1, {0xFF, 0xFF}},
      {{0x12, 0xFF}, EntryWidth::k16Bit, 1, {0x13, 0x00}},
  };
  for (const auto& c : cases) {
    Bytes image = c.before;
    const EntryEdit edit = Step(image, Cursor(0, 1), 0, 0, c.width, c.step);
    ASSERT_TRUE(std::holds_alternative<EntryStored>(edit));
    EXPECT_EQ(image, c.after);
  }
}

TEST(PlanTextEditTest, PlansWithoutWritingAndAppliesOnlyWhatFits) {
  Bytes image{0x01, 0x02, 0x03, 0x04};
  const EntryEdit plan = PlanTextEdit(image, Cursor(0, 1), 1, 0, EntryWidth::k16Bit, "0x0A0B");
  EXPECT_EQ(plan, EntryEdit(EntryStored{0x0304, 0x0A0B, 2}));
  EXPECT_EQ(image, (Bytes{0x01, 0x02, 0x03, 0x04}));

  Bytes shorter{0x01, 0x02, 0x03};
  // Position 2 holds no 16-bit entry here.
  ThroughDocument(shorter, [&](TImageDocument& document) {
    EXPECT_EQ(ApplyEntryEdit(document, plan, EntryWidth::k16Bit).result, TEditResult::OutsideImage);
    return plan;
  });
  EXPECT_EQ(shorter, (Bytes{0x01, 0x02, 0x03}));
  ThroughDocument(image, [&](TImageDocument& document) {
    EXPECT_TRUE(ApplyEntryEdit(document, plan, EntryWidth::k16Bit).Applied());
    EXPECT_EQ(document.UndoCount(), 1u);
    return plan;
  });
  EXPECT_EQ(image, (Bytes{0x01, 0x02, 0x0A, 0x0B}));
}

}  // namespace
