#include "textview/block_operations.h"

#include "support/image_of.h"

#include "image/rom_image.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

using Values = std::vector<std::int64_t>;
using Results = std::vector<double>;
using Bytes = std::vector<std::uint8_t>;

constexpr TElementType kU8{EntryWidth::k8Bit};
constexpr TElementType kS8{EntryWidth::k8Bit, true};

TTableLayout Layout(std::int32_t rows, std::int32_t columns, TElementType type = kU8) {
  TTableLayout table;
  table.Rows = rows;
  table.Columns = columns;
  table.Type = type;
  return table;
}

// The image's bytes after the operation, applied through a document as one step.
Bytes Applied(Bytes bytes, const TTableLayout& table, TBlock block, TBlockOperation op,
              double operand = 0) {
  TRomImage image = ImageOf(std::move(bytes));
  TImageDocument document(image);
  const TBlockOutcome outcome = ApplyBlockOperation(document, table, block, op, operand);
  EXPECT_FALSE(outcome.refusal);
  EXPECT_LE(document.UndoCount(), 1u);
  return *image.Bytes;
}

TEST(HoldToEntryTest, RoundsHalvesAwayFromZeroOnce) {
  EXPECT_EQ(HoldToEntry(2.5, kS8), 3);
  EXPECT_EQ(HoldToEntry(-2.5, kS8), -3);
  EXPECT_EQ(HoldToEntry(2.49, kS8), 2);
  EXPECT_EQ(HoldToEntry(-2.51, kS8), -3);
}

TEST(HoldToEntryTest, HoldsToTheEntrysRange) {
  EXPECT_EQ(HoldToEntry(300, kU8), 255);
  EXPECT_EQ(HoldToEntry(-1, kU8), 0);
  EXPECT_EQ(HoldToEntry(-200, kS8), -128);
  EXPECT_EQ(HoldToEntry(127.6, kS8), 127);
  EXPECT_EQ(HoldToEntry(70000, TElementType{EntryWidth::k16Bit}), 65535);
  EXPECT_EQ(HoldToEntry(1e12, TElementType{EntryWidth::k32Bit}), 4294967295);
  EXPECT_EQ(HoldToEntry(-std::numeric_limits<double>::infinity(), kS8), -128);
  EXPECT_EQ(HoldToEntry(std::nan(""), kU8), 0);
}

TEST(StepWrappedTest, WrapsWithinTheWidth) {
  EXPECT_EQ(StepWrapped(255, 1, kU8), 0);
  EXPECT_EQ(StepWrapped(0, -1, kU8), 255);
  EXPECT_EQ(StepWrapped(127, 1, kS8), -128);
}

TEST(BlockResultTest, SetAddAndMultiply) {
  const Values values{10, 30, 45, -45};
  EXPECT_EQ(BlockResult(TBlockOperation::Set, values, 2, 2, 7), (Results{7, 7, 7, 7}));
  EXPECT_EQ(BlockResult(TBlockOperation::Add, values, 2, 2, -3), (Results{7, 27, 42, -48}));
  // Halves stay exact halves, so they round away from zero as typed in decimals.
  EXPECT_EQ(BlockResult(TBlockOperation::Multiply, values, 1, 4, 1.05),
            (Results{10.5, 31.5, 47.25, -47.25}));
  EXPECT_EQ(BlockResult(TBlockOperation::Multiply, values, 4, 1, 0.7),
            (Results{7, 21, 31.5, -31.5}));
  EXPECT_EQ(BlockResult(TBlockOperation::Multiply, Values{50, 200}, 1, 2, 1.15),
            (Results{57.5, 230}));
  EXPECT_TRUE(BlockResult(TBlockOperation::Set, values, 3, 2, 7).empty());
}

TEST(BlockResultTest, InterpolatesAlongRowsAndColumns) {
  const Values rows{0, 9, 9, 30, 100, 0, 0, 40};
  EXPECT_EQ(BlockResult(TBlockOperation::InterpolateHorizontally, rows, 2, 4, 0),
            (Results{0, 10, 20, 30, 100, 80, 60, 40}));
  const Values columns{0, 9, 5, 5, 5, 5, 30, 39};
  EXPECT_EQ(BlockResult(TBlockOperation::InterpolateVertically, columns, 4, 2, 0),
            (Results{0, 9, 10, 19, 20, 29, 30, 39}));
  // A block one entry across along the line has nothing between its ends.
  EXPECT_EQ(BlockResult(TBlockOperation::InterpolateHorizontally, Values{3, 8}, 2, 1, 0),
            (Results{3, 8}));
  EXPECT_EQ(BlockResult(TBlockOperation::InterpolateVertically, Values{3, 8}, 1, 2, 0),
            (Results{3, 8}));
}

TEST(BlockResultTest, BilinearUsesTheFourCornersAlone) {
  const Values square{0, 99, 20, 99, 99, 99, 40, 99, 100};
  EXPECT_EQ(BlockResult(TBlockOperation::InterpolateBilinear, square, 3, 3, 0),
            (Results{0, 10, 20, 20, 40, 60, 40, 70, 100}));
  // One row or one column: the straight line between its ends.
  EXPECT_EQ(BlockResult(TBlockOperation::InterpolateBilinear, Values{0, 99, 5}, 1, 3, 0),
            (Results{0, 2.5, 5}));
  EXPECT_EQ(BlockResult(TBlockOperation::InterpolateBilinear, Values{8, 99, 0}, 3, 1, 0),
            (Results{8, 4, 0}));
  EXPECT_EQ(BlockResult(TBlockOperation::InterpolateBilinear, Values{8}, 1, 1, 0), (Results{8}));
}

TEST(BlockResultTest, SmoothsWithTheNeighboursInsideTheBlockFromBefore) {
  const Values square{1, 2, 3, 4, 5, 6, 7, 8, 9};
  EXPECT_EQ(BlockResult(TBlockOperation::Smooth, square, 3, 3, 0),
            (Results{3, 3.5, 4, 4.5, 5, 5.5, 6, 6.5, 7}));
  EXPECT_EQ(BlockResult(TBlockOperation::Smooth, Values{0, 3, 9}, 1, 3, 0), (Results{1.5, 4, 6}));
  EXPECT_EQ(BlockResult(TBlockOperation::Smooth, Values{0, 3, 9}, 3, 1, 0), (Results{1.5, 4, 6}));
}

TEST(PlanBlockOperationTest, SetAddAndMultiplyHoldInsteadOfWrapping) {
  const TTableLayout table = Layout(2, 2);
  const TBlock all{0, 0, 1, 1};
  EXPECT_EQ(Applied({1, 2, 3, 4}, table, all, TBlockOperation::Set, 300),
            (Bytes{255, 255, 255, 255}));
  EXPECT_EQ(Applied({200, 250, 3, 4}, table, all, TBlockOperation::Add, 10),
            (Bytes{210, 255, 13, 14}));
  EXPECT_EQ(Applied({10, 100, 200, 250}, table, all, TBlockOperation::Multiply, 1.05),
            (Bytes{11, 105, 210, 255}));
  // Corners given in any order mean the same block.
  EXPECT_EQ(Applied({1, 2, 3, 4}, table, {1, 1, 0, 1}, TBlockOperation::Add, -2),
            (Bytes{1, 0, 3, 2}));
}

TEST(PlanBlockOperationTest, StepsWrapAsForOneCell) {
  const TTableLayout table = Layout(1, 3);
  EXPECT_EQ(Applied({255, 7, 0}, table, {0, 0, 0, 1}, TBlockOperation::StepUp), (Bytes{0, 8, 0}));
  EXPECT_EQ(Applied({255, 7, 0}, table, {0, 1, 0, 2}, TBlockOperation::StepDown),
            (Bytes{255, 6, 255}));
}

TEST(PlanBlockOperationTest, WritesSignedLittleEndianEntriesInTheirOrder) {
  const TTableLayout table =
      Layout(1, 3, TElementType{EntryWidth::k16Bit, true, TByteOrder::LittleEndian});
  // −2, 1000, −32000 times −1.5: 3, −1500 and 48000 held to 32767.
  EXPECT_EQ(Applied({0xFE, 0xFF, 0xE8, 0x03, 0x00, 0x83}, table, {0, 0, 0, 2},
                    TBlockOperation::Multiply, -1.5),
            (Bytes{0x03, 0x00, 0x24, 0xFA, 0xFF, 0x7F}));
}

TEST(PlanBlockOperationTest, RefusesABlockReachingPastTheImageOrTable) {
  const TRomImage image = ImageOf(Bytes(10, 1));
  const TTableLayout table = Layout(4, 4);
  TBlockPlan plan =
      PlanBlockOperation(ImageBytes(image), table, {1, 1, 3, 3}, TBlockOperation::Set, 5);
  EXPECT_EQ(plan.refusal, (TBlockRefusal{TBlockProblem::OutsideImage, 2, 2}));
  EXPECT_TRUE(plan.edit.Empty());
  EXPECT_EQ(BlockRefusalText(*plan.refusal, 4, 4),
            "Cannot change row 3, column 3: that entry lies outside the image.");

  plan = PlanBlockOperation(ImageBytes(image), table, {0, 2, 1, 4}, TBlockOperation::Set, 5);
  EXPECT_EQ(plan.refusal, (TBlockRefusal{TBlockProblem::PastTable, 0, 4}));
  EXPECT_TRUE(plan.edit.Empty());
  EXPECT_EQ(BlockRefusalText(*plan.refusal, 4, 4),
            "Cannot change row 1, column 5: the table has 4 rows and 4 columns.");

  plan = PlanBlockOperation(ImageBytes(image), table, {0, 0, 0, 1}, TBlockOperation::Add,
                            std::nan(""));
  EXPECT_EQ(plan.refusal, (TBlockRefusal{TBlockProblem::NotANumber, 0, 0}));
  EXPECT_TRUE(plan.edit.Empty());
}

TEST(OperandTextTest, IntegersAndFactors) {
  EXPECT_EQ(ParseBlockInteger(" -5"), -5);
  EXPECT_EQ(ParseBlockInteger("0xFF"), 255);
  EXPECT_EQ(ParseBlockInteger("0xFFFFFFFF"), 4294967295);
  EXPECT_EQ(ParseBlockInteger("12a"), std::nullopt);

  EXPECT_EQ(ParseFactor("1.05"), 1.05);
  EXPECT_EQ(ParseFactor(" -0.5"), -0.5);
  EXPECT_EQ(ParseFactor("2"), 2.0);
  for (const char* text :
       {"1,05", "", " ", "1.0x", "nan", "inf", "1e3", "-", ".", "1.2.3", "1.05 "}) {
    EXPECT_EQ(ParseFactor(text), std::nullopt) << text;
  }
}

}  // namespace
