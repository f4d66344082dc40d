#pragma once

#include <cstdint>

// A rectangle on the desktop, in pixels: its top-left corner and its size.
struct ScreenArea {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;

  friend bool operator==(const ScreenArea&, const ScreenArea&) = default;
};

// Where a window's outer rectangle goes so that it lies inside `available`: no larger than
// `available`, and moved by as little as it takes. A window that fits keeps its place and size.
[[nodiscard]] ScreenArea FitInside(const ScreenArea& window, const ScreenArea& available);
