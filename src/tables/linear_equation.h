#pragma once

// Equations from a raw entry to its physical value, as definition files write them
// ("X*0.75-48", "40.000000 * X", "(x-128)/2"): which of them are a·X + b.

#include <optional>
#include <string_view>

struct TLinearEquation {
  double Scale = 1.0;   // a
  double Offset = 0.0;  // b
  friend bool operator==(const TLinearEquation&, const TLinearEquation&) = default;
};

// The a and b of an equation in the one variable `variable` (compared without case) built of
// decimal numbers (with exponents), the variable, + - * /, unary signs and parentheses, when
// it is a·X + b with finite a and b. Nothing for anything else: X*X, 1/X, functions, another
// name, a division by zero, text that is no equation.
[[nodiscard]] std::optional<TLinearEquation> LinearEquation(std::string_view equation,
                                                            std::string_view variable = "X");
