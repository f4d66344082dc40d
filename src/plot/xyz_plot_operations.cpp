// The plot control's operations: plots from data, the plot list, copying between controls,
// the property setters and the mouse.

#include "plot/xyz_plot_model.h"

#include <algorithm>
#include <stdexcept>

namespace {

// Points of an nx x ny grid, j outer and i inner, from the values of z.
template <typename MakePoint>
std::vector<TXYZPoint> GridPoints(std::span<const double> z, int nx, int ny, MakePoint make_point) {
  const std::int64_t count = std::int64_t{std::max(nx, 0)} * std::int64_t{std::max(ny, 0)};
  if (count > INT32_MAX) throw std::length_error("Too many plot points");
  if (static_cast<std::int64_t>(z.size()) < count) {
    throw std::invalid_argument("Fewer plot values than columns times rows");
  }
  std::vector<TXYZPoint> points;
  points.reserve(static_cast<std::size_t>(count));
  for (int j = 0; j < ny; ++j) {
    for (int i = 0; i < nx; ++i) {
      const std::size_t at =
          static_cast<std::size_t>(nx) * static_cast<std::size_t>(j) + static_cast<std::size_t>(i);
      points.push_back(make_point(i, j, z[at]));
    }
  }
  return points;
}

// A deep copy of every member, taken before the target list changes, so a control may copy
// its own plots.
T3DPlotList CopyMembers(const T3DPlotList& list) {
  T3DPlotList copy;
  copy.reserve(list.size());
  for (const auto& member : list) copy.push_back(std::make_unique<T3DPlotListMember>(*member));
  return copy;
}

}  // namespace

// ---- Plots from data ----

bool TXYZPlotModel::AfterPlotAdded(bool replaced) {
  FindXYZMaxMin();
  ScaleScreen();
  RedrawIfAuto();
  return replaced;
}

bool TXYZPlotModel::XYZPlot(std::span<const double> z, int nx, int ny, int plot_id,
                            T3DPlotStyle style, TColor line_color, TColor fill_color) {
  const std::vector<TXYZPoint> points =
      GridPoints(z, nx, ny, [](int i, int j, double v) { return TXYZPoint(i, j, v); });
  return AfterPlotAdded(T3DPlotListMember::AddPlot(points, nx, ny, plot_id, style, line_color,
                                                   fill_color, FPlotList));
}

bool TXYZPlotModel::XYZPlot(std::span<const double> z, int nx, int ny, double x0, double x1,
                            double y0, double y1, int plot_id, T3DPlotStyle style,
                            TColor line_color, TColor fill_color) {
  const double dx = nx > 1 ? (x1 - x0) / (nx - 1) : 1.0;
  const double dy = ny > 1 ? (y1 - y0) / (ny - 1) : 1.0;
  const std::vector<TXYZPoint> points = GridPoints(
      z, nx, ny, [&](int i, int j, double v) { return TXYZPoint(x0 + i * dx, y0 + j * dy, v); });
  return AfterPlotAdded(T3DPlotListMember::AddPlot(points, nx, ny, plot_id, style, line_color,
                                                   fill_color, FPlotList));
}

bool TXYZPlotModel::XYZPlot(std::span<const std::array<double, 3>> triples, int plot_id,
                            T3DPlotStyle style, TColor line_color, TColor fill_color) {
  if (triples.size() > INT32_MAX) throw std::length_error("Too many plot points");
  std::vector<TXYZPoint> points;
  points.reserve(triples.size());
  for (const auto& t : triples) points.emplace_back(t[0], t[1], t[2]);
  return AfterPlotAdded(T3DPlotListMember::AddPlot(points, static_cast<int>(points.size()), 1,
                                                   plot_id, style, line_color, fill_color,
                                                   FPlotList));
}

// ---- The plot list ----

bool TXYZPlotModel::RemovePlot(int plot_id) {
  const bool found = T3DPlotListMember::RemovePlot(plot_id, FPlotList);
  RedrawIfAuto();
  return found;
}

bool TXYZPlotModel::FindPlot(T3DPlotListMember*& member, int plot_id) {
  for (const auto& candidate : FPlotList) {
    if (candidate->PlotID == plot_id) {
      member = candidate.get();
      return true;
    }
  }
  return false;
}

bool TXYZPlotModel::SetPlotLineColor(TColor color, int plot_id) {
  T3DPlotListMember* member = nullptr;
  const bool found = FindPlot(member, plot_id);
  if (found) member->LineColor = color;
  RedrawIfAuto();
  return found;
}

bool TXYZPlotModel::SetPlotFillColor(TColor color, int plot_id) {
  T3DPlotListMember* member = nullptr;
  const bool found = FindPlot(member, plot_id);
  if (found) member->FillColor = color;
  RedrawIfAuto();
  return found;
}

bool TXYZPlotModel::SetPlotStyle(T3DPlotStyle style, int plot_id) {
  T3DPlotListMember* member = nullptr;
  const bool found = FindPlot(member, plot_id);
  if (found) member->Style = style;
  RedrawIfAuto();
  return found;
}

// ---- Copying between controls ----

void TXYZPlotModel::AssignPlot(const TXYZPlotModel* source) {
  AssignPlotProperties(source);
  AssignPlotData(source);
}

void TXYZPlotModel::AssignPlotProperties(const TXYZPlotModel* source) {
  if (source == nullptr) return;
  const TXYZPlotModel& s = *source;
  FPointSize = s.FPointSize;
  FXAxisColor = s.FXAxisColor;
  FYAxisColor = s.FYAxisColor;
  FZAxisColor = s.FZAxisColor;
  FBoxColor = s.FBoxColor;
  FPlaneColor = s.FPlaneColor;
  FAutoScale = s.FAutoScale;
  FFitToScreen = s.FFitToScreen;
  FXMax = s.FXMax;
  FYMax = s.FYMax;
  FZMax = s.FZMax;
  FXMin = s.FXMin;
  FYMin = s.FYMin;
  FZMin = s.FZMin;
  StoreAngles(s.FPhi, s.FTheta, s.FPsi);
  FMouseControl = s.FMouseControl;
  FMouseFunction = s.FMouseFunction;
  FVanishingPoint = s.FVanishingPoint;
  FPerspectiveOn = s.FPerspectiveOn;
  FXLabelPrecision = s.FXLabelPrecision;
  FYLabelPrecision = s.FYLabelPrecision;
  FZLabelPrecision = s.FZLabelPrecision;
  FXLabelFormat = s.FXLabelFormat;
  FYLabelFormat = s.FYLabelFormat;
  FZLabelFormat = s.FZLabelFormat;
  FShowXLabel = s.FShowXLabel;
  FShowYLabel = s.FShowYLabel;
  FShowZLabel = s.FShowZLabel;
  FShowOrigin = s.FShowOrigin;
  FAxisStyle = s.FAxisStyle;
  FAutoRedraw = s.FAutoRedraw;
  if (s.Visible() != Visible()) SetControlVisible(s.Visible());
  FProjXMax = s.FProjXMax;
  FProjYMax = s.FProjYMax;
  FProjXMin = s.FProjXMin;
  FProjYMin = s.FProjYMin;
  RedrawIfAuto();
}

void TXYZPlotModel::AssignPlotData(const TXYZPlotModel* source) {
  if (source == nullptr) return;
  FPlotList = CopyMembers(source->FPlotList);
  FindXYZMaxMin();
  ScaleScreen();
  RedrawIfAuto();
}

void TXYZPlotModel::AppendPlotData(const TXYZPlotModel* source) {
  if (source == nullptr) return;
  T3DPlotList copy = CopyMembers(source->FPlotList);
  for (auto& member : copy) FPlotList.push_back(std::move(member));
  FindXYZMaxMin();
  ScaleScreen();
  RedrawIfAuto();
}

// ---- Property setters ----

void TXYZPlotModel::SetXAxisColor(TColor color) {
  FXAxisColor = color;
  RedrawIfAuto();
}
void TXYZPlotModel::SetYAxisColor(TColor color) {
  FYAxisColor = color;
  RedrawIfAuto();
}
void TXYZPlotModel::SetZAxisColor(TColor color) {
  FZAxisColor = color;
  RedrawIfAuto();
}
void TXYZPlotModel::SetBoxColor(TColor color) {
  FBoxColor = color;
  RedrawIfAuto();
}
void TXYZPlotModel::SetPlaneColor(TColor color) {
  FPlaneColor = color;
  RedrawIfAuto();
}
void TXYZPlotModel::SetXMax(double value) {
  FXMax = value;
  RedrawIfAuto();
}
void TXYZPlotModel::SetYMax(double value) {
  FYMax = value;
  RedrawIfAuto();
}
void TXYZPlotModel::SetZMax(double value) {
  FZMax = value;
  RedrawIfAuto();
}
void TXYZPlotModel::SetXMin(double value) {
  FXMin = value;
  RedrawIfAuto();
}
void TXYZPlotModel::SetYMin(double value) {
  FYMin = value;
  RedrawIfAuto();
}
void TXYZPlotModel::SetZMin(double value) {
  FZMin = value;
  RedrawIfAuto();
}

void TXYZPlotModel::SetXYZMinMax(double xmin, double xmax, double ymin, double ymax, double zmin,
                                 double zmax) {
  FXMin = xmin;
  FXMax = xmax;
  FYMin = ymin;
  FYMax = ymax;
  FZMin = zmin;
  FZMax = zmax;
  RedrawIfAuto();
}

void TXYZPlotModel::SetPhi(double angle) {
  StoreAngles(ReduceAngle(angle), FTheta, FPsi);
  RedrawIfAuto();
}
void TXYZPlotModel::SetTheta(double angle) {
  StoreAngles(FPhi, ReduceAngle(angle), FPsi);
  RedrawIfAuto();
}
void TXYZPlotModel::SetPsi(double angle) {
  StoreAngles(FPhi, FTheta, ReduceAngle(angle));
  RedrawIfAuto();
}
void TXYZPlotModel::SetAngles(double phi, double theta, double psi) {
  StoreAngles(ReduceAngle(phi), ReduceAngle(theta), ReduceAngle(psi));
  RedrawIfAuto();
}

void TXYZPlotModel::SetAutoScale(bool on) {
  FAutoScale = on;
  FindXYZMaxMin();
  RedrawIfAuto();
}

void TXYZPlotModel::SetFitToScreen(bool on) {
  FFitToScreen = on;
  CenterRotation();
  RedrawIfAuto();
}

void TXYZPlotModel::SetMouseControl(bool on) { FMouseControl = on; }
void TXYZPlotModel::SetMouseFunction(TMouseFunction function) { FMouseFunction = function; }

void TXYZPlotModel::SetPointSize(int size) {
  FPointSize = std::clamp(size, 1, 10);
  RedrawIfAuto();
}

void TXYZPlotModel::SetPerspectiveOn(bool on) {
  FPerspectiveOn = on;
  RedrawIfAuto();
}

void TXYZPlotModel::SetVanishingPoint(double value) {
  // Not above 0 (NaN included) would put the viewer inside or behind the picture.
  FVanishingPoint = value > 0.0 ? value : 100.0;
  RedrawIfAuto();
}

void TXYZPlotModel::SetXLabelPrecision(int precision) {
  FXLabelPrecision = std::max(precision, 0);
  RedrawIfAuto();
}
void TXYZPlotModel::SetYLabelPrecision(int precision) {
  FYLabelPrecision = std::max(precision, 0);
  RedrawIfAuto();
}
void TXYZPlotModel::SetZLabelPrecision(int precision) {
  FZLabelPrecision = std::max(precision, 0);
  RedrawIfAuto();
}
void TXYZPlotModel::SetXLabelFormat(TStringFloatFormat format) {
  FXLabelFormat = format;
  RedrawIfAuto();
}
void TXYZPlotModel::SetYLabelFormat(TStringFloatFormat format) {
  FYLabelFormat = format;
  RedrawIfAuto();
}
void TXYZPlotModel::SetZLabelFormat(TStringFloatFormat format) {
  FZLabelFormat = format;
  RedrawIfAuto();
}
void TXYZPlotModel::SetShowXLabel(bool show) {
  FShowXLabel = show;
  RedrawIfAuto();
}
void TXYZPlotModel::SetShowYLabel(bool show) {
  FShowYLabel = show;
  RedrawIfAuto();
}
void TXYZPlotModel::SetShowZLabel(bool show) {
  FShowZLabel = show;
  RedrawIfAuto();
}
void TXYZPlotModel::SetShowLabels(bool show) {
  FShowLabels = show;
  FShowXLabel = show;
  FShowYLabel = show;
  FShowZLabel = show;
  RedrawIfAuto();
}
void TXYZPlotModel::SetShowOrigin(bool show) {
  FShowOrigin = show;
  RedrawIfAuto();
}
void TXYZPlotModel::SetAxisStyle(T3DAxisStyle style) {
  FAxisStyle = style;
  RedrawIfAuto();
}
void TXYZPlotModel::SetAutoRedraw(bool on) {
  FAutoRedraw = on;
  if (on) Redraw();
}
void TXYZPlotModel::SetColor(TColor color) {
  FColor = color;
  Redraw();
}
void TXYZPlotModel::SetVisible(bool visible) {
  SetControlVisible(visible);
  Redraw();
}

// ---- The mouse ----

void TXYZPlotModel::MouseDown(TMouseButton /*button*/, TShiftState shift, int x, int y) {
  if (FMouseControl) {
    // A press while another drag runs starts afresh, so at most one action is ever active.
    FMouseAction = {};
    const bool alternative = shift == (ssAlt | ssLeft);
    switch (FMouseFunction) {
      case mfDrag:
        (alternative ? FMouseAction.DragXY : FMouseAction.DragXZ) = true;
        break;
      case mfZoom:
        (alternative ? FMouseAction.ZoomXY : FMouseAction.ZoomXZ) = true;
        break;
      case mfRotate:
        (alternative ? FMouseAction.RotatePhiTheta : FMouseAction.RotatePhiPsi) = true;
        break;
    }
  }
  FLastX = x;
  FLastY = y;
}

void TXYZPlotModel::MouseMove(TShiftState /*shift*/, int x, int y) {
  const double dx = static_cast<double>(std::int64_t{x} - FLastX);
  const double dy = static_cast<double>(std::int64_t{y} - FLastY);
  FLastX = x;
  FLastY = y;
  // A control without width or height gives no step rather than an infinite one.
  const int width = ClientWidth();
  const int height = ClientHeight();
  const double sx = width > 0 ? -(FXMax - FXMin) * dx / width : 0.0;
  const double sy = height > 0 ? (FYMax - FYMin) * dy / height : 0.0;
  const TMouseAction& a = FMouseAction;
  if (a.RotatePhiPsi || a.RotatePhiTheta) {
    // Both angles change before the one picture of this step is drawn.
    const double phi = ReduceAngle(FPhi + 0.2 * sx);
    if (a.RotatePhiPsi) {
      StoreAngles(phi, FTheta, ReduceAngle(FPsi + 0.2 * sy));
    } else {
      StoreAngles(phi, ReduceAngle(FTheta + 0.2 * sy), FPsi);
    }
    Redraw();
    return;
  }
  if (a.DragXY) {
    FXMax -= sx;
    FXMin -= sx;
    FYMax += sy;
    FYMin += sy;
  } else if (a.DragXZ) {
    FXMax -= sx;
    FXMin -= sx;
    FZMax += sy;
    FZMin += sy;
  } else if (a.ZoomXZ) {
    FXMin -= sx;
    FXMax += sx;
    FZMin -= sy;
    FZMax += sy;
  } else if (a.ZoomXY) {
    FXMin -= sx;
    FXMax += sx;
    FYMin -= sy;
    FYMax += sy;
  } else {
    return;
  }
  CenterRotation();
  ScaleScreen();
  Redraw();
}

void TXYZPlotModel::MouseUp(TMouseButton /*button*/, TShiftState /*shift*/, int /*x*/, int /*y*/) {
  FMouseAction = {};
}

void TXYZPlotModel::DblClick() {
  if (!FMouseControl) return;
  FindXYZMaxMin();
  Redraw();
}
