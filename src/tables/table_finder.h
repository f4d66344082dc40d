#pragma once

// Finds candidate tables (maps and curves) in an image nobody has defined: runs of 8- or
// 16-bit entries in either byte order whose rows are smooth, often beside increasing axes,
// away from code, fill and text.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct TTableCandidate {
  std::int64_t Offset;   // image offset of the first entry
  std::int32_t Rows;
  std::int32_t Columns;  // entries per row, stored one after another
  int Width;             // bytes per entry: 1, 2 or 4
  bool LittleEndian;
  double Score;          // higher is more likely a table
};

// Candidates in descending Score, no two overlapping.
std::vector<TTableCandidate> FindTables(std::span<const std::uint8_t> image);

// Told the share of the scan done (0 … 1) often enough to redraw a progress bar: at least
// every few milliseconds of work. Returning false stops the scan.
using FinderProgress = std::function<bool(double done)>;

// As above, telling `progress` as it goes; nothing when `progress` stopped the scan.
std::optional<std::vector<TTableCandidate>> FindTables(std::span<const std::uint8_t> image,
                                                       const FinderProgress& progress);

// A short text of the evidence behind a candidate: its shape, how smooth its rows and columns
// are next to the same values shuffled, the axes and lengths found before it, and how the
// other byte order reads; for a tooltip.
[[nodiscard]] std::string CandidateReason(std::span<const std::uint8_t> image,
                                          const TTableCandidate& candidate);
