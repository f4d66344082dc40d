#pragma once

// The graph view's plot data: the current table's entries as heights.

#include "app/shared_state.h"
#include "image/table_layout.h"

#include <cstdint>
#include <vector>

// The plot data block is sized to the table up to this many rows and columns.
inline constexpr std::int32_t kPlotMaxSide = 256;

// Value [r × columns + c] is entry (r, c)'s value (signed for a signed table), times ZScale plus
// ZOffset, for the table's rows and columns each held to 0 … kPlotMaxSide. An entry that does
// not lie wholly inside the image is not read and gives ZOffset. `reuse` lends its storage to
// the result.
[[nodiscard]] std::vector<double> TableHeights(const TRomImage& image, const TTableLayout& table,
                                               std::vector<double> reuse = {});
// The same for the cursor's table at its own entry width.
[[nodiscard]] std::vector<double> TableHeights(const TRomImage& image, const TTableCursor& cursor,
                                               std::vector<double> reuse = {});
