// The plot control's operations: plots from data, the plot list, copying between controls,
// the property setters and the mouse.

#include "plot/xyz_plot_model.h"

#include <algorithm>
#include <functional>
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

bool TXYZPlotModel::ChangePlot(int plot_id, const std::function<void(T3DPlotListMember&)>& change) {
  T3DPlotListMember* member = nullptr;
  const bool found = FindPlot(member, plot_id);
  if (found) change(*member);
  RedrawIfAuto();
  return found;
}

bool TXYZPlotModel::SetPlotLineColor(TColor color, int plot_id) {
  return ChangePlot(plot_id, [color](T3DPlotListMember& member) { member.LineColor = color; });
}

bool TXYZPlotModel::SetPlotFillColor(TColor color, int plot_id) {
  return ChangePlot(plot_id, [color](T3DPlotListMember& member) { member.FillColor = color; });
}

bool TXYZPlotModel::SetPlotStyle(T3DPlotStyle style, int plot_id) {
  return ChangePlot(plot_id, [style](T3DPlotListMember& member) { member.Style = style; });
}

// ---- Copying between controls ----

void TXYZPlotModel::AssignPlot(const TXYZPlotModel* source) {
  AssignPlotProperties(source);
  AssignPlotData(source);
}

void TXYZPlotModel::AssignPlotProperties(const TXYZPlotModel* source) {
  if (source == nullptr) return;
  const TXYZPlotModel& s = *source;
  FProps = s.FProps;
  StoreAngles(s.FPhi, s.FTheta, s.FPsi);
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

void TXYZPlotModel::SetXAxisColor(TColor color) { StoreAndRedraw(FProps.XAxisColor, color); }
void TXYZPlotModel::SetYAxisColor(TColor color) { StoreAndRedraw(FProps.YAxisColor, color); }
void TXYZPlotModel::SetZAxisColor(TColor color) { StoreAndRedraw(FProps.ZAxisColor, color); }
void TXYZPlotModel::SetBoxColor(TColor color) { StoreAndRedraw(FProps.BoxColor, color); }
void TXYZPlotModel::SetPlaneColor(TColor color) { StoreAndRedraw(FProps.PlaneColor, color); }
void TXYZPlotModel::SetXMax(double value) { StoreAndRedraw(FProps.XMax, value); }
void TXYZPlotModel::SetYMax(double value) { StoreAndRedraw(FProps.YMax, value); }
void TXYZPlotModel::SetZMax(double value) { StoreAndRedraw(FProps.ZMax, value); }
void TXYZPlotModel::SetXMin(double value) { StoreAndRedraw(FProps.XMin, value); }
void TXYZPlotModel::SetYMin(double value) { StoreAndRedraw(FProps.YMin, value); }
void TXYZPlotModel::SetZMin(double value) { StoreAndRedraw(FProps.ZMin, value); }

void TXYZPlotModel::SetXYZMinMax(double xmin, double xmax, double ymin, double ymax, double zmin,
                                 double zmax) {
  FProps.XMin = xmin;
  FProps.XMax = xmax;
  FProps.YMin = ymin;
  FProps.YMax = ymax;
  FProps.ZMin = zmin;
  FProps.ZMax = zmax;
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
  FProps.AutoScale = on;
  FindXYZMaxMin();
  RedrawIfAuto();
}

void TXYZPlotModel::SetFitToScreen(bool on) {
  FProps.FitToScreen = on;
  CenterRotation();
  RedrawIfAuto();
}

void TXYZPlotModel::SetMouseControl(bool on) { FProps.MouseControl = on; }
void TXYZPlotModel::SetMouseFunction(TMouseFunction function) { FProps.MouseFunction = function; }

void TXYZPlotModel::SetPointSize(int size) {
  StoreAndRedraw(FProps.PointSize, std::clamp(size, 1, 10));
}

void TXYZPlotModel::SetPerspectiveOn(bool on) { StoreAndRedraw(FProps.PerspectiveOn, on); }

void TXYZPlotModel::SetVanishingPoint(double value) {
  // Not above 0 (NaN included) would put the viewer inside or behind the picture.
  StoreAndRedraw(FProps.VanishingPoint, value > 0.0 ? value : 100.0);
}

void TXYZPlotModel::SetXLabelPrecision(int precision) {
  StoreAndRedraw(FProps.XLabelPrecision, std::max(precision, 0));
}
void TXYZPlotModel::SetYLabelPrecision(int precision) {
  StoreAndRedraw(FProps.YLabelPrecision, std::max(precision, 0));
}
void TXYZPlotModel::SetZLabelPrecision(int precision) {
  StoreAndRedraw(FProps.ZLabelPrecision, std::max(precision, 0));
}
void TXYZPlotModel::SetXLabelFormat(TStringFloatFormat format) {
  StoreAndRedraw(FProps.XLabelFormat, format);
}
void TXYZPlotModel::SetYLabelFormat(TStringFloatFormat format) {
  StoreAndRedraw(FProps.YLabelFormat, format);
}
void TXYZPlotModel::SetZLabelFormat(TStringFloatFormat format) {
  StoreAndRedraw(FProps.ZLabelFormat, format);
}
void TXYZPlotModel::SetShowXLabel(bool show) { StoreAndRedraw(FProps.ShowXLabel, show); }
void TXYZPlotModel::SetShowYLabel(bool show) { StoreAndRedraw(FProps.ShowYLabel, show); }
void TXYZPlotModel::SetShowZLabel(bool show) { StoreAndRedraw(FProps.ShowZLabel, show); }
void TXYZPlotModel::SetShowLabels(bool show) {
  FShowLabels = show;
  FProps.ShowXLabel = show;
  FProps.ShowYLabel = show;
  FProps.ShowZLabel = show;
  RedrawIfAuto();
}
void TXYZPlotModel::SetShowOrigin(bool show) { StoreAndRedraw(FProps.ShowOrigin, show); }
void TXYZPlotModel::SetAxisStyle(T3DAxisStyle style) { StoreAndRedraw(FProps.AxisStyle, style); }
void TXYZPlotModel::SetAutoRedraw(bool on) {
  FProps.AutoRedraw = on;
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
  if (FProps.MouseControl) {
    // A press while another drag runs starts afresh, so at most one action is ever active.
    FMouseAction = {};
    const bool alternative = shift == (ssAlt | ssLeft);
    switch (FProps.MouseFunction) {
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
  const double sx = width > 0 ? -(FProps.XMax - FProps.XMin) * dx / width : 0.0;
  const double sy = height > 0 ? (FProps.YMax - FProps.YMin) * dy / height : 0.0;
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
    FProps.XMax -= sx;
    FProps.XMin -= sx;
    FProps.YMax += sy;
    FProps.YMin += sy;
  } else if (a.DragXZ) {
    FProps.XMax -= sx;
    FProps.XMin -= sx;
    FProps.ZMax += sy;
    FProps.ZMin += sy;
  } else if (a.ZoomXZ) {
    FProps.XMin -= sx;
    FProps.XMax += sx;
    FProps.ZMin -= sy;
    FProps.ZMax += sy;
  } else if (a.ZoomXY) {
    FProps.XMin -= sx;
    FProps.XMax += sx;
    FProps.YMin -= sy;
    FProps.YMax += sy;
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
  if (!FProps.MouseControl) return;
  FindXYZMaxMin();
  Redraw();
}
