#include "tables/table_finder.h"

#include "tables/finder_evidence.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <map>
#include <string>
#include <unordered_set>

namespace {

constexpr int kBlock = 16;                 // entries per block of the first pass
constexpr int kLongestRow = 32;            // longest row (and lag) looked for
constexpr int kMaxRows = 32;               // rows a table may grow to below one axis
constexpr std::size_t kPieceLimit = 4096;  // entries of a smooth stretch laid out at once
constexpr double kLeastScore = 25.0;       // candidates scoring less are left out
constexpr double kBareScore = 30.0;        // the same for candidates without axes
constexpr double kCertainScore = 60.0;     // tables after axes scoring this are settled first
constexpr double kFlatNats = 0.5;          // evidence of a zero step between neighbours
constexpr double kLengthsNats = 20.0;      // evidence of both axis lengths stored before them

// A finding before it is scored: where and what shape.
struct TShape {
  std::int64_t Offset = 0;
  std::int32_t Rows = 0;
  std::int32_t Columns = 0;
  int Width = 1;
  bool Little = false;
};

// Calls the caller's progress callback every couple of milliseconds and remembers a stop.
class TPacer {
 public:
  explicit TPacer(const FinderProgress& progress) : Progress(progress) {}

  // False once the callback has asked to stop. `done` is the share of all work done; it is
  // passed on when a couple of milliseconds went by since the last call, or `always`.
  bool Tell(double done, bool always = false) {
    if (Stopped) return false;
    if (!Progress) return true;
    const auto now = std::chrono::steady_clock::now();
    if (!always && now - Last < std::chrono::milliseconds(2)) return true;
    Last = now;
    Stopped = !Progress(std::clamp(done, 0.0, 1.0));
    return !Stopped;
  }

  [[nodiscard]] bool Stop() const { return Stopped; }

 private:
  const FinderProgress& Progress;
  std::chrono::steady_clock::time_point Last{};
  bool Stopped = false;
};

// A stage of the work as a slice of the progress bar.
struct TStage {
  TPacer& Pacer;
  double From;
  double Size;
  bool Tell(double share) { return Pacer.Tell(From + Size * std::clamp(share, 0.0, 1.0)); }
};

// The evidence one candidate shape gives, measured from the image.
struct TEvidence {
  TGridRoughness Grid;
  TAxisEvidence Axes;
  TByteMakeup Makeup;
  double Narrow = 1;       // 16-bit entries: roughness of the same bytes read as 8-bit entries
  double Swapped = 1;      // 16-bit entries: roughness read in the other byte order
  double Halves = 0;       // roughness of the rougher half (rows, or a long curve's columns)
  bool RowAbove = false;   // the entries before the first row read as a row of the table
  bool OpenAbove = false;  // the row before the first continues the table
  bool OpenBelow = false;  // the row after the last continues the table
  bool AxisFirst = false;  // its first entries are an axis whose length stands before them
};

// Whether the entries at `offset` start a strictly rising run (of any axis kind, at least 4
// entries) whose length stands in one of the two bytes or words before it, as lengths in
// front of axes do: such bytes are an axis, not a table's first row.
bool AxisWithLengthAt(std::span<const std::uint8_t> image, std::int64_t offset) {
  // The lengths that may stand before it, looked at first as they rule out most places.
  std::array<int, 6> lengths{};
  std::size_t count = 0;
  for (const int width : {1, 2}) {
    for (const bool little : {false, true}) {
      if (width == 1 && little) continue;
      for (int back = 1; back <= 2; ++back) {
        const std::int64_t at = offset - std::int64_t{back} * width;
        if (at < 0) continue;
        const auto length = static_cast<int>(EntryAt(image, at, width, little));
        if (length >= 4 && length <= 2 * kLongestRow) lengths[count++] = length;
      }
    }
  }
  if (count == 0) return false;
  const auto size = static_cast<std::int64_t>(image.size());
  for (const TAxisKind kind : kAxisKinds) {
    if (offset % kind.Width != 0) continue;
    int run = 0;
    std::uint32_t last = 0;
    for (std::int64_t at = offset; at + kind.Width <= size && run < 2 * kLongestRow;
         at += kind.Width) {
      const std::uint32_t key = AxisKey(image, at, kind);
      if (run > 0 && key <= last) break;
      last = key;
      ++run;
    }
    if (std::find(lengths.begin(), lengths.begin() + static_cast<std::ptrdiff_t>(count), run) !=
        lengths.begin() + static_cast<std::ptrdiff_t>(count)) {
      return true;
    }
  }
  return false;
}

std::vector<std::int32_t> ShapeValues(std::span<const std::uint8_t> image, const TShape& shape,
                                      bool little) {
  const std::int64_t count = std::int64_t{shape.Rows} * shape.Columns;
  std::vector<std::int32_t> values(static_cast<std::size_t>(count));
  for (std::int64_t k = 0; k < count; ++k) {
    values[static_cast<std::size_t>(k)] = static_cast<std::int32_t>(
        EntryAt(image, shape.Offset + k * shape.Width, shape.Width, little));
  }
  return values;
}

bool Fits(std::span<const std::uint8_t> image, const TShape& shape) {
  if (shape.Offset < 0 || shape.Rows < 1 || shape.Columns < 1) return false;
  const std::int64_t bytes = std::int64_t{shape.Rows} * shape.Columns * shape.Width;
  return shape.Offset + bytes <= static_cast<std::int64_t>(image.size());
}

// The evidence of the entries as read, their axes and edges.
// `values` are the shape's entries as read and `axes` what AxesBefore finds before it.
TEvidence MeasureCore(std::span<const std::uint8_t> image, const TShape& shape,
                      std::span<const std::int32_t> values, const TAxisEvidence& axes) {
  TEvidence evidence;
  evidence.Grid = MeasureGrid(values, shape.Columns, 8 * shape.Width);
  const auto c = static_cast<std::size_t>(shape.Columns);
  if (shape.Rows > 1) {
    // A table found whole does not go on for two rows before its start or after its end
    // (one row above may be an axis like the data): rows that step from one to the next, and
    // along themselves, about as the table's own rows do.
    double down = 0.0, along = 0.0;
    for (std::size_t i = 1; i < values.size(); ++i) {
      if (i >= c) down += std::abs(values[i] - values[i - c]);
      if (i % c != 0) along += std::abs(values[i] - values[i - 1]);
    }
    const auto rows = static_cast<double>(shape.Rows);
    const double row_step = down / ((rows - 1) * static_cast<double>(c));
    const double entry_step = c > 1 ? along / (rows * static_cast<double>(c - 1)) : 0.0;
    const auto continues = [&](std::span<const std::int32_t> row,
                               std::span<const std::int32_t> next) {
      double apart = 0.0, own = 0.0;
      for (std::size_t k = 0; k < c; ++k) {
        apart += std::abs(row[k] - next[k]);
        if (k > 0) own += std::abs(row[k] - row[k - 1]);
      }
      apart /= static_cast<double>(c);
      own /= static_cast<double>(std::max<std::size_t>(1, c - 1));
      return apart <= 2.5 * row_step + 1.0 && own <= 2.5 * entry_step + 1.0;
    };
    const std::int64_t row_bytes = std::int64_t{shape.Columns} * shape.Width;
    const auto row_at = [&](std::int64_t offset) {
      return ShapeValues(image, {offset, 1, shape.Columns, shape.Width, shape.Little},
                         shape.Little);
    };
    const auto room = [&](std::int64_t offset) {
      return Fits(image, {offset, 1, shape.Columns, shape.Width, shape.Little});
    };
    const std::int64_t above = shape.Offset - row_bytes,
                       below = shape.Offset + row_bytes * shape.Rows;
    if (room(above)) {
      const std::vector<std::int32_t> one = row_at(above);
      evidence.RowAbove = continues(one, std::span(values).first(c));
      evidence.OpenAbove =
          evidence.RowAbove && room(above - row_bytes) && continues(row_at(above - row_bytes), one);
    }
    if (room(below + row_bytes)) {
      const std::vector<std::int32_t> one = row_at(below);
      evidence.OpenBelow =
          continues(one, std::span(values).last(c)) && continues(row_at(below + row_bytes), one);
    }
  }
  evidence.Axes = axes;
  evidence.AxisFirst = AxisWithLengthAt(image, shape.Offset);
  const std::int64_t bytes = std::int64_t{shape.Rows} * shape.Columns * shape.Width;
  evidence.Makeup = ByteMakeup(
      image.subspan(static_cast<std::size_t>(shape.Offset), static_cast<std::size_t>(bytes)),
      shape.Width);
  return evidence;
}

// The same bytes read otherwise: as 8-bit entries, in the other byte order, and each half
// on its own. Measured only for shapes that score well as read.
void MeasureReadings(std::span<const std::uint8_t> image, const TShape& shape,
                     TEvidence& evidence) {
  const int bits = 8 * shape.Width;
  const std::vector<std::int32_t> values = ShapeValues(image, shape, shape.Little);
  const bool map = shape.Rows > 1;
  const auto rough = [map](const TGridRoughness& g) { return map ? g.Combined : g.Row; };
  if (shape.Width == 2) {
    const std::int64_t bytes = std::int64_t{shape.Rows} * shape.Columns * 2;
    const auto narrow =
        image.subspan(static_cast<std::size_t>(shape.Offset), static_cast<std::size_t>(bytes));
    const std::vector<std::int32_t> bytes_read(narrow.begin(), narrow.end());
    evidence.Narrow = rough(MeasureGrid(bytes_read, 2 * shape.Columns, 8));
    evidence.Swapped =
        rough(MeasureGrid(ShapeValues(image, shape, !shape.Little), shape.Columns, bits));
  }
  // A table is smooth in each half too, next to that half's own spread; stretches mixing
  // tables of other shapes are not.
  const auto c = static_cast<std::size_t>(shape.Columns);
  const auto half = [&](std::span<const std::int32_t> part, int columns) {
    const TGridRoughness g = MeasureGrid(part, columns, bits);
    return g.Spread > 0 ? rough(g) : 0.0;
  };
  if (shape.Rows >= 4) {
    const std::size_t split = static_cast<std::size_t>(shape.Rows / 2) * c;
    evidence.Halves = std::max(half(std::span(values).first(split), shape.Columns),
                               half(std::span(values).subspan(split), shape.Columns));
  } else if (!map && shape.Columns >= 32) {
    const std::size_t split = c / 2;
    evidence.Halves = std::max(half(std::span(values).first(split), static_cast<int>(split)),
                               half(std::span(values).subspan(split), static_cast<int>(c - split)));
  }
}

TEvidence Measure(std::span<const std::uint8_t> image, const TShape& shape) {
  const std::vector<std::int32_t> values = ShapeValues(image, shape, shape.Little);
  TEvidence evidence =
      MeasureCore(image, shape, values, AxesBefore(image, shape.Offset, shape.Rows, shape.Columns));
  MeasureReadings(image, shape, evidence);
  return evidence;
}

// The rule, in nats of evidence (the log-likelihood of "table" over "anything else"):
//   steps    each step between neighbours along a row counts ln 4 − 3r, r being the step
//            over the step the same values would take shuffled: a table's steps are about a
//            quarter of the shuffled ones, other bytes' about as large; zero steps count ½
//            (fill and padding are flat too); steps down the columns count the same way when
//            together they speak for the table; fill entries' share counts nothing;
//   axes     a strictly rising axis of m entries ending where the table starts, or before
//            the one that does, comes about by chance once in m! places: ln m! each;
//   lengths  the axis length stored in front of it: 3; both lengths in front of two axes: 20.
// Not tables: maps whose columns do not line up (rough down the columns without the change
// gathering at row ends), 16-bit readings of 8-bit data, stretches whose halves are far
// rougher than the whole (tables of other shapes mixed), stripes, text, constant runs (unless
// between two axes). Rising runs before a table whose rows go on above or below it are its
// own rows, not axes.
double StepNats(const TEvidence& e, const TShape& shape) {
  const bool map = shape.Rows > 1;
  if (e.Grid.Spread <= 0) return 0.0;
  // A map's columns must line up: smooth down the columns, or at least with the change
  // gathered at the row ends.
  if (map && (e.Grid.Row > 0.8 || shape.Columns > kLongestRow || e.Grid.RowJump < 1.0 ||
              !(e.Grid.Column <= 0.35 || (e.Grid.Column <= 0.75 && e.Grid.RowJump >= 2.0)))) {
    return 0.0;
  }
  // Other readings of the same bytes: 8-bit entries as smooth, or halves rougher than noise.
  const double own = map ? e.Grid.Combined : e.Grid.Row;
  if (shape.Width == 2 && e.Narrow <= own * 1.2) return 0.0;
  // Halves much rougher than the whole mix tables of other scales or shapes.
  if (e.Halves > 0.8 || (e.Halves > 0.4 && e.Halves > 3.0 * own)) return 0.0;
  // Zero steps (flat stretches) say little: fill and padding are flat too.
  const auto nats = [](double steps, double flat, double rough) {
    if (flat >= 1.0) return steps * kFlatNats;
    const double moving = rough / (1.0 - flat);  // the mean of the steps that are not zero
    return steps * ((1.0 - flat) * (std::log(4.0) - 3.0 * moving) + flat * kFlatNats);
  };
  const double rows = shape.Rows, columns = shape.Columns;
  double total = nats(rows * (columns - 1), e.Grid.RowFlat, e.Grid.Row);
  if (map) total += std::max(0.0, nats((rows - 1) * columns, e.Grid.ColumnFlat, e.Grid.Column));
  total *= 1.0 - e.Makeup.Fill;
  if (total <= 0.0) return 0.0;
  if (e.Makeup.Text > 0.95 && e.Makeup.Letters > 0.5) total *= 0.25;
  return total;
}

double AxisNats(int entries) {
  // ln m! for the axis lengths met.
  static constexpr auto kLogFactorial = [] {
    std::array<double, 72> table{};
    double log_m = 0.0;
    for (std::size_t m = 2; m < table.size(); ++m) {
      // ln m = ln (m − 1) + 2 atanh(1 / (2m − 1)), the series summed (constexpr has no log).
      const double z = 1.0 / (2.0 * static_cast<double>(m) - 1.0);
      double term = z, sum = 0.0;
      for (int k = 1; k < 40; k += 2, term *= z * z) sum += term / k;
      log_m += 2.0 * sum;
      table[m] = table[m - 1] + log_m;
    }
    return table;
  }();
  if (entries < 3) return 0.0;
  return kLogFactorial[static_cast<std::size_t>(std::min<int>(entries, kLogFactorial.size() - 1))];
}

double Score(const TEvidence& e, const TShape& shape) {
  if (e.AxisFirst) return 0.0;
  // Without axes to tell its row length, a map's columns must line up well: rows of a
  // length taken from some other stretch step roughly down their columns.
  if (e.Axes.NearCount == 0 && shape.Rows > 1 && e.Grid.Column > 0.6) return 0.0;
  const double steps = StepNats(e, shape);
  // In a table that goes on smoothly above or below, rising runs before it are rows of the
  // same data, not axes, unless their lengths stand in front of them or two of them in the
  // data's own kind (or floats) give both its lengths; so is a lone run of the data's width
  // that reads as a row of it.
  const bool both = e.Axes.NearCount > 0 && e.Axes.FarCount > 0;
  const bool like_row = e.RowAbove && e.Axes.FarCount == 0 && e.Axes.Near.Width == shape.Width &&
                        e.Axes.NearCount == shape.Columns;
  const TAxisKind near = e.Axes.Near;
  const bool matching_pair =
      both && (near.Width == 4 ||
               (near.Width == shape.Width && (shape.Width == 1 || near.Little == shape.Little)));
  if (!(both && e.Axes.Counts) && (e.OpenAbove || e.OpenBelow || (like_row && !matching_pair))) {
    return steps;
  }
  const double axes = AxisNats(e.Axes.NearCount) + AxisNats(e.Axes.FarCount) +
                      (e.Axes.Counts ? (both ? kLengthsNats : 3.0) : 0.0);
  // A table needs entries that speak for it, or all equal ones between two axes; two axes
  // of its own kind, six entries or more each, with their lengths in front lay one out
  // whatever its entries.
  const bool laid_out = both && e.Axes.Counts && e.Axes.Far.Width == near.Width &&
                        near.Width == shape.Width &&
                        (shape.Width == 1 || near.Little == shape.Little) &&
                        std::min(e.Axes.NearCount, e.Axes.FarCount) >= 6;
  if (steps > 0.0 || laid_out) return axes + steps;
  const bool constant = e.Grid.Spread <= 0 && e.Makeup.Fill < 0.5;
  return constant && both ? axes : 0.0;
}

// ---- first pass: which blocks of entries look like table data ----

enum class TBlockKind : std::uint8_t { Rough, Mild, Smooth, Flat, Fill };

// A block is smooth when most steps between neighbours (all but the largest quarter, which
// may be row ends) are small next to the spread of its values (leaving out the two highest and
// lowest). Flat blocks (most values equal) neither start nor end a stretch of table data; nor
// do fill blocks (all bits clear or all set).
std::vector<TBlockKind> ScanBlocks(const TEntryView& view, TStage stage) {
  const std::vector<std::int32_t>& v = view.Values;
  const std::size_t blocks = v.size() > kBlock ? (v.size() - 1) / kBlock : 0;
  std::vector<TBlockKind> kinds(blocks, TBlockKind::Rough);
  for (std::size_t b = 0; b < blocks; ++b) {
    if (b % 1024 == 0 && !stage.Tell(static_cast<double>(b) / static_cast<double>(blocks))) {
      return {};
    }
    const std::int32_t* p = v.data() + b * kBlock;
    // The three lowest and highest values, and the four largest steps, kept sorted.
    std::array<std::int32_t, 3> low{p[0], p[0], p[0]}, high{p[0], p[0], p[0]};
    std::array<std::int32_t, 4> large{-1, -1, -1, -1};
    std::int64_t steps = 0;
    bool equal = true;
    for (int i = 1; i <= kBlock; ++i) {
      const std::int32_t x = p[i];
      equal = equal && x == p[0];
      if (i < 3) {
        low[static_cast<std::size_t>(i)] = high[static_cast<std::size_t>(i)] = x;
        std::sort(low.begin(), low.begin() + i + 1);
        std::sort(high.begin(), high.begin() + i + 1, std::greater<>());
      } else {
        if (x < low[2]) {
          low[2] = x;
          if (low[2] < low[1]) std::swap(low[2], low[1]);
          if (low[1] < low[0]) std::swap(low[1], low[0]);
        }
        if (x > high[2]) {
          high[2] = x;
          if (high[2] > high[1]) std::swap(high[2], high[1]);
          if (high[1] > high[0]) std::swap(high[1], high[0]);
        }
      }
      std::int32_t step = std::abs(x - p[i - 1]);
      steps += step;
      for (auto& top : large) {
        if (step > top) std::swap(step, top);
      }
    }
    if (equal) {
      const std::int32_t ones = view.Width == 1 ? 0xFF : 0xFFFF;
      kinds[b] = p[0] == 0 || p[0] == ones ? TBlockKind::Fill : TBlockKind::Flat;
      continue;
    }
    const std::int32_t spread = high[2] - low[2];
    if (spread == 0) {
      kinds[b] = TBlockKind::Flat;
      continue;
    }
    // The smaller three quarters of the steps, on average under 0.15 of the spread; mild
    // blocks (under 0.3, as short rows rising over the whole range are) may hold a table
    // after its axes but start no stretch.
    const std::int64_t small = steps - (std::int64_t{large[0]} + large[1] + large[2] + large[3]);
    if (small * 20 < std::int64_t{spread} * 3 * (kBlock - 4)) {
      kinds[b] = TBlockKind::Smooth;
    } else if (small * 10 < std::int64_t{spread} * 3 * (kBlock - 4)) {
      kinds[b] = TBlockKind::Mild;
    }
  }
  return kinds;
}

// ---- bytes already taken ----

class TClaims {
 public:
  [[nodiscard]] bool Free(std::int64_t begin, std::int64_t end) const {
    auto next = Taken.upper_bound(begin);
    if (next != Taken.end() && next->first < end) return false;
    if (next == Taken.begin()) return true;
    return std::prev(next)->second <= begin;
  }
  void Take(std::int64_t begin, std::int64_t end) { Taken[begin] = end; }
  // The first taken byte at or after `from`, or `limit`.
  [[nodiscard]] std::int64_t NextTaken(std::int64_t from, std::int64_t limit) const {
    auto next = Taken.upper_bound(from);
    if (next != Taken.begin() && std::prev(next)->second > from) return from;
    return next == Taken.end() ? limit : std::min(limit, next->first);
  }
  // The first free byte at or after `from`.
  [[nodiscard]] std::int64_t NextFree(std::int64_t from) const {
    auto next = Taken.upper_bound(from);
    if (next != Taken.begin() && std::prev(next)->second > from) return std::prev(next)->second;
    return from;
  }

 private:
  std::map<std::int64_t, std::int64_t> Taken;  // begin → end, disjoint
};

struct TScored {
  TShape Shape;
  double Score = 0;
  bool OrderClear = true;     // 16-bit entries read clearly rougher in the other byte order
  bool Explicit = false;      // two axes with their lengths in front lay it out
  bool Axed = false;          // its axes counted in its score
  std::int64_t AxesFrom = 0;  // where two float axes before it start (else its offset)
};

struct TDataKind {
  int Width;
  bool Little;
};
constexpr std::array<TDataKind, 3> kDataKinds{{{1, false}, {2, false}, {2, true}}};

std::size_t ViewOf(int width, bool little) { return width == 1 ? 0 : (little ? 2 : 1); }

// What the search works on and what it has found so far.
struct TSearch {
  std::span<const std::uint8_t> Image;
  std::array<TEntryView, 3> Views;  // in the order of kDataKinds
  std::array<std::vector<TBlockKind>, 3> Kinds;
  std::unordered_set<std::uint64_t> Tried = std::unordered_set<std::uint64_t>(1 << 16);
  std::vector<TScored> Found;
  // For each axis kind, how many entries from each one on rise strictly (at most 255).
  std::array<std::vector<std::uint8_t>, std::size(kAxisKinds)> Rises;

  // Whether `count` entries of axis kind `k` from `at` rise strictly.
  bool RisesFrom(std::int64_t at, std::size_t k, int count) const {
    const auto width = kAxisKinds[k].Width;
    if (at % width != 0) return false;
    const auto entry = static_cast<std::size_t>(at / width);
    return entry < Rises[k].size() && Rises[k][entry] >= count;
  }

  std::span<const std::int32_t> ValuesOf(const TShape& shape) const {
    return std::span<const std::int32_t>(Views[ViewOf(shape.Width, shape.Little)].Values)
        .subspan(static_cast<std::size_t>(shape.Offset / shape.Width),
                 static_cast<std::size_t>(shape.Rows) * static_cast<std::size_t>(shape.Columns));
  }

  // Scores a shape unless it was scored before or a quick look shows it rough.
  // `counted`: two axes and their lengths before it give its shape, smooth or not.
  void Consider(const TShape& shape, bool counted = false) {
    if (!Fits(shape) || !Tried.insert(KeyOf(shape)).second) return;
    const std::span<const std::int32_t> values = ValuesOf(shape);
    if (!counted && !LooksSmooth(values, shape.Columns)) return;
    // Most the shape could score: its steps (estimated, with room to spare) and the evidence
    // of the axes before it.
    const TAxisEvidence axes = AxesBefore(Image, shape.Offset, shape.Rows, shape.Columns);
    const double most = 1.5 * std::max(0.0, QuickNats(values, shape.Columns)) +
                        AxisNats(axes.NearCount) + AxisNats(axes.FarCount) +
                        (axes.Counts ? kLengthsNats : 0.0);
    if (most < kLeastScore) return;
    TEvidence e = MeasureCore(Image, shape, values, axes);
    double score = Score(e, shape);
    if (score >= kLeastScore) {
      MeasureReadings(Image, shape, e);
      score = Score(e, shape);
    }
    const double own = shape.Rows > 1 ? e.Grid.Combined : e.Grid.Row;
    const double steps = StepNats(e, shape);
    // Laid out by its axes and lengths, and settled first, when its entries speak for it too.
    const bool laid_out =
        e.Axes.NearCount > 0 && e.Axes.FarCount > 0 && e.Axes.Counts && steps > 0.0;
    if (score > 0) {
      // Two float axes: bytes that rise so by chance are rare.
      const bool two = e.Axes.NearCount > 0 && e.Axes.FarCount > 0 && e.Axes.Near.Width == 4 &&
                       e.Axes.Far.Width == 4;
      const std::int64_t axes_from = two ? shape.Offset -
                                               std::int64_t{e.Axes.NearCount} * e.Axes.Near.Width -
                                               std::int64_t{e.Axes.FarCount} * e.Axes.Far.Width
                                         : shape.Offset;
      Found.push_back({shape, score, shape.Width == 1 || e.Swapped > 1.5 * own, laid_out,
                       score > steps, axes_from});
    }
  }

  // The sum of the values' absolute deviations from their mean (0 for no values).
  static double SumOfDeviations(std::span<const std::int32_t> v) {
    if (v.empty()) return 0.0;
    double mean = 0.0;
    for (const std::int32_t x : v) mean += x;
    mean /= static_cast<double>(v.size());
    double deviation = 0.0;
    for (const std::int32_t x : v) deviation += std::abs(x - mean);
    return deviation;
  }

  // The step evidence estimated cheaply, the shuffled step taken as 1.37 mean deviations
  // of the values: enough to rank shapes over the same bytes and to pass over rough ones.
  static double QuickNats(std::span<const std::int32_t> v, int columns) {
    const std::size_t n = v.size();
    const auto c = static_cast<std::size_t>(columns);
    const double deviation = SumOfDeviations(v);
    if (deviation <= 0.0) return 0.0;
    const double shuffled = 1.37 * deviation / static_cast<double>(n);
    std::int64_t along = 0, down = 0, flat_along = 0, flat_down = 0;
    for (std::size_t row = 0; row + c <= n; row += c) {
      for (std::size_t i = row + 1; i < row + c; ++i) {
        const std::int32_t step = std::abs(v[i] - v[i - 1]);
        along += step;
        flat_along += step == 0 ? 1 : 0;
      }
    }
    for (std::size_t i = c; i < n; ++i) {
      const std::int32_t step = std::abs(v[i] - v[i - c]);
      down += step;
      flat_down += step == 0 ? 1 : 0;
    }
    const double rows = static_cast<double>(n / c);
    const double along_steps = rows * static_cast<double>(c - 1);
    const double down_steps = (rows - 1) * static_cast<double>(c);
    const auto nats = [&](double steps, std::int64_t sum, std::int64_t flat) {
      const double moving = steps - static_cast<double>(flat);
      return (moving > 0
                  ? moving * (std::log(4.0) - 3.0 * static_cast<double>(sum) / moving / shuffled)
                  : 0.0) +
             static_cast<double>(flat) * kFlatNats;
    };
    return nats(along_steps, along, flat_along) + std::max(0.0, nats(down_steps, down, flat_down));
  }

  // Steps along rows against the mean deviation of the values: a cheap first look that lets
  // through everything that may measure smooth, and all-equal entries.
  static bool LooksSmooth(std::span<const std::int32_t> v, int columns) {
    const std::size_t n = v.size();
    const auto c = static_cast<std::size_t>(columns);
    const double deviation = SumOfDeviations(v);
    if (deviation <= 0.0) return true;
    std::int64_t steps = 0;
    for (std::size_t row = 0; row + c <= n; row += c) {
      for (std::size_t i = row + 1; i < row + c; ++i) steps += std::abs(v[i] - v[i - 1]);
    }
    const std::size_t count = n / c * (c - 1);
    return count == 0 || static_cast<double>(steps) / static_cast<double>(count) <
                             0.8 * 1.37 * deviation / static_cast<double>(n);
  }

  // Whether a shape fits the image and is large enough to measure.
  bool Fits(const TShape& shape) const {
    return ::Fits(Image, shape) && shape.Offset % shape.Width == 0 &&
           std::int64_t{shape.Rows} * shape.Columns >= 4;
  }

  // Shapes are at most 8191 rows or columns (stretches are laid out in pieces).
  static std::uint64_t KeyOf(const TShape& shape) {
    return static_cast<std::uint64_t>(shape.Offset) << 28 |
           static_cast<std::uint64_t>(shape.Rows & 0x1FFF) << 15 |
           static_cast<std::uint64_t>(shape.Columns & 0x1FFF) << 2 |
           ViewOf(shape.Width, shape.Little);
  }

  // Of shapes over the same bytes, scores the one that looks best with the evidence its axes
  // would give (`hint`, in nats), and the one with the most such evidence.
  void ConsiderBest(std::vector<std::pair<TShape, double>>& shapes) {
    std::vector<std::pair<double, std::size_t>> ranked;
    for (std::size_t k = 0; k < shapes.size(); ++k) {
      if (!Fits(shapes[k].first)) continue;
      ranked.push_back(
          {QuickNats(ValuesOf(shapes[k].first), shapes[k].first.Columns) + shapes[k].second, k});
    }
    std::sort(ranked.rbegin(), ranked.rend());
    if (!ranked.empty()) Consider(shapes[ranked.front().second].first);
    // And the one its axes speak for most, if they speak for it much.
    const auto most =
        std::max_element(shapes.begin(), shapes.end(),
                         [](const auto& a, const auto& b) { return a.second < b.second; });
    if (most != shapes.end() && most->second >= kLeastScore / 2 && Fits(most->first)) {
      Consider(most->first);
    }
    shapes.clear();
  }
};

// ---- tables right after their axes ----

// Where a block of a table starting at `offset` looks smooth or flat (not fill) in the data's
// view, or `mild`ly smooth.
bool SmoothAt(const std::vector<TBlockKind>& kinds, std::int64_t offset, int width, bool mild) {
  const std::int64_t block = offset / width / kBlock;
  for (std::int64_t b = block; b <= block + 1; ++b) {
    if (b >= static_cast<std::int64_t>(kinds.size())) break;
    const TBlockKind kind = kinds[static_cast<std::size_t>(b)];
    if (kind == TBlockKind::Smooth || kind == TBlockKind::Flat ||
        (mild && kind == TBlockKind::Mild)) {
      return true;
    }
  }
  return false;
}

// The shapes a table at `start` can take after a rising run of `run` entries ending there:
// one axis (less lengths stored in front of it) with rows of its length below, two axes
// read as separate runs, or two axes read as one run when the second starts above the
// first's end.
void AnchoredAt(TSearch& search, std::int64_t start, TAxisKind axis, int run) {
  const std::span<const std::uint8_t> image = search.Image;
  // Data that may follow: smooth, or mildly so after a long run.
  const bool mild = run >= 6;
  std::array<bool, kDataKinds.size()> may{};
  for (std::size_t d = 0; d < kDataKinds.size(); ++d) {
    const TDataKind data = kDataKinds[d];
    may[d] = start % data.Width == 0 && SmoothAt(search.Kinds[d], start, data.Width, mild) &&
             axis.Width >= data.Width &&
             (data.Width == 1 || axis.Width == 1 || axis.Little == data.Little);
  }
  if (std::none_of(may.begin(), may.end(), [](bool m) { return m; })) return;
  const std::int64_t run_start = start - std::int64_t{run} * axis.Width;
  std::vector<std::int32_t> keys(static_cast<std::size_t>(run));
  for (int k = 0; k < run; ++k) {
    // Keys halved to stay positive as 32-bit values; order is kept.
    keys[static_cast<std::size_t>(k)] = static_cast<std::int32_t>(
        AxisKey(image, run_start + std::int64_t{k} * axis.Width, axis) >> 1);
  }
  // Where one run holds two axes, the second starts after the step that stands out most
  // from the steps around it.
  std::vector<int> splits;
  if (run >= 6) {
    std::vector<std::pair<double, int>> jumps;
    for (int k = 3; k + 3 <= run; ++k) {
      const auto step = [&](int i) {
        return static_cast<double>(keys[static_cast<std::size_t>(i)]) -
               keys[static_cast<std::size_t>(i - 1)];
      };
      const double around = (step(k - 1) + (k + 1 < run ? step(k + 1) : step(k - 1))) / 2.0;
      jumps.push_back({step(k) / std::max(1.0, around), k});
    }
    std::sort(jumps.rbegin(), jumps.rend());
    for (std::size_t j = 0; j < std::min<std::size_t>(2, jumps.size()); ++j) {
      splits.push_back(jumps[j].second);
    }
  }
  for (std::size_t d = 0; d < kDataKinds.size(); ++d) {
    const TDataKind data = kDataKinds[d];
    // Axes are as wide as the data or wider, in the same byte order.
    if (!may[d]) continue;
    // An axis of another width whose bytes, read as data, join the data's first entries is
    // table data read wrongly.
    const std::size_t entry = static_cast<std::size_t>(start / data.Width);
    const std::size_t span = static_cast<std::size_t>(std::int64_t{run} * axis.Width / data.Width);
    const std::vector<std::int32_t>& values = search.Views[d].Values;
    if (axis.Width != data.Width && span >= 3 && entry >= span && entry + span <= values.size()) {
      // Smooth on its own and close to the data, next to the data's range.
      const auto after = std::span<const std::int32_t>(values).subspan(entry, span);
      const auto before = std::span<const std::int32_t>(values).subspan(entry - span, span);
      const auto [low, high] = std::minmax_element(after.begin(), after.end());
      const double range = std::max(1, *high - *low);
      double along = 0.0, across = 0.0;
      for (std::size_t k = 0; k < span; ++k) {
        across += std::abs(before[k] - after[k]);
        if (k > 0) along += std::abs(before[k] - before[k - 1]);
      }
      if (along / static_cast<double>(span - 1) <= 0.2 * range &&
          across / static_cast<double>(span) <= 0.3 * range) {
        continue;
      }
    }
    // A run of the data's width that is a row inside a table (it and the row before it step
    // to the next as the data's first rows do) is no axis.
    if (axis.Width == data.Width && entry >= 2 * span && entry + 2 * span <= values.size()) {
      const auto row = [&](std::size_t first) {
        return std::span<const std::int32_t>(values).subspan(first, span);
      };
      const auto apart = [&](std::span<const std::int32_t> a, std::span<const std::int32_t> b) {
        double sum = 0.0;
        for (std::size_t k = 0; k < span; ++k) sum += std::abs(a[k] - b[k]);
        return sum / static_cast<double>(span);
      };
      const double typical = apart(row(entry), row(entry + span));
      if (apart(row(entry - span), row(entry)) <= 2.5 * typical + 1.0 &&
          apart(row(entry - 2 * span), row(entry - span)) <= 2.5 * typical + 1.0) {
        continue;
      }
    }
    std::vector<std::pair<TShape, double>> shapes;
    const auto both_ways = [&](int a, int b) {
      const double hint = AxisNats(a) + AxisNats(b);
      shapes.push_back({{start, a, b, data.Width, data.Little}, hint});
      shapes.push_back({{start, b, a, data.Width, data.Little}, hint});
    };
    // The run is the axis next to the data, perhaps with one smaller entry before it
    // (lengths stored in front of axes are found by CountedAt); a rising run of any kind
    // ending where it starts is the other one, likewise.
    for (int near = run; near >= std::max(3, run - 1); --near) {
      const std::int64_t room = (static_cast<std::int64_t>(image.size()) - start) / data.Width;
      if (room >= near) {
        const std::int64_t most = std::min<std::int64_t>(room / near, kMaxRows);
        TShape shape{start, static_cast<std::int32_t>(most), near, data.Width, data.Little};
        shape.Rows = RowsThatFit(search.ValuesOf(shape), near, static_cast<int>(most),
                                 data.Width == 1 ? 0xFF : 0xFFFF);
        shapes.push_back({shape, AxisNats(near)});
      }
      const std::int64_t axis_start = start - std::int64_t{near} * axis.Width;
      int last_far = 0;
      for (const TAxisKind far_kind : kAxisKinds) {
        // Both axes are entries of one kind.
        if (far_kind.Width != axis.Width || far_kind.Little != axis.Little) continue;
        const int far_run = RisingRunBefore(image, axis_start, far_kind, 36);
        if (far_run < 3 || far_run == last_far) continue;
        last_far = far_run;
        for (int far = far_run; far >= std::max(3, far_run - 1); --far) both_ways(far, near);
      }
    }
    for (const int split : splits) {
      for (int far = split; far >= std::max(3, split - 1); --far) both_ways(far, run - split);
    }
    search.ConsiderBest(shapes);
  }
}

// Tables whose axis lengths stand in front of the axes, as two bytes or two words: the
// lengths, the axis of the first length, the axis of the second, then the data of that
// many rows and columns. One length and one axis make a curve.
void CountedAt(TSearch& search, std::int64_t at) {
  const std::span<const std::uint8_t> image = search.Image;
  const auto size = static_cast<std::int64_t>(image.size());
  constexpr std::array<TDataKind, 3> kLengthKinds{{{1, false}, {2, false}, {2, true}}};
  for (const TDataKind length : kLengthKinds) {
    if (at % length.Width != 0 || at + 2 * length.Width > size) continue;
    const auto first = static_cast<int>(EntryAt(image, at, length.Width, length.Little));
    if (first < 3 || first > 2 * kLongestRow) continue;
    const auto second =
        static_cast<int>(EntryAt(image, at + length.Width, length.Width, length.Little));
    for (std::size_t k = 0; k < std::size(kAxisKinds); ++k) {
      const TAxisKind one = kAxisKinds[k];
      if (one.Signed && one.Width < 4) continue;  // counted axes are read unsigned first
      // One length, one axis, a curve.
      const std::int64_t axis = at + length.Width;
      if (search.RisesFrom(axis, k, first)) {
        const std::int64_t data = axis + std::int64_t{first} * one.Width;
        for (const TDataKind d : kDataKinds) search.Consider({data, 1, first, d.Width, d.Little});
      }
      // A length and an axis, then another length and axis: a map.
      if (search.RisesFrom(axis, k, first)) {
        const std::int64_t then = axis + std::int64_t{first} * one.Width;
        if (then + length.Width <= size) {
          const auto other = static_cast<int>(EntryAt(image, then, length.Width, length.Little));
          for (std::size_t j = 0; j < std::size(kAxisKinds); ++j) {
            const TAxisKind two = kAxisKinds[j];
            if (other < 3 || other > 2 * kLongestRow || (two.Signed && two.Width < 4)) continue;
            if (!search.RisesFrom(then + length.Width, j, other)) continue;
            const std::int64_t data = then + length.Width + std::int64_t{other} * two.Width;
            for (const TDataKind d : kDataKinds) {
              search.Consider({data, first, other, d.Width, d.Little});
              search.Consider({data, other, first, d.Width, d.Little});
            }
          }
        }
      }
      // Two lengths, two axes, a map.
      if (second < 2 || second > 2 * kLongestRow) continue;
      const std::int64_t axes = at + 2 * length.Width;
      if (!search.RisesFrom(axes, k, first)) continue;
      const std::int64_t next = axes + std::int64_t{first} * one.Width;
      for (std::size_t j = 0; j < std::size(kAxisKinds); ++j) {
        const TAxisKind two = kAxisKinds[j];
        if (two.Signed && two.Width < 4) continue;
        if (!search.RisesFrom(next, j, second)) continue;
        const std::int64_t data = next + std::int64_t{second} * two.Width;
        for (const TDataKind d : kDataKinds) {
          search.Consider({data, first, second, d.Width, d.Little}, true);
          search.Consider({data, second, first, d.Width, d.Little}, true);
        }
      }
    }
  }
}

void AnchoredCandidates(TSearch& search, TStage stage) {
  const std::span<const std::uint8_t> image = search.Image;
  const auto size = static_cast<std::int64_t>(image.size());
  const double parts = static_cast<double>(std::size(kAxisKinds)) + 1.0;
  std::vector<std::uint32_t> keys;
  for (std::size_t kind = 0; kind < std::size(kAxisKinds); ++kind) {
    const TAxisKind axis = kAxisKinds[kind];
    // Signed byte axes count as evidence before a table found otherwise; walking them too
    // would cost more than it finds.
    if (axis.Width == 1 && axis.Signed) continue;
    // The keys of every entry of this kind, from the views where they hold them, and how far
    // each rises.
    const std::size_t count = image.size() / static_cast<std::size_t>(axis.Width);
    keys.clear();
    keys.reserve(count);
    const double part = static_cast<double>(kind);
    if (!stage.Tell(part / parts)) return;
    const std::vector<std::int32_t>& values =
        search.Views[ViewOf(std::min(axis.Width, 2), axis.Little)].Values;
    const std::uint32_t flip = axis.Signed && axis.Width < 4 ? 1u << (8 * axis.Width - 1) : 0u;
    std::vector<std::uint8_t>& rises = search.Rises[kind];
    rises.assign(count, 1);
    constexpr std::size_t kChunk = 1 << 16;
    for (std::size_t first = 0; first < count; first += kChunk) {
      if (!stage.Tell(part / parts)) return;
      const std::size_t last = std::min(count, first + kChunk);
      for (std::size_t k = first; k < last; ++k) {
        keys.push_back(axis.Width < 4 ? static_cast<std::uint32_t>(values[k]) ^ flip
                                      : AxisKey(image, static_cast<std::int64_t>(4 * k), axis));
      }
    }
    for (std::size_t last = count; last > 1;) {
      if (!stage.Tell(part / parts)) return;
      const std::size_t first = last > kChunk ? last - kChunk : 1;
      for (std::size_t k = last; k-- > first;) {
        if (keys[k] > keys[k - 1]) {
          rises[k - 1] = static_cast<std::uint8_t>(std::min(255, rises[k] + 1));
        }
      }
      last = first;
    }
    // Walk the maximal rising runs of this kind; each may end where a table starts.
    const int shortest = axis.Width == 1 ? 5 : axis.Width == 2 ? 4 : 3;
    if (!stage.Tell(part / parts)) return;
    int run = 0, previous = 0;
    for (std::size_t k = 0; k <= count; ++k) {
      if ((k & 0xFF) == 0 &&
          !stage.Tell((part + static_cast<double>(k) / static_cast<double>(count + 1)) / parts)) {
        return;
      }
      if (k < count && run > 0 && keys[k] > keys[k - 1]) {
        ++run;
        continue;
      }
      // The data's first entries may rise on from the axis' last (floats read from data
      // rise by chance more often).
      const auto at = static_cast<std::int64_t>(k) * axis.Width;
      for (int into = 0; into <= (axis.Width == 4 ? 3 : 0); ++into) {
        const int axis_run = run - into;
        if (axis_run >= shortest && axis_run <= 2 * kLongestRow) {
          AnchoredAt(search, at - std::int64_t{into} * axis.Width, axis, axis_run);
        }
      }
      // Two axes one after the other, the second's values below the data's so that its run
      // goes on into the first row: the data starts after the step that stands out most.
      if (axis.Width < 4 && previous >= shortest && run >= 7 && run <= 2 * kLongestRow) {
        const std::size_t from = k - static_cast<std::size_t>(run);
        double best = 2.0;
        int split = 0;
        for (int b = 3; b + 2 <= run; ++b) {
          const auto i = from + static_cast<std::size_t>(b);
          const double step = static_cast<double>(keys[i]) - keys[i - 1];
          const double around = (static_cast<double>(keys[i - 1]) - keys[i - 2] +
                                 static_cast<double>(keys[i + 1]) - keys[i]) /
                                2.0;
          if (step > best * std::max(1.0, around)) {
            best = step / std::max(1.0, around);
            split = b;
          }
        }
        if (split >= 3) {
          AnchoredAt(search,
                     static_cast<std::int64_t>(from + static_cast<std::size_t>(split)) * axis.Width,
                     axis, split);
        }
      }
      previous = run;
      run = 1;
    }
  }
  const double done = static_cast<double>(std::size(kAxisKinds));
  for (std::int64_t at = 0; at < size; ++at) {
    if ((at & 0xFF) == 0 &&
        !stage.Tell((done + static_cast<double>(at) / static_cast<double>(size)) / parts)) {
      return;
    }
    CountedAt(search, at);
  }
}

// ---- smooth stretches without axes next to them ----

// Rows of `columns` entries through entry `row` of a stretch [first, end): up the rows that
// join it, short of fill (rows of zeros end many tables), and down those that fit. Scores
// them, and them less a row at either end (those may belong to something else that happens
// to join); false when fewer than two rows fit.
bool RowsThrough(TSearch& search, const TEntryView& view, std::size_t first, std::size_t end,
                 std::size_t row, int columns) {
  const std::span<const std::int32_t> all(view.Values);
  const auto c = static_cast<std::size_t>(columns);
  if (row + 2 * c > end) return false;
  const auto row_values = [&](std::size_t at) { return all.subspan(at, c); };
  const auto [low, high] = std::minmax_element(all.begin() + static_cast<std::ptrdiff_t>(row),
                                               all.begin() + static_cast<std::ptrdiff_t>(row + c));
  std::int32_t least = *low, most = *high;
  double steps = 0.0;
  int joined = 0;
  const std::int32_t ones = view.Width == 1 ? 0xFF : 0xFFFF;
  const auto fill = [&](std::span<const std::int32_t> r) {
    return std::all_of(r.begin(), r.end(), [&](std::int32_t x) { return x == ones; });
  };
  while (row >= first + c && !fill(row_values(row - c)) &&
         RowJoins(row_values(row - c), row_values(row), least, most,
                  joined > 0 ? steps / joined : 0.0)) {
    steps += RowsApart(row_values(row - c), row_values(row));
    ++joined;
    row -= c;
    const auto [row_low, row_high] =
        std::minmax_element(row_values(row).begin(), row_values(row).end());
    least = std::min(least, *row_low);
    most = std::max(most, *row_high);
  }
  const int rows =
      RowsThatFit(all.subspan(row, end - row), columns, static_cast<int>((end - row) / c), ones);
  if (rows < 2) return false;
  const auto offset = [&](std::size_t entry) {
    return static_cast<std::int64_t>(entry) * view.Width;
  };
  search.Consider({offset(row), rows, columns, view.Width, view.LittleEndian});
  if (rows >= 4) {
    search.Consider({offset(row + c), rows - 1, columns, view.Width, view.LittleEndian});
    search.Consider({offset(row), rows - 1, columns, view.Width, view.LittleEndian});
  }
  return true;
}

// Lays out a stretch of smooth entries [first, end) of a view window by window: where a
// window lines up in rows, the rows around it that continue the table make a candidate;
// where it does not, the run of small steps around it makes a curve.
void LayOut(TSearch& search, const TEntryView& view, std::size_t first, std::size_t end) {
  constexpr std::size_t kWindow = 3 * kLongestRow;
  constexpr std::size_t kStep = kWindow / 4;
  const std::span<const std::int32_t> all(view.Values);
  for (std::size_t at = first; at + 12 <= end; at += kStep) {
    const auto window = all.subspan(at, std::min(kWindow, end - at));
    const TRowLayout layout = ChooseRowLength(window, kLongestRow);
    bool rows = false;
    if (layout.Columns >= 2 && layout.RowJump >= 1.5) {
      rows = RowsThrough(search, view, first, end, at + static_cast<std::size_t>(layout.Lead),
                         layout.Columns);
    }
    if (rows) continue;
    // A curve: the run of steps no larger than a quarter of the window's range.
    const auto [low, high] = std::minmax_element(window.begin(), window.end());
    const std::int64_t largest = (std::int64_t{*high} - *low) / 4;
    std::size_t begin = at + window.size() / 2, stop = begin + 1;
    while (begin > first && std::abs(all[begin] - all[begin - 1]) <= largest) --begin;
    while (stop < end && std::abs(all[stop] - all[stop - 1]) <= largest) ++stop;
    if (stop - begin >= 8) {
      search.Consider({static_cast<std::int64_t>(begin) * view.Width, 1,
                       static_cast<std::int32_t>(stop - begin), view.Width, view.LittleEndian});
    }
  }
}

void StretchCandidates(TSearch& search, std::size_t k, const TClaims& claims, TStage stage) {
  const TEntryView& view = search.Views[k];
  const std::vector<TBlockKind>& kinds = search.Kinds[k];
  const std::size_t blocks = kinds.size();
  std::size_t b = 0;
  while (b < blocks) {
    if (!stage.Tell(static_cast<double>(b) /
                    static_cast<double>(std::max<std::size_t>(1, blocks)))) {
      return;
    }
    if (kinds[b] != TBlockKind::Smooth) {
      ++b;
      continue;
    }
    // A stretch of smooth blocks, with a few flat blocks inside it, and two blocks either side
    // for the ends of tables that fall in blocks of their own.
    std::size_t last = b;
    int rough_gap = 0;
    for (std::size_t next = b + 1; next < blocks && next <= last + 3; ++next) {
      if (kinds[next] == TBlockKind::Rough && ++rough_gap > 1) break;
      if (kinds[next] == TBlockKind::Smooth) {
        last = next;
        rough_gap = 0;
      }
    }
    const std::size_t begin_block = b > 2 ? b - 2 : 0;
    const std::size_t end_block = std::min(blocks, last + 3);
    b = last + 1;
    // Cut around bytes other tables took.
    std::int64_t from = static_cast<std::int64_t>(begin_block * kBlock) * view.Width;
    const std::int64_t to = static_cast<std::int64_t>(end_block * kBlock) * view.Width;
    while (from < to) {
      from = claims.NextFree(from);
      from += (view.Width - from % view.Width) % view.Width;
      if (from >= to) break;
      const std::int64_t until = claims.NextTaken(from, to);
      auto first = static_cast<std::size_t>(from / view.Width);
      const auto end = static_cast<std::size_t>(until / view.Width);
      while (first < end) {
        const std::size_t piece_end = std::min(end, first + kPieceLimit);
        LayOut(search, view, first, piece_end);
        first = piece_end;
      }
      from = std::max(until, from + view.Width);
    }
  }
}

// ---- choosing ----

std::int64_t EndOf(const TShape& shape) {
  return shape.Offset + std::int64_t{shape.Rows} * shape.Columns * shape.Width;
}

// Keeps candidates of at least `least_score` in descending score whose bytes are free.
void KeepDisjoint(std::vector<TScored>& candidates, TClaims& claims, std::vector<TScored>& kept,
                  double least_score, TStage stage) {
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const TScored& a, const TScored& b) { return a.Score > b.Score; });
  std::size_t n = 0;
  while (n < candidates.size() && candidates[n].Score >= least_score) ++n;
  for (std::size_t k = 0; k < n; ++k) {
    if ((k & 63) == 0 && !stage.Tell(static_cast<double>(k) / static_cast<double>(n))) return;
    const TShape& shape = candidates[k].Shape;
    const std::int64_t end = EndOf(shape);
    if (!claims.Free(shape.Offset, end)) continue;
    claims.Take(shape.Offset, end);
    kept.push_back(candidates[k]);
  }
}

// Two float axes before a table index its data: no other table runs from over them into the data,
// nor from inside them unless axes of its own speak for it.
void DropOverAxes(std::vector<TScored>& candidates) {
  std::vector<std::pair<std::int64_t, std::int64_t>> axes;  // axes' start, data's start
  for (const TScored& c : candidates) {
    if (c.Axed && c.Score >= kLeastScore && c.AxesFrom < c.Shape.Offset) {
      axes.push_back({c.AxesFrom, c.Shape.Offset});
    }
  }
  if (axes.empty()) return;
  std::sort(axes.begin(), axes.end(),
            [](const auto& x, const auto& y) { return x.second < y.second; });
  std::erase_if(candidates, [&](const TScored& c) {
    // Axes whose data starts inside the candidate, after its first byte.
    const auto later =
        std::upper_bound(axes.begin(), axes.end(), c.Shape.Offset,
                         [](std::int64_t offset, const auto& x) { return offset < x.second; });
    return later != axes.end() && later->second < EndOf(c.Shape) &&
           (!c.Axed || c.Shape.Offset <= later->first);
  });
}

// The byte order of the image's 16-bit tables: the one most of the evidence of the tables
// that read clearly smoother in one order speaks for, if one does by far.
std::optional<bool> ImageOrder(const std::vector<TScored>& candidates) {
  double little = 0.0, big = 0.0;
  for (const TScored& c : candidates) {
    if (c.Shape.Width != 2 || !c.OrderClear) continue;
    (c.Shape.Little ? little : big) += c.Score;
  }
  if (little > 3.0 * big && little > 0.0) return true;
  if (big > 3.0 * little && big > 0.0) return false;
  return std::nullopt;
}

// 16-bit candidates in the image's minority byte order that read about as smooth either way
// (small values, high bytes zero) are the majority order's tables.
void DropUnclearOrder(std::vector<TScored>& candidates, std::optional<bool> little) {
  if (!little) return;
  std::erase_if(candidates, [&](const TScored& c) {
    return c.Shape.Width == 2 && !c.OrderClear && c.Shape.Little != *little;
  });
}

std::optional<std::vector<TTableCandidate>> Find(std::span<const std::uint8_t> image,
                                                 TPacer& pacer) {
  TSearch search;
  search.Image = image;
  for (std::size_t k = 0; k < kDataKinds.size(); ++k) {
    if (!pacer.Tell(0.1 * static_cast<double>(k), true)) return std::nullopt;
    search.Views[k] = ReadEntries(image, kDataKinds[k].Width, kDataKinds[k].Little,
                                  [&] { return pacer.Tell(0.1 * static_cast<double>(k)); });
    if (pacer.Stop()) return std::nullopt;
    search.Kinds[k] = ScanBlocks(search.Views[k], {pacer, 0.1 * static_cast<double>(k), 0.1});
    if (pacer.Stop()) return std::nullopt;
  }
  if (!pacer.Tell(0.3, true)) return std::nullopt;
  AnchoredCandidates(search, {pacer, 0.3, 0.25});
  if (pacer.Stop()) return std::nullopt;
  // Tables laid out by their axes and lengths, then others certain from their axes, are
  // settled first, so that the stretches around them are laid out without them.
  TClaims claims;
  std::vector<TScored> kept;
  std::vector<TScored> anchored = std::move(search.Found);
  search.Found.clear();
  const std::optional<bool> little = ImageOrder(anchored);
  DropUnclearOrder(anchored, little);
  DropOverAxes(anchored);
  std::vector<TScored> laid_out;
  std::copy_if(anchored.begin(), anchored.end(), std::back_inserter(laid_out),
               [](const TScored& c) { return c.Explicit; });
  KeepDisjoint(laid_out, claims, kept, kLeastScore, {pacer, 0.55, 0.02});
  std::vector<TScored> axed;
  std::copy_if(anchored.begin(), anchored.end(), std::back_inserter(axed),
               [](const TScored& c) { return c.Axed; });
  KeepDisjoint(axed, claims, kept, kCertainScore, {pacer, 0.57, 0.03});
  for (std::size_t k = 0; k < kDataKinds.size(); ++k) {
    if (!pacer.Tell(0.6 + 0.1 * static_cast<double>(k), true)) return std::nullopt;
    StretchCandidates(search, k, claims, {pacer, 0.6 + 0.1 * static_cast<double>(k), 0.1});
    if (pacer.Stop()) return std::nullopt;
  }
  const std::optional<bool> imageLittle = little ? little : ImageOrder(search.Found);
  DropUnclearOrder(search.Found, imageLittle);
  search.Found.insert(search.Found.end(), anchored.begin(), anchored.end());
  // Candidates with no axes before them stand on their smoothness alone: they need more.
  std::erase_if(search.Found, [](const TScored& c) { return !c.Axed && c.Score < kBareScore; });
  DropOverAxes(search.Found);
  KeepDisjoint(search.Found, claims, kept, kLeastScore, {pacer, 0.9, 0.05});
  if (!pacer.Tell(0.95, true)) return std::nullopt;
  std::stable_sort(kept.begin(), kept.end(),
                   [](const TScored& a, const TScored& b) { return a.Score > b.Score; });
  std::vector<TTableCandidate> result;
  result.reserve(kept.size());
  // One-byte entries read alike in either order: they take the order of the image's wider
  // tables, as definitions of the image give them (big-endian when nothing tells).
  for (const TScored& c : kept) {
    const bool littleEndian = c.Shape.Width == 1 ? imageLittle.value_or(false) : c.Shape.Little;
    result.push_back(
        {c.Shape.Offset, c.Shape.Rows, c.Shape.Columns, c.Shape.Width, littleEndian, c.Score});
  }
  if (!pacer.Tell(1.0, true)) return std::nullopt;
  return result;
}

}  // namespace

std::vector<TTableCandidate> FindTables(std::span<const std::uint8_t> image) {
  return FindTables(image, {}).value_or(std::vector<TTableCandidate>{});
}

std::optional<std::vector<TTableCandidate>> FindTables(std::span<const std::uint8_t> image,
                                                       const FinderProgress& progress) {
  TPacer pacer(progress);
  if (!pacer.Tell(0.0, true)) return std::nullopt;
  return Find(image, pacer);
}

namespace {

std::string Format(const char* format, auto... values) {
  char text[200];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

std::string EntryWords(int width, bool little) {
  if (width == 1) return "8-bit";
  return Format("%d-bit %s-endian", 8 * width, little ? "little" : "big");
}

const char* Smoothness(double rough) {
  return rough < 0.2 ? "smooth" : rough < 0.46 ? "fairly smooth" : "rough";
}

}  // namespace

std::string CandidateReason(std::span<const std::uint8_t> image, const TTableCandidate& candidate) {
  const TShape shape{candidate.Offset, candidate.Rows, candidate.Columns, candidate.Width,
                     candidate.LittleEndian};
  if (!Fits(image, shape) || shape.Offset % shape.Width != 0) return "not a table in this image";
  const TEvidence e = Measure(image, shape);
  const bool map = shape.Rows > 1;
  std::string text = Format("%d × %d %s entries", shape.Rows, shape.Columns,
                            EntryWords(shape.Width, shape.Little).c_str());
  if (e.Grid.Spread <= 0) {
    text += ", all equal";
  } else {
    text += Format(", rows %s (%.2f of the shuffled step)", Smoothness(e.Grid.Row), e.Grid.Row);
    if (map) {
      text += Format(", columns %s (%.2f)", Smoothness(e.Grid.Column), e.Grid.Column);
      text += Format(", %.1f × the change at row ends", e.Grid.RowJump);
    }
    if (e.Grid.Signed) text += ", read signed";
  }
  const auto axis_words = [](int count, TAxisKind kind) {
    return Format("%d rising %s%s entries", count,
                  kind.Width == 4 ? "float " : (kind.Signed ? "signed " : ""),
                  EntryWords(kind.Width, kind.Little).c_str());
  };
  if (e.Axes.NearCount > 0) {
    text += Format(", an axis of %s before it", axis_words(e.Axes.NearCount, e.Axes.Near).c_str());
    if (e.Axes.FarCount > 0) {
      text += Format(" and one of %s before that", axis_words(e.Axes.FarCount, e.Axes.Far).c_str());
    }
    if (e.Axes.Counts)
      text += e.Axes.FarCount > 0 ? ", their lengths in front" : ", its length in front";
  }
  if (shape.Width == 2) {
    text += Format(
        ", %s-endian reads %s (%.2f)", shape.Little ? "big" : "little",
        e.Swapped > 1.5 * (map ? e.Grid.Combined : e.Grid.Row) ? "rougher" : "about as smooth",
        e.Swapped);
    text += Format(", read as bytes %.2f", e.Narrow);
  }
  if (e.Halves > 0) text += Format(", rougher half %.2f", e.Halves);
  if (e.Makeup.Fill > 0.1) text += Format(", %.0f %% fill", 100 * e.Makeup.Fill);
  if (e.OpenAbove) text += ", goes on above";
  if (e.OpenBelow) text += ", goes on below";
  text += Format("; score %.1f", Score(e, shape));
  return text;
}
