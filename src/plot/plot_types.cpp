#include "plot/plot_types.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

// Turns the pair (u, v) by the angle a: u' = u cos a + v sin a, v' = v cos a - u sin a.
void Turn(double& u, double& v, double a) {
  const double c = std::cos(a);
  const double s = std::sin(a);
  const double new_u = u * c + v * s;
  v = v * c - u * s;
  u = new_u;
}

}  // namespace

void TXYZPoint::RotateX(double a) { Turn(y, z, a); }

void TXYZPoint::RotateY(double a) { Turn(x, z, a); }

void TXYZPoint::RotateZ(double a) { Turn(x, y, a); }

T3DPlotListMember::T3DPlotListMember(std::span<const TXYZPoint> points, std::int32_t x_count,
                                     std::int32_t y_count, std::int32_t plot_id, T3DPlotStyle style,
                                     TColor line_color, TColor fill_color)
    : LineColor(line_color),
      FillColor(fill_color),
      XCount(std::max(x_count, 0)),
      YCount(std::max(y_count, 0)),
      Style(style),
      PlotID(plot_id) {
  const std::int64_t count = std::int64_t{XCount} * std::int64_t{YCount};
  if (count > INT32_MAX) throw std::length_error("Too many plot points");
  if (static_cast<std::int64_t>(points.size()) < count) {
    throw std::invalid_argument("Fewer plot points than columns times rows");
  }
  PointCount = static_cast<std::int32_t>(count);
  Points.assign(points.begin(), points.begin() + PointCount);
}

bool T3DPlotListMember::AddPlot(std::span<const TXYZPoint> points, std::int32_t x_count,
                                std::int32_t y_count, std::int32_t plot_id, T3DPlotStyle style,
                                TColor line_color, TColor fill_color, T3DPlotList& list) {
  // Build first, so a refused input leaves the list as it was.
  auto member = std::make_unique<T3DPlotListMember>(points, x_count, y_count, plot_id, style,
                                                    line_color, fill_color);
  const bool replaced = RemovePlot(plot_id, list);
  list.push_back(std::move(member));
  return replaced;
}

bool T3DPlotListMember::RemovePlot(std::int32_t plot_id, T3DPlotList& list) {
  const auto found = std::find_if(list.begin(), list.end(), [plot_id](const auto& member) {
    return member->PlotID == plot_id;
  });
  if (found == list.end()) return false;
  list.erase(found);
  return true;
}

double ReduceAngle(double angle) {
  // The whole part is taken in floating point, so huge or non-finite angles are no fault.
  if (std::fabs(std::trunc(angle)) > TwoPi) {
    return angle - std::floor(angle * 0.15915494309189535) * TwoPi;
  }
  return angle;
}
