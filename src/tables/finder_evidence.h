#pragma once

// The measurements the table finder weighs: entries read in one width and byte order, how
// smooth a grid of them is next to the same values shuffled, the row length at which a run
// of entries lines up, and rising runs (axes) ending where a table starts.

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

// An entry of `width` bytes (1, 2 or 4) at `offset`, unsigned; the caller checks the bounds.
[[nodiscard]] inline std::uint32_t EntryAt(std::span<const std::uint8_t> image, std::int64_t offset,
                                           int width, bool little) {
  const std::uint8_t* p = image.data() + offset;
  switch (width) {
    case 1:
      return p[0];
    case 2:
      return little ? std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8
                    : std::uint32_t{p[0]} << 8 | std::uint32_t{p[1]};
    default:
      return little ? std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
                          std::uint32_t{p[3]} << 24
                    : std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 |
                          std::uint32_t{p[2]} << 8 | std::uint32_t{p[3]};
  }
}

// The entries of one width (1 or 2) and byte order at every offset that is a multiple of the
// width: entry k sits at image offset k × Width.
struct TEntryView {
  int Width = 1;
  bool LittleEndian = false;
  std::vector<std::int32_t> Values;
};
// `going_on` is asked every 64 Ki entries whether to go on; on false the view is cut short.
[[nodiscard]] TEntryView ReadEntries(std::span<const std::uint8_t> image, int width, bool little,
                                     const std::function<bool()>& going_on);

// Mean |a − b| over all pairs of the values: the step a neighbour would take if the values
// were shuffled. Zero when all are equal.
[[nodiscard]] double MeanPairDifference(std::span<const std::int32_t> values);

// How smooth `values` laid out in rows of `columns` are, each step taken over the shuffled
// step (1 for noise, far below 1 for a map). Read as two's complement of `bits` when that is
// smoother, as signed tables cross zero.
struct TGridRoughness {
  double Spread = 0;      // mean pair difference of the values as read
  double Row = 1;         // mean step along a row
  double Column = 1;      // mean step down a column (1 when there is one row)
  double Combined = 1;    // all steps of both kinds together
  double RowJump = 1;     // share of the steps' sum falling at row ends, over its share by chance
  double RowFlat = 0;     // share of the steps along rows that are zero
  double ColumnFlat = 0;  // share of the steps down columns that are zero
  bool Signed = false;
};
[[nodiscard]] TGridRoughness MeasureGrid(std::span<const std::int32_t> values, int columns,
                                         int bits);

// The row length at which a run of entries lines up: steps inside rows small, a jump at a fixed
// period, and each entry close to the one a row above. Columns 0 when no length stands out.
struct TRowLayout {
  int Columns = 0;
  int Lead = 0;        // entries before the first whole row
  double RowJump = 1;  // as TGridRoughness::RowJump, for the chosen rows
};
[[nodiscard]] TRowLayout ChooseRowLength(std::span<const std::int32_t> values, int max_columns);

// The mean difference between two rows of entries.
[[nodiscard]] double RowsApart(std::span<const std::int32_t> a, std::span<const std::int32_t> b);

// Whether `row` continues a table next to its row `next`, the table's values so far lying in
// low … high and its rows stepping `typical` from one to the next (0: not known yet): not
// rough itself next to the range, and stepping from `next` as the rows so far do.
[[nodiscard]] bool RowJoins(std::span<const std::int32_t> row, std::span<const std::int32_t> next,
                            std::int32_t low, std::int32_t high, double typical);

// How many rows of `columns` entries at the start of `values` (at most `max_rows`) continue
// one table: each row close to the one above and not rough itself, next to the value range
// so far, and not mostly fill (entries `ones`, all bits set; rows of zeros end many tables).
[[nodiscard]] int RowsThatFit(std::span<const std::int32_t> values, int columns, int max_rows,
                              std::int32_t ones);

// How axis entries are compared: bytes unsigned or two's complement (temperatures), 2-byte
// entries unsigned, 4-byte entries as IEEE-754 singles (the usual 32-bit axis), each in a
// byte order.
struct TAxisKind {
  int Width = 1;
  bool Little = false;
  bool Signed = false;
};
inline constexpr TAxisKind kAxisKinds[] = {{1, false, false}, {1, false, true}, {2, false, false},
                                           {2, true, false},  {4, false, true}, {4, true, true}};

// The entry at `offset` as a key that orders as the axis values do.
[[nodiscard]] inline std::uint32_t AxisKey(std::span<const std::uint8_t> image, std::int64_t offset,
                                           TAxisKind kind) {
  const std::uint32_t value = EntryAt(image, offset, kind.Width, kind.Little);
  if (kind.Width == 4) {
    // Floats order as their bits with the sign bit set for positives, all bits flipped for
    // negatives.
    return (value & 0x80000000u) != 0 ? ~value : value | 0x80000000u;
  }
  return kind.Signed ? value ^ (1u << (8 * kind.Width - 1)) : value;
}

// The number of entries in the strictly rising run of `kind` that ends just before `end` (at
// most `limit`); entries are aligned to their width.
[[nodiscard]] int RisingRunBefore(std::span<const std::uint8_t> image, std::int64_t end,
                                  TAxisKind kind, int limit);

// Axes found right before a table: the one next to the data and the one before it, and
// whether their lengths stand in front of them.
struct TAxisEvidence {
  int NearCount = 0;  // entries of the axis ending at the data, 0 when none matches
  TAxisKind Near;
  int FarCount = 0;  // entries of the axis before that one
  TAxisKind Far;
  bool Counts = false;  // a byte or word before the axes gives their lengths
};
// Looks for rising runs, in any entry width and order, as long as the table's columns or
// rows, ending at `offset`. Two axes may read as one run when the second starts above the
// first's end.
[[nodiscard]] TAxisEvidence AxesBefore(std::span<const std::uint8_t> image, std::int64_t offset,
                                       int rows, int columns);

// Shares of a byte range: entries with every bit clear or set (fill), and printable text.
struct TByteMakeup {
  double Fill = 0;
  double Text = 0;     // printable ASCII bytes
  double Letters = 0;  // letters and spaces among all bytes
};
[[nodiscard]] TByteMakeup ByteMakeup(std::span<const std::uint8_t> bytes, int width);
