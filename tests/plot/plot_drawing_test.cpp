#include "recording_plot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

std::string Pixel(const RecordingPlot& plot, const TXYZPoint& p) {
  const auto pixel = plot.PixelOf(p);
  EXPECT_TRUE(pixel);
  return pixel ? RecordingCanvas::Xy(pixel->x, pixel->y) : "none";
}

std::string CornerPixel(const RecordingPlot& plot, int corner) {
  return Pixel(plot, plot.BoxCorner()[corner]);
}

std::string Outline(const RecordingPlot& plot, std::initializer_list<int> corners) {
  std::string text = std::to_string(corners.size());
  for (int corner : corners) text += " " + CornerPixel(plot, corner);
  return text;
}

// A 2 x 2 grid with heights 0..3 and the origin cross off: the box is 0..1, 0..1, 0..3.
void AddSmallGrid(RecordingPlot& plot, T3DPlotStyle style = psGrid) {
  const double z[] = {0, 1, 2, 3};
  plot.SetShowOrigin(false);
  plot.XYZPlot(z, 2, 2, 0, style, 0x800000, 0x00FF00);
  plot.canvas.calls.clear();
}

// Views whose farthest box corner is known: Phi picks the floor corner, Psi floor or top.
struct View {
  double phi, psi;
  int far_corner;
};
constexpr View kViews[] = {
    {-0.3, 0.2, 0},  {0.3, 0.2, 1},  {2.84, 0.2, 2},  {3.44, 0.2, 3},
    {-0.3, -0.2, 4}, {0.3, -0.2, 5}, {2.84, -0.2, 6}, {3.44, -0.2, 7},
};

// The corner table: coordinate planes, and the axes (also the labels) of each corner.
const char* const kPlanes[] = {"XZ YZ XY", "XY XZ", "XY", "XY YZ", "XZ YZ", "XZ", "", "YZ"};
const char* const kAxes[] = {"XYZ", "XZ", "", "YZ", "XYZ", "XZ", "", "YZ"};

// The calls (pens, outlines, polygons, texts) expected of one pass through `corner`.
Calls AxisPass(const RecordingPlot& plot, T3DAxisStyle style, int corner, bool front) {
  Calls calls;
  const std::string box = "pen 000000";
  if (front) calls.push_back(box);
  static const int kFaces[3][5] = {{0, 1, 5, 4, 0}, {0, -1, 3, 4, 0}, {0, 1, 2, -1, 0}};
  if (style == asBox || style == asBoxAndPlane) {
    const bool filled = style == asBoxAndPlane && !front;
    if (!front) calls.push_back(box);
    if (filled) calls.push_back("brush 00FFFF");
    for (const auto& offsets : kFaces) {
      std::string text = filled ? "polygon 4" : "polyline 5";
      for (int k = 0; k < (filled ? 4 : 5); ++k) {
        text += " " + CornerPixel(plot, TXYZPlotModel::ConvertFarPoint(corner, offsets[k]));
      }
      calls.push_back(text);
    }
  }
  const std::string planes = kPlanes[corner];
  if (style == asXYZPlane) {
    for (std::size_t at = 0; at < planes.size(); at += 3) {
      const std::string plane = planes.substr(at, 2);
      calls.push_back(box);
      if (plane == "XZ") calls.push_back("polyline " + Outline(plot, {0, 1, 5, 4, 0}));
      if (plane == "YZ") calls.push_back("polyline " + Outline(plot, {0, 3, 7, 4, 0}));
      if (plane == "XY") calls.push_back("polyline " + Outline(plot, {0, 1, 2, 3, 0}));
    }
  }
  const std::string axes = kAxes[corner];
  if (style != asNone) {
    if (axes.find('X') != std::string::npos) calls.push_back("pen 0000FF");
    if (axes.find('Y') != std::string::npos) calls.push_back("pen 008000");
    if (axes.find('Z') != std::string::npos) calls.push_back("pen FF0000");
  }
  // Box 0..1, 0..1, 0..3; labels maximum first.
  const auto text = [&](const TXYZPoint& anchor, const char* value) {
    calls.push_back("text " + Pixel(plot, anchor) + " " + value);
  };
  const double low_z = 0.05 * 3.0;
  if (axes.find('X') != std::string::npos) {
    text({1.0 - 0.1, 0, low_z}, "1");
    text({0.1, 0, low_z}, "0");
  }
  if (axes.find('Y') != std::string::npos) {
    text({0, 1.0 - 0.1, low_z}, "1");
    text({0, 0.1, low_z}, "0");
  }
  if (axes.find('Z') != std::string::npos) {
    text({0, 0.05, 3}, "3");
    text({0, 0.05, 0.1 * 3.0}, "0");
  }
  return calls;
}

Calls Concat(Calls a, const Calls& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class AxisStyleOrder : public ::testing::TestWithParam<T3DAxisStyle> {};

TEST_P(AxisStyleOrder, BackPassThenPlotsThenFrontPassForEveryFarCorner) {
  for (const View& view : kViews) {
    RecordingPlot plot;
    plot.SetAxisStyle(GetParam());
    plot.SetAngles(view.phi, 0.0, view.psi);
    AddSmallGrid(plot);
    plot.Redraw();
    const int far_corner = TXYZPlotModel::ConvertFarPoint(plot.FarCorner(), 6);
    ASSERT_EQ(far_corner, view.far_corner);
    const bool filled = GetParam() == asBoxAndPlane;
    const Calls drawn =
        plot.Calls({"pen", "polyline", "polygon", "text", filled ? "brush 00FFFF" : "-"});
    const Calls expected =
        Concat(Concat(AxisPass(plot, GetParam(), far_corner, false), {"pen 800000"}),
               AxisPass(plot, GetParam(), plot.FarCorner(), true));
    EXPECT_EQ(drawn, expected) << "far corner " << far_corner;
  }
}

INSTANTIATE_TEST_SUITE_P(AllStyles, AxisStyleOrder,
                         ::testing::Values(asBox, asXYZ, asXYZPlane, asBoxAndPlane, asNone));

TEST(PlotDrawing, RedrawClearsFirstAndCopiesLast) {
  RecordingPlot plot;
  AddSmallGrid(plot);
  plot.Redraw();
  ASSERT_GE(plot.canvas.calls.size(), 3u);
  EXPECT_EQ(plot.canvas.calls[0], "brush F0F0F0");
  EXPECT_EQ(plot.canvas.calls[1], "fill 0,0 201,151");
  EXPECT_EQ(plot.canvas.calls.back(), "copy");
}

TEST(PlotDrawing, HiddenControlOnlyCopies) {
  RecordingPlot plot;
  AddSmallGrid(plot);
  plot.visible = false;
  plot.Redraw();
  EXPECT_EQ(plot.canvas.calls, Calls{"copy"});
}

TEST(PlotDrawing, EmptyRangeDrawsOnlyTheBackground) {
  RecordingPlot plot;
  AddSmallGrid(plot);
  plot.SetAutoScale(false);
  plot.SetXYZMinMax(0, 1, 0, 1, 2, 2);
  plot.canvas.calls.clear();
  plot.Redraw();
  EXPECT_EQ(plot.canvas.calls, (Calls{"brush F0F0F0", "fill 0,0 201,151", "copy"}));
}

TEST(PlotDrawing, OriginCrossBetweenBackPassAndPlots) {
  RecordingPlot plot;
  AddSmallGrid(plot);
  plot.SetShowOrigin(true);
  plot.canvas.calls.clear();
  plot.Redraw();
  const auto q2 = plot.ConvertTo2D({0, 0, 0});
  ASSERT_TRUE(q2);
  const TXYPoint q = plot.LocalToScreen(*q2);
  const auto at = [](double x, double y) {
    return RecordingCanvas::Xy(static_cast<int>(x), static_cast<int>(y));
  };
  const Calls cross{"pen 000000",
                    "move " + at(q.x - 4, q.y),
                    "line " + at(q.x + 4, q.y),
                    "move " + at(q.x, q.y - 4),
                    "line " + at(q.x, q.y + 4),
                    "pen 800000"};
  const auto& calls = plot.canvas.calls;
  EXPECT_NE(std::search(calls.begin(), calls.end(), cross.begin(), cross.end()), calls.end());
}

// The calls drawing the plot in the last picture: from its pen to the front pass.
Calls PlotCalls(const RecordingPlot& plot) {
  const auto& calls = plot.canvas.calls;
  const auto last_picture = std::find(calls.rbegin(), calls.rend(), "fill 0,0 201,151").base();
  auto begin = std::find(last_picture, calls.end(), "pen 800000");
  auto end = std::find(begin, calls.end(), "pen 000000");
  if (begin == calls.end()) return {};
  return Calls(begin + 2, end);  // after the pen and brush
}

std::string P(const RecordingPlot& plot, int k) {
  return Pixel(plot, plot.PlotList()[0]->Points[k]);
}

TEST(PlotStyles, PointsLinesAndGrid) {
  RecordingPlot plot;
  AddSmallGrid(plot, psPoints);
  plot.SetPointSize(1);
  plot.canvas.calls.clear();
  plot.Redraw();
  Calls expected;
  for (int k = 0; k < 4; ++k) {
    const auto p = plot.PixelOf(plot.PlotList()[0]->Points[k]);
    expected.push_back("rect " + RecordingCanvas::Xy(p->x - 1, p->y - 1) + " " +
                       RecordingCanvas::Xy(p->x + 1, p->y + 1));
  }
  EXPECT_EQ(PlotCalls(plot), expected);

  plot.SetPlotStyle(psLine, 0);
  EXPECT_EQ(PlotCalls(plot), (Calls{"move " + P(plot, 0), "line " + P(plot, 1),
                                    "line " + P(plot, 2), "line " + P(plot, 3)}));

  plot.SetPlotStyle(psLineAndPoints, 0);
  const Calls with_points = PlotCalls(plot);
  ASSERT_EQ(with_points.size(), 8u);
  EXPECT_EQ(with_points[0], expected[0]);
  EXPECT_EQ(with_points[1], "move " + P(plot, 0));
  EXPECT_EQ(with_points[2], expected[1]);
  EXPECT_EQ(with_points[3], "line " + P(plot, 1));
  EXPECT_EQ(with_points[7], "line " + P(plot, 3));

  plot.SetPlotStyle(psGrid, 0);
  // Point (i, j) is k = 2j + i: down to (i, j + 1), then right to (i + 1, j).
  EXPECT_EQ(PlotCalls(plot),
            (Calls{"move " + P(plot, 0), "line " + P(plot, 2), "move " + P(plot, 0),
                   "line " + P(plot, 1), "move " + P(plot, 1), "line " + P(plot, 3),
                   "move " + P(plot, 2), "line " + P(plot, 3)}));

  plot.SetPlotStyle(static_cast<T3DPlotStyle>(7), 0);
  EXPECT_EQ(PlotCalls(plot), Calls{});
}

TEST(PlotStyles, SingleColumnDrawsOnlyTheLinesBetweenRows) {
  RecordingPlot plot;
  const double z[] = {0, 1, 2};
  plot.SetShowOrigin(false);
  plot.XYZPlot(z, 1, 3, 0, psGrid, 0x800000, 0);
  EXPECT_EQ(PlotCalls(plot), (Calls{"move " + P(plot, 0), "line " + P(plot, 1),
                                    "move " + P(plot, 1), "line " + P(plot, 2)}));
  plot.SetPlotStyle(psSurface, 0);
  EXPECT_EQ(PlotCalls(plot), Calls{});
}

// The cells of a 3 x 3 surface in the order drawn, each named by its first point (i, j).
std::vector<std::pair<int, int>> SurfaceOrder(double phi) {
  RecordingPlot plot;
  plot.SetAngles(phi, 0.0, 0.2);
  const double z[] = {0, 1, 2, 1, 2, 3, 2, 3, 4};
  plot.SetShowOrigin(false);
  plot.XYZPlot(z, 3, 3, 0, psSurface, 0x800000, 0x00FF00);
  std::vector<std::pair<int, int>> order;
  for (const std::string& call : PlotCalls(plot)) {
    for (int j = 0; j < 2; ++j) {
      for (int i = 0; i < 2; ++i) {
        const std::string first = "polygon 4 " + P(plot, 3 * j + i) + " " + P(plot, 3 * j + i + 1);
        if (call.rfind(first, 0) == 0) order.emplace_back(i, j);
      }
    }
  }
  return order;
}

TEST(PlotStyles, SurfaceCellsFarToNear) {
  using Order = std::vector<std::pair<int, int>>;
  // Far floor corner 0, next 1 (they share y = YMin): rows outer, from the far corner.
  EXPECT_EQ(SurfaceOrder(-0.3), (Order{{0, 0}, {1, 0}, {0, 1}, {1, 1}}));
  // Far corner 1 (XMax, YMin), next 0: rows outer, i from the far end.
  EXPECT_EQ(SurfaceOrder(0.3), (Order{{1, 0}, {0, 0}, {1, 1}, {0, 1}}));
  // Far corner (XMax, YMax), next (XMin, YMax): rows outer, both reversed.
  EXPECT_EQ(SurfaceOrder(2.84), (Order{{1, 1}, {0, 1}, {1, 0}, {0, 0}}));
  // Far corner (XMin, YMax), next (XMax, YMax): rows outer, j from the far end.
  EXPECT_EQ(SurfaceOrder(3.44), (Order{{0, 1}, {1, 1}, {0, 0}, {1, 0}}));
  // Far corner 0, next 2 (they share x = XMin): columns outer.
  EXPECT_EQ(SurfaceOrder(-1.2), (Order{{0, 0}, {0, 1}, {1, 0}, {1, 1}}));
}

TEST(PlotStyles, PointsWithoutProjectionAreLeftOut) {
  // In perspective the vanishing point 1.2 lies inside the data: points beyond it in depth
  // (below the vanishing plane) have no projection and the lines to them are not drawn.
  RecordingPlot plot;
  plot.SetAngles(0.0, 0.0, 0.0);  // depth = data y - centre y
  plot.SetShowOrigin(false);
  const std::array<double, 3> points[] = {{0, 0, 0}, {1, 0, 1}, {0, 4, 0}, {1, 0, 0}};
  plot.XYZPlot(points, 0, psLine, 0x800000, 0);
  plot.SetVanishingPoint(1.2);
  ASSERT_FALSE(plot.ConvertTo2D(plot.PlotList()[0]->Points[2]));
  EXPECT_EQ(PlotCalls(plot),
            (Calls{"move " + P(plot, 0), "line " + P(plot, 1), "move " + P(plot, 3)}));
}

}  // namespace
