#include "image/image_document.h"
#include "image/document_entries.h"
#include "image/table_entry.h"
#include "textview/entry_edit.h"

#include "support/image_of.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace {

// Entries written and stepped as Enter and plus and minus do, as one step each; a width that
// is none of 1, 2 and 4 writes nothing.
TEditResult Outcome(const TImageDocument& document, std::size_t stepsBefore,
                    const EntryEdit& edit) {
  if (std::holds_alternative<EntryOutsideImage>(edit)) return TEditResult::OutsideImage;
  return document.UndoCount() > stepsBefore ? TEditResult::Applied : TEditResult::Unchanged;
}

TEditResult WriteValue(TImageDocument& document, const TTableCursor& cursor, std::int32_t row,
                       std::int32_t column, std::uint32_t value, int width) {
  const std::optional<EntryWidth> entryWidth = EntryWidth::FromBytes(width);
  if (!entryWidth) return TEditResult::OutsideImage;
  const std::size_t before = document.UndoCount();
  return Outcome(document, before,
                 StoreEntryText(document, cursor, row, column, *entryWidth,
                                std::to_string(static_cast<std::int32_t>(value))));
}

TEditResult StepValue(TImageDocument& document, const TTableCursor& cursor, std::int32_t row,
                      std::int32_t column, std::int32_t step, int width) {
  const std::optional<EntryWidth> entryWidth = EntryWidth::FromBytes(width);
  if (!entryWidth) return TEditResult::OutsideImage;
  const std::size_t before = document.UndoCount();
  return Outcome(document, before, StepEntry(document, cursor, row, column, *entryWidth, step));
}

TRomImage Counting(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i);
  return ImageOf(std::move(bytes));
}

std::vector<std::uint8_t> B(std::initializer_list<int> values) {
  std::vector<std::uint8_t> bytes;
  for (const int v : values) bytes.push_back(static_cast<std::uint8_t>(v));
  return bytes;
}

TTableCursor Cursor(std::int32_t columns) {
  TTableCursor cursor;
  cursor.Columns = columns;
  return cursor;
}

TEST(ImageDocumentTest, UndoAndRedoRestoreTheRecordedBytes) {
  TRomImage image = ImageOf(B({1, 2, 3, 4, 5, 6}));
  TImageDocument document(image);
  EXPECT_FALSE(document.CanUndo());
  EXPECT_FALSE(document.CanRedo());

  EXPECT_EQ(document.Write(1, B({0xA1, 0xA2})).changed, (TByteRange{1, 2}));
  EXPECT_EQ(document.Write(4, B({0xB1})).result, TEditResult::Applied);
  EXPECT_EQ(*image.Bytes, B({1, 0xA1, 0xA2, 4, 0xB1, 6}));

  const TEditOutcome undone = document.Undo();
  EXPECT_EQ(undone.result, TEditResult::Applied);
  EXPECT_EQ(undone.changed, (TByteRange{4, 1}));
  EXPECT_EQ(*image.Bytes, B({1, 0xA1, 0xA2, 4, 5, 6}));
  EXPECT_EQ(document.Undo().changed, (TByteRange{1, 2}));
  EXPECT_EQ(*image.Bytes, B({1, 2, 3, 4, 5, 6}));
  EXPECT_FALSE(document.CanUndo());
  EXPECT_EQ(document.Undo().result, TEditResult::NothingToDo);

  EXPECT_EQ(document.Redo().changed, (TByteRange{1, 2}));
  EXPECT_EQ(document.Redo().changed, (TByteRange{4, 1}));
  EXPECT_EQ(*image.Bytes, B({1, 0xA1, 0xA2, 4, 0xB1, 6}));
  EXPECT_EQ(document.Redo().result, TEditResult::NothingToDo);
}

TEST(ImageDocumentTest, ANewChangeAfterUndosDropsTheRedoSteps) {
  TRomImage image = ImageOf(B({0, 0, 0}));
  TImageDocument document(image);
  (void)document.Write(0, B({1}));
  (void)document.Write(1, B({2}));
  (void)document.Undo();
  ASSERT_TRUE(document.CanRedo());
  (void)document.Write(2, B({3}));
  EXPECT_FALSE(document.CanRedo());
  EXPECT_EQ(document.UndoCount(), 2u);
  (void)document.Undo();
  (void)document.Undo();
  EXPECT_EQ(*image.Bytes, B({0, 0, 0}));
}

TEST(ImageDocumentTest, AnEditOfManyRunsIsOneStep) {
  TRomImage image = Counting(16);
  TImageDocument document(image);
  TImageEdit edit;
  edit.Add(2, B({0xF0, 0xF1}));
  edit.Add(4, B({0xF2}));  // continues the run before it
  edit.Add(12, B({0xF3}));
  edit.Add(3, B({0xF4}));  // writes a byte of this edit again
  const TEditOutcome applied = document.Apply(edit);
  EXPECT_EQ(applied.changed, (TByteRange{2, 11}));
  EXPECT_EQ(document.UndoCount(), 1u);
  EXPECT_EQ((*image.Bytes)[3], 0xF4);
  (void)document.Undo();
  EXPECT_EQ(*image.Bytes, *Counting(16).Bytes);
  EXPECT_FALSE(document.Modified());
}

TEST(ImageDocumentTest, AChangeThatChangesNothingRecordsNoStep) {
  TRomImage image = ImageOf(B({7, 8}));
  TImageDocument document(image);
  EXPECT_EQ(document.Write(0, B({7, 8})).result, TEditResult::Unchanged);
  EXPECT_EQ(document.Apply(TImageEdit()).result, TEditResult::NothingToDo);
  EXPECT_FALSE(document.CanUndo());
  // Only the run that changes something is kept.
  TImageEdit edit;
  edit.Add(0, B({7}));
  edit.Add(1, B({9}));
  EXPECT_EQ(document.Apply(edit).changed, (TByteRange{1, 1}));
}

TEST(ImageDocumentTest, WritesReachingOutsideTheImageAreRefusedWhole) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  const struct {
    const char* what;
    std::int64_t position;
    std::size_t length;
  } outside[] = {
      {"before the start", -1, 1},
      {"last byte past the end", 7, 2},
      {"first byte past the end", 8, 1},
      {"far past the end", std::int64_t{1} << 40, 1},
      {"end past the 64-bit range", kMax, 2},
      {"most negative", std::numeric_limits<std::int64_t>::min(), 1},
  };
  for (const auto& c : outside) {
    TRomImage image = Counting(8);
    TImageDocument document(image);
    TImageEdit edit;
    edit.Add(0, B({0xEE}));  // inside, but the edit is all or nothing
    edit.Add(c.position, std::vector<std::uint8_t>(c.length, 0xEE));
    EXPECT_EQ(document.Apply(edit).result, TEditResult::OutsideImage) << c.what;
    EXPECT_EQ(*image.Bytes, *Counting(8).Bytes) << c.what;
    EXPECT_FALSE(document.CanUndo()) << c.what;
  }
}

TEST(ImageDocumentTest, NoImageOrAClosedOneTakesNoWrite) {
  TRomImage none;
  TImageDocument empty(none);
  EXPECT_EQ(empty.Write(0, B({1})).result, TEditResult::OutsideImage);
  EXPECT_FALSE(empty.Differs({0, 1}));

  TRomImage image = Counting(4);
  TImageDocument closed(image);
  image.Size = 0;  // Close keeps the buffer
  EXPECT_EQ(closed.Write(0, B({1})).result, TEditResult::OutsideImage);
  EXPECT_EQ((*image.Bytes)[0], 0);
  // A size claiming more than the buffer holds is held to the buffer.
  image.Size = 100;
  EXPECT_EQ(closed.Write(4, B({1})).result, TEditResult::OutsideImage);
  EXPECT_EQ(closed.Bytes().size(), 4u);
}

TEST(ImageDocumentTest, MarksFollowTheBaseline) {
  TRomImage image = Counting(8);
  TImageDocument document(image);
  (void)document.Write(2, B({0xAA, 0xBB}));
  const struct {
    TByteRange range;
    bool differs;
  } rows[] = {
      {{0, 2}, false}, {{1, 2}, true},  {{3, 1}, true},  {{4, 4}, false},
      {{0, 8}, true},  {{-5, 8}, true}, {{2, 0}, false}, {{6, 100}, false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(document.Differs(row.range), row.differs)
        << row.range.first << "+" << row.range.count;
  }
  EXPECT_TRUE(document.Modified());

  // Typing the original value back removes the mark; so does undoing.
  (void)document.Write(3, B({3}));
  EXPECT_FALSE(document.Differs({3, 1}));
  EXPECT_TRUE(document.Differs({2, 1}));
  (void)document.Undo();
  (void)document.Undo();
  EXPECT_FALSE(document.Modified());
  (void)document.Redo();
  EXPECT_TRUE(document.Differs({2, 2}));
}

TEST(ImageDocumentTest, SavingMakesTheCurrentBytesTheBaseline) {
  TRomImage image = Counting(8);
  TImageDocument document(image);
  (void)document.Write(1, B({0xAA}));
  document.MarkSaved();
  EXPECT_FALSE(document.Modified());
  EXPECT_EQ(document.BaselineSize(), 0u);
  ASSERT_TRUE(document.CanUndo());  // the history stays

  // Undoing past the save changes the bytes against the saved ones.
  (void)document.Undo();
  EXPECT_EQ((*image.Bytes)[1], 1);
  EXPECT_TRUE(document.Differs({1, 1}));
  (void)document.Redo();
  EXPECT_FALSE(document.Modified());
}

TEST(ImageDocumentTest, TheBaselineKeepsOnlyChangedPositions) {
  TRomImage image = Counting(4096);
  TImageDocument document(image);
  for (int i = 0; i < 100; ++i) (void)document.Write(100, B({i}));
  (void)document.Write(0, std::vector<std::uint8_t>(64, 0xFF));
  EXPECT_EQ(document.BaselineSize(), 65u);
  for (int i = 0; i < 101; ++i) (void)document.Undo();
  EXPECT_EQ(*image.Bytes, *Counting(4096).Bytes);
}

TEST(ImageDocumentTest, ResetLeavesNothingToUndo) {
  TRomImage image = Counting(8);
  TImageDocument document(image);
  (void)document.Write(0, B({0xAA}));
  (void)document.Write(1, B({0xBB}));
  (void)document.Undo();
  document.Reset();
  EXPECT_FALSE(document.CanUndo());
  EXPECT_FALSE(document.CanRedo());
  EXPECT_FALSE(document.Modified());
  EXPECT_EQ(document.HistoryBytes(), 0u);
}

// Regression: a step recorded under a longer image must never write into a shorter one.
TEST(ImageDocumentTest, LoadOfAShorterImageCannotBeUndonePast) {
  TRomImage image = Counting(64);
  TImageDocument document(image);
  (void)document.Write(60, B({0xAA, 0xBB}));
  (void)document.Write(10, B({0xCC}));
  (void)document.Undo();  // a redo step past the new end too

  // Load: the image is replaced, then the history starts afresh.
  image = Counting(16);
  document.Reset();
  EXPECT_EQ(document.Undo().result, TEditResult::NothingToDo);
  EXPECT_EQ(document.Redo().result, TEditResult::NothingToDo);
  EXPECT_FALSE(document.Differs({0, 64}));
  EXPECT_EQ(*image.Bytes, *Counting(16).Bytes);
}

TEST(ImageDocumentTest, AStepThatNoLongerFitsIsRefusedNotApplied) {
  TRomImage image = Counting(64);
  TImageDocument document(image);
  (void)document.Write(60, B({0xAA, 0xBB}));
  (void)document.Write(2, B({0xCC}));
  (void)document.Undo();
  // Without the Reset a load does: the image shrinks under the history.
  image = Counting(16);
  EXPECT_EQ(document.Redo().result, TEditResult::Applied);  // byte 2 still fits
  EXPECT_EQ(document.Undo().result, TEditResult::Applied);
  EXPECT_EQ(document.Undo().result, TEditResult::OutsideImage);
  EXPECT_TRUE(document.CanUndo());  // the refused step stays where it was
  EXPECT_EQ(*image.Bytes, *Counting(16).Bytes);
  EXPECT_FALSE(document.Differs({0, 64}));  // baseline positions past the end never count
}

TEST(ImageDocumentTest, HistoryDropsTheOldestStepsAtItsBounds) {
  const struct {
    const char* what;
    THistoryLimits limits;
    std::size_t writeLength;
    std::size_t kept;
  } rows[] = {
      {"by count", {3, 1u << 20}, 1, 3},
      {"by bytes", {1000, 3000}, 400, 3},  // each step holds 800 bytes and some bookkeeping
      {"a step larger than the bound is still kept", {1000, 10}, 100, 1},
  };
  for (const auto& row : rows) {
    // Step i writes writeLength bytes of 0xF0 + i from position i.
    const auto write = [&](TImageDocument& document, std::int64_t i) {
      (void)document.Write(i, std::vector<std::uint8_t>(row.writeLength, 0xF0 + i));
    };
    TRomImage image = Counting(1024);
    TImageDocument document(image, row.limits);
    for (std::int64_t i = 0; i < 6; ++i) write(document, i);
    EXPECT_EQ(document.UndoCount(), row.kept) << row.what;
    if (row.kept > 1) {
      EXPECT_LE(document.HistoryBytes(), row.limits.maxBytes) << row.what;
    }

    while (document.CanUndo()) (void)document.Undo();
    // The image as the dropped steps left it; their bytes still differ from the baseline.
    TRomImage expected = Counting(1024);
    TImageDocument replay(expected);
    for (std::int64_t i = 0; i < static_cast<std::int64_t>(6 - row.kept); ++i) write(replay, i);
    EXPECT_EQ(*image.Bytes, *expected.Bytes) << row.what;
    EXPECT_TRUE(document.Differs({0, 1})) << row.what;
    EXPECT_FALSE(document.Differs({1024 - 1, 1})) << row.what;
  }
}

TEST(DocumentEntriesTest, EntriesAreWrittenAsTypedValuesAre) {
  const struct {
    std::uint32_t value;
    int width;
    std::vector<std::uint8_t> stored;
  } rows[] = {
      {300, 1, {0x2C, 0xAA, 0xAA, 0xAA}},
      {static_cast<std::uint32_t>(-1), 1, {0xFF, 0xAA, 0xAA, 0xAA}},
      {70000, 2, {0x11, 0x70, 0xAA, 0xAA}},
      {static_cast<std::uint32_t>(-2), 2, {0xFF, 0xFE, 0xAA, 0xAA}},
      {0x01020304, 4, {0x01, 0x02, 0x03, 0x04}},
  };
  for (const auto& row : rows) {
    TRomImage image = ImageOf({0xAA, 0xAA, 0xAA, 0xAA});
    TImageDocument document(image);
    EXPECT_EQ(WriteValue(document, Cursor(16), 0, 0, row.value, row.width), TEditResult::Applied);
    EXPECT_EQ(*image.Bytes, row.stored) << row.value;
    EXPECT_TRUE(EntryChanged(document, Cursor(16), 0, 0, row.width));
    (void)document.Undo();
    EXPECT_FALSE(EntryChanged(document, Cursor(16), 0, 0, row.width));
  }
}

TEST(DocumentEntriesTest, StepsWrapWithinTheWidth) {
  TRomImage image = ImageOf({0xFF, 0x00, 0x00});
  TImageDocument document(image);
  EXPECT_EQ(StepValue(document, Cursor(16), 0, 0, 1, 1), TEditResult::Applied);
  EXPECT_EQ((*image.Bytes)[0], 0x00);
  TTableCursor cursor = Cursor(16);
  cursor.TableAddress = 1;
  EXPECT_EQ(StepValue(document, cursor, 0, 0, -1, 2), TEditResult::Applied);
  EXPECT_EQ(*image.Bytes, B({0x00, 0xFF, 0xFF}));
  (void)document.Undo();
  (void)document.Undo();
  EXPECT_EQ(*image.Bytes, B({0xFF, 0x00, 0x00}));
}

TEST(DocumentEntriesTest, AnEntryOutsideTheImageIsNeitherWrittenNorMarked) {
  const struct {
    const char* what;
    std::int32_t base, table, row, column;
    int width;
  } rows[] = {
      {"past the end", 0, 0, 1, 0, 1},
      {"straddling the end", 0, 3, 0, 0, 2},
      {"before the start", 8, 7, 0, 0, 1},
      {"not a width", 0, 0, 0, 0, 3},
  };
  for (const auto& row : rows) {
    TRomImage image = Counting(4);
    TImageDocument document(image);
    TTableCursor cursor = Cursor(4);
    cursor.BaseAddress = row.base;
    cursor.TableAddress = row.table;
    EXPECT_EQ(WriteValue(document, cursor, row.row, row.column, 9, row.width),
              TEditResult::OutsideImage)
        << row.what;
    EXPECT_EQ(StepValue(document, cursor, row.row, row.column, 1, row.width),
              TEditResult::OutsideImage)
        << row.what;
    EXPECT_FALSE(EntryChanged(document, cursor, row.row, row.column, row.width)) << row.what;
    EXPECT_EQ(*image.Bytes, *Counting(4).Bytes) << row.what;
  }
}

// The undo finds the bytes where they were written, wherever the current table lies now.
TEST(DocumentEntriesTest, UndoRestoresBytesAcrossATableChange) {
  TRomImage image = Counting(32);
  TImageDocument document(image);
  TTableCursor first = Cursor(4);
  first.TableAddress = 8;
  (void)WriteValue(document, first, 1, 1, 0xBEEF, 2);  // bytes 18 and 19
  TTableCursor second = Cursor(2);
  EXPECT_EQ(document.Undo().changed, (TByteRange{18, 2}));
  EXPECT_EQ(*image.Bytes, *Counting(32).Bytes);
  EXPECT_FALSE(EntryChanged(document, second, 4, 1, 2));
}

// The row query a paint makes agrees with asking cell by cell, at the image's edges too.
TEST(DocumentEntriesTest, RowChangesAgreeWithEntryChanged) {
  for (const int width : {1, 2, 4}) {
    // A 6 × 5 table starting 3 bytes before the image, whose end cuts an entry in two.
    TRomImage image = Counting(static_cast<std::size_t>(23 * width + 1));
    TImageDocument document(image);
    TTableCursor cursor = Cursor(5);
    cursor.BaseAddress = 3;
    for (std::int64_t p = 0; p < image.Size; p += 3) (void)document.Write(p, B({0xEE}));
    (void)document.Write(1, B({1}));  // changed back
    for (std::int32_t row = 0; row < 6; ++row) {
      for (std::int32_t first = 0; first < 5; ++first) {
        bool marks[7];
        std::fill(std::begin(marks), std::end(marks), true);
        const auto count = static_cast<std::size_t>(5 - first);
        RowChanges(document, cursor, row, first, width, std::span(marks, count));
        for (std::size_t i = 0; i < count; ++i) {
          const auto column = first + static_cast<std::int32_t>(i);
          EXPECT_EQ(marks[i], EntryChanged(document, cursor, row, column, width))
              << width << ": " << row << ", " << column;
        }
        EXPECT_TRUE(marks[count]) << "a mark past the span was written";
      }
    }
  }
}

}  // namespace
