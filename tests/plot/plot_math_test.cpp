#include "plot/plot_types.h"
#include "recording_plot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

TEST(ReduceAngle, KeepsAnglesWhoseWholePartIsAtMostTwoPi) {
  struct Row {
    double angle;
    double expected;
  };
  const Row rows[] = {
      {6.9, 6.9},
      {-6.9, -6.9},
      {0.2, 0.2},
      {7.0, 7.0 - TwoPi},
      {-7.5, -7.5 + 2 * TwoPi},
      {100.0, 100.0 - 15 * TwoPi},
  };
  for (const Row& row : rows) {
    EXPECT_DOUBLE_EQ(ReduceAngle(row.angle), row.expected) << row.angle;
  }
  EXPECT_NEAR(ReduceAngle(7.0), 0.7168, 1e-4);
  EXPECT_NEAR(ReduceAngle(-7.5), 5.0664, 1e-4);
  EXPECT_TRUE(std::isnan(ReduceAngle(std::numeric_limits<double>::quiet_NaN())));
}

TEST(TXYZPoint, RotateZTurnsXTowardsMinusY) {
  TXYZPoint p(1.0, 0.0, 0.0);
  p.RotateZ(std::acos(-1.0) / 2);
  EXPECT_NEAR(p.x, 0.0, 1e-15);
  EXPECT_DOUBLE_EQ(p.y, -1.0);
  EXPECT_DOUBLE_EQ(p.z, 0.0);
}

TEST(PlotMath, LocalToGlobalRotatesAboutTheCentreByPhiThenThetaThenPsi) {
  RecordingPlot plot;
  plot.SetAngles(1.1, 0.4, 2.3);
  const TXYZPoint p(0.3, 0.9, 0.2);
  TXYZPoint expected(p.x - 0.5, p.y - 0.5, p.z - 0.5);
  expected.RotateZ(1.1);
  expected.RotateY(0.4);
  expected.RotateX(2.3);
  EXPECT_EQ(plot.LocalToGlobal(p), expected);  // bit for bit
}

TEST(PlotMath, ParallelProjectionAtZeroAnglesPutsLargerXToTheLeft) {
  RecordingPlot plot;
  plot.SetPerspectiveOn(false);
  plot.SetAngles(0, 0, 0);
  const auto q = plot.ConvertTo2D({2.0, 7.0, 3.0});
  ASSERT_TRUE(q);
  EXPECT_DOUBLE_EQ(q->x, -(2.0 - 0.5));
  EXPECT_DOUBLE_EQ(q->y, 3.0 - 0.5);
}

TEST(PlotMath, PerspectiveDividesByTheDistanceToTheVanishingPoint) {
  RecordingPlot plot;
  plot.SetAngles(0, 0, 0);
  plot.SetVanishingPoint(100.0);
  // g = p - (0.5, 0.5, 0.5) = (1, 50, 2).
  const auto q = plot.ConvertTo2D({1.5, 50.5, 2.5});
  ASSERT_TRUE(q);
  EXPECT_DOUBLE_EQ(q->x, -2.0);
  EXPECT_DOUBLE_EQ(q->y, 4.0);
  // At or above the vanishing plane: the origin of the projection plane.
  EXPECT_EQ(plot.ConvertTo2D({1.5, 10.5, 100.5}), (TXYPoint{0.0, 0.0}));
  EXPECT_EQ(plot.ConvertTo2D({1.5, 200.5, 150.5}), (TXYPoint{0.0, 0.0}));
  // Depth at or beyond the vanishing point while below the plane: no projection.
  EXPECT_FALSE(plot.ConvertTo2D({1.5, 100.5, 2.5}));
  EXPECT_FALSE(plot.ConvertTo2D({1.5, 180.5, 2.5}));
  EXPECT_TRUE(plot.ConvertTo2D({1.5, 99.5, 2.5}));
}

TEST(PlotMath, LocalToScreenScalesTheExtentOntoTheClientAreaAndPixelsTruncate) {
  RecordingPlot plot;          // 201 x 151: W = 200, H = 150
  plot.SetFitToScreen(false);  // extents stay at x 0..1, y 0..1
  EXPECT_EQ(plot.LocalToScreen({0.5, 0.5}), (TXYPoint{100.0, 75.0}));
  EXPECT_EQ(plot.LocalToScreen({0.0, 0.0}), (TXYPoint{0.0, 150.0}));
  EXPECT_EQ(plot.LocalToScreen({1.0, 1.0}), (TXYPoint{200.0, 0.0}));

  struct Row {
    TXYPoint q;
    POINT expected;
  };
  const Row rows[] = {
      {{199.98, 0.9}, {199, 0}},               // not rounded
      {{-0.2, -1.7}, {0, -1}},                 // toward zero, not down
      {{1e12, -1e12}, {1 << 30, -(1 << 30)}},  // held, never an undefined conversion
  };
  for (const Row& row : rows) EXPECT_EQ(TXYZPlotModel::TruncatePixel(row.q), row.expected);
  EXPECT_FALSE(TXYZPlotModel::TruncatePixel({std::numeric_limits<double>::infinity(), 0.0}));
  EXPECT_FALSE(TXYZPlotModel::TruncatePixel({0.0, std::numeric_limits<double>::quiet_NaN()}));
}

TEST(PlotMath, ScaleScreenFitsTheProjectedBox) {
  RecordingPlot plot;
  plot.SetPerspectiveOn(false);
  plot.SetAngles(0, 0, 0);
  plot.ScaleScreen();
  EXPECT_DOUBLE_EQ(plot.ProjXMin(), -0.5);
  EXPECT_DOUBLE_EQ(plot.ProjXMax(), 0.5);
  EXPECT_DOUBLE_EQ(plot.ProjYMin(), -0.5);
  EXPECT_DOUBLE_EQ(plot.ProjYMax(), 0.5);

  // Without FitToScreen the extents keep their values while the view turns.
  plot.SetFitToScreen(false);
  plot.SetAngles(1.0, 0.5, 0.3);
  plot.ScaleScreen();
  EXPECT_DOUBLE_EQ(plot.ProjXMin(), -0.5);
  EXPECT_DOUBLE_EQ(plot.ProjYMax(), 0.5);
}

TEST(PlotMath, ConvertFarPointStepsAroundAndAcrossTheRings) {
  struct Row {
    int start, offset, expected;
  };
  const Row rows[] = {
      {0, 6, 6},  {1, 6, 7}, {2, 6, 4}, {3, 6, 5}, {4, 6, 2},  {5, 6, 3}, {6, 6, 0}, {7, 6, 1},
      {0, -1, 3}, {3, 1, 0}, {3, 2, 1}, {7, 1, 4}, {4, -1, 7}, {6, 2, 4}, {0, 3, 7}, {0, 4, 4},
      {0, 5, 5},  {3, 5, 4}, {5, 3, 0}, {4, 4, 0}, {4, 5, 1},  {7, 5, 0},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(TXYZPlotModel::ConvertFarPoint(row.start, row.offset), row.expected)
        << row.start << " " << row.offset;
  }
}

TEST(PlotMath, CalculateAxisPlaneGivesTheClosedOutlineOfAFace) {
  RecordingPlot plot;
  plot.CalculateAxisArray();
  const auto outline = plot.CalculateAxisPlane(2, {0, 1, 5, 4, 0});
  ASSERT_TRUE(outline);
  const int corners[] = {2, 3, 7, 6, 2};
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ((*outline)[k], plot.PixelOf(plot.BoxCorner()[corners[k]])) << k;
  }
}

TEST(FindXYZMaxMin, EmptyListGivesTheUnitBoxAndItsMiddle) {
  RecordingPlot plot;
  plot.SetXYZMinMax(-3, 9, -3, 9, -3, 9);
  plot.FindXYZMaxMin();
  EXPECT_EQ(plot.XMin(), 0.0);
  EXPECT_EQ(plot.ZMax(), 1.0);
  EXPECT_EQ(plot.RotationCenter(), (TXYZPoint{0.5, 0.5, 0.5}));
}

TEST(FindXYZMaxMin, FlatDataIsWidenedByOneEachWay) {
  RecordingPlot plot;
  const double z[] = {5, 5, 5, 5, 5, 5};
  plot.XYZPlot(z, 3, 2, 0, psGrid, 0, 0);
  EXPECT_EQ(plot.XMin(), 0.0);
  EXPECT_EQ(plot.XMax(), 2.0);
  EXPECT_EQ(plot.YMin(), 0.0);
  EXPECT_EQ(plot.YMax(), 1.0);
  EXPECT_EQ(plot.ZMin(), 4.0);
  EXPECT_EQ(plot.ZMax(), 6.0);
  EXPECT_EQ(plot.RotationCenter(), (TXYZPoint{1.0, 0.5, 5.0}));
}

TEST(FindXYZMaxMin, PlotsWithoutPointsScaleLikeAnEmptyList) {
  RecordingPlot plot;
  plot.SetXYZMinMax(-3, 9, -3, 9, -3, 9);
  plot.XYZPlot(std::span<const double>(), 0, 4, 7, psGrid, 0, 0);
  ASSERT_EQ(plot.PlotList().size(), 1u);
  EXPECT_EQ(plot.PlotList()[0]->PointCount, 0);
  EXPECT_EQ(plot.XMin(), 0.0);
  EXPECT_EQ(plot.XMax(), 1.0);
  EXPECT_EQ(plot.ZMax(), 1.0);
}

TEST(T3DPlotListMember, CopiesItsPointsAndRefusesTooFew) {
  const TXYZPoint points[] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
  const T3DPlotListMember member(points, 3, 1, 9, psLine, 0x123456, 0x654321);
  EXPECT_EQ(member.PointCount, 3);
  EXPECT_EQ(member.Point(2, 0), (TXYZPoint{7, 8, 9}));
  EXPECT_THROW(T3DPlotListMember(points, 2, 2, 0, psGrid, 0, 0), std::invalid_argument);
  // Negative counts make an empty plot rather than a negative allocation.
  const T3DPlotListMember empty(points, -1, -1, 0, psGrid, 0, 0);
  EXPECT_EQ(empty.PointCount, 0);
  EXPECT_TRUE(empty.Points.empty());
}

TEST(T3DPlotListMember, AddPlotReplacesByIdAtTheEndAndRemovePlotTakesTheFirst) {
  T3DPlotList list;
  const TXYZPoint one[] = {{1, 1, 1}};
  const TXYZPoint two[] = {{2, 2, 2}};
  EXPECT_FALSE(T3DPlotListMember::AddPlot(one, 1, 1, 1, psPoints, 0, 0, list));
  EXPECT_FALSE(T3DPlotListMember::AddPlot(one, 1, 1, 2, psPoints, 0, 0, list));
  EXPECT_TRUE(T3DPlotListMember::AddPlot(two, 1, 1, 1, psGrid, 0, 0, list));
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0]->PlotID, 2);
  EXPECT_EQ(list[1]->PlotID, 1);
  EXPECT_EQ(list[1]->Points[0], (TXYZPoint{2, 2, 2}));
  EXPECT_EQ(list[1]->Style, psGrid);
  EXPECT_TRUE(T3DPlotListMember::RemovePlot(2, list));
  EXPECT_FALSE(T3DPlotListMember::RemovePlot(2, list));
  ASSERT_EQ(list.size(), 1u);
}

}  // namespace
