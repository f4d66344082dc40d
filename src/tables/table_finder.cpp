#include "tables/table_finder.h"

#include "tables/finder_evidence.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <map>
#include <string>
#include <unordered_set>

namespace {

constexpr int kBlock = 16;       // entries per block of the first pass
constexpr int kLongestRow = 32;  // longest row (and lag) looked for
constexpr int kMaxRows = 64;     // rows a table may grow to below its axes
constexpr std::size_t kPieceLimit = 4096;  // entries of a smooth stretch laid out at once

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

  // False once the callback has asked to stop. `done` is the share of all work done.
  bool Tell(double done) {
    if (Stopped) return false;
    if (!Progress) return true;
    const auto now = std::chrono::steady_clock::now();
    if (now - Last < std::chrono::milliseconds(2)) return true;
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
  bool OpenAbove = false;  // the row before the first continues the table
  bool OpenBelow = false;  // the row after the last continues the table
};

std::vector<std::int32_t> ShapeValues(std::span<const std::uint8_t> image, const TShape& shape,
                                      bool little) {
  const std::int64_t count = std::int64_t{shape.Rows} * shape.Columns;
  std::vector<std::int32_t> values(static_cast<std::size_t>(count));
  for (std::int64_t k = 0; k < count; ++k) {
    values[static_cast<std::size_t>(k)] =
        static_cast<std::int32_t>(ReadEntry(image, shape.Offset + k * shape.Width, shape.Width,
                                            little));
  }
  return values;
}

bool Fits(std::span<const std::uint8_t> image, const TShape& shape) {
  if (shape.Offset < 0 || shape.Rows < 1 || shape.Columns < 1) return false;
  const std::int64_t bytes = std::int64_t{shape.Rows} * shape.Columns * shape.Width;
  return shape.Offset + bytes <= static_cast<std::int64_t>(image.size());
}

TEvidence Measure(std::span<const std::uint8_t> image, const TShape& shape) {
  TEvidence evidence;
  const int bits = 8 * shape.Width;
  const std::vector<std::int32_t> values = ShapeValues(image, shape, shape.Little);
  evidence.Grid = MeasureGrid(values, shape.Columns, bits);
  if (shape.Rows > 1) {
    // A table found whole does not go on smoothly a row before its start or after its end.
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    const std::int64_t row_bytes = std::int64_t{shape.Columns} * shape.Width;
    const auto c = static_cast<std::size_t>(shape.Columns);
    TShape edge{shape.Offset - row_bytes, 1, shape.Columns, shape.Width, shape.Little};
    if (Fits(image, edge)) {
      evidence.OpenAbove = RowJoins(ShapeValues(image, edge, shape.Little),
                                    std::span(values).first(c), *low, *high);
    }
    edge.Offset = shape.Offset + row_bytes * shape.Rows;
    if (Fits(image, edge)) {
      evidence.OpenBelow = RowJoins(ShapeValues(image, edge, shape.Little),
                                    std::span(values).last(c), *low, *high);
    }
  }
  evidence.Axes = AxesBefore(image, shape.Offset, shape.Rows, shape.Columns);
  const std::int64_t bytes = std::int64_t{shape.Rows} * shape.Columns * shape.Width;
  evidence.Makeup = ByteMakeup(
      image.subspan(static_cast<std::size_t>(shape.Offset), static_cast<std::size_t>(bytes)),
      shape.Width);
  return evidence;
}

// The rule, in nats of evidence (log-likelihood of "table" over "anything else"):
//   steps       each step between neighbours along a row, taken over the step the same
//               values would take shuffled (r), counts ln 4 − 3r: a table's steps spread
//               about a quarter of the shuffled ones, others' about as much; steps down the
//               columns count the same way when together they speak for a table; steps
//               between fill entries count nothing;
//   axes        a rising axis of m entries ending where the table starts (or before the one
//               that does) comes about by chance once in m! places: ½ ln m! each;
//   lengths     the axis lengths stored in front of them: 3;
// a table whose rows go on smoothly above or below it is cut short: 15 % of the step
// evidence off for each side. Stripes (rough rows over flat columns), text and tables
// rougher than noise score nothing; constant tables only count with two axes.
double StepNats(const TEvidence& e, const TShape& shape) {
  const bool map = shape.Rows > 1;
  if (e.Grid.Spread <= 0) return 0.0;
  // A map's columns must line up: smooth down the columns, or at least with the change
  // gathered at the row ends.
  if (map && (e.Grid.Row > 0.8 || shape.Columns > kLongestRow ||
              !(e.Grid.Column <= 0.35 || (e.Grid.Column <= 0.75 && e.Grid.RowJump >= 2.0)))) {
    return 0.0;
  }
  const auto nats = [](double steps, double rough) { return steps * (std::log(4.0) - 3.0 * rough); };
  const double rows = shape.Rows, columns = shape.Columns;
  double total = nats(rows * (columns - 1), e.Grid.Row);
  if (map) total += std::max(0.0, nats((rows - 1) * columns, e.Grid.Column));
  total *= 1.0 - e.Makeup.Fill;
  if (total <= 0.0) return 0.0;
  if (e.Makeup.Text > 0.95 && e.Makeup.Letters > 0.5) total *= 0.25;
  total *= 1.0 - 0.15 * ((e.OpenAbove ? 1 : 0) + (e.OpenBelow ? 1 : 0));
  return total;
}

double AxisNats(int entries) { return entries < 3 ? 0.0 : 0.5 * std::lgamma(entries + 1.0); }

double Score(const TEvidence& e, const TShape& shape) {
  const double steps = StepNats(e, shape);
  const double axes = AxisNats(e.Axes.NearCount) + AxisNats(e.Axes.FarCount) +
                      (e.Axes.Counts ? 3.0 : 0.0);
  if (steps <= 0.0) {
    const bool constant = e.Grid.Spread <= 0 && e.Makeup.Fill < 0.5;
    return constant && e.Axes.NearCount > 0 && e.Axes.FarCount > 0 ? axes : 0.0;
  }
  return steps + axes;
}

// ---- first pass: which blocks of entries look like table data ----

enum class TBlockKind : std::uint8_t { Rough, Smooth, Flat };

// A block is smooth when most steps between neighbours (all but the largest quarter, which
// may be row ends) are small next to the spread of its values (leaving out the two highest and
// lowest). Flat blocks (most values equal) neither start nor end a stretch of table data.
std::vector<TBlockKind> ScanBlocks(const TEntryView& view, TStage stage) {
  const std::vector<std::int32_t>& v = view.Values;
  const std::size_t blocks = v.size() > kBlock ? (v.size() - 1) / kBlock : 0;
  std::vector<TBlockKind> kinds(blocks, TBlockKind::Rough);
  std::array<std::int32_t, kBlock + 1> values{};
  std::array<std::int32_t, kBlock> steps{};
  for (std::size_t b = 0; b < blocks; ++b) {
    if (b % 4096 == 0 && !stage.Tell(static_cast<double>(b) / static_cast<double>(blocks))) {
      return {};
    }
    const std::int32_t* p = v.data() + b * kBlock;
    for (int i = 0; i < kBlock; ++i) steps[i] = std::abs(p[i + 1] - p[i]);
    std::copy(p, p + kBlock + 1, values.begin());
    std::sort(values.begin(), values.end());
    const std::int32_t middle = values[3 * kBlock / 4] - values[kBlock / 4];
    const std::int32_t spread = values[kBlock - 2] - values[2];
    if (middle == 0) {
      kinds[b] = TBlockKind::Flat;
      continue;
    }
    std::sort(steps.begin(), steps.end());
    std::int64_t small = 0;
    for (int i = 0; i < 3 * kBlock / 4; ++i) small += steps[i];
    // Mean of the smaller steps under 0.15 of the spread.
    if (small * 20 < std::int64_t{spread} * 3 * 3 * kBlock / 4) kinds[b] = TBlockKind::Smooth;
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
  std::unordered_set<std::uint64_t> Tried;
  std::vector<TScored> Found;
  long Measured = 0;
  std::FILE* Dump = nullptr;

  std::span<const std::int32_t> ValuesOf(const TShape& shape) const {
    return std::span<const std::int32_t>(Views[ViewOf(shape.Width, shape.Little)].Values)
        .subspan(static_cast<std::size_t>(shape.Offset / shape.Width),
                 static_cast<std::size_t>(shape.Rows) * static_cast<std::size_t>(shape.Columns));
  }

  // Scores a shape unless it was scored before or a quick look shows it rough.
  void Consider(const TShape& shape) {
    if (!Fits(Image, shape) || shape.Offset % shape.Width != 0 ||
        std::int64_t{shape.Rows} * shape.Columns < 4) {
      return;
    }
    const std::uint64_t key = static_cast<std::uint64_t>(shape.Offset) << 24 |
                              static_cast<std::uint64_t>(shape.Rows & 0x3FFF) << 10 |
                              static_cast<std::uint64_t>(shape.Columns & 0xFF) << 2 |
                              ViewOf(shape.Width, shape.Little);
    if (!Tried.insert(key).second) return;
    if (!LooksSmooth(ValuesOf(shape), shape.Columns)) return;
    ++Measured;
    const TEvidence e = Measure(Image, shape);
    const double score = Score(e, shape);
    if (Dump) std::fprintf(Dump, "%lld %d %d %d %d %.4f %.4f %.4f %.3f %d %d %d %.3f %.3f %.3f %.2f\n", (long long)shape.Offset, shape.Rows, shape.Columns, shape.Width, shape.Little, e.Grid.Combined, e.Grid.Row, e.Grid.Column, e.Grid.RowJump, e.Axes.NearCount, e.Axes.FarCount, e.Axes.Counts, e.Makeup.Fill, e.Makeup.Text, e.Makeup.Letters, score);
    if (score > 0) Found.push_back({shape, score});
  }

  // Steps along rows and down columns against the mean deviation of the values: a cheap
  // first look that lets through everything that may measure smooth.
  static bool LooksSmooth(std::span<const std::int32_t> v, int columns) {
    const std::size_t n = v.size();
    const auto c = static_cast<std::size_t>(columns);
    double mean = 0.0;
    for (const std::int32_t x : v) mean += x;
    mean /= static_cast<double>(n);
    double deviation = 0.0;
    for (const std::int32_t x : v) deviation += std::abs(x - mean);
    if (deviation <= 0.0) return false;
    double steps = 0.0;
    std::size_t count = 0;
    for (std::size_t i = 1; i < n; ++i) {
      if (i % c != 0) {
        steps += std::abs(v[i] - v[i - 1]);
        ++count;
      }
      if (i >= c) {
        steps += std::abs(v[i] - v[i - c]);
        ++count;
      }
    }
    return count > 0 && steps / static_cast<double>(count) < 0.8 * 1.37 * deviation /
                                                                  static_cast<double>(n);
  }
};

// ---- tables right after their axes ----

// Where a block of a table starting at `offset` looks smooth in the data's view.
bool SmoothAt(const std::vector<TBlockKind>& kinds, std::int64_t offset, int width) {
  const std::int64_t block = offset / width / kBlock;
  for (std::int64_t b = block; b <= block + 1; ++b) {
    if (b < static_cast<std::int64_t>(kinds.size()) &&
        kinds[static_cast<std::size_t>(b)] == TBlockKind::Smooth) {
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
  for (std::size_t d = 0; d < kDataKinds.size(); ++d) {
    const TDataKind data = kDataKinds[d];
    if (start % data.Width != 0 || !SmoothAt(search.Kinds[d], start, data.Width)) continue;
    const auto both_ways = [&](int a, int b) {
      search.Consider({start, a, b, data.Width, data.Little});
      search.Consider({start, b, a, data.Width, data.Little});
    };
    for (int near = run; near >= std::max(3, run - 2); --near) {
      const std::int64_t room = (static_cast<std::int64_t>(image.size()) - start) / data.Width;
      if (room >= near) {
        const std::int64_t most = std::min<std::int64_t>(room / near, kMaxRows);
        TShape shape{start, static_cast<std::int32_t>(most), near, data.Width, data.Little};
        shape.Rows = RowsThatFit(search.ValuesOf(shape), near, static_cast<int>(most));
        search.Consider(shape);
      }
      const std::int64_t axis_start = start - std::int64_t{near} * axis.Width;
      for (const TAxisKind far_kind : kAxisKinds) {
        const int far_run = RisingRunBefore(image, axis_start, far_kind, 36);
        for (int far = far_run; far >= std::max(3, far_run - 2); --far) both_ways(far, near);
      }
    }
    for (int near = 3; near + 3 <= run; ++near) {
      for (int far = run - near; far >= std::max(3, run - near - 2); --far) {
        both_ways(far, near);
      }
    }
  }
}

// Whether `count` entries of `kind` from `at` rise strictly.
bool RisesFrom(std::span<const std::uint8_t> image, std::int64_t at, TAxisKind kind, int count) {
  if (at % kind.Width != 0 ||
      at + std::int64_t{count} * kind.Width > static_cast<std::int64_t>(image.size())) {
    return false;
  }
  std::uint32_t last = AxisKey(image, at, kind);
  for (int k = 1; k < count; ++k) {
    const std::uint32_t key = AxisKey(image, at + std::int64_t{k} * kind.Width, kind);
    if (key <= last) return false;
    last = key;
  }
  return true;
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
    const auto first = static_cast<int>(ReadEntry(image, at, length.Width, length.Little));
    if (first < 3 || first > 2 * kLongestRow) continue;
    const auto second =
        static_cast<int>(ReadEntry(image, at + length.Width, length.Width, length.Little));
    for (const TAxisKind one : kAxisKinds) {
      if (one.Signed && one.Width < 4) continue;  // counted axes are read unsigned first
      // One length, one axis, a curve.
      const std::int64_t axis = at + length.Width;
      if (RisesFrom(image, axis, one, first)) {
        const std::int64_t data = axis + std::int64_t{first} * one.Width;
        for (const TDataKind d : kDataKinds) search.Consider({data, 1, first, d.Width, d.Little});
      }
      // Two lengths, two axes, a map.
      if (second < 2 || second > 2 * kLongestRow) continue;
      const std::int64_t axes = at + 2 * length.Width;
      if (!RisesFrom(image, axes, one, first)) continue;
      const std::int64_t next = axes + std::int64_t{first} * one.Width;
      for (const TAxisKind two : kAxisKinds) {
        if (two.Signed && two.Width < 4) continue;
        if (!RisesFrom(image, next, two, second)) continue;
        const std::int64_t data = next + std::int64_t{second} * two.Width;
        for (const TDataKind d : kDataKinds) {
          search.Consider({data, first, second, d.Width, d.Little});
          search.Consider({data, second, first, d.Width, d.Little});
        }
      }
    }
  }
}

void AnchoredCandidates(TSearch& search, TStage stage) {
  const auto size = static_cast<std::int64_t>(search.Image.size());
  const double kind_count = static_cast<double>(std::size(kAxisKinds));
  double part = 0.0;
  for (std::int64_t at = 0; at < size; ++at) {
    if ((at & 0xFFFF) == 0 && !stage.Tell(0.0)) return;
    CountedAt(search, at);
  }
  for (const TAxisKind axis : kAxisKinds) {
    // Walk the maximal rising runs of this kind; each may end where a table starts.
    int run = 0;
    std::uint32_t last = 0;
    const std::int64_t end = size - size % axis.Width;
    for (std::int64_t at = 0; at <= end; at += axis.Width) {
      if ((at & 0x3FFF) == 0 &&
          !stage.Tell((part + static_cast<double>(at) / static_cast<double>(size)) / kind_count)) {
        return;
      }
      const bool more = at < end;
      const std::uint32_t key = more ? AxisKey(search.Image, at, axis) : 0;
      if (more && run > 0 && key > last) {
        ++run;
      } else {
        if (run >= (axis.Width == 1 ? 4 : 3) && run <= 2 * kLongestRow) {
          AnchoredAt(search, at, axis, run);
        }
        run = 1;
      }
      last = key;
    }
    part += 1.0;
  }
}

// ---- smooth stretches without axes next to them ----

// Lays out a stretch of smooth entries [first, end) of a view window by window: where a
// window lines up in rows, the rows around it that continue the table make a candidate; where
// it does not, the run of small steps around it makes a curve.
void LayOut(TSearch& search, const TEntryView& view, std::size_t first, std::size_t end) {
  constexpr std::size_t kWindow = 3 * kLongestRow;
  constexpr std::size_t kStep = kWindow / 4;
  const std::span<const std::int32_t> all(view.Values);
  const auto offset = [&](std::size_t entry) {
    return static_cast<std::int64_t>(entry) * view.Width;
  };
  for (std::size_t at = first; at + 12 <= end; at += kStep) {
    const auto window = all.subspan(at, std::min(kWindow, end - at));
    const TRowLayout layout = ChooseRowLength(window, kLongestRow);
    const auto c = static_cast<std::size_t>(layout.Columns);
    if (const char* dbg = std::getenv("QF_AT")) {
      const long long a = std::stoll(dbg, nullptr, 16);
      if (offset(at) <= a && offset(at + window.size()) > a) std::fprintf(stderr, "window w%d%s 0x%llx..0x%llx (stretch 0x%llx..0x%llx): columns %d lead %d jump %.2f\n", view.Width, view.LittleEndian ? "le" : "be", (long long)offset(at), (long long)offset(at + window.size()), (long long)offset(first), (long long)offset(end), layout.Columns, layout.Lead, layout.RowJump);
    }
    if (c >= 2 && layout.RowJump >= 1.5 && at + layout.Lead + 2 * c <= end) {
      std::size_t row = at + static_cast<std::size_t>(layout.Lead);
      const auto [low, high] = std::minmax_element(all.begin() + static_cast<std::ptrdiff_t>(row),
                                                   all.begin() + static_cast<std::ptrdiff_t>(row + c));
      std::int32_t least = *low, most = *high;
      while (row >= first + c && RowJoins(all.subspan(row - c, c), all.subspan(row, c), least, most)) {
        row -= c;
        const auto [row_low, row_high] = std::minmax_element(all.begin() + static_cast<std::ptrdiff_t>(row),
                                                             all.begin() + static_cast<std::ptrdiff_t>(row + c));
        least = std::min(least, *row_low);
        most = std::max(most, *row_high);
      }
      const int rows = RowsThatFit(all.subspan(row, end - row), layout.Columns,
                                   static_cast<int>((end - row) / c));
      if (rows >= 2) {
        search.Consider({offset(row), rows, layout.Columns, view.Width, view.LittleEndian});
        continue;
      }
    }
    // A curve: the run of steps no larger than a quarter of the window's range.
    const auto [low, high] = std::minmax_element(window.begin(), window.end());
    const std::int64_t largest = (std::int64_t{*high} - *low) / 4;
    std::size_t begin = at + window.size() / 2, stop = begin + 1;
    while (begin > first && std::abs(all[begin] - all[begin - 1]) <= largest) --begin;
    while (stop < end && std::abs(all[stop] - all[stop - 1]) <= largest) ++stop;
    if (stop - begin >= 8) {
      search.Consider({offset(begin), 1, static_cast<std::int32_t>(stop - begin), view.Width,
                       view.LittleEndian});
    }
  }
}

void StretchCandidates(TSearch& search, std::size_t k, const TClaims& claims, TStage stage) {
  const TEntryView& view = search.Views[k];
  const std::vector<TBlockKind>& kinds = search.Kinds[k];
  const std::size_t blocks = kinds.size();
  std::size_t b = 0;
  while (b < blocks) {
    if (!stage.Tell(static_cast<double>(b) / static_cast<double>(std::max<std::size_t>(1, blocks)))) {
      return;
    }
    if (kinds[b] != TBlockKind::Smooth) {
      ++b;
      continue;
    }
    // A stretch of smooth blocks, with a few flat blocks inside it, and a block either side
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
    const std::size_t begin_block = b > 0 ? b - 1 : 0;
    const std::size_t end_block = std::min(blocks, last + 2);
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

void KeepDisjoint(std::vector<TScored>& candidates, TClaims& claims,
                  std::vector<TScored>& kept, double least_score) {
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const TScored& a, const TScored& b) { return a.Score > b.Score; });
  for (const TScored& c : candidates) {
    if (c.Score < least_score) break;
    const std::int64_t end =
        c.Shape.Offset + std::int64_t{c.Shape.Rows} * c.Shape.Columns * c.Shape.Width;
    if (!claims.Free(c.Shape.Offset, end)) continue;
    claims.Take(c.Shape.Offset, end);
    kept.push_back(c);
  }
}

constexpr double kLeastScore = 20.0;
constexpr double kCertainScore = 60.0;

std::optional<std::vector<TTableCandidate>> Find(std::span<const std::uint8_t> image,
                                                 TPacer& pacer) {
  TSearch search;
  search.Image = image;
  if (const char* dump = std::getenv("QF_DUMP")) search.Dump = std::fopen(dump, "w");
  for (std::size_t k = 0; k < kDataKinds.size(); ++k) {
    search.Views[k] = ReadEntries(image, kDataKinds[k].Width, kDataKinds[k].Little);
    search.Kinds[k] = ScanBlocks(search.Views[k], {pacer, 0.1 * static_cast<double>(k), 0.1});
    if (pacer.Stop()) return std::nullopt;
  }
  AnchoredCandidates(search, {pacer, 0.3, 0.3});
  if (pacer.Stop()) return std::nullopt;
  if (std::getenv("QF_DEBUG")) std::fprintf(stderr, "anchored: %zu tried, %ld measured, %zu kept\n", search.Tried.size(), search.Measured, search.Found.size());
  // Tables certain from their axes are settled first, so that the stretches around them are
  // laid out without them.
  TClaims claims;
  std::vector<TScored> kept;
  std::vector<TScored> anchored = std::move(search.Found);
  search.Found.clear();
  KeepDisjoint(anchored, claims, kept, kCertainScore);
  if (const char* dbg = std::getenv("QF_AT")) {
    const long long a = std::stoll(dbg, nullptr, 16);
    for (const auto& k : kept) if (std::llabs(k.Shape.Offset - a) < 0x200) std::fprintf(stderr, "certain 0x%llx %dx%d w%d%s %.1f %s\n", (long long)k.Shape.Offset, k.Shape.Rows, k.Shape.Columns, k.Shape.Width, k.Shape.Little ? "le" : "be", k.Score, CandidateReason(image, {k.Shape.Offset, k.Shape.Rows, k.Shape.Columns, k.Shape.Width, k.Shape.Little, k.Score}).c_str());
  }
  for (std::size_t k = 0; k < kDataKinds.size(); ++k) {
    StretchCandidates(search, k, claims, {pacer, 0.6 + 0.1 * static_cast<double>(k), 0.1});
    if (pacer.Stop()) return std::nullopt;
  }
  search.Found.insert(search.Found.end(), anchored.begin(), anchored.end());
  KeepDisjoint(search.Found, claims, kept, kLeastScore);
  if (search.Dump) std::fclose(search.Dump);
  if (!pacer.Tell(0.95)) return std::nullopt;
  std::stable_sort(kept.begin(), kept.end(),
                   [](const TScored& a, const TScored& b) { return a.Score > b.Score; });
  std::vector<TTableCandidate> result;
  result.reserve(kept.size());
  for (const TScored& c : kept) {
    result.push_back({c.Shape.Offset, c.Shape.Rows, c.Shape.Columns, c.Shape.Width,
                      c.Shape.Little, c.Score});
  }
  if (!pacer.Tell(1.0)) return std::nullopt;
  return result;
}

}  // namespace

std::vector<TTableCandidate> FindTables(std::span<const std::uint8_t> image) {
  return FindTables(image, {}).value_or(std::vector<TTableCandidate>{});
}

std::optional<std::vector<TTableCandidate>> FindTables(std::span<const std::uint8_t> image,
                                                       const FinderProgress& progress) {
  TPacer pacer(progress);
  if (!pacer.Tell(0.0)) return std::nullopt;
  return Find(image, pacer);
}

std::string CandidateReason(std::span<const std::uint8_t> image,
                            const TTableCandidate& candidate) {
  const TShape shape{candidate.Offset, candidate.Rows, candidate.Columns, candidate.Width,
                     candidate.LittleEndian};
  if (!Fits(image, shape)) return "outside the image";
  const TEvidence e = Measure(image, shape);
  char text[160];
  std::snprintf(text, sizeof text, "%d × %d, score %.1f rough %.2f (row %.2f col %.2f jump %.1f) axes %d/%d%s fill %.2f",
                shape.Rows, shape.Columns, Score(e, shape), e.Grid.Combined, e.Grid.Row, e.Grid.Column,
                e.Grid.RowJump, e.Axes.NearCount, e.Axes.FarCount, e.Axes.Counts ? " counts" : "", e.Makeup.Fill);
  return text;
}
