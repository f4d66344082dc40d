#pragma once

// The plot's drawing surface over an image. Lines, rectangles and polygons are rasterised
// straight into the image's pixels (thin solid lines are all the plot draws, and a 256 x 256
// grid is 130,560 of them); texts go through a QPainter.

#include "plot/plot_canvas.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <cstdint>
#include <optional>
#include <vector>

class TImageCanvas final : public TPlotCanvas {
 public:
  // Draws into `image` (Format_RGB32) until End(), texts in `font`.
  void Begin(QImage& image, const QFont& font);
  void End();

  void SetPenColor(TColor color) override;
  void SetBrushColor(TColor color) override;
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void Polyline(std::span<const POINT> points) override;
  void Segments(std::span<const POINT> ends) override;
  void Polygon(std::span<const POINT> points) override;
  void Rectangle(int x1, int y1, int x2, int y2) override;
  void TextOut(int x, int y, std::string_view text) override;
  void FillRect(int x1, int y1, int x2, int y2) override;

  // 0x00BBGGRR -> the image's 0xAARRGGBB.
  [[nodiscard]] static QRgb ToRgb(TColor color);
  // The same colour for the widgets around the plot.
  [[nodiscard]] static QColor ToColor(TColor color) { return QColor::fromRgb(ToRgb(color)); }

 private:
  void Line(int x0, int y0, int x1, int y1);
  [[nodiscard]] bool ClipLine(int& x0, int& y0, int& x1, int& y1) const;
  void FillSpan(std::int64_t y, std::int64_t x1, std::int64_t x2, QRgb color);

  QImage* FImage = nullptr;
  QRgb* FBits = nullptr;
  std::ptrdiff_t FStride = 0;
  int FWidth = 0;
  int FHeight = 0;
  QRgb FPen = 0xFF000000;
  QRgb FBrush = 0xFFFFFFFF;
  POINT FPosition;
  QFont FFont;
  std::optional<QFontMetrics> FMetrics;
  QPainter FPainter;  // begun on the first text of a picture
  std::vector<double> FCrossings;
};
