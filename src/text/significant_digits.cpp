#include "text/significant_digits.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

// "d.ddde±x" with `precision` significant digits, correctly rounded.
std::string_view Scientific(double magnitude, int precision, char (&buffer)[64]) {
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                    std::chars_format::scientific, precision - 1);
  return std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer));
}

// Whether `magnitude` is exactly the decimal `text` (as printed in scientific form).
bool IsExactly(double magnitude, std::string_view text) {
  const std::string copy(text);
  if (std::strtod(copy.c_str(), nullptr) != magnitude) return false;
  // Printed in full, the double's expansion stops where the text does.
  char full[1100];
  std::snprintf(full, sizeof full, "%.*e", 800, magnitude);
  const char* b = full;
  std::size_t a = 0;
  for (; text[a] != 'e'; ++a, ++b) {
    if (text[a] != *b) return false;
  }
  for (; *b != 'e'; ++b) {
    if (*b != '0') return false;
  }
  return true;
}

}  // namespace

SignificantDigits RoundToSignificant(double value, int precision, Ties ties) {
  SignificantDigits result;
  result.negative = std::signbit(value) && value != 0.0;
  if (value == 0.0) return result;
  double magnitude = std::fabs(value);
  char buffer[64];
  if (ties == Ties::AwayFromZero) {
    // One digit more first: a value that ends exactly in a 5 there is a tie; just above a
    // tie, correct rounding goes up.
    const std::string_view longer = Scientific(magnitude, precision + 1, buffer);
    const std::size_t e = longer.find('e');
    if (longer[e - 1] == '5' && IsExactly(magnitude, longer)) {
      magnitude = std::nextafter(magnitude, HUGE_VAL);
    }
  }
  const std::string_view text = Scientific(magnitude, precision, buffer);
  const std::size_t e = text.find('e');
  for (const char c : text.substr(0, e)) {
    if (c != '.') result.digits.push_back(c);
  }
  while (!result.digits.empty() && result.digits.back() == '0') result.digits.pop_back();
  const std::string_view power = text.substr(e + 1);
  const char* first = power.data() + (power.front() == '+' ? 1 : 0);
  std::from_chars(first, power.data() + power.size(), result.exponent);
  return result;
}
