#include "graphview/table_heights.h"

#include "image/rom_image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace {

TRomImage ImageOf(std::vector<std::uint8_t> bytes) {
  TRomImage image;
  ReplaceImage(image, std::move(bytes), "car.bin");
  return image;
}

TTableCursor Table(std::int32_t rows, std::int32_t columns, EntryWidth width, float scale = 1.0f,
                   float offset = 0.0f) {
  TTableCursor cursor;
  cursor.Rows = rows;
  cursor.Columns = columns;
  cursor.EntryWidth = width;
  cursor.ZScale = scale;
  cursor.ZOffset = offset;
  return cursor;
}

// The table address one byte below the base address.
TTableCursor Before(TTableCursor cursor) {
  cursor.BaseAddress = 0x100;
  cursor.TableAddress = 0xFF;
  return cursor;
}

TEST(TableHeightsTest, EntriesScaledAndOffsetRowByRow) {
  const struct {
    const char* what;
    std::vector<std::uint8_t> bytes;
    TTableCursor cursor;
    std::vector<double> expected;
  } cases[] = {
      {"raw values by default",
       {1, 2, 3, 4, 5, 6},
       Table(2, 3, EntryWidth::k8Bit),
       {1, 2, 3, 4, 5, 6}},
      {"scale 0.5 and offset -40",
       {100, 200},
       Table(1, 2, EntryWidth::k8Bit, 0.5f, -40.0f),
       {10, 60}},
      {"16-bit big-endian",
       {0x12, 0x34, 0xFF, 0xFF},
       Table(2, 1, EntryWidth::k16Bit),
       {0x1234, 0xFFFF}},
      {"32-bit top bit is a large height",
       {0xFF, 0xFF, 0xFF, 0xFE},
       Table(1, 1, EntryWidth::k32Bit),
       {4294967294.0}},
      {"past the end plots at the offset",
       {7},
       Table(1, 3, EntryWidth::k8Bit, 2.0f, 5.0f),
       {19, 5, 5}},
      {"no rows", {1, 2}, Table(0, 2, EntryWidth::k8Bit), {}},
      {"before the start plots at the offset",
       {7, 8},
       Before(Table(1, 3, EntryWidth::k8Bit, 1.0f, 5.0f)),
       {5, 12, 13}},
      {"negative columns", {1, 2}, Table(2, -4, EntryWidth::k8Bit), {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TableHeights(ImageOf(c.bytes), c.cursor), c.expected) << c.what;
  }
}

TEST(TableHeightsTest, TheBlockIsHeldTo256RowsAndColumns) {
  const TRomImage image = ImageOf(std::vector<std::uint8_t>(300 * 300, 1));
  const std::vector<double> heights = TableHeights(image, Table(300, 1000, EntryWidth::k8Bit));
  EXPECT_EQ(heights.size(), 256u * 256u);
  // The row stride is the table's own column count, not the plotted one.
  TTableCursor cursor = Table(2, 300, EntryWidth::k8Bit);
  std::vector<std::uint8_t> bytes(600, 0);
  bytes[300] = 9;
  EXPECT_EQ(TableHeights(ImageOf(bytes), cursor)[256], 9.0);
}

TEST(TableHeightsTest, NoImageGivesTheOffsetEverywhere) {
  EXPECT_EQ(TableHeights(TRomImage{}, Table(1, 2, EntryWidth::k8Bit, 1.0f, 3.0f)),
            (std::vector<double>{3, 3}));
}

}  // namespace
