#include "app/screen_fit.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>

void PrintTo(const ScreenArea& area, std::ostream* out) {
  *out << "(" << area.left << ", " << area.top << ", " << area.width << " x " << area.height << ")";
}

namespace {

constexpr ScreenArea kSmallScreen{0, 0, 1366, 768};

TEST(ScreenFitTest, MovesAWindowBackInsideAndNeverMakesItLarger) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  const struct {
    const char* what;
    ScreenArea window;
    ScreenArea available;
    ScreenArea expected;
  } rows[] = {
      {"fits: stays", {255, 112, 349, 275}, kSmallScreen, {255, 112, 349, 275}},
      {"touches the edges: stays", {0, 0, 1366, 768}, kSmallScreen, {0, 0, 1366, 768}},
      {"graph view's bottom strip off-screen",
       {236, 283, 830, 640},
       kSmallScreen,
       {236, 128, 830, 640}},
      {"off the right edge", {1000, 10, 529, 377}, kSmallScreen, {837, 10, 529, 377}},
      {"off the left and top", {-50, -20, 400, 300}, kSmallScreen, {0, 0, 400, 300}},
      {"wider than the screen", {100, 100, 2000, 300}, kSmallScreen, {0, 100, 1366, 300}},
      {"larger both ways", {-10, 5, 1600, 1000}, kSmallScreen, {0, 0, 1366, 768}},
      {"area with a panel on top", {300, 10, 500, 400}, {0, 30, 1366, 738}, {300, 30, 500, 400}},
      {"second screen to the right",
       {100, 500, 800, 600},
       {1366, 0, 1920, 1080},
       {1366, 480, 800, 600}},
      {"empty window", {20, 20, 0, 0}, kSmallScreen, {20, 20, 0, 0}},
      {"empty area", {20, 20, 100, 100}, {5, 6, 0, 0}, {5, 6, 0, 0}},
      {"far corners", {kMax, kMin, 100, 100}, kSmallScreen, {1266, 0, 100, 100}},
      {"area at the far end",
       {0, 0, 100, 100},
       {kMax - 50, kMax - 50, 50, 50},
       {kMax - 50, kMax - 50, 50, 50}},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(FitInside(row.window, row.available), row.expected) << row.what;
  }
}

}  // namespace
