// The projection chain and the drawing of one picture.

#include "plot/xyz_plot_model.h"

#include "plot/label_format.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

// The three faces through one box corner, as offsets for ConvertFarPoint.
constexpr std::array<std::array<int, 5>, 3> kFaceOffsets = {{
    {0, 1, 5, 4, 0},   // side face through the edge to the next corner of the ring
    {0, -1, 3, 4, 0},  // side face through the edge to the previous corner
    {0, 1, 2, -1, 0},  // floor or top face
}};

// What is drawn for a corner nearest or farthest from the viewer, in drawing order.
enum Plane { kXZ, kYZ, kXY };
struct CornerItems {
  std::array<Plane, 3> planes;
  int plane_count;
  bool x, y, z;  // axes and labels
};
constexpr std::array<CornerItems, 8> kCornerItems = {{
    {{kXZ, kYZ, kXY}, 3, true, true, true},
    {{kXY, kXZ, kXY}, 2, true, false, true},
    {{kXY, kXY, kXY}, 1, false, false, false},
    {{kXY, kYZ, kXY}, 2, false, true, true},
    {{kXZ, kYZ, kXY}, 2, true, true, true},
    {{kXZ, kXZ, kXY}, 1, true, false, true},
    {{kXY, kXY, kXY}, 0, false, false, false},
    {{kYZ, kYZ, kXY}, 1, false, true, true},
}};

// Beyond this, pixel coordinates are held at it: the truncation stays defined and lines
// towards far-away points keep their direction on screen.
constexpr double kPixelLimit = 1 << 30;

}  // namespace

TXYZPlotModel::TXYZPlotModel() {
  StoreAngles(FPhi, FTheta, FPsi);
  CalculateAxisArray();
}

void TXYZPlotModel::StoreAngles(double phi, double theta, double psi) {
  FPhi = phi;
  FTheta = theta;
  FPsi = psi;
  FRotation = {std::cos(phi),   std::sin(phi), std::cos(theta),
               std::sin(theta), std::cos(psi), std::sin(psi)};
}

void TXYZPlotModel::CalculateAxisArray() {
  FBoxCorner[0].SetPoint(FProps.XMin, FProps.YMin, FProps.ZMin);
  FBoxCorner[1].SetPoint(FProps.XMax, FProps.YMin, FProps.ZMin);
  FBoxCorner[2].SetPoint(FProps.XMax, FProps.YMax, FProps.ZMin);
  FBoxCorner[3].SetPoint(FProps.XMin, FProps.YMax, FProps.ZMin);
  FBoxCorner[4].SetPoint(FProps.XMin, FProps.YMin, FProps.ZMax);
  FBoxCorner[5].SetPoint(FProps.XMax, FProps.YMin, FProps.ZMax);
  FBoxCorner[6].SetPoint(FProps.XMax, FProps.YMax, FProps.ZMax);
  FBoxCorner[7].SetPoint(FProps.XMin, FProps.YMax, FProps.ZMax);
}

// Everything the chain from data point to pixel reads, taken once, so that projecting all
// points of a plot runs without a call per point. The public steps below use it too, so
// both give the same results bit for bit.
struct TXYZPlotModel::Projection {
  Rotation rotation;
  TXYZPoint center;
  bool perspective;
  double vanishing;
  double w, h;  // client size - 1
  double x_min, x_max, y_min, y_max;

  // The same arithmetic as TXYZPoint's RotateZ(Phi), RotateY(Theta), RotateX(Psi), with the
  // cosines and sines computed once per change of angle.
  [[nodiscard]] TXYZPoint Global(TXYZPoint p) const {
    const Rotation& r = rotation;
    p.x -= center.x;
    p.y -= center.y;
    p.z -= center.z;
    double x = p.x * r.cos_phi + p.y * r.sin_phi;
    p.y = p.y * r.cos_phi - p.x * r.sin_phi;
    p.x = x;
    x = p.x * r.cos_theta + p.z * r.sin_theta;
    p.z = p.z * r.cos_theta - p.x * r.sin_theta;
    p.x = x;
    const double y = p.y * r.cos_psi + p.z * r.sin_psi;
    p.z = p.z * r.cos_psi - p.y * r.sin_psi;
    p.y = y;
    return p;
  }

  [[nodiscard]] std::optional<TXYPoint> To2D(const TXYZPoint& p) const {
    const TXYZPoint g = Global(p);
    // In parallel projection a NaN reaches the pixel, where Truncate refuses it.
    if (!perspective) return TXYPoint{-g.x, g.z};
    if (std::isnan(g.x) || std::isnan(g.y) || std::isnan(g.z)) return std::nullopt;
    const double v = vanishing;
    if (!(g.z < v)) return TXYPoint{0.0, 0.0};
    // At or beyond the vanishing point in depth the division has no meaning: no projection.
    if (!(g.y < v)) return std::nullopt;
    return TXYPoint{(-g.x * v) / (v - g.y), (g.z * v) / (v - g.y)};
  }

  [[nodiscard]] TXYPoint Screen(TXYPoint p) const {
    return {w * (p.x - x_min) / (x_max - x_min), h - h * (p.y - y_min) / (y_max - y_min)};
  }

  [[nodiscard]] static std::optional<POINT> Truncate(TXYPoint q) {
    if (std::fabs(q.x) <= kPixelLimit && std::fabs(q.y) <= kPixelLimit) {
      return POINT{static_cast<std::int32_t>(q.x), static_cast<std::int32_t>(q.y)};
    }
    if (!std::isfinite(q.x) || !std::isfinite(q.y)) return std::nullopt;
    return POINT{static_cast<std::int32_t>(std::clamp(q.x, -kPixelLimit, kPixelLimit)),
                 static_cast<std::int32_t>(std::clamp(q.y, -kPixelLimit, kPixelLimit))};
  }

  [[nodiscard]] std::optional<POINT> Pixel(const TXYZPoint& p) const {
    const std::optional<TXYPoint> q = To2D(p);
    if (!q) return std::nullopt;
    return Truncate(Screen(*q));
  }
};

TXYZPlotModel::Projection TXYZPlotModel::CurrentProjection() const {
  return {FRotation,
          FRotationCenter,
          FProps.PerspectiveOn,
          FProps.VanishingPoint,
          ClientWidth() - 1.0,
          ClientHeight() - 1.0,
          FProjXMin,
          FProjXMax,
          FProjYMin,
          FProjYMax};
}

TXYZPoint TXYZPlotModel::LocalToGlobal(TXYZPoint p) const { return CurrentProjection().Global(p); }

std::optional<TXYPoint> TXYZPlotModel::ConvertTo2D(const TXYZPoint& p) const {
  return CurrentProjection().To2D(p);
}

TXYPoint TXYZPlotModel::LocalToScreen(TXYPoint p) const { return CurrentProjection().Screen(p); }

std::optional<POINT> TXYZPlotModel::TruncatePixel(TXYPoint q) { return Projection::Truncate(q); }

std::optional<POINT> TXYZPlotModel::PixelOf(const TXYZPoint& p) const {
  return CurrentProjection().Pixel(p);
}

void TXYZPlotModel::FindXYZMaxMin() {
  if (!FProps.AutoScale) return;
  std::array<double, 3> low{DBL_MAX, DBL_MAX, DBL_MAX};
  std::array<double, 3> high{-DBL_MAX, -DBL_MAX, -DBL_MAX};
  for (const auto& member : FPlotList) {
    for (const TXYZPoint& p : member->Points) {
      const std::array<double, 3> v{p.x, p.y, p.z};
      for (int a = 0; a < 3; ++a) {
        if (v[a] < low[a]) low[a] = v[a];
        if (v[a] > high[a]) high[a] = v[a];
      }
    }
  }
  for (int a = 0; a < 3; ++a) {
    // An axis without any value (no plots, or plots without points) spans 0..1.
    if (low[a] > high[a]) {
      low[a] = 0.0;
      high[a] = 1.0;
    }
    if (high[a] == low[a]) {
      high[a] += 1.0;
      low[a] -= 1.0;
    }
  }
  FProps.XMin = low[0];
  FProps.YMin = low[1];
  FProps.ZMin = low[2];
  FProps.XMax = high[0];
  FProps.YMax = high[1];
  FProps.ZMax = high[2];
  CenterRotation();
}

void TXYZPlotModel::CenterRotation() {
  FRotationCenter.SetPoint((FProps.XMin + FProps.XMax) * 0.5, (FProps.YMin + FProps.YMax) * 0.5,
                           (FProps.ZMin + FProps.ZMax) * 0.5);
}

void TXYZPlotModel::ScaleScreen() {
  if (!FProps.FitToScreen) return;
  CalculateAxisArray();
  bool first = true;
  for (const TXYZPoint& corner : FBoxCorner) {
    const std::optional<TXYPoint> q = ConvertTo2D(corner);
    if (!q || std::isnan(q->x) || std::isnan(q->y)) continue;
    if (first) {
      FProjXMin = FProjXMax = q->x;
      FProjYMin = FProjYMax = q->y;
      first = false;
      continue;
    }
    if (q->x < FProjXMin) FProjXMin = q->x;
    if (q->x > FProjXMax) FProjXMax = q->x;
    if (q->y < FProjYMin) FProjYMin = q->y;
    if (q->y > FProjYMax) FProjYMax = q->y;
  }
}

int TXYZPlotModel::ConvertFarPoint(int start, int offset) {
  int r = 0;
  if (start < 4) {
    r = start + offset;
    if (offset < 3) {
      if (r > 3) r -= 4;
      if (r < 0) r += 4;
    } else {
      if (r > 7) r -= 4;
      if (r < 4) r += 4;
    }
  } else if (offset < 3) {
    r = start + offset;
    if (r > 7) r -= 4;
    if (r < 4) r += 4;
  } else {
    r = (start - 4) + (offset - 4);
    if (r > 3) r -= 4;
    if (r < 0) r += 4;
  }
  return r;
}

std::optional<std::array<POINT, 5>> TXYZPlotModel::CalculateAxisPlane(
    int start, const std::array<int, 5>& offsets) const {
  std::array<POINT, 5> points;
  for (std::size_t k = 0; k < points.size(); ++k) {
    const int corner = ConvertFarPoint(start, offsets[k]);
    const std::optional<POINT> pixel = PixelOf(FBoxCorner[static_cast<std::size_t>(corner)]);
    if (!pixel) return std::nullopt;
    points[k] = *pixel;
  }
  return points;
}

// ---- Drawing ----

void TXYZPlotModel::Redraw() {
  if (!DrawsAtOnce()) {
    PictureDeferred();
    return;
  }
  DrawPicture();
  RedrawScreen();
}

void TXYZPlotModel::DrawPicture() {
  BeginPicture();
  ClearPlot();
  CalculateAxisArray();
  ScaleScreen();
  DrawAllPlots();
  EndPicture();
}

void TXYZPlotModel::ClearPlot() {
  if (!Visible()) return;
  TPlotCanvas& canvas = PlotCanvas();
  canvas.SetBrushColor(FColor);
  canvas.FillRect(0, 0, ClientWidth(), ClientHeight());
}

void TXYZPlotModel::DrawAllPlots() {
  if (!Visible()) return;
  if (FProps.XMax == FProps.XMin || FProps.YMax == FProps.YMin || FProps.ZMax == FProps.ZMin)
    return;
  FFloorCorner[0].SetPoint(FProps.XMin, FProps.YMin, FProps.ZMin);
  FFloorCorner[1].SetPoint(FProps.XMax, FProps.YMin, FProps.ZMin);
  FFloorCorner[2].SetPoint(FProps.XMin, FProps.YMax, FProps.ZMin);
  FFloorCorner[3].SetPoint(FProps.XMax, FProps.YMax, FProps.ZMin);
  FFarFloorCorner = 0;
  for (int k = 0; k < 4; ++k) {
    FFloorCorner[k] = LocalToGlobal(FFloorCorner[k]);
    if (FFloorCorner[FFarFloorCorner].y > FFloorCorner[k].y) FFarFloorCorner = k;
  }
  FNextFloorCorner = FFarFloorCorner == 0 ? 1 : 0;
  for (int k = 0; k < 4; ++k) {
    if (FFloorCorner[FNextFloorCorner].y > FFloorCorner[k].y && k != FFarFloorCorner) {
      FNextFloorCorner = k;
    }
  }
  DrawBackAxis();
  if (FProps.ShowOrigin) DrawOrigin();
  for (const auto& member : FPlotList) DrawOnePlot(*member);
  DrawFrontAxis();
}

void TXYZPlotModel::DrawBackAxis() {
  FFarCorner = 0;
  double far_depth = LocalToGlobal(FBoxCorner[0]).y;
  for (int k = 0; k < 8; ++k) {
    const double depth = LocalToGlobal(FBoxCorner[k]).y;
    if (depth < far_depth) {
      FFarCorner = k;
      far_depth = depth;
    }
  }
  TPlotCanvas& canvas = PlotCanvas();
  if (FProps.AxisStyle == asBox) {
    canvas.SetPenColor(FProps.BoxColor);
    DrawFaces(FFarCorner, false);
  } else if (FProps.AxisStyle == asBoxAndPlane) {
    canvas.SetPenColor(FProps.BoxColor);
    canvas.SetBrushColor(FProps.PlaneColor);
    DrawFaces(FFarCorner, true);
  }
  DrawCornerItems(FFarCorner, FProps.AxisStyle == asXYZPlane);
}

void TXYZPlotModel::DrawFrontAxis() {
  PlotCanvas().SetPenColor(FProps.BoxColor);
  FFarCorner = ConvertFarPoint(FFarCorner, 6);
  // The faces in front are never filled, so the box edges stay visible over the data.
  if (FProps.AxisStyle == asBox || FProps.AxisStyle == asBoxAndPlane) DrawFaces(FFarCorner, false);
  DrawCornerItems(FFarCorner, FProps.AxisStyle == asXYZPlane);
}

void TXYZPlotModel::DrawFaces(int corner, bool filled) {
  TPlotCanvas& canvas = PlotCanvas();
  for (const auto& offsets : kFaceOffsets) {
    const auto outline = CalculateAxisPlane(corner, offsets);
    if (!outline) continue;
    if (filled) {
      canvas.Polygon(std::span(*outline).first(4));
    } else {
      canvas.Polyline(*outline);
    }
  }
}

void TXYZPlotModel::DrawCornerItems(int corner, bool planes) {
  const CornerItems& items = kCornerItems[static_cast<std::size_t>(corner)];
  if (planes) {
    for (int k = 0; k < items.plane_count; ++k) {
      switch (items.planes[static_cast<std::size_t>(k)]) {
        case kXZ:
          DrawXZPlane();
          break;
        case kYZ:
          DrawYZPlane();
          break;
        case kXY:
          DrawXYPlane();
          break;
      }
    }
  }
  if (FProps.AxisStyle != asNone) {
    if (items.x) DrawXAxis();
    if (items.y) DrawYAxis();
    if (items.z) DrawZAxis();
  }
  if (items.x) DrawXLabel();
  if (items.y) DrawYLabel();
  if (items.z) DrawZLabel();
}

void TXYZPlotModel::DrawXZPlane() { DrawPlane({0, 1, 5, 4, 0}); }
void TXYZPlotModel::DrawYZPlane() { DrawPlane({0, 3, 7, 4, 0}); }
void TXYZPlotModel::DrawXYPlane() { DrawPlane({0, 1, 2, 3, 0}); }

void TXYZPlotModel::DrawPlane(const std::array<int, 5>& corners) {
  std::array<POINT, 5> outline;
  for (std::size_t k = 0; k < corners.size(); ++k) {
    const auto pixel = PixelOf(FBoxCorner[static_cast<std::size_t>(corners[k])]);
    if (!pixel) return;
    outline[k] = *pixel;
  }
  TPlotCanvas& canvas = PlotCanvas();
  canvas.SetPenColor(FProps.BoxColor);
  canvas.Polyline(outline);
}

void TXYZPlotModel::DrawXAxis() { DrawAxisLine(1, FProps.XAxisColor); }
void TXYZPlotModel::DrawYAxis() { DrawAxisLine(3, FProps.YAxisColor); }
void TXYZPlotModel::DrawZAxis() { DrawAxisLine(4, FProps.ZAxisColor); }

void TXYZPlotModel::DrawAxisLine(int to_corner, TColor color) {
  const auto from = PixelOf(FBoxCorner[0]);
  const auto to = PixelOf(FBoxCorner[static_cast<std::size_t>(to_corner)]);
  if (!from || !to) return;
  TPlotCanvas& canvas = PlotCanvas();
  canvas.SetPenColor(color);
  canvas.MoveTo(from->x, from->y);
  canvas.LineTo(to->x, to->y);
}

void TXYZPlotModel::DrawXLabel() {
  const TPlotProperties& p = FProps;
  if (!p.ShowXLabel) return;
  PlotCanvas().SetBrushColor(FColor);
  const double dx = p.XMax - p.XMin;
  const double z = p.ZMin + 0.05 * (p.ZMax - p.ZMin);
  DrawLabel(p.XMax, p.XLabelFormat, p.XLabelPrecision, {p.XMax - 0.1 * dx, p.YMin, z});
  DrawLabel(p.XMin, p.XLabelFormat, p.XLabelPrecision, {p.XMin + 0.1 * dx, p.YMin, z});
}

void TXYZPlotModel::DrawYLabel() {
  const TPlotProperties& p = FProps;
  if (!p.ShowYLabel) return;
  PlotCanvas().SetBrushColor(FColor);
  const double dy = p.YMax - p.YMin;
  const double z = p.ZMin + 0.05 * (p.ZMax - p.ZMin);
  DrawLabel(p.YMax, p.YLabelFormat, p.YLabelPrecision, {p.XMin, p.YMax - 0.1 * dy, z});
  DrawLabel(p.YMin, p.YLabelFormat, p.YLabelPrecision, {p.XMin, p.YMin + 0.1 * dy, z});
}

void TXYZPlotModel::DrawZLabel() {
  const TPlotProperties& p = FProps;
  if (!p.ShowZLabel) return;
  PlotCanvas().SetBrushColor(FColor);
  const double y = p.YMin + 0.05 * (p.YMax - p.YMin);
  DrawLabel(p.ZMax, p.ZLabelFormat, p.ZLabelPrecision, {p.XMin, y, p.ZMax});
  DrawLabel(p.ZMin, p.ZLabelFormat, p.ZLabelPrecision,
            {p.XMin, y, p.ZMin + 0.1 * (p.ZMax - p.ZMin)});
}

void TXYZPlotModel::DrawLabel(double value, TStringFloatFormat format, int precision,
                              const TXYZPoint& anchor) {
  const auto pixel = PixelOf(anchor);
  if (!pixel) return;
  PlotCanvas().TextOut(pixel->x, pixel->y, FloatToStrF(value, format, precision, precision));
}

void TXYZPlotModel::DrawOrigin() {
  const auto q2 = ConvertTo2D({0.0, 0.0, 0.0});
  if (!q2) return;
  const TXYPoint q = LocalToScreen(*q2);
  const auto left = TruncatePixel({q.x - 4, q.y});
  const auto right = TruncatePixel({q.x + 4, q.y});
  const auto top = TruncatePixel({q.x, q.y - 4});
  const auto bottom = TruncatePixel({q.x, q.y + 4});
  if (!left || !right || !top || !bottom) return;
  TPlotCanvas& canvas = PlotCanvas();
  canvas.SetPenColor(0x000000);
  canvas.MoveTo(left->x, left->y);
  canvas.LineTo(right->x, right->y);
  canvas.MoveTo(top->x, top->y);
  canvas.LineTo(bottom->x, bottom->y);
}

void TXYZPlotModel::ProjectPoints(const T3DPlotListMember& member) {
  // Every point is projected once per picture into buffers that keep their capacity.
  const std::size_t count = member.Points.size();
  FPixels.resize(count);
  FPixelValid.resize(count);
  const Projection projection = CurrentProjection();
  for (std::size_t k = 0; k < count; ++k) {
    const std::optional<POINT> pixel = projection.Pixel(member.Points[k]);
    FPixelValid[k] = pixel.has_value();
    if (pixel) FPixels[k] = *pixel;
  }
}

void TXYZPlotModel::DrawMarker(std::size_t k) {
  if (!FPixelValid[k]) return;
  const POINT p = FPixels[k];
  const int s = FProps.PointSize;
  PlotCanvas().Rectangle(p.x - s, p.y - s, p.x + s, p.y + s);
}

void TXYZPlotModel::DrawOnePlot(const T3DPlotListMember& member) {
  if (!Visible()) return;
  TPlotCanvas& canvas = PlotCanvas();
  canvas.SetPenColor(member.LineColor);
  canvas.SetBrushColor(member.FillColor);
  if (member.Points.empty() || member.Style > psSurface) return;
  ProjectPoints(member);
  const std::size_t count = member.Points.size();
  switch (member.Style) {
    case psPoints:
      for (std::size_t k = 0; k < count; ++k) DrawMarker(k);
      break;
    case psLine:
    case psLineAndPoints: {
      const bool markers = member.Style == psLineAndPoints;
      // A segment is drawn only between two points that have a pixel.
      for (std::size_t k = 0; k < count; ++k) {
        if (markers) DrawMarker(k);
        if (!FPixelValid[k]) continue;
        const POINT p = FPixels[k];
        if (k > 0 && FPixelValid[k - 1]) {
          canvas.LineTo(p.x, p.y);
        } else {
          canvas.MoveTo(p.x, p.y);
        }
      }
      break;
    }
    case psGrid:
      FSegments.clear();
      for (int j = 0; j < member.YCount; ++j) {
        for (int i = 0; i < member.XCount; ++i) DrawGrid(member, i, j);
      }
      canvas.Segments(FSegments);
      break;
    case psSurface:
      DrawSurface(member);
      break;
  }
}

void TXYZPlotModel::DrawGrid(const T3DPlotListMember& member, int i, int j) {
  const std::size_t at = static_cast<std::size_t>(member.XCount) * static_cast<std::size_t>(j) +
                         static_cast<std::size_t>(i);
  if (!FPixelValid[at]) return;
  const POINT p = FPixels[at];
  if (j < member.YCount - 1) {
    const std::size_t next = at + static_cast<std::size_t>(member.XCount);
    if (FPixelValid[next]) {
      FSegments.push_back(p);
      FSegments.push_back(FPixels[next]);
    }
  }
  if (i < member.XCount - 1 && FPixelValid[at + 1]) {
    FSegments.push_back(p);
    FSegments.push_back(FPixels[at + 1]);
  }
}

void TXYZPlotModel::DrawPolygon(const T3DPlotListMember& member, int i, int j) {
  if (i >= member.XCount - 1 || j >= member.YCount - 1) return;
  const std::size_t nx = static_cast<std::size_t>(member.XCount);
  const std::size_t at = nx * static_cast<std::size_t>(j) + static_cast<std::size_t>(i);
  const std::array<std::size_t, 4> corners{at, at + 1, at + nx + 1, at + nx};
  std::array<POINT, 4> cell;
  for (std::size_t k = 0; k < corners.size(); ++k) {
    if (!FPixelValid[corners[k]]) return;
    cell[k] = FPixels[corners[k]];
  }
  PlotCanvas().Polygon(cell);
}

void TXYZPlotModel::DrawSurface(const T3DPlotListMember& member) {
  // Far cells first, so nearer ones overwrite them: start at the far floor corner and run
  // the inner loop along the edge it shares with the next farthest corner.
  const int far_corner = FFarFloorCorner;
  const int next = FNextFloorCorner;
  const bool rows_outer = (far_corner == 0 && next == 1) || (far_corner == 1 && next == 0) ||
                          (far_corner == 2 && next == 3) || (far_corner == 3 && next == 2);
  const bool flip_i = far_corner == 1 || far_corner == 3;
  const bool flip_j = far_corner == 2 || far_corner == 3;
  const int nx = member.XCount;
  const int ny = member.YCount;
  const auto cell = [&](int i, int j) {
    DrawPolygon(member, flip_i ? nx - 1 - i : i, flip_j ? ny - 1 - j : j);
  };
  if (rows_outer) {
    for (int j = 0; j < ny; ++j) {
      for (int i = 0; i < nx; ++i) cell(i, j);
    }
  } else {
    for (int i = 0; i < nx; ++i) {
      for (int j = 0; j < ny; ++j) cell(i, j);
    }
  }
}
