#pragma once

// The drawing surface the plot paints on. The control draws into an image through it; tests
// record the calls to see what is drawn and in which order.

#include "plot/plot_types.h"

#include <cstddef>
#include <span>
#include <string_view>

class TPlotCanvas {
 public:
  virtual ~TPlotCanvas() = default;

  // Lines and outlines are always thin and solid; fills are always solid.
  virtual void SetPenColor(TColor color) = 0;
  virtual void SetBrushColor(TColor color) = 0;
  // A line from the current position; the end point becomes the current position.
  virtual void MoveTo(int x, int y) = 0;
  virtual void LineTo(int x, int y) = 0;
  // Connected segments through the points.
  virtual void Polyline(std::span<const POINT> points) = 0;
  // Separate lines, each from an even-numbered point to the point after it, as MoveTo and
  // LineTo would draw them; the last point becomes the current position.
  virtual void Segments(std::span<const POINT> ends) {
    for (std::size_t k = 0; k + 1 < ends.size(); k += 2) {
      MoveTo(ends[k].x, ends[k].y);
      LineTo(ends[k + 1].x, ends[k + 1].y);
    }
  }
  // A closed polygon filled with the brush and outlined with the pen.
  virtual void Polygon(std::span<const POINT> points) = 0;
  // Outlined with the pen over x1..x2-1, y1..y2-1, filled inside with the brush.
  virtual void Rectangle(int x1, int y1, int x2, int y2) = 0;
  // Text in the control's font, top-left corner at (x, y), on a box of the brush colour.
  virtual void TextOut(int x, int y, std::string_view text) = 0;
  // Fills x1..x2-1, y1..y2-1 with the brush.
  virtual void FillRect(int x1, int y1, int x2, int y2) = 0;
};
