#include "tables/linear_equation.h"

std::optional<TLinearEquation> LinearEquation(std::string_view, std::string_view) {
  return std::nullopt;
}
