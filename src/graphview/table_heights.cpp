#include "graphview/table_heights.h"

#include "image/rom_image.h"
#include "image/table_entry.h"

#include <algorithm>
#include <cstddef>
#include <span>
#include <utility>

std::vector<double> TableHeights(const TRomImage& image, const TTableCursor& cursor,
                                 std::vector<double> reuse) {
  return TableHeights(image, LayoutOf(cursor), std::move(reuse));
}

std::vector<double> TableHeights(const TRomImage& image, const TTableLayout& cursor,
                                 std::vector<double> reuse) {
  const int rows = std::clamp(cursor.Rows, 0, kPlotMaxSide);
  const int columns = std::clamp(cursor.Columns, 0, kPlotMaxSide);
  const int width = cursor.Width();
  const TElementType type = cursor.Type;
  const double scale = cursor.ZScale;
  const double offset = cursor.ZOffset;
  const std::span<const std::uint8_t> bytes = ImageBytes(image);

  std::vector<double> heights = std::move(reuse);
  heights.assign(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns), 0.0);
  // Entry (r, c) starts at (TableAddress − BaseAddress) + (r × Columns + c) × width. With r and
  // c held to 256 no term leaves 64 bits, so the bounds check alone decides.
  const std::int64_t start = std::int64_t{cursor.TableAddress} - cursor.BaseAddress;
  const std::int64_t last = static_cast<std::int64_t>(bytes.size()) - width;
  // One loop per way of reading, so the plain unsigned big-endian read stays branch-free.
  const auto fill = [&](auto read) {
    for (int r = 0; r < rows; ++r) {
      const std::int64_t rowStart = start + std::int64_t{r} * cursor.Columns * width;
      double* row =
          heights.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(columns);
      for (int c = 0; c < columns; ++c) {
        const std::int64_t position = rowStart + std::int64_t{c} * width;
        const double raw = position >= 0 && position <= last
                               ? static_cast<double>(read(bytes.data() + position))
                               : 0.0;
        row[c] = raw * scale + offset;
      }
    }
  };
  if (!type.Signed && type.Order == TByteOrder::BigEndian) {
    fill([width](const std::uint8_t* entry) {
      std::uint32_t value = 0;
      for (int i = 0; i < width; ++i) value = (value << 8) | entry[i];
      return value;
    });
  } else {
    fill([type](const std::uint8_t* entry) { return ValueOfBits(type, DecodeBits(type, entry)); });
  }
  return heights;
}
