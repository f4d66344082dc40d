#include "app/screen_fit.h"

#include <algorithm>

namespace {

// The start of a span of `length` (at most `room`) moved inside [origin, origin + room).
std::int64_t FitSpan(std::int64_t start, std::int64_t length, std::int64_t origin,
                     std::int64_t room) {
  return std::clamp(start, origin, origin + room - length);
}

}  // namespace

ScreenArea FitInside(const ScreenArea& window, const ScreenArea& available) {
  const std::int64_t roomX = std::max<std::int64_t>(available.width, 0);
  const std::int64_t roomY = std::max<std::int64_t>(available.height, 0);
  const std::int64_t width = std::clamp<std::int64_t>(window.width, 0, roomX);
  const std::int64_t height = std::clamp<std::int64_t>(window.height, 0, roomY);
  // Every result lies between the two rectangles' own coordinates, so it fits 32 bits.
  return {static_cast<std::int32_t>(FitSpan(window.left, width, available.left, roomX)),
          static_cast<std::int32_t>(FitSpan(window.top, height, available.top, roomY)),
          static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)};
}
