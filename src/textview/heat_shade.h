#pragma once

// Heat-map shading of table cells: a background from cool (the table's smallest raw value)
// to warm (its largest), light enough that the chosen text colour keeps a readable contrast.
// Plain RGB values; the window converts them at the drawing edge.

#include "app/shared_state.h"
#include "image/table_layout.h"

#include <cstdint>
#include <optional>

struct TRgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const TRgb&, const TRgb&) = default;
};

struct TCellShade {
  TRgb background;
  TRgb text;  // black or white, whichever contrasts more with the background
  friend bool operator==(const TCellShade&, const TCellShade&) = default;
};

// The smallest and largest raw value of a table's cells inside the image (signed tables'
// values with their sign).
struct TValueRange {
  std::int64_t min = 0;
  std::int64_t max = 0;
  friend bool operator==(const TValueRange&, const TValueRange&) = default;
};

// The shade of raw `value` by its place between range.min and range.max: a light
// blue → green → yellow → red ramp in 256 steps. A value outside the range takes the nearer
// end; a range of one value (min == max) shades every cell at the cool end.
[[nodiscard]] TCellShade HeatShade(std::int64_t value, TValueRange range);

// The value range of the entries of the cursor's Rows × Columns table that lie wholly inside
// the image, or nothing when none does. Only rows and columns that can reach the image are
// visited, so the cost follows the part of the table inside the image, whatever was typed.
[[nodiscard]] std::optional<TValueRange> TableValueRange(const TRomImage& image,
                                                         const TTableLayout& table);
// The same for the cursor's table at `width` bytes per entry; nothing for any width but 1, 2
// and 4.
[[nodiscard]] std::optional<TValueRange> TableValueRange(const TRomImage& image,
                                                         const TTableCursor& cursor, int width);

// WCAG relative luminance (0 black … 1 white) and the contrast ratio of two colours (1 … 21).
[[nodiscard]] double RelativeLuminance(TRgb colour);
[[nodiscard]] double ContrastRatio(TRgb a, TRgb b);
