#include "textview/heat_shade.h"

#include "image/integer_division.h"
#include "image/table_entry.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>

namespace {

constexpr TRgb kBlack{0, 0, 0};
constexpr TRgb kWhite{255, 255, 255};

// Pastel stops, evenly spaced, each light enough for black text.
constexpr std::array<TRgb, 4> kStops = {{
    {150, 190, 250},  // blue
    {160, 225, 160},  // green
    {250, 235, 130},  // yellow
    {250, 150, 140},  // red
}};

constexpr int kSteps = 256;

double Linear(std::uint8_t channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

std::uint8_t Mix(std::uint8_t a, std::uint8_t b, double t) {
  return static_cast<std::uint8_t>(std::lround(a + (b - a) * t));
}

TCellShade ShadeAt(double t) {
  const double scaled = t * (kStops.size() - 1);
  const auto stop = std::min<std::size_t>(static_cast<std::size_t>(scaled), kStops.size() - 2);
  const double local = scaled - static_cast<double>(stop);
  const TRgb& from = kStops[stop];
  const TRgb& to = kStops[stop + 1];
  const TRgb background{Mix(from.red, to.red, local), Mix(from.green, to.green, local),
                        Mix(from.blue, to.blue, local)};
  const TRgb text =
      ContrastRatio(background, kBlack) >= ContrastRatio(background, kWhite) ? kBlack : kWhite;
  return {background, text};
}

// Shades are looked up per painted cell, so they are worked out once.
const std::array<TCellShade, kSteps>& Shades() {
  static const std::array<TCellShade, kSteps> shades = [] {
    std::array<TCellShade, kSteps> table{};
    for (int i = 0; i < kSteps; ++i) table[static_cast<std::size_t>(i)] = ShadeAt(i / 255.0);
    return table;
  }();
  return shades;
}

// One big-endian entry of sizeof(Value) bytes.
template <typename Value>
Value ReadBigEndian(const std::uint8_t* bytes) {
  Value value = 0;
  for (std::size_t i = 0; i < sizeof(Value); ++i) {
    value = static_cast<Value>((std::uint32_t{value} << 8) | bytes[i]);
  }
  return value;
}

// Smallest and largest of runs of big-endian entries.
struct TRangeScan {
  std::int64_t low = std::numeric_limits<std::int64_t>::max();
  std::int64_t high = std::numeric_limits<std::int64_t>::min();
  bool any = false;

  // Entries of any other sign or byte order, one at a time through the codec.
  void AddTyped(TElementType type, const std::uint8_t* first, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      const std::int64_t value = ValueOfBits(type, DecodeBits(type, first + i * type.Bytes()));
      low = std::min(low, value);
      high = std::max(high, value);
    }
    any = any || count > 0;
  }

  template <typename Value>
  void Add(const std::uint8_t* first, std::size_t count) {
    constexpr std::size_t kWidth = sizeof(Value);
    constexpr std::size_t kBlock = 32;
    Value runLow = std::numeric_limits<Value>::max();
    Value runHigh = 0;
    std::size_t i = 0;
    // Whole blocks in a loop of fixed length, which the compiler turns into vector code.
    for (; i + kBlock <= count; i += kBlock) {
      const std::uint8_t* block = first + i * kWidth;
      for (std::size_t j = 0; j < kBlock; ++j) {
        const Value value = ReadBigEndian<Value>(block + j * kWidth);
        runLow = std::min(runLow, value);
        runHigh = std::max(runHigh, value);
      }
    }
    for (; i < count; ++i) {
      const Value value = ReadBigEndian<Value>(first + i * kWidth);
      runLow = std::min(runLow, value);
      runHigh = std::max(runHigh, value);
    }
    if (count == 0) return;
    low = std::min<std::int64_t>(low, runLow);
    high = std::max<std::int64_t>(high, runHigh);
    any = true;
  }
};

}  // namespace

double RelativeLuminance(TRgb colour) {
  return 0.2126 * Linear(colour.red) + 0.7152 * Linear(colour.green) + 0.0722 * Linear(colour.blue);
}

double ContrastRatio(TRgb a, TRgb b) {
  const double la = RelativeLuminance(a);
  const double lb = RelativeLuminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TCellShade HeatShade(std::int64_t value, TValueRange range) {
  if (range.max <= range.min || value <= range.min) return Shades().front();
  if (value >= range.max) return Shades().back();
  const double t =
      static_cast<double>(value - range.min) / static_cast<double>(range.max - range.min);
  const auto step = static_cast<std::size_t>(std::lround(t * (kSteps - 1)));
  return Shades()[step];
}

std::optional<TValueRange> TableValueRange(const TRomImage& image, const TTableCursor& cursor,
                                           int width) {
  const std::optional<EntryWidth> entryWidth = EntryWidth::FromBytes(width);
  if (!entryWidth) return std::nullopt;
  return TableValueRange(image, LayoutOf(cursor, *entryWidth));
}

std::optional<TValueRange> TableValueRange(const TRomImage& image, const TTableLayout& cursor) {
  const int width = cursor.Width();
  if (!image.Bytes || image.Size <= 0 || cursor.Rows <= 0 || cursor.Columns <= 0) {
    return std::nullopt;
  }
  const std::int64_t size =
      std::min<std::int64_t>(image.Size, static_cast<std::int64_t>(image.Bytes->size()));
  // Entry (r, c) starts at start + r × stride + c × width. Only rows whose span of entries
  // meets 0 … size − width, and within them only such columns, can hold an entry inside.
  const std::int64_t start = std::int64_t{cursor.TableAddress} - cursor.BaseAddress;
  const std::int64_t stride = std::int64_t{cursor.Columns} * width;
  const std::int64_t lastInRow = (std::int64_t{cursor.Columns} - 1) * width;
  const std::int64_t firstRow = std::max<std::int64_t>(0, CeilDiv(-lastInRow - start, stride));
  const std::int64_t lastRow =
      std::min<std::int64_t>(cursor.Rows - 1, FloorDiv(size - width - start, stride));

  // Read straight from the buffer: the bounds above keep every entry visited inside 0 … size.
  const std::uint8_t* bytes = image.Bytes->data();
  TRangeScan scan;
  for (std::int64_t r = firstRow; r <= lastRow; ++r) {
    const std::int64_t rowStart = start + r * stride;
    const std::int64_t firstColumn = std::max<std::int64_t>(0, CeilDiv(-rowStart, width));
    const std::int64_t lastColumn =
        std::min<std::int64_t>(cursor.Columns - 1, FloorDiv(size - width - rowStart, width));
    if (firstColumn > lastColumn) continue;
    const std::uint8_t* first = bytes + rowStart + firstColumn * width;
    const auto count = static_cast<std::size_t>(lastColumn - firstColumn + 1);
    if (cursor.Type.Signed || cursor.Type.Order != TByteOrder::BigEndian) {
      scan.AddTyped(cursor.Type, first, count);
      continue;
    }
    switch (width) {
      case 1:
        scan.Add<std::uint8_t>(first, count);
        break;
      case 2:
        scan.Add<std::uint16_t>(first, count);
        break;
      default:
        scan.Add<std::uint32_t>(first, count);
        break;
    }
  }
  std::optional<TValueRange> range;
  if (scan.any) range = TValueRange{scan.low, scan.high};
  return range;
}
