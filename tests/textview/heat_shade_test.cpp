#include "textview/heat_shade.h"

#include "support/image_of.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

namespace {

TTableCursor Table(std::int32_t base, std::int32_t table, std::int32_t rows, std::int32_t columns) {
  TTableCursor cursor;
  cursor.BaseAddress = base;
  cursor.TableAddress = table;
  cursor.Rows = rows;
  cursor.Columns = columns;
  return cursor;
}

// Hue in degrees: blue near 220, green 120, yellow 55, red near 5.
double Hue(TRgb c) {
  const double r = c.red / 255.0, g = c.green / 255.0, b = c.blue / 255.0;
  const double max = std::max({r, g, b}), min = std::min({r, g, b});
  if (max == min) return 0;
  double h = 0;
  if (max == r) {
    h = std::fmod((g - b) / (max - min), 6.0);
  } else if (max == g) {
    h = (b - r) / (max - min) + 2;
  } else {
    h = (r - g) / (max - min) + 4;
  }
  h *= 60;
  return h < 0 ? h + 360 : h;
}

TEST(HeatShadeTest, RunsFromCoolToWarmWithReadableText) {
  // The contrast check below is only as good as the ratio: black on white is 21:1.
  ASSERT_NEAR(ContrastRatio({0, 0, 0}, {255, 255, 255}), 21.0, 1e-9);
  const TValueRange range{100, 1100};
  double previousHue = 361;
  for (std::uint32_t v = range.min; v <= range.max; v += 5) {
    const TCellShade shade = HeatShade(v, range);
    const double hue = Hue(shade.background);
    // Channels are rounded to 8 bits, which may move the hue by a fraction of a degree.
    EXPECT_LE(hue, previousHue + 0.5) << v;
    previousHue = hue;
    EXPECT_GE(ContrastRatio(shade.background, shade.text), 4.5) << v;
  }
  EXPECT_GT(Hue(HeatShade(range.min, range).background), 200);  // blue
  EXPECT_LT(Hue(HeatShade(range.max, range).background), 15);   // red
}

TEST(HeatShadeTest, EndsAndDegenerateRanges) {
  const TValueRange range{10, 20};
  const TCellShade cool = HeatShade(10, range);
  const TCellShade warm = HeatShade(20, range);
  EXPECT_NE(cool.background, warm.background);
  const struct {
    const char* what;
    std::uint32_t value;
    TValueRange range;
    TCellShade expected;
  } rows[] = {
      {"below the range", 0, range, cool},
      {"above the range", 4000000000u, range, warm},
      {"one value", 7, {7, 7}, cool},
      {"one value, another asked", 9, {7, 7}, cool},
      {"full 32-bit range, top", 0xFFFFFFFFu, {0, 0xFFFFFFFFu}, warm},
      {"full 32-bit range, bottom", 0, {0, 0xFFFFFFFFu}, cool},
  };
  for (const auto& row : rows) EXPECT_EQ(HeatShade(row.value, row.range), row.expected) << row.what;
  // Neighbouring values of a wide table still get shades of their own part of the ramp.
  EXPECT_NE(HeatShade(14, range).background, HeatShade(16, range).background);
}

TEST(TableValueRangeTest, CountsOnlyEntriesInsideTheImage) {
  // 16-bit big-endian entries 0x0005, 0x0300, 0x0001, 0x00FF, then one byte of a straddler.
  const TRomImage image = ImageOf({0x00, 0x05, 0x03, 0x00, 0x00, 0x01, 0x00, 0xFF, 0xFF});
  const struct {
    const char* what;
    TTableCursor cursor;
    int width;
    std::optional<TValueRange> expected;
  } rows[] = {
      {"whole table", Table(0, 0, 2, 2), 2, TValueRange{1, 0x300}},
      {"straddling last entry left out", Table(0, 0, 3, 2), 2, TValueRange{1, 0x300}},
      {"8-bit", Table(0, 0, 3, 3), 1, TValueRange{0, 0xFF}},
      {"32-bit", Table(0, 0, 1, 3), 4, TValueRange{0x000100FF, 0x00050300}},
      {"second row only", Table(0, 4, 5, 2), 2, TValueRange{1, 0xFF}},
      {"starting before the image", Table(0x10, 0x0C, 2, 4), 2, TValueRange{1, 0x300}},
      {"wholly before the image", Table(0x100, 0, 4, 4), 2, std::nullopt},
      {"wholly past the end", Table(0, 9, 4, 4), 1, std::nullopt},
      {"no rows", Table(0, 0, 0, 4), 1, std::nullopt},
      {"negative columns", Table(0, 0, 4, -4), 1, std::nullopt},
      {"not a width", Table(0, 0, 2, 2), 3, std::nullopt},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(TableValueRange(image, row.cursor, row.width), row.expected) << row.what;
  }
  TRomImage closed = image;
  closed.Size = 0;
  EXPECT_EQ(TableValueRange(closed, Table(0, 0, 2, 2), 2), std::nullopt);
}

// A size typed into the main window can be huge; only the part inside the image is visited.
TEST(TableValueRangeTest, AHugeTableCostsNoMoreThanTheImage) {
  const TRomImage image = ImageOf({4, 9, 2, 7});
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  EXPECT_EQ(TableValueRange(image, Table(0, 0, kMax, kMax), 1), (TValueRange{2, 9}));
  EXPECT_EQ(TableValueRange(image, Table(0, 0, kMax, 1), 1), (TValueRange{2, 9}));
  EXPECT_EQ(TableValueRange(image, Table(kMax, -kMax, kMax, 1), 4), std::nullopt);
}

// Long rows are read in blocks; the smallest or largest value may sit in any block or in the
// tail after the last whole block, and the image may end inside a row.
TEST(TableValueRangeTest, LongRowsGiveTheSameRangeAsEntryByEntry) {
  std::vector<std::uint8_t> bytes(5000);
  for (std::size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<std::uint8_t>(0x40 + i * 37 % 0x40);
  for (const int width : {1, 2, 4}) {
    for (const std::int32_t columns : {31, 32, 33, 64, 100, 601}) {
      for (const std::int32_t table : {0, 3, 4000}) {
        for (const std::size_t extreme : {std::size_t{0}, std::size_t{40}, std::size_t{4992}}) {
          std::vector<std::uint8_t> changed = bytes;
          changed[extreme] = 0xFF;  // a large value in a first block, a middle one or a tail
          changed[extreme + 1] = 0xFF;
          changed[extreme + 4] = 0;
          const TRomImage image = ImageOf(changed);
          const TTableCursor cursor = Table(0, table, 7, columns);
          std::optional<TValueRange> expected;
          for (std::int32_t r = 0; r < cursor.Rows; ++r) {
            for (std::int32_t c = 0; c < columns; ++c) {
              const std::int64_t position = table + (std::int64_t{r} * columns + c) * width;
              if (position + width > static_cast<std::int64_t>(changed.size())) continue;
              std::int64_t value = 0;
              for (int i = 0; i < width; ++i) value = (value << 8) | changed[position + i];
              if (!expected) expected = TValueRange{value, value};
              expected->min = std::min(expected->min, value);
              expected->max = std::max(expected->max, value);
            }
          }
          EXPECT_EQ(TableValueRange(image, cursor, width), expected)
              << "width " << width << ", columns " << columns << ", table " << table
              << ", extreme at " << extreme;
        }
      }
    }
  }
}

}  // namespace
