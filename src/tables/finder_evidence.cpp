#include "tables/finder_evidence.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>

TEntryView ReadEntries(std::span<const std::uint8_t> image, int width, bool little,
                       const std::function<bool()>& going_on) {
  TEntryView view;
  view.Width = width;
  view.LittleEndian = little;
  const std::size_t count = image.size() / static_cast<std::size_t>(width);
  view.Values.resize(count);
  const auto high = static_cast<std::size_t>(little ? 1 : 0);
  for (std::size_t first = 0; first < count; first += 1 << 16) {
    if (!going_on()) {
      view.Values.resize(first);
      break;
    }
    const std::size_t last = std::min(count, first + (1 << 16));
    for (std::size_t k = first; k < last; ++k) {
      view.Values[k] = width == 1 ? image[k] : image[2 * k + high] << 8 | image[2 * k + 1 - high];
    }
  }
  return view;
}

namespace {

// Mean |a − b| over all pairs of sorted values: each value weighs the number of pairs it is
// the larger of minus those it is the smaller of.
double SortedPairDifference(std::span<const std::int32_t> sorted) {
  const std::size_t n = sorted.size();
  if (n < 2) return 0.0;
  double sum = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    sum += (2.0 * static_cast<double>(i) - static_cast<double>(n) + 1.0) * sorted[i];
  }
  return 2.0 * sum / (static_cast<double>(n) * static_cast<double>(n - 1));
}

// Steps of a grid whose values are read through `read`, over `spread`.
template <typename TRead>
TGridRoughness MeasureReading(std::span<const std::int32_t> v, std::size_t c, double spread,
                              TRead read) {
  TGridRoughness result;
  result.Spread = spread;
  if (spread <= 0.0) return result;
  const std::size_t rows = v.size() / c;
  const std::size_t n = rows * c;
  std::int64_t within = 0, ends = 0, down = 0;
  std::size_t flat_within = 0, flat_down = 0;
  for (std::size_t row = 0; row < n; row += c) {
    if (row > 0) ends += std::abs(read(v[row]) - read(v[row - 1]));
    for (std::size_t i = row + 1; i < row + c; ++i) {
      const std::int32_t step = std::abs(read(v[i]) - read(v[i - 1]));
      within += step;
      flat_within += step == 0 ? 1 : 0;
    }
  }
  for (std::size_t i = c; i < n; ++i) {
    const std::int32_t step = std::abs(read(v[i]) - read(v[i - c]));
    down += step;
    flat_down += step == 0 ? 1 : 0;
  }
  const double within_steps = static_cast<double>(rows * (c - 1));
  const double down_steps = static_cast<double>(n - c);
  const auto sum = [](std::int64_t x) { return static_cast<double>(x); };
  result.Row = within_steps > 0 ? sum(within) / within_steps / spread : 0.0;
  result.Column = down_steps > 0 ? sum(down) / down_steps / spread : 1.0;
  result.RowFlat = within_steps > 0 ? static_cast<double>(flat_within) / within_steps : 0.0;
  result.ColumnFlat = down_steps > 0 ? static_cast<double>(flat_down) / down_steps : 0.0;
  result.Combined = sum(within + down) / std::max(1.0, within_steps + down_steps) / spread;
  if (rows > 1 && within + ends > 0) {
    const double chance = static_cast<double>(rows - 1) / static_cast<double>(n - 1);
    result.RowJump = sum(ends) / sum(within + ends) / chance;
  }
  return result;
}

}  // namespace

double MeanPairDifference(std::span<const std::int32_t> values) {
  std::vector<std::int32_t> sorted(values.begin(), values.end());
  std::sort(sorted.begin(), sorted.end());
  return SortedPairDifference(sorted);
}

TGridRoughness MeasureGrid(std::span<const std::int32_t> values, int columns, int bits) {
  if (columns < 1 || values.size() < static_cast<std::size_t>(columns)) return {};
  const auto c = static_cast<std::size_t>(columns);
  const auto grid = values.first(values.size() / c * c);
  std::vector<std::int32_t> sorted(grid.begin(), grid.end());
  if (bits == 8 && sorted.size() > 64) {
    // Bytes sort fastest by counting.
    std::array<std::uint32_t, 256> counts{};
    for (const std::int32_t x : grid) ++counts[static_cast<std::size_t>(x & 0xFF)];
    std::size_t at = 0;
    for (std::size_t x = 0; x < counts.size(); ++x) {
      for (std::uint32_t k = 0; k < counts[x]; ++k) sorted[at++] = static_cast<std::int32_t>(x);
    }
  } else {
    std::sort(sorted.begin(), sorted.end());
  }
  const auto plain = [](std::int32_t x) { return x; };
  const TGridRoughness unsigned_reading =
      MeasureReading(grid, c, SortedPairDifference(sorted), plain);
  if (bits >= 32) return unsigned_reading;
  // Two's complement reads differently only when values lie on both sides of the sign bit;
  // then the upper ones sort first.
  const std::int32_t half = std::int32_t{1} << (bits - 1);
  const auto upper = std::lower_bound(sorted.begin(), sorted.end(), half);
  if (upper == sorted.begin() || upper == sorted.end()) return unsigned_reading;
  std::vector<std::int32_t> signed_sorted;
  signed_sorted.reserve(sorted.size());
  for (auto it = upper; it != sorted.end(); ++it) signed_sorted.push_back(*it - 2 * half);
  signed_sorted.insert(signed_sorted.end(), sorted.begin(), upper);
  const auto as_signed = [half](std::int32_t x) { return x >= half ? x - 2 * half : x; };
  TGridRoughness signed_reading =
      MeasureReading(grid, c, SortedPairDifference(signed_sorted), as_signed);
  signed_reading.Signed = true;
  return signed_reading.Spread > 0 && signed_reading.Combined < unsigned_reading.Combined
             ? signed_reading
             : unsigned_reading;
}

TRowLayout ChooseRowLength(std::span<const std::int32_t> values, int max_columns) {
  TRowLayout layout;
  const std::size_t n = values.size();
  if (n < 6) return layout;
  const double spread = MeanPairDifference(values);
  if (spread <= 0.0) return layout;
  std::vector<double> steps(n - 1);
  double total = 0.0;
  for (std::size_t i = 0; i + 1 < n; ++i) {
    steps[i] = std::abs(values[i + 1] - values[i]);
    total += steps[i];
  }
  if (total <= 0.0) return layout;

  // For each row length: the phase whose steps hold most of the change is where rows end;
  // the cost weighs the steps left inside rows, those down the columns, and how much the
  // change gathers at row ends. Among lengths costing about the least the longest wins, as
  // a divisor of the row length lines up as well on rows that are nearly flat.
  struct TTrial {
    int Columns;
    int EndPhase;
    double Lift;
    double Cost;
  };
  std::vector<TTrial> trials;
  const int longest = std::min<int>(max_columns, static_cast<int>(n / 2));
  std::vector<double> by_phase;
  for (int c = 2; c <= longest; ++c) {
    by_phase.assign(static_cast<std::size_t>(c), 0.0);
    int phase = 0;
    for (std::size_t i = 0; i + 1 < n; ++i) {
      by_phase[static_cast<std::size_t>(phase)] += steps[i];
      if (++phase == c) phase = 0;
    }
    const auto end_phase =
        static_cast<int>(std::max_element(by_phase.begin(), by_phase.end()) - by_phase.begin());
    const double at_ends = by_phase[static_cast<std::size_t>(end_phase)];
    const std::size_t end_steps =
        (n - 1) / static_cast<std::size_t>(c) +
        (static_cast<std::size_t>(end_phase) < (n - 1) % static_cast<std::size_t>(c) ? 1 : 0);
    const double inside =
        (total - at_ends) / std::max<double>(1.0, double(n - 1 - end_steps)) / spread;
    double down = 0.0;
    for (std::size_t i = static_cast<std::size_t>(c); i < n; ++i) {
      down += std::abs(values[i] - values[i - static_cast<std::size_t>(c)]);
    }
    down /= static_cast<double>(n - static_cast<std::size_t>(c)) * spread;
    const double lift = at_ends / total * c;
    const double cost = inside + 0.3 * down - 0.1 * std::log(std::max(lift, 0.1));
    trials.push_back({c, end_phase, lift, cost});
  }
  if (trials.empty()) return layout;
  double least = std::numeric_limits<double>::max();
  for (const TTrial& trial : trials) least = std::min(least, trial.Cost);
  const TTrial* chosen = nullptr;
  for (const TTrial& trial : trials) {
    if (trial.Cost <= least + 0.03) chosen = &trial;
  }
  layout.Columns = chosen->Columns;
  layout.Lead = (chosen->EndPhase + 1) % chosen->Columns;
  layout.RowJump = chosen->Lift;
  return layout;
}

double RowsApart(std::span<const std::int32_t> a, std::span<const std::int32_t> b) {
  double sum = 0.0;
  for (std::size_t k = 0; k < a.size(); ++k) sum += std::abs(a[k] - b[k]);
  return sum / static_cast<double>(a.size());
}

bool RowJoins(std::span<const std::int32_t> row, std::span<const std::int32_t> next,
              std::int32_t low, std::int32_t high, double typical) {
  const auto [row_low, row_high] = std::minmax_element(row.begin(), row.end());
  const double range = std::max(high, *row_high) - std::min(low, *row_low);
  if (range <= 0) return true;
  double along = 0.0;
  for (std::size_t k = 1; k < row.size(); ++k) along += std::abs(row[k] - row[k - 1]);
  along /= static_cast<double>(std::max<std::size_t>(1, row.size() - 1));
  if (along > 0.35 * range) return false;
  return typical <= 0.0 || RowsApart(row, next) <= std::max(0.3 * range, 2.5 * typical);
}

int RowsThatFit(std::span<const std::int32_t> values, int columns, int max_rows,
                std::int32_t ones) {
  const auto c = static_cast<std::size_t>(columns);
  const int available = static_cast<int>(
      std::min<std::size_t>(values.size() / c, static_cast<std::size_t>(max_rows)));
  if (available < 1) return 0;
  auto [low, high] = std::minmax_element(values.begin(), values.begin() + columns);
  std::int32_t least = *low, most = *high;
  double steps = 0.0;
  const auto mostly_fill = [&](std::span<const std::int32_t> row) {
    return 2 * static_cast<std::size_t>(std::count(row.begin(), row.end(), ones)) > c;
  };
  if (mostly_fill(values.first(c))) return 0;
  int rows = 1;
  for (; rows < available; ++rows) {
    const auto row = values.subspan(static_cast<std::size_t>(rows) * c, c);
    const auto above = values.subspan(static_cast<std::size_t>(rows - 1) * c, c);
    if (mostly_fill(row)) break;
    if (!RowJoins(row, above, least, most, rows > 1 ? steps / (rows - 1) : 0.0)) break;
    steps += RowsApart(row, above);
    const auto [row_low, row_high] = std::minmax_element(row.begin(), row.end());
    least = std::min(least, *row_low);
    most = std::max(most, *row_high);
  }
  return rows;
}

int RisingRunBefore(std::span<const std::uint8_t> image, std::int64_t end, TAxisKind kind,
                    int limit) {
  if (end % kind.Width != 0 || end > static_cast<std::int64_t>(image.size())) return 0;
  int count = 0;
  std::uint32_t next = 0;
  for (std::int64_t at = end - kind.Width; at >= 0 && count < limit; at -= kind.Width) {
    const std::uint32_t key = AxisKey(image, at, kind);
    if (count > 0 && key >= next) break;
    next = key;
    ++count;
  }
  return count;
}

namespace {

constexpr int kRunLimit = 70;

// The lengths stored just before `start`: `first` alone, or `first` then `second` (when not
// 0), as bytes or as words in either byte order.
bool CountsBefore(std::span<const std::uint8_t> image, std::int64_t start, int first, int second) {
  const int count = second != 0 ? 2 : 1;
  for (const int width : {1, 2}) {
    const std::int64_t at = start - std::int64_t{count} * width;
    if (at < 0 || at % width != 0) continue;
    for (const bool little : {false, true}) {
      if (width == 1 && little) continue;
      if (static_cast<int>(EntryAt(image, at, width, little)) != first) continue;
      if (count == 1 || static_cast<int>(EntryAt(image, at + width, width, little)) == second) {
        return true;
      }
    }
  }
  return false;
}

int Weight(const TAxisEvidence& e) {
  return (e.NearCount > 0 ? 2 : 0) + (e.FarCount > 0 ? 2 : 0) + (e.Counts ? 1 : 0);
}

}  // namespace

TAxisEvidence AxesBefore(std::span<const std::uint8_t> image, std::int64_t offset, int rows,
                         int columns) {
  TAxisEvidence best;
  // A map's axes are at most 32 entries long; a curve's may be longer.
  const int longest = rows > 1 ? 32 : kRunLimit - 4;
  const int lengths[2] = {columns, rows};
  for (const TAxisKind near : kAxisKinds) {
    const int run = RisingRunBefore(image, offset, near, kRunLimit);
    if (run < 3) continue;
    for (int pick = 0; pick < (rows > 1 ? 2 : 1); ++pick) {
      const int count = lengths[pick];
      if (count < 3 || count > longest || run < count) continue;
      TAxisEvidence found;
      found.NearCount = count;
      found.Near = near;
      std::int64_t start = offset - std::int64_t{count} * near.Width;
      const int other = lengths[1 - pick];
      bool merged = false;
      // Each axis may have its length right before it instead: the far axis then ends
      // where the near axis' length starts.
      int gap = 0;
      if (rows > 1 && other >= 3 && other <= longest) {
        for (const TAxisKind far : kAxisKinds) {
          const int far_run = RisingRunBefore(image, start, far, kRunLimit);
          if (far_run < other || far_run > other + 2) continue;
          found.FarCount = other;
          found.Far = far;
          merged = far.Width == near.Width && far.Little == near.Little &&
                   far.Signed == near.Signed && run - count == far_run;
          break;
        }
        for (const int width : {1, 2}) {
          if (found.FarCount > 0 || !CountsBefore(image, start, count, 0)) break;
          if (start - width < 0 || (start - width) % width != 0) continue;
          for (const TAxisKind far : kAxisKinds) {
            const int far_run = RisingRunBefore(image, start - width, far, kRunLimit);
            if (far_run < other || far_run > other + 1 ||
                !CountsBefore(image, start - width - std::int64_t{other} * far.Width, other, 0)) {
              continue;
            }
            found.FarCount = other;
            found.Far = far;
            gap = width;
            break;
          }
        }
      }
      // The near run must end where the axis starts, give or take lengths in front of it,
      // unless it runs on into the far axis.
      if (run > count + 2 && !merged) continue;
      if (gap > 0) {
        found.Counts = true;
      } else if (found.FarCount > 0) {
        start -= std::int64_t{other} * found.Far.Width;
        found.Counts =
            CountsBefore(image, start, other, count) || CountsBefore(image, start, count, other);
      } else {
        found.Counts = CountsBefore(image, start, count, 0);
      }
      if (Weight(found) > Weight(best)) best = found;
    }
  }
  return best;
}

TByteMakeup ByteMakeup(std::span<const std::uint8_t> bytes, int width) {
  TByteMakeup makeup;
  if (bytes.empty()) return makeup;
  std::size_t fill = 0, text = 0, letters = 0;
  const auto w = static_cast<std::size_t>(width);
  const std::size_t entries = bytes.size() / w;
  for (std::size_t e = 0; e < entries; ++e) {
    const std::uint8_t* entry = bytes.data() + e * w;
    bool zeros = true, ones = true;
    for (std::size_t k = 0; k < w; ++k) {
      zeros = zeros && entry[k] == 0x00;
      ones = ones && entry[k] == 0xFF;
    }
    fill += zeros || ones ? 1 : 0;
  }
  for (const std::uint8_t b : bytes) {
    text += b >= 0x20 && b < 0x7F ? 1 : 0;
    const std::uint8_t upper = b & 0xDF;
    letters += b == ' ' || (upper >= 'A' && upper <= 'Z') ? 1 : 0;
  }
  const auto total = static_cast<double>(bytes.size());
  makeup.Fill = entries > 0 ? static_cast<double>(fill) / static_cast<double>(entries) : 0.0;
  makeup.Text = static_cast<double>(text) / total;
  makeup.Letters = static_cast<double>(letters) / total;
  return makeup;
}
