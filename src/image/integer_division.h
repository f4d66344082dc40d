#pragma once

// Integer division rounding down or up, for a positive divisor: the first and last entries
// of a run that lie inside a range of bytes.

#include <cstdint>

[[nodiscard]] constexpr std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  return a / b - ((a % b != 0 && a < 0) ? 1 : 0);
}

[[nodiscard]] constexpr std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
  return -FloorDiv(-a, b);
}
