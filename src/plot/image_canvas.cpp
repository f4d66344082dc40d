#include "plot/image_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

void TImageCanvas::Begin(QImage& image, const QFont& font) {
  FImage = &image;
  FWidth = image.width();
  FHeight = image.height();
  FBits = image.isNull() ? nullptr : reinterpret_cast<QRgb*>(image.bits());
  FStride = image.bytesPerLine() / static_cast<std::ptrdiff_t>(sizeof(QRgb));
  FPosition = {};
  if (!FMetrics || FFont != font) {
    FFont = font;
    FMetrics.emplace(font);
  }
}

void TImageCanvas::End() {
  if (FPainter.isActive()) FPainter.end();
  FImage = nullptr;
  FBits = nullptr;
}

QRgb TImageCanvas::ToRgb(TColor color) {
  return 0xFF000000u | ((color & 0xFFu) << 16) | (color & 0xFF00u) | ((color >> 16) & 0xFFu);
}

void TImageCanvas::SetPenColor(TColor color) { FPen = ToRgb(color); }
void TImageCanvas::SetBrushColor(TColor color) { FBrush = ToRgb(color); }

void TImageCanvas::MoveTo(int x, int y) { FPosition = {x, y}; }

void TImageCanvas::LineTo(int x, int y) {
  Line(FPosition.x, FPosition.y, x, y);
  FPosition = {x, y};
}

void TImageCanvas::Polyline(std::span<const POINT> points) {
  for (std::size_t k = 1; k < points.size(); ++k) {
    Line(points[k - 1].x, points[k - 1].y, points[k].x, points[k].y);
  }
}

void TImageCanvas::Segments(std::span<const POINT> ends) {
  const std::size_t count = ends.size() & ~std::size_t{1};
  for (std::size_t k = 0; k < count; k += 2) {
    Line(ends[k].x, ends[k].y, ends[k + 1].x, ends[k + 1].y);
  }
  if (count > 0) FPosition = ends[count - 1];
}

void TImageCanvas::Polygon(std::span<const POINT> points) {
  if (FBits == nullptr || points.empty()) return;
  // Fill: pixels whose centre lies inside by the even-odd rule, scanline by scanline.
  const auto [low, high] = std::minmax_element(
      points.begin(), points.end(), [](const POINT& a, const POINT& b) { return a.y < b.y; });
  const std::int64_t y_first = std::max<std::int64_t>(low->y, 0);
  const std::int64_t y_last = std::min<std::int64_t>(high->y, FHeight - 1);
  for (std::int64_t y = y_first; y <= y_last; ++y) {
    FCrossings.clear();
    for (std::size_t k = 0; k < points.size(); ++k) {
      const POINT& a = points[k];
      const POINT& b = points[(k + 1) % points.size()];
      if ((a.y <= y && b.y > y) || (b.y <= y && a.y > y)) {
        FCrossings.push_back(a.x + static_cast<double>(y - a.y) * (b.x - a.x) / (b.y - a.y));
      }
    }
    std::sort(FCrossings.begin(), FCrossings.end());
    for (std::size_t k = 0; k + 1 < FCrossings.size(); k += 2) {
      const double left = std::ceil(std::max(FCrossings[k], -1.0));
      const double right = std::floor(std::min(FCrossings[k + 1], static_cast<double>(FWidth)));
      FillSpan(y, static_cast<std::int64_t>(left), static_cast<std::int64_t>(right) + 1, FBrush);
    }
  }
  Polyline(points);
  Line(points.back().x, points.back().y, points.front().x, points.front().y);
}

void TImageCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  if (FBits == nullptr) return;
  std::int64_t left = std::min(x1, x2), right = std::max(x1, x2);
  std::int64_t top = std::min(y1, y2), bottom = std::max(y1, y2);
  if (right - left < 1 || bottom - top < 1) return;
  // The outline covers left..right-1 and top..bottom-1; the brush fills inside it.
  for (std::int64_t y = top + 1; y < bottom - 1; ++y) FillSpan(y, left + 1, right - 1, FBrush);
  FillSpan(top, left, right, FPen);
  FillSpan(bottom - 1, left, right, FPen);
  for (std::int64_t y = top + 1; y < bottom - 1; ++y) {
    FillSpan(y, left, left + 1, FPen);
    FillSpan(y, right - 1, right, FPen);
  }
}

void TImageCanvas::TextOut(int x, int y, std::string_view text) {
  if (FImage == nullptr || FBits == nullptr) return;
  const QString line = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  const int width = FMetrics->horizontalAdvance(line);
  const int height = FMetrics->height();
  // Texts wholly outside are left out: far-away positions would overflow the text engine.
  if (x >= FWidth || y >= FHeight || std::int64_t{x} + width <= 0 ||
      std::int64_t{y} + height <= 0) {
    return;
  }
  if (!FPainter.isActive()) {
    FPainter.begin(FImage);
    FPainter.setFont(FFont);
  }
  FPainter.fillRect(x, y, width, height, QColor(FBrush));
  FPainter.setPen(QColor(Qt::black));
  FPainter.drawText(x, y + FMetrics->ascent(), line);
}

void TImageCanvas::FillRect(int x1, int y1, int x2, int y2) {
  if (FBits == nullptr) return;
  // The whole picture, as when the plot is cleared: the toolkit's fast fill.
  if (x1 <= 0 && y1 <= 0 && x2 >= FWidth && y2 >= FHeight) {
    FImage->fill(FBrush);
    FBits = reinterpret_cast<QRgb*>(FImage->bits());
    return;
  }
  for (std::int64_t y = std::max(y1, 0); y < std::min(y2, FHeight); ++y) {
    FillSpan(y, x1, x2, FBrush);
  }
}

void TImageCanvas::FillSpan(std::int64_t y, std::int64_t x1, std::int64_t x2, QRgb color) {
  if (y < 0 || y >= FHeight) return;
  x1 = std::max<std::int64_t>(x1, 0);
  x2 = std::min<std::int64_t>(x2, FWidth);
  if (x1 >= x2) return;
  QRgb* row = FBits + y * FStride;
  std::fill(row + x1, row + x2, color);
}

bool TImageCanvas::ClipLine(int& x0, int& y0, int& x1, int& y1) const {
  // Liang-Barsky against the pixel rectangle, in doubles so far-away ends cannot overflow.
  const double dx = static_cast<double>(x1) - x0;
  const double dy = static_cast<double>(y1) - y0;
  double t0 = 0.0;
  double t1 = 1.0;
  const auto edge = [&](double p, double q) {
    if (p == 0.0) return q >= 0.0;
    const double r = q / p;
    if (p < 0.0) {
      if (r > t1) return false;
      t0 = std::max(t0, r);
    } else {
      if (r < t0) return false;
      t1 = std::min(t1, r);
    }
    return true;
  };
  if (!edge(-dx, x0) || !edge(dx, FWidth - 1.0 - x0) || !edge(-dy, y0) ||
      !edge(dy, FHeight - 1.0 - y0)) {
    return false;
  }
  const auto at = [](double start, double step, double t, int limit) {
    return std::clamp(static_cast<int>(std::lround(start + t * step)), 0, limit);
  };
  const int nx0 = at(x0, dx, t0, FWidth - 1);
  const int ny0 = at(y0, dy, t0, FHeight - 1);
  const int nx1 = at(x0, dx, t1, FWidth - 1);
  const int ny1 = at(y0, dy, t1, FHeight - 1);
  x0 = nx0;
  y0 = ny0;
  x1 = nx1;
  y1 = ny1;
  return true;
}

void TImageCanvas::Line(int x0, int y0, int x1, int y1) {
  if (FBits == nullptr) return;
  const auto inside = [this](int x, int y) {
    return static_cast<unsigned>(x) < static_cast<unsigned>(FWidth) &&
           static_cast<unsigned>(y) < static_cast<unsigned>(FHeight);
  };
  if (!(inside(x0, y0) && inside(x1, y1)) && !ClipLine(x0, y0, x1, y1)) return;
  // Bresenham over both end points.
  const int dx = std::abs(x1 - x0);
  const int dy = -std::abs(y1 - y0);
  const int step_x = x0 < x1 ? 1 : -1;
  const std::ptrdiff_t step_y = y0 < y1 ? FStride : -FStride;
  QRgb* pixel = FBits + y0 * FStride + x0;
  const QRgb pen = FPen;
  int error = dx + dy;
  for (int n = std::max(dx, -dy);; --n) {
    *pixel = pen;
    if (n == 0) break;
    const int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      pixel += step_x;
    }
    if (twice <= dx) {
      error += dx;
      pixel += step_y;
    }
  }
}
