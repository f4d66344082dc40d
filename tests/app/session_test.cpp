#include "app/session.h"

#include "image/document_entries.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Records what the document tells it.
struct RecordingListener : TDocumentListener {
  std::vector<TByteRange> changes;
  std::vector<std::vector<std::uint8_t>> before;
  int resets = 0;
  int saves = 0;
  bool fail = false;

  void DocumentChanged(const TDocumentChange& change) override {
    changes.push_back(change.range);
    before.emplace_back(change.before.begin(), change.before.end());
    if (fail) throw std::runtime_error("listener failed");
  }
  void DocumentReset() override { ++resets; }
  void DocumentSaved() override { ++saves; }
};

std::span<const std::uint8_t> Bytes(std::initializer_list<std::uint8_t> bytes) {
  static std::vector<std::uint8_t> kept;
  kept = bytes;
  return kept;
}

TEST(SessionTest, LoadCloseAndSaveKeepImageAndHistoryInStep) {
  TSession session;
  RecordingListener listener;
  session.Document().AddListener(listener);
  session.Replace({1, 2, 3, 4}, "a.bin");
  EXPECT_EQ(listener.resets, 1);
  ASSERT_TRUE(session.Document().Write(1, Bytes({9})).Applied());
  EXPECT_TRUE(session.Document().Modified());

  session.SavedAs("b.bin");
  EXPECT_EQ(session.Image().FileName, "b.bin");
  EXPECT_FALSE(session.Document().Modified());
  EXPECT_TRUE(session.Document().CanUndo());  // a save keeps the history
  EXPECT_EQ(listener.saves, 1);

  session.Compare({{1, 2, 3, 4}, "stock.bin"});
  session.Replace({5, 6}, "c.bin");  // a load keeps the comparison, not the history
  EXPECT_FALSE(session.Document().CanUndo());
  EXPECT_TRUE(session.Compared().has_value());

  session.Close();
  EXPECT_EQ(session.Image().Size, 0);
  EXPECT_FALSE(session.Compared().has_value());
  EXPECT_EQ(listener.resets, 3);
  session.Document().RemoveListener(listener);
}

TEST(SessionTest, ListenersAreToldTheChangedRangeAndItsEarlierBytes) {
  TSession session;
  session.Replace({0x10, 0x11, 0x12, 0x13}, "a.bin");
  RecordingListener first;
  RecordingListener second;
  session.Document().AddListener(first);
  session.Document().AddListener(second);
  session.Document().AddListener(first);  // told once all the same

  ASSERT_TRUE(session.Document().Write(1, Bytes({0x11, 0x20, 0x21})).Applied());
  ASSERT_TRUE(session.Document().Undo().Applied());
  ASSERT_TRUE(session.Document().Redo().Applied());
  EXPECT_EQ(first.changes, (std::vector<TByteRange>{{2, 2}, {2, 2}, {2, 2}}));
  EXPECT_EQ(first.before,
            (std::vector<std::vector<std::uint8_t>>{{0x12, 0x13}, {0x20, 0x21}, {0x12, 0x13}}));
  EXPECT_EQ(second.changes.size(), 3u);

  // Unchanged bytes and refused writes tell nobody; a failing listener keeps no one else
  // from being told, and its failure reaches the writer after the step is recorded.
  (void)session.Document().Write(0, Bytes({0x10}));
  (void)session.Document().Write(3, Bytes({1, 2}));
  first.fail = true;
  EXPECT_THROW((void)session.Document().Write(0, Bytes({0x55})), std::runtime_error);
  EXPECT_EQ(second.changes.size(), 4u);
  EXPECT_EQ(session.Document().UndoCount(), 2u);
  session.Document().RemoveListener(first);
  session.Document().RemoveListener(second);
}

TEST(SessionTest, AChangeIsPlacedInTheOneEntryHoldingIt) {
  TTableLayout table;
  table.BaseAddress = 0x100;
  table.TableAddress = 0x104;
  table.Rows = 2;
  table.Columns = 3;
  table.Type = {EntryWidth::k16Bit, true, TByteOrder::LittleEndian};
  EXPECT_EQ(EntryHolding(table, {4, 2}), (TEntryCell{0, 0}));
  EXPECT_EQ(EntryHolding(table, {11, 1}), (TEntryCell{1, 0}));
  EXPECT_EQ(EntryHolding(table, {5, 2}), std::nullopt);   // across two entries
  EXPECT_EQ(EntryHolding(table, {3, 1}), std::nullopt);   // before the table
  EXPECT_EQ(EntryHolding(table, {16, 1}), std::nullopt);  // after its last row

  // Entry (0, 1) holds FF 7F (32767) after its high byte changed from 0xFF (-1 before).
  const std::vector<std::uint8_t> image = {0, 0, 0, 0, 0, 0, 0xFF, 0x7F, 0, 0};
  const std::vector<std::uint8_t> earlier = {0xFF};
  const TDocumentChange change{{7, 1}, earlier};
  EXPECT_EQ(EntryValueBefore(table, image, {0, 1}, change), -1);
  EXPECT_EQ(table.ReadValue(image, 0, 1), 32767);
  EXPECT_EQ(EntryValueBefore(table, image, {0, 1}, {{7, 1}, {}}), std::nullopt);
}

TEST(SessionTest, DifferencesFromAComparedImageAreFoundInReadingOrder) {
  TTableLayout table;
  table.TableAddress = 2;  // entries of 2 bytes from offset 2, 2 × 2
  table.Rows = 2;
  table.Columns = 2;
  table.Type = {EntryWidth::k16Bit};
  const std::vector<std::uint8_t> image = {0, 0, 1, 1, 2, 2, 3, 3, 4, 4};
  const std::vector<std::uint8_t> stock = {9, 9, 1, 1, 2, 7, 3, 3, 4};  // shorter by one
  EXPECT_FALSE(EntryDiffers(image, stock, table, 0, 0));
  EXPECT_TRUE(EntryDiffers(image, stock, table, 0, 1));
  EXPECT_FALSE(EntryDiffers(image, stock, table, 1, 1));  // not wholly inside the stock
  EXPECT_EQ(NextDifference(image, stock, table, {0, -1}, true), (TEntryCell{0, 1}));
  EXPECT_EQ(NextDifference(image, stock, table, {0, 1}, true), std::nullopt);
  EXPECT_EQ(NextDifference(image, stock, table, {1, 1}, false), (TEntryCell{0, 1}));
  EXPECT_EQ(NextDifference(image, stock, table, {0, 1}, false), std::nullopt);
}

}  // namespace
