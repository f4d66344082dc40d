#include "plot/label_format.h"

#include "text/significant_digits.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

std::string General(double value, int precision) {
  precision = std::clamp(precision, 2, 18);
  const SignificantDigits d = RoundToSignificant(value, precision, Ties::AwayFromZero);
  if (d.digits.empty()) return "0";
  std::string text = d.negative ? "-" : "";
  // The value is 0.d1d2… × 10^e.
  const int e = d.exponent + 1;
  const int count = static_cast<int>(d.digits.size());
  if (e >= -3 && e <= precision) {
    if (e <= 0) {
      text += "0.";
      text.append(static_cast<std::size_t>(-e), '0');
      text += d.digits;
    } else {
      text += d.digits.substr(0, static_cast<std::size_t>(std::min(e, count)));
      if (count < e) text.append(static_cast<std::size_t>(e - count), '0');
      if (count > e) text.append(1, '.').append(d.digits, static_cast<std::size_t>(e));
    }
    return text;
  }
  text += d.digits.front();
  if (count > 1) text.append(1, '.').append(d.digits, 1);
  return text.append(1, 'E').append(std::to_string(e - 1));
}

std::string Exponent(double value, int precision, int digits) {
  precision = std::clamp(precision, 2, 18);
  digits = std::clamp(digits, 0, 4);
  char text[64];
  std::snprintf(text, sizeof text, "%.*e", precision - 1, value);
  std::string mantissa(text);
  const std::size_t e_at = mantissa.find('e');
  const int exponent = std::atoi(mantissa.c_str() + e_at + 1);
  mantissa.resize(e_at);
  std::string power = std::to_string(std::abs(exponent));
  if (static_cast<int>(power.size()) < digits) {
    power.insert(0, static_cast<std::size_t>(digits) - power.size(), '0');
  }
  return mantissa + "E" + (exponent < 0 ? "-" : "+") + power;
}

// Fixed notation of |value| with `digits` decimals, optionally grouped by thousands.
std::string FixedMagnitude(double magnitude, int digits, bool grouped) {
  char text[400];
  std::snprintf(text, sizeof text, "%.*f", digits, magnitude);
  std::string fixed(text);
  if (!grouped) return fixed;
  const std::size_t point = std::min(fixed.find('.'), fixed.size());
  for (std::size_t at = point; at > 3; at -= 3) fixed.insert(at - 3, 1, ',');
  return fixed;
}

bool AllZero(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return c == '0' || c == '.' || c == ','; });
}

}  // namespace

std::string FloatToStrF(double value, TStringFloatFormat format, int precision, int digits) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  switch (format) {
    case sffExponent:
      return Exponent(value, precision, digits);
    case sffFixed:
    case sffNumber:
    case sffCurrency: {
      // A whole part longer than the precision would show digits that are not significant.
      if (std::fabs(value) >= std::pow(10.0, std::clamp(precision, 2, 18))) {
        return General(value, precision);
      }
      const std::string magnitude =
          FixedMagnitude(std::fabs(value), std::clamp(digits, 0, 18), format != sffFixed);
      const std::string sign = value < 0 && !AllZero(magnitude) ? "-" : "";
      return sign + (format == sffCurrency ? "$" : "") + magnitude;
    }
    case sffGeneral:
    default:
      return General(value, precision);
  }
}
