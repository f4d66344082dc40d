#pragma once

// The plot's value types: points, colours, styles and the plot list. Plain C++, no toolkit.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

// A colour as 0x00BBGGRR.
using TColor = std::uint32_t;

// A pixel of the control's client area.
struct POINT {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const POINT&, const POINT&) = default;
};

// A point in data coordinates, with in-place rotations by an angle in radians.
struct TXYZPoint {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;

  TXYZPoint() = default;
  TXYZPoint(double x, double y, double z) : x(x), y(y), z(z) {}

  void SetPoint(double new_x, double new_y, double new_z) {
    x = new_x;
    y = new_y;
    z = new_z;
  }
  void RotateX(double a);
  void RotateY(double a);
  void RotateZ(double a);

  friend bool operator==(const TXYZPoint&, const TXYZPoint&) = default;
};

// A point of the projection plane (not yet pixels).
struct TXYPoint {
  double x = 0.0;
  double y = 0.0;
  friend bool operator==(const TXYPoint&, const TXYPoint&) = default;
};

// Fixed underlying types: any stored number is a valid value, and values outside the named
// members are handled where they are used (an unknown plot style draws nothing).
enum T3DPlotStyle : std::uint8_t { psPoints, psLine, psLineAndPoints, psGrid, psSurface };
enum T3DAxisStyle : int { asBox, asXYZ, asXYZPlane, asBoxAndPlane, asNone };
enum TMouseFunction : int { mfDrag, mfZoom, mfRotate };
enum TStringFloatFormat : int { sffGeneral, sffExponent, sffFixed, sffNumber, sffCurrency };

// Mouse buttons and the shift state of a mouse notification: keys and buttons held.
enum TMouseButton : int { mbLeft, mbRight, mbMiddle };
using TShiftState = std::uint8_t;
inline constexpr TShiftState ssShift = 0x01;
inline constexpr TShiftState ssAlt = 0x02;
inline constexpr TShiftState ssCtrl = 0x04;
inline constexpr TShiftState ssLeft = 0x08;
inline constexpr TShiftState ssRight = 0x10;
inline constexpr TShiftState ssMiddle = 0x20;
inline constexpr TShiftState ssDouble = 0x40;

class T3DPlotListMember;
using T3DPlotList = std::vector<std::unique_ptr<T3DPlotListMember>>;

// One plot: a grid of XCount x YCount points, point (i, j) at XCount * j + i.
class T3DPlotListMember {
 public:
  std::vector<TXYZPoint> Points;
  TColor LineColor = 0;
  TColor FillColor = 0;
  std::int32_t XCount = 0;
  std::int32_t YCount = 0;
  std::int32_t PointCount = 0;
  T3DPlotStyle Style = psPoints;
  std::int32_t PlotID = 0;

  T3DPlotListMember() = default;
  // Copies XCount * YCount points; a negative count counts as 0. Throws std::invalid_argument
  // when `points` holds fewer, std::length_error when the count passes 32 bits.
  T3DPlotListMember(std::span<const TXYZPoint> points, std::int32_t x_count, std::int32_t y_count,
                    std::int32_t plot_id, T3DPlotStyle style, TColor line_color, TColor fill_color);

  [[nodiscard]] const TXYZPoint& Point(std::int32_t i, std::int32_t j) const {
    return Points[static_cast<std::size_t>(XCount) * static_cast<std::size_t>(j) +
                  static_cast<std::size_t>(i)];
  }

  // Replaces the first member with `plot_id` (it moves to the end) or appends a new one.
  // Returns true when a member was replaced.
  static bool AddPlot(std::span<const TXYZPoint> points, std::int32_t x_count, std::int32_t y_count,
                      std::int32_t plot_id, T3DPlotStyle style, TColor line_color,
                      TColor fill_color, T3DPlotList& list);
  // Removes the first member with `plot_id`; returns whether there was one.
  static bool RemovePlot(std::int32_t plot_id, T3DPlotList& list);
};

inline constexpr double TwoPi = 6.283185307179586;

// Brings an angle whose whole part exceeds 2 pi in magnitude into [0, 2 pi); smaller angles,
// negative ones included, are kept as they are.
[[nodiscard]] double ReduceAngle(double angle);
