#include "tables/finder_evidence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <random>
#include <vector>

namespace {

using TBytes = std::vector<std::uint8_t>;

void Put(TBytes& out, std::uint32_t value, int width, bool little) {
  for (int k = 0; k < width; ++k) {
    out.push_back(static_cast<std::uint8_t>(value >> (8 * (little ? k : width - 1 - k))));
  }
}

// Rows rising along, each a little above the one before, or flat rows stepping down.
std::vector<std::int32_t> Surface(int rows, int columns, bool flat_rows) {
  std::vector<std::int32_t> values;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c)
      values.push_back(flat_rows ? 200 - 9 * r : 10 + 12 * c + 3 * r);
  }
  return values;
}

TEST(FinderEvidence, GridRoughnessTellsMapsFromNoise) {
  std::mt19937 random(1);
  std::vector<std::int32_t> noise(400);
  for (auto& v : noise) v = static_cast<std::int32_t>(random() % 256);
  const TGridRoughness rough = MeasureGrid(noise, 20, 8);
  EXPECT_GT(rough.Combined, 0.7);
  EXPECT_LT(rough.Combined, 1.3);

  const TGridRoughness map = MeasureGrid(Surface(12, 16, false), 16, 8);
  EXPECT_LT(map.Row, 0.25);  // a ramp of 16 steps a sixth of the shuffled step at best
  EXPECT_LT(map.Column, 0.1);
  EXPECT_GT(map.RowJump, 5.0) << "rows rising whole fall back at their ends";

  // Around zero: smooth read either way, the jump across the unsigned range notwithstanding.
  std::vector<std::int32_t> signed_values;
  for (int k = -20; k < 20; ++k) signed_values.push_back(k < 0 ? 256 + k : k);
  const TGridRoughness crossing = MeasureGrid(signed_values, 40, 8);
  EXPECT_LT(crossing.Row, 0.1);

  EXPECT_EQ(MeasureGrid(std::vector<std::int32_t>(30, 7), 10, 8).Spread, 0.0);
}

TEST(FinderEvidence, RowLengthOfMapsFoundFromAnyStart) {
  struct TCase {
    int Columns;
    bool Flat;
  };
  for (const TCase& map : {TCase{6, false}, TCase{8, false}, TCase{12, false}, TCase{16, false},
                           TCase{6, true}, TCase{10, true}}) {
    const std::vector<std::int32_t> values = Surface(10, map.Columns, map.Flat);
    for (const int skip : {0, 1, 4}) {
      const std::span<const std::int32_t> from = std::span(values).subspan(skip);
      const TRowLayout layout = ChooseRowLength(from, 32);
      EXPECT_EQ(layout.Columns, map.Columns) << map.Columns << (map.Flat ? " flat" : "");
      EXPECT_EQ((skip + layout.Lead) % map.Columns, 0) << "rows start at row starts";
    }
  }
  std::vector<std::int32_t> ramp(64);
  for (std::size_t k = 0; k < ramp.size(); ++k) ramp[k] = static_cast<std::int32_t>(3 * k);
  EXPECT_LT(ChooseRowLength(ramp, 32).RowJump, 1.5) << "a curve has no row ends";
}

// Rows of a surface continue it up to a row that is mostly fill; one starting with such a
// row is no table.
TEST(FinderEvidence, RowsThatFitStopAtFill) {
  for (const int fill_row : {-1, 0, 3}) {
    std::vector<std::int32_t> values = Surface(6, 5, false);
    if (fill_row >= 0) std::fill_n(values.begin() + 5 * fill_row, 3, 0xFF);
    EXPECT_EQ(RowsThatFit(values, 5, 6, 0xFF), fill_row < 0 ? 6 : fill_row) << fill_row;
  }
}

TEST(FinderEvidence, AxesAndTheirLengthsBeforeATable) {
  struct TCase {
    int Width;
    bool Little;
    bool Lengths;
    bool EachBefore;  // each length right before its own axis
  };
  for (const TCase& kind :
       {TCase{1, false, false, false}, TCase{1, false, true, false}, TCase{2, false, true, false},
        TCase{2, true, true, false}, TCase{1, false, true, true}, TCase{2, true, true, true}}) {
    TBytes image(8, 0x99);
    if (kind.Lengths) {
      Put(image, 6, kind.Width, kind.Little);
      if (!kind.EachBefore) Put(image, 5, kind.Width, kind.Little);
    }
    for (int k = 0; k < 6; ++k)
      Put(image, static_cast<std::uint32_t>(10 + 20 * k), kind.Width, kind.Little);
    if (kind.EachBefore) Put(image, 5, kind.Width, kind.Little);
    for (int k = 0; k < 5; ++k)
      Put(image, static_cast<std::uint32_t>(5 + 7 * k * k), kind.Width, kind.Little);
    const auto data = static_cast<std::int64_t>(image.size());
    image.insert(image.end(), 30, 0x40);
    const TAxisEvidence axes = AxesBefore(image, data, 6, 5);
    EXPECT_EQ(axes.NearCount, 5);
    EXPECT_EQ(axes.FarCount, 6);
    EXPECT_EQ(axes.Counts, kind.Lengths);
    EXPECT_NE(AxesBefore(image, data, 6, 7).NearCount, 7) << "no axis of 7 entries";
  }
}

// Negative floats' bits fall as their values rise; read as floats they rise throughout.
TEST(FinderEvidence, FloatAxesRiseThroughZero) {
  TBytes image;
  for (const float value : {-40.0f, -20.0f, -5.0f, 0.0f, 15.0f, 60.0f, 110.0f}) {
    Put(image, std::bit_cast<std::uint32_t>(value), 4, false);
  }
  const auto end = static_cast<std::int64_t>(image.size());
  EXPECT_EQ(RisingRunBefore(image, end, {4, false, true}, 70), 7);
  image.insert(image.end(), 7, 0x00);
  EXPECT_EQ(AxesBefore(image, end, 1, 7).NearCount, 7);
}

}  // namespace
