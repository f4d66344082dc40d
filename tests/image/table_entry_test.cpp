#include "image/table_entry.h"

#include "support/image_of.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace {

TTableCursor Cursor(std::int32_t base, std::int32_t table, std::int32_t columns) {
  TTableCursor cursor;
  cursor.BaseAddress = base;
  cursor.TableAddress = table;
  cursor.Columns = columns;
  return cursor;
}

TEST(EntryPositionTest, RowMajorFromTheTableAddress) {
  EXPECT_EQ(EntryPosition(Cursor(0x400, 0x400, 16), 0, 0, 1), 0);
  EXPECT_EQ(EntryPosition(Cursor(0, 0, 16), 1, 0, 2), 32);
  EXPECT_EQ(EntryPosition(Cursor(0, 0, 16), 0, 15, 2), 30);
  EXPECT_EQ(EntryPosition(Cursor(0x8000, 0x8100, 16), 0, 0, 1), 0x100);
  EXPECT_EQ(EntryPosition(Cursor(0x100, 0x80, 16), 0, 0, 1), -0x80);
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  EXPECT_EQ(EntryPosition(Cursor(kMin, kMax, kMax), kMax, kMax, 4), std::nullopt);
}

TEST(ReadEntryTest, ReadsUnsignedBigEndian) {
  const TRomImage image = ImageOf({0x12, 0x34, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF});
  EXPECT_EQ(ReadEntry(image, Cursor(0, 0, 16), 0, 0, 2), 0x1234u);
  EXPECT_EQ(ReadEntry(image, Cursor(0, 0, 16), 0, 0, 1), 0x12u);
  EXPECT_EQ(ReadEntry(image, Cursor(0, 2, 16), 0, 0, 4), 4294967294u);
  EXPECT_EQ(ReadEntry(image, Cursor(0, 6, 16), 0, 0, 4), 4294967295u);
  EXPECT_EQ(ReadEntry(image, Cursor(0, 0, 2), 1, 0, 2), 0xFFFEu);
}

TEST(WriteEntryTest, KeepsOnlyTheLowBitsOfTheValue) {
  const struct {
    std::uint32_t value;
    int width;
    std::vector<std::uint8_t> stored;
  } cases[] = {
      {256, 1, {0x00, 0xAA, 0xAA, 0xAA}},
      {static_cast<std::uint32_t>(-1), 1, {0xFF, 0xAA, 0xAA, 0xAA}},
      {0x1234, 1, {0x34, 0xAA, 0xAA, 0xAA}},
      {70000, 2, {0x11, 0x70, 0xAA, 0xAA}},
      {static_cast<std::uint32_t>(-2), 2, {0xFF, 0xFE, 0xAA, 0xAA}},
      {0x01020304, 4, {0x01, 0x02, 0x03, 0x04}},
  };
  for (const auto& c : cases) {
    TRomImage image = ImageOf({0xAA, 0xAA, 0xAA, 0xAA});
    EXPECT_TRUE(WriteEntry(image, Cursor(0, 0, 16), 0, 0, c.value, c.width));
    EXPECT_EQ(*image.Bytes, c.stored) << c.value << " in " << c.width;
  }
}

// The image buffers here hold exactly Size bytes, so the sanitizer build catches any access
// outside them.
TEST(EntryOutsideImageTest, IsNeitherReadNorWritten) {
  const std::vector<std::uint8_t> original = {1, 2, 3, 4, 5, 6, 7, 8};
  const struct {
    const char* what;
    TTableCursor cursor;
    std::int32_t row, column;
    int width;
  } outside[] = {
      {"first byte past the end", Cursor(0, 0, 8), 1, 0, 1},
      {"16-bit entry straddling the end", Cursor(0, 7, 8), 0, 0, 2},
      {"32-bit entry straddling the end", Cursor(0, 6, 8), 0, 0, 4},
      {"before the start after the base moved", Cursor(0x10, 0x0F, 8), 0, 0, 1},
      {"negative row", Cursor(0, 0, 8), -1, 0, 1},
      {"huge column", Cursor(0, 0, 8), 0, std::numeric_limits<std::int32_t>::max(), 4},
      {"negative columns", Cursor(0, 4, -8), 1, 0, 1},
      {"width other than 1, 2 or 4", Cursor(0, 0, 8), 0, 0, 3},
  };
  for (const auto& c : outside) {
    TRomImage image = ImageOf(original);
    EXPECT_FALSE(EntryInsideImage(image, c.cursor, c.row, c.column, c.width)) << c.what;
    EXPECT_EQ(ReadEntry(image, c.cursor, c.row, c.column, c.width), 0u) << c.what;
    EXPECT_FALSE(WriteEntry(image, c.cursor, c.row, c.column, 0xFFFFFFFF, c.width)) << c.what;
    EXPECT_EQ(*image.Bytes, original) << c.what;
  }
  // The last byte is the last entry of an 8-bit table.
  const TRomImage image = ImageOf(original);
  EXPECT_TRUE(EntryInsideImage(image, Cursor(0, 0, 8), 0, 7, 1));
  EXPECT_EQ(ReadEntry(image, Cursor(0, 0, 8), 0, 7, 1), 8u);
  EXPECT_TRUE(EntryInsideImage(image, Cursor(0, 6, 8), 0, 0, 2));
}

TEST(EntryOutsideImageTest, NoImageMeansEveryEntryIsPastTheEnd) {
  TRomImage closed = ImageOf({1, 2, 3, 4});
  closed.Size = 0;  // closed: the buffer stays, the size is 0
  EXPECT_FALSE(EntryInsideImage(closed, Cursor(0, 0, 1), 0, 0, 1));
  EXPECT_FALSE(EntryInsideImage(TRomImage{}, Cursor(0, 0, 1), 0, 0, 1));
  EXPECT_FALSE(WriteEntry(closed, Cursor(0, 0, 1), 0, 0, 9, 1));
  EXPECT_EQ((*closed.Bytes)[0], 1);
}

TEST(EntryOnSharedStateTest, UsesTheCurrentImageAndCursor) {
  RomImage = ImageOf({0xAB, 0xCD});
  TableCursor = Cursor(0x10, 0x10, 1);
  EXPECT_EQ(ReadEntry(0, 0, 2), 0xABCDu);
  EXPECT_TRUE(WriteEntry(1, 0, 0x7F, 1));
  EXPECT_EQ(ReadEntry(0, 0, 2), 0xAB7Fu);
  EXPECT_TRUE(EntryPastEnd(2, 0, 1));
  RomImage = TRomImage{};
  TableCursor = TTableCursor{};
}

}  // namespace
