#include "recording_plot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const double kFour[] = {1, 2, 3, 4};

TEST(XYZPlot, SecondPlotWithTheSameIdReplacesTheFirst) {
  RecordingPlot plot;
  EXPECT_FALSE(plot.XYZPlot(kFour, 2, 2, 0, psGrid, 1, 2));
  const double other[] = {9, 9};
  EXPECT_TRUE(plot.XYZPlot(other, 2, 1, 0, psLine, 3, 4));
  ASSERT_EQ(plot.PlotList().size(), 1u);
  const T3DPlotListMember& member = *plot.PlotList()[0];
  EXPECT_EQ(member.XCount, 2);
  EXPECT_EQ(member.YCount, 1);
  EXPECT_EQ(member.Style, psLine);
  EXPECT_EQ(member.LineColor, 3u);
  EXPECT_EQ(member.FillColor, 4u);
  EXPECT_EQ(member.Points[1], (TXYZPoint{1, 0, 9}));
}

TEST(XYZPlot, ReplacedPlotMovesToTheEnd) {
  RecordingPlot plot;
  plot.XYZPlot(kFour, 2, 2, 1, psGrid, 0, 0);
  plot.XYZPlot(kFour, 2, 2, 2, psGrid, 0, 0);
  plot.XYZPlot(kFour, 2, 2, 3, psGrid, 0, 0);
  EXPECT_TRUE(plot.XYZPlot(kFour, 2, 2, 1, psSurface, 0, 0));
  std::vector<int> ids;
  for (const auto& member : plot.PlotList()) ids.push_back(member->PlotID);
  EXPECT_EQ(ids, (std::vector<int>{2, 3, 1}));
}

TEST(XYZPlot, GridPointsTakeColumnAndRowIndexOrTheirRanges) {
  RecordingPlot plot;
  const double z[] = {1, 2, 3, 4, 5, 6};
  plot.XYZPlot(z, 3, 2, 0, psGrid, 0, 0);
  EXPECT_EQ(plot.PlotList()[0]->Point(2, 1), (TXYZPoint{2, 1, 6}));

  plot.XYZPlot(z, 3, 2, 0.0, 255.0, 10.0, 20.0, 0, psGrid, 0, 0);
  const T3DPlotListMember& ranged = *plot.PlotList()[0];
  EXPECT_EQ(ranged.Point(0, 0), (TXYZPoint{0, 10, 1}));
  EXPECT_EQ(ranged.Point(1, 0), (TXYZPoint{127.5, 10, 2}));
  EXPECT_EQ(ranged.Point(2, 1), (TXYZPoint{255, 20, 6}));
  EXPECT_EQ(plot.XMax(), 255.0);
  EXPECT_EQ(plot.YMin(), 10.0);

  // A single column lies at xmin, a single row at ymin.
  plot.XYZPlot(z, 1, 2, 5.0, 255.0, 10.0, 20.0, 0, psGrid, 0, 0);
  EXPECT_EQ(plot.PlotList()[0]->Point(0, 1), (TXYZPoint{5, 20, 2}));
  plot.XYZPlot(z, 3, 1, 5.0, 255.0, 10.0, 20.0, 0, psGrid, 0, 0);
  EXPECT_EQ(plot.PlotList()[0]->Point(2, 0), (TXYZPoint{255, 10, 3}));

  // A descending range gives x decreasing with i.
  plot.XYZPlot(z, 3, 2, 2.0, 0.0, 0.0, 1.0, 0, psGrid, 0, 0);
  EXPECT_EQ(plot.PlotList()[0]->Point(0, 0).x, 2.0);
  EXPECT_EQ(plot.PlotList()[0]->Point(2, 0).x, 0.0);
}

TEST(XYZPlot, TriplesMakeOneRow) {
  RecordingPlot plot;
  const std::array<double, 3> points[] = {{1, 2, 3}, {4, 5, 6}};
  plot.XYZPlot(points, 4, psLine, 0, 0);
  const T3DPlotListMember& member = *plot.PlotList()[0];
  EXPECT_EQ(member.XCount, 2);
  EXPECT_EQ(member.YCount, 1);
  EXPECT_EQ(member.Points[1], (TXYZPoint{4, 5, 6}));
}

TEST(XYZPlot, TooFewValuesAreRefusedAndTheListStaysAsItWas) {
  RecordingPlot plot;
  plot.XYZPlot(kFour, 2, 2, 0, psGrid, 0, 0);
  EXPECT_THROW(plot.XYZPlot(kFour, 3, 2, 0, psGrid, 0, 0), std::invalid_argument);
  ASSERT_EQ(plot.PlotList().size(), 1u);
  EXPECT_EQ(plot.PlotList()[0]->PointCount, 4);
}

TEST(PlotList, RemovePlotKeepsTheBoxAndRedrawsWhetherFoundOrNot) {
  RecordingPlot plot;
  plot.XYZPlot(kFour, 2, 2, 0, psGrid, 0, 0);
  const double big[] = {100, 200};
  plot.XYZPlot(big, 2, 1, 1, psGrid, 0, 0);
  EXPECT_EQ(plot.ZMax(), 200.0);
  int redraws = plot.redraws;
  EXPECT_FALSE(plot.RemovePlot(5));
  EXPECT_EQ(plot.redraws, ++redraws);
  EXPECT_TRUE(plot.RemovePlot(1));
  EXPECT_EQ(plot.redraws, ++redraws);
  EXPECT_EQ(plot.PlotList().size(), 1u);
  EXPECT_EQ(plot.ZMax(), 200.0);  // until the next auto-scale
  plot.DblClick();
  EXPECT_EQ(plot.ZMax(), 4.0);
}

TEST(PlotList, FindAndRestyleByIdActOnTheFirstMember) {
  RecordingPlot plot;
  plot.XYZPlot(kFour, 2, 2, 3, psGrid, 1, 2);
  T3DPlotListMember* found = nullptr;
  ASSERT_TRUE(plot.FindPlot(found, 3));
  EXPECT_EQ(found, plot.PlotList()[0].get());
  EXPECT_FALSE(plot.FindPlot(found, 4));

  const int redraws = plot.redraws;
  EXPECT_TRUE(plot.SetPlotLineColor(0xABCDEF, 3));
  EXPECT_TRUE(plot.SetPlotFillColor(0x123456, 3));
  EXPECT_TRUE(plot.SetPlotStyle(psSurface, 3));
  EXPECT_FALSE(plot.SetPlotLineColor(0, 4));
  EXPECT_FALSE(plot.SetPlotFillColor(0, 4));
  EXPECT_FALSE(plot.SetPlotStyle(psPoints, 4));
  EXPECT_EQ(plot.redraws, redraws + 6);
  EXPECT_EQ(found->LineColor, 0xABCDEFu);
  EXPECT_EQ(found->FillColor, 0x123456u);
  EXPECT_EQ(found->Style, psSurface);
}

TEST(Setters, ClampOutOfRangeValues) {
  RecordingPlot plot;
  struct Row {
    int written, stored;
  };
  for (const Row& row : {Row{0, 1}, Row{-4, 1}, Row{25, 10}, Row{5, 5}}) {
    plot.SetPointSize(row.written);
    EXPECT_EQ(plot.PointSize(), row.stored) << row.written;
  }
  for (const double v : {0.0, -5.0, std::nan("")}) {
    plot.SetVanishingPoint(50.0);
    plot.SetVanishingPoint(v);
    EXPECT_EQ(plot.VanishingPoint(), 100.0) << v;
  }
  plot.SetVanishingPoint(0.5);
  EXPECT_EQ(plot.VanishingPoint(), 0.5);
  plot.SetXLabelPrecision(-3);
  plot.SetYLabelPrecision(7);
  plot.SetZLabelPrecision(0);
  EXPECT_EQ(plot.XLabelPrecision(), 0);
  EXPECT_EQ(plot.YLabelPrecision(), 7);
  EXPECT_EQ(plot.ZLabelPrecision(), 0);
}

TEST(Setters, RedrawOnlyWithAutoRedrawExceptTheNamedOnes) {
  const std::vector<std::function<void(RecordingPlot&)>> redrawing = {
      [](RecordingPlot& p) { p.SetXAxisColor(1); },
      [](RecordingPlot& p) { p.SetPlaneColor(1); },
      [](RecordingPlot& p) { p.SetZMin(-1); },
      [](RecordingPlot& p) { p.SetXYZMinMax(0, 2, 0, 2, 0, 2); },
      [](RecordingPlot& p) { p.SetPhi(1); },
      [](RecordingPlot& p) { p.SetAngles(1, 2, 3); },
      [](RecordingPlot& p) { p.SetShowLabels(true); },
      [](RecordingPlot& p) { p.SetShowOrigin(false); },
      [](RecordingPlot& p) { p.SetPointSize(3); },
      [](RecordingPlot& p) { p.SetPerspectiveOn(false); },
      [](RecordingPlot& p) { p.SetVanishingPoint(3); },
      [](RecordingPlot& p) { p.SetFitToScreen(false); },
      [](RecordingPlot& p) { p.SetAutoScale(false); },
      [](RecordingPlot& p) { p.SetZLabelPrecision(2); },
      [](RecordingPlot& p) { p.SetXLabelFormat(sffFixed); },
      [](RecordingPlot& p) { p.SetAxisStyle(asNone); },
  };
  for (std::size_t k = 0; k < redrawing.size(); ++k) {
    RecordingPlot on;
    redrawing[k](on);
    EXPECT_EQ(on.redraws, 1) << k;  // once, also for the setters of several values
    RecordingPlot off;
    off.SetAutoRedraw(false);
    redrawing[k](off);
    EXPECT_EQ(off.redraws, 0) << k;
  }

  RecordingPlot plot;
  plot.SetAutoRedraw(false);
  plot.SetMouseFunction(mfZoom);
  plot.SetMouseControl(false);
  EXPECT_EQ(plot.redraws, 0);
  plot.SetVisible(true);
  plot.SetColor(0xFFFFFF);
  EXPECT_EQ(plot.redraws, 2);  // whatever AutoRedraw is
  plot.SetAutoRedraw(true);
  EXPECT_EQ(plot.redraws, 3);
}

TEST(Setters, AnglesAreReducedAndTheBoxLeavesTheCentre) {
  RecordingPlot plot;
  plot.SetPhi(7.0);
  EXPECT_DOUBLE_EQ(plot.Phi(), 7.0 - TwoPi);
  plot.SetTheta(6.9);
  EXPECT_EQ(plot.Theta(), 6.9);
  plot.SetAngles(-7.5, 7.0, -6.9);
  EXPECT_DOUBLE_EQ(plot.Phi(), -7.5 + 2 * TwoPi);
  EXPECT_DOUBLE_EQ(plot.Theta(), 7.0 - TwoPi);
  EXPECT_EQ(plot.Psi(), -6.9);

  plot.SetXYZMinMax(-2, 2, 0, 10, 4, 6);
  plot.SetXMax(8);
  EXPECT_EQ(plot.RotationCenter(), (TXYZPoint{0.5, 0.5, 0.5}));
  plot.SetFitToScreen(true);
  EXPECT_EQ(plot.RotationCenter(), (TXYZPoint{3, 5, 5}));
}

TEST(Setters, ShowLabelsSetsAllThreeAxesButNotTheOtherWayRound) {
  RecordingPlot plot;
  plot.SetShowLabels(false);
  EXPECT_FALSE(plot.ShowLabels());
  EXPECT_FALSE(plot.ShowXLabel());
  EXPECT_FALSE(plot.ShowYLabel());
  EXPECT_FALSE(plot.ShowZLabel());
  plot.SetShowXLabel(true);
  EXPECT_TRUE(plot.ShowXLabel());
  EXPECT_FALSE(plot.ShowLabels());
  EXPECT_TRUE(plot.Calls({"text"}).size() > 0);
}

TEST(AutoScale, OffKeepsTheBoxAndTurningItOnScalesToTheData) {
  RecordingPlot plot;
  plot.SetAutoScale(false);
  plot.XYZPlot(kFour, 2, 2, 0, psGrid, 0, 0);
  EXPECT_EQ(plot.ZMax(), 1.0);
  EXPECT_EQ(plot.RotationCenter(), (TXYZPoint{0.5, 0.5, 0.5}));
  plot.SetAutoScale(true);
  EXPECT_EQ(plot.ZMin(), 1.0);
  EXPECT_EQ(plot.ZMax(), 4.0);
}

TEST(Assign, PropertiesCopyAllButShowLabelsTheCentreAndThePlots) {
  RecordingPlot source;
  source.XYZPlot(kFour, 2, 2, 0, psGrid, 0, 0);
  source.SetShowLabels(true);
  source.SetShowYLabel(false);
  source.SetPointSize(4);
  source.SetBoxColor(0x112233);
  source.SetAngles(1, 2, 3);
  source.SetMouseFunction(mfZoom);
  source.SetVanishingPoint(42);
  source.SetZLabelFormat(sffExponent);
  source.SetAxisStyle(asXYZPlane);
  source.SetAutoScale(false);
  source.SetXYZMinMax(-1, 1, -2, 2, -3, 3);
  source.SetFitToScreen(false);  // so the copy's redraw keeps the copied extents
  source.visible = false;

  RecordingPlot copy;
  copy.AssignPlotProperties(&source);
  EXPECT_EQ(copy.PointSize(), 4);
  EXPECT_EQ(copy.BoxColor(), 0x112233u);
  EXPECT_EQ(copy.Phi(), 1.0);
  EXPECT_EQ(copy.Psi(), 3.0);
  EXPECT_EQ(copy.MouseFunction(), mfZoom);
  EXPECT_EQ(copy.VanishingPoint(), 42.0);
  EXPECT_EQ(copy.ZLabelFormat(), sffExponent);
  EXPECT_EQ(copy.AxisStyle(), asXYZPlane);
  EXPECT_FALSE(copy.AutoScale());
  EXPECT_EQ(copy.ZMin(), -3.0);
  EXPECT_FALSE(copy.ShowYLabel());
  EXPECT_FALSE(copy.ShowLabels());
  EXPECT_FALSE(copy.visible);
  EXPECT_EQ(copy.ProjXMax(), source.ProjXMax());
  EXPECT_EQ(copy.RotationCenter(), (TXYZPoint{0.5, 0.5, 0.5}));
  EXPECT_TRUE(copy.PlotList().empty());
}

TEST(Assign, DataIsCopiedDeeplyAndAppendKeepsDuplicateIds) {
  RecordingPlot source;
  source.XYZPlot(kFour, 2, 2, 7, psGrid, 0, 0);
  RecordingPlot copy;
  const double other[] = {50, 60};
  copy.XYZPlot(other, 2, 1, 1, psGrid, 0, 0);
  copy.AssignPlotData(&source);
  ASSERT_EQ(copy.PlotList().size(), 1u);
  EXPECT_NE(copy.PlotList()[0].get(), source.PlotList()[0].get());
  EXPECT_EQ(copy.PlotList()[0]->Points, source.PlotList()[0]->Points);
  EXPECT_EQ(copy.ZMax(), 4.0);

  copy.AppendPlotData(&source);
  ASSERT_EQ(copy.PlotList().size(), 2u);
  EXPECT_EQ(copy.PlotList()[1]->PlotID, 7);
  EXPECT_TRUE(copy.RemovePlot(7));
  EXPECT_EQ(copy.PlotList().size(), 1u);
}

TEST(Assign, AControlMayAppendOrAssignItsOwnPlots) {
  RecordingPlot plot;
  plot.XYZPlot(kFour, 2, 2, 7, psGrid, 0, 0);
  plot.AppendPlotData(&plot);
  EXPECT_EQ(plot.PlotList().size(), 2u);
  plot.AssignPlotData(&plot);
  EXPECT_EQ(plot.PlotList().size(), 2u);
}

TEST(Mouse, ASecondPressStartsAfreshSoOnlyOneActionIsActive) {
  RecordingPlot plot;
  plot.MouseDown(mbLeft, ssLeft, 0, 0);
  plot.MouseDown(mbRight, ssLeft | ssRight | ssAlt, 0, 0);
  TMouseAction expected;
  expected.RotatePhiPsi = true;
  EXPECT_EQ(plot.MouseAction(), expected);
}

TEST(Mouse, AControlWithoutWidthTakesNoStep) {
  RecordingPlot plot;
  plot.width = 0;
  plot.height = 0;
  plot.MouseDown(mbLeft, ssLeft, 0, 0);
  plot.MouseMove(ssLeft, 10, 10);
  EXPECT_EQ(plot.Phi(), 5.3);
  EXPECT_EQ(plot.Psi(), 0.2);
}

}  // namespace
