#include "tables/table_finder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

using TBytes = std::vector<std::uint8_t>;

void Put(TBytes& out, std::uint32_t value, int width, bool little) {
  for (int k = 0; k < width; ++k) {
    out.push_back(static_cast<std::uint8_t>(value >> (8 * (little ? k : width - 1 - k))));
  }
}

// Instruction-like bytes: a few favourite opcodes, register bytes, immediates.
void AddCode(TBytes& out, std::size_t bytes, std::mt19937& random) {
  const std::size_t end = out.size() + bytes;
  while (out.size() < end) {
    out.push_back(static_cast<std::uint8_t>(0x40 + random() % 24 * 7));
    out.push_back(static_cast<std::uint8_t>(random() % 16 * 0x11));
    out.push_back(static_cast<std::uint8_t>(random()));
    out.push_back(static_cast<std::uint8_t>(random() % 3 == 0 ? random() : 0));
  }
  out.resize(end);
}

void AddText(TBytes& out, std::size_t bytes) {
  const std::string text = "Engine control unit, calibration data set 2004 (c) checksum error ";
  for (std::size_t k = 0; k < bytes; ++k)
    out.push_back(static_cast<std::uint8_t>(text[k % text.size()]));
}

struct TPlanted {
  int Rows;
  int Columns;
  int Width;
  bool Little;
  bool Axes;     // two rising axes right before the data
  bool Lengths;  // and their lengths before them
  // The columns' axis first, over more than the data's range, then the rows' axis below the
  // data's values, so that its rising run goes on into the first row.
  bool ColumnsFirst = false;
};

// A smooth surface, its entries aligned to their width; returns the offset of its first entry.
std::int64_t Plant(TBytes& out, const TPlanted& map, std::mt19937& random) {
  while (out.size() % static_cast<std::size_t>(map.Width) != 0) out.push_back(0x5A);
  const double top = map.Width == 1 ? 230.0 : 52000.0;
  const bool rows_first = !map.ColumnsFirst;
  if (map.Lengths) {
    Put(out, static_cast<std::uint32_t>(rows_first ? map.Rows : map.Columns), map.Width,
        map.Little);
    Put(out, static_cast<std::uint32_t>(rows_first ? map.Columns : map.Rows), map.Width,
        map.Little);
  }
  if (map.Axes) {
    // Axes in their own units: spaced closer at the low end, over a range of their own.
    for (const bool rows : {rows_first, !rows_first}) {
      const int count = rows ? map.Rows : map.Columns;
      const double low = rows ? (rows_first ? 0.02 : 0.01) : (rows_first ? 0.3 : 0.05),
                   high = rows ? (rows_first ? 0.98 : 0.06) : (rows_first ? 0.6 : 1.05);
      for (int k = 0; k < count; ++k) {
        const double t = static_cast<double>(k) / (count - 1);
        Put(out, static_cast<std::uint32_t>(top * (low + (high - low) * t * t)) + k, map.Width,
            map.Little);
      }
    }
  }
  const auto offset = static_cast<std::int64_t>(out.size());
  std::uniform_real_distribution<double> jitter(-0.004, 0.004);
  for (int r = 0; r < map.Rows; ++r) {
    for (int c = 0; c < map.Columns; ++c) {
      const double x = static_cast<double>(c) / map.Columns, y = static_cast<double>(r) / map.Rows;
      const double v = 0.1 + 0.5 * x + 0.3 * y * y + 0.1 * x * y + jitter(random);
      Put(out, static_cast<std::uint32_t>(v * top), map.Width, map.Little);
    }
  }
  return offset;
}

std::int64_t EndOf(const TTableCandidate& c) {
  return c.Offset + std::int64_t{c.Rows} * c.Columns * c.Width;
}

// The candidates overlapping bytes [begin, end).
std::vector<TTableCandidate> Over(const std::vector<TTableCandidate>& found, std::int64_t begin,
                                  std::int64_t end) {
  std::vector<TTableCandidate> over;
  for (const TTableCandidate& c : found) {
    if (c.Offset < end && EndOf(c) > begin) over.push_back(c);
  }
  return over;
}

// Code, the map, fill, text, code again.
struct TScene {
  TBytes Image;
  std::int64_t Offset = 0;
};
TScene SceneWith(const TPlanted& map, unsigned seed) {
  std::mt19937 random(seed);
  TScene scene;
  AddCode(scene.Image, 3000 + random() % 64, random);
  scene.Offset = Plant(scene.Image, map, random);
  scene.Image.insert(scene.Image.end(), 700, 0xFF);
  AddText(scene.Image, 500);
  AddCode(scene.Image, 3000, random);
  return scene;
}

class PlantedMap : public testing::TestWithParam<TPlanted> {};

TEST_P(PlantedMap, FoundWithItsShapeWidthAndByteOrder) {
  const TPlanted& map = GetParam();
  for (unsigned seed = 1; seed <= 3; ++seed) {
    const TScene scene = SceneWith(map, seed);
    const std::int64_t end = scene.Offset + std::int64_t{map.Rows} * map.Columns * map.Width;
    const std::vector<TTableCandidate> found = FindTables(scene.Image);
    const std::vector<TTableCandidate> over = Over(found, scene.Offset, end);
    ASSERT_EQ(over.size(), 1u) << "seed " << seed;
    const TTableCandidate& c = over.front();
    EXPECT_EQ(c.Offset, scene.Offset);
    EXPECT_EQ(c.Rows, map.Rows);
    EXPECT_EQ(c.Columns, map.Columns);
    EXPECT_EQ(c.Width, map.Width);
    if (map.Width > 1) {
      EXPECT_EQ(c.LittleEndian, map.Little);
    }
    EXPECT_EQ(found.front().Offset, c.Offset) << "the map ranks first";
    if (map.Axes) {
      EXPECT_NE(CandidateReason(scene.Image, c).find("axis"), std::string::npos);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, PlantedMap,
                         testing::Values(TPlanted{12, 10, 1, false, false, false},
                                         TPlanted{9, 14, 1, false, true, false},
                                         TPlanted{16, 12, 2, false, true, false},
                                         TPlanted{10, 8, 2, true, true, false},
                                         TPlanted{8, 11, 2, true, true, true},
                                         TPlanted{14, 16, 2, false, false, false},
                                         TPlanted{12, 16, 2, true, true, false, true},
                                         TPlanted{6, 6, 1, false, true, true, true}));

TEST(TableFinder, NoiseFillAndTextGiveNoCandidate) {
  std::mt19937 random(5);
  TBytes noise_bytes(64 << 10);
  for (auto& b : noise_bytes) b = static_cast<std::uint8_t>(random());
  TBytes code_bytes, text_bytes;
  AddCode(code_bytes, 64 << 10, random);
  AddText(text_bytes, 32 << 10);
  const TBytes& noise = noise_bytes;
  const TBytes& code = code_bytes;
  const TBytes& text = text_bytes;
  const TBytes ones(64 << 10, 0xFF), zeros(64 << 10, 0x00);
  for (const TBytes* image : {&noise, &code, &text, &ones, &zeros}) {
    const std::vector<TTableCandidate> found = FindTables(*image);
    EXPECT_TRUE(found.empty()) << found.size() << " candidates, first at " << found.front().Offset;
  }
}

TEST(TableFinder, CandidatesComeByScoreAndDisjoint) {
  std::mt19937 random(11);
  TBytes image;
  for (const TPlanted& map :
       {TPlanted{12, 10, 1, false, true, false}, TPlanted{6, 6, 1, false, false, false},
        TPlanted{16, 12, 2, true, true, true}, TPlanted{9, 16, 2, true, false, false}}) {
    AddCode(image, 1500, random);
    Plant(image, map, random);
  }
  AddCode(image, 1500, random);
  const std::vector<TTableCandidate> found = FindTables(image);
  ASSERT_GE(found.size(), 3u);
  for (std::size_t k = 0; k < found.size(); ++k) {
    if (k > 0) {
      EXPECT_GE(found[k - 1].Score, found[k].Score);
    }
    for (std::size_t j = 0; j < k; ++j) {
      EXPECT_TRUE(EndOf(found[j]) <= found[k].Offset || EndOf(found[k]) <= found[j].Offset)
          << "candidates " << j << " and " << k << " overlap";
    }
  }
}

TEST(TableFinder, TinyImagesGiveNothing) {
  for (const std::size_t size : {0u, 1u, 15u}) {
    const TBytes image(size, 0x42);
    EXPECT_TRUE(FindTables(image).empty());
    EXPECT_TRUE(FindTables(TBytes(size, 0x00)).empty());
  }
  TBytes rising(15);
  for (std::size_t k = 0; k < rising.size(); ++k) rising[k] = static_cast<std::uint8_t>(k * 9);
  EXPECT_NO_THROW((void)FindTables(rising));
}

TEST(TableFinder, SixteenBitMapEndingAtTheLastByte) {
  std::mt19937 random(3);
  TBytes image;
  AddCode(image, 2000, random);
  const TPlanted map{10, 12, 2, false, true, false};
  const std::int64_t offset = Plant(image, map, random);
  ASSERT_EQ(image.size(), static_cast<std::size_t>(offset + 10 * 12 * 2));
  const std::vector<TTableCandidate> found = FindTables(image);
  ASSERT_FALSE(found.empty());
  EXPECT_EQ(found.front().Offset, offset);
  EXPECT_EQ(found.front().Columns, 12);
  EXPECT_EQ(EndOf(found.front()), static_cast<std::int64_t>(image.size()));
}

TEST(TableFinder, ProgressReturningFalseGivesNothing) {
  const TScene scene = SceneWith({16, 12, 2, false, true, false}, 1);
  for (const int stop_after : {0, 1, 3}) {
    int calls = 0;
    const auto result = FindTables(scene.Image, [&](double) { return calls++ < stop_after; });
    EXPECT_FALSE(result.has_value()) << "stopping after " << stop_after;
    EXPECT_EQ(calls, stop_after + 1) << "no call after the stop";
  }
  std::vector<double> told;
  const auto result = FindTables(scene.Image, [&](double done) {
    told.push_back(done);
    return true;
  });
  ASSERT_TRUE(result.has_value());
  EXPECT_FALSE(result->empty());
  EXPECT_TRUE(std::is_sorted(told.begin(), told.end()));
  EXPECT_GE(told.front(), 0.0);
  EXPECT_DOUBLE_EQ(told.back(), 1.0);
}

}  // namespace
