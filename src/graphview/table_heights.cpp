#include "graphview/table_heights.h"

#include "image/rom_image.h"
#include "image/table_entry.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <span>
#include <utility>

std::vector<double> TableHeights(const TRomImage& image, const TTableCursor& cursor,
                                 std::vector<double> reuse) {
  const int rows = std::clamp(cursor.Rows, 0, kPlotMaxSide);
  const int columns = std::clamp(cursor.Columns, 0, kPlotMaxSide);
  const int width = cursor.EntryWidth.Bytes();
  const double scale = cursor.ZScale;
  const double offset = cursor.ZOffset;
  const std::span<const std::uint8_t> bytes = ImageBytes(image);

  std::vector<double> heights = std::move(reuse);
  heights.assign(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns), 0.0);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const std::optional<std::size_t> position = EntryPositionInside(bytes, cursor, r, c, width);
      const double raw = position ? ReadEntryAt(bytes, *position, width) : 0.0;
      heights[static_cast<std::size_t>(r) * static_cast<std::size_t>(columns) +
              static_cast<std::size_t>(c)] = raw * scale + offset;
    }
  }
  return heights;
}
