#pragma once

// A number rounded to a count of significant decimal digits, the common step of every
// number text that shows "up to n significant digits". Plain C++, shared by the core and the
// plot control.

#include <string>

struct SignificantDigits {
  bool negative = false;
  // The rounded digits without trailing zeros; empty for zero.
  std::string digits;
  // The power of ten of the first digit: the value is d1.d2d3… × 10^exponent.
  int exponent = 0;
};

enum class Ties {
  ToEven,        // a value exactly halfway keeps the even last digit (correct rounding)
  AwayFromZero,  // a value exactly halfway rounds up in magnitude
};

// `value` (finite) rounded to `precision` (1 … 30) significant digits. Rounding that carries
// into a new digit (9.99 to 1.0 × 10^1) is reflected in the exponent.
[[nodiscard]] SignificantDigits RoundToSignificant(double value, int precision, Ties ties);
