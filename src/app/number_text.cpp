#include "app/number_text.h"

#include "app/ascii.h"
#include "text/significant_digits.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>
#include <system_error>

namespace {

// Case-insensitive test whether `text` starts with the lower-case `word`.
bool StartsWithNoCase(std::string_view text, std::string_view word) {
  if (text.size() < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (ascii::ToLower(text[i]) != word[i]) return false;
  }
  return true;
}

}  // namespace

std::optional<std::int32_t> TryParseInteger(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && text[pos] == ' ') ++pos;

  bool negative = false;
  bool hex = false;
  if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
    negative = text[pos] == '-';
    ++pos;
  } else if (pos < text.size() && (text[pos] == '$' || text[pos] == 'x' || text[pos] == 'X')) {
    hex = true;
    ++pos;
  } else if (pos + 1 < text.size() && text[pos] == '0' &&
             (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
    hex = true;
    pos += 2;
  }

  // Wide enough that neither loop nor the range check can overflow.
  std::int64_t value = 0;
  const std::size_t first_digit = pos;
  if (hex) {
    for (; pos < text.size(); ++pos) {
      const int digit = ascii::HexDigitValue(text[pos]);
      if (digit < 0 || value > 0x0FFFFFFF) return std::nullopt;
      value = value * 16 + digit;
    }
  } else {
    for (; pos < text.size(); ++pos) {
      if (!ascii::IsDigit(text[pos]) || value > 214748364) return std::nullopt;
      value = value * 10 + (text[pos] - '0');
    }
  }
  if (pos == first_digit) return std::nullopt;

  if (hex) return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  return static_cast<std::int32_t>(negative ? -value : value);
}

std::int32_t ParseInteger(std::string_view text) {
  const std::optional<std::int32_t> value = TryParseInteger(text);
  if (!value) throw ConversionError("'" + std::string(text) + "' is not a valid integer value");
  return *value;
}

double ParseFloat(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && ascii::IsSpace(text[pos])) ++pos;

  bool negative = false;
  if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
    negative = text[pos] == '-';
    ++pos;
  }
  const std::string_view rest = text.substr(pos);
  const double sign = negative ? -1.0 : 1.0;

  // atof also reads these words; accepting them lets the texts of FloatText read back.
  if (StartsWithNoCase(rest, "inf")) return sign * std::numeric_limits<double>::infinity();
  if (StartsWithNoCase(rest, "nan")) return std::numeric_limits<double>::quiet_NaN();

  // Scan digits, optional "." and fraction, optional exponent. The decimal order of the
  // number (position of its first significant digit) is tracked to tell overflow from
  // underflow when the conversion reports that the value is out of range.
  std::size_t end = 0;
  bool any_digit = false;
  bool significant = false;
  std::int64_t order = 0;
  for (; end < rest.size() && ascii::IsDigit(rest[end]); ++end) {
    any_digit = true;
    significant = significant || rest[end] != '0';
    if (significant) ++order;
  }
  if (end < rest.size() && rest[end] == '.') {
    for (++end; end < rest.size() && ascii::IsDigit(rest[end]); ++end) {
      any_digit = true;
      if (!significant && rest[end] == '0') --order;
      significant = significant || rest[end] != '0';
    }
  }
  if (!any_digit) return 0.0;

  if (end < rest.size() && (rest[end] == 'e' || rest[end] == 'E')) {
    std::size_t exp_pos = end + 1;
    bool exp_negative = false;
    if (exp_pos < rest.size() && (rest[exp_pos] == '-' || rest[exp_pos] == '+')) {
      exp_negative = rest[exp_pos] == '-';
      ++exp_pos;
    }
    if (exp_pos < rest.size() && ascii::IsDigit(rest[exp_pos])) {
      std::int64_t exponent = 0;
      for (; exp_pos < rest.size() && ascii::IsDigit(rest[exp_pos]); ++exp_pos) {
        // Saturate: anything this large is out of range either way.
        if (exponent < 1'000'000) exponent = exponent * 10 + (rest[exp_pos] - '0');
      }
      order += exp_negative ? -exponent : exponent;
      end = exp_pos;
    }
  }

  double value = 0.0;
  const std::string_view number = rest.substr(0, end);
  const auto result = std::from_chars(number.data(), number.data() + number.size(), value,
                                      std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    value = order > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return sign * value;
}

std::string HexText(std::int32_t value, int digits) {
  char buffer[8];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, static_cast<std::uint32_t>(value), 16);
  std::string hex(buffer, result.ptr);
  for (char& c : hex) {
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
  }
  const auto width = static_cast<std::size_t>(digits < 1 ? 1 : (digits > 8 ? 8 : digits));
  if (hex.size() < width) hex.insert(0, width - hex.size(), '0');
  return "0x" + hex;
}

std::string DecimalText(std::int32_t value) {
  char buffer[16];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

// NaN gives "NAN" and infinities "INF" / "-INF"; ParseFloat reads these back.
std::string FloatText(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0.0) return "0";  // Negative zero too.

  // Correctly rounded to 15 significant digits; a carry into a new digit (9.9999999999999999
  // to 1.0e+01) is already in the exponent.
  const SignificantDigits rounded = RoundToSignificant(value, 15, Ties::ToEven);
  const std::string& digits = rounded.digits;
  const int exponent = rounded.exponent;

  std::string text = value < 0 ? "-" : "";
  // The form depends on the rounded value: at least 0.00001, at most 15 integer digits.
  if (exponent >= -5 && exponent <= 14) {
    if (exponent < 0) {
      text += "0.";
      text.append(static_cast<std::size_t>(-exponent - 1), '0');
      text += digits;
    } else {
      const auto integer_digits = static_cast<std::size_t>(exponent) + 1;
      if (digits.size() <= integer_digits) {
        text += digits;
        text.append(integer_digits - digits.size(), '0');
      } else {
        text += digits.substr(0, integer_digits);
        text += '.';
        text += digits.substr(integer_digits);
      }
    }
  } else {
    text += digits[0];
    if (digits.size() > 1) {
      text += '.';
      text += digits.substr(1);
    }
    text += 'E';
    text += std::to_string(exponent);
  }
  return text;
}
