#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

// Conversions between numbers and the texts the user sees and types. All of them are
// locale-independent: "." is always the decimal point.

struct ConversionError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Parses a decimal or hexadecimal ("$", "x", "X", "0x", "0X" prefix) 32-bit integer.
// Leading spaces are allowed, anything after the digits is not. Hexadecimal texts give the
// value of a 32-bit pattern; signed decimal texts range from -2147483647 to 2147483647.
// Throws ConversionError with what() == "'" + text + "' is not a valid integer value".
[[nodiscard]] std::int32_t ParseInteger(std::string_view text);

// The same rules without the throw, for callers that expect texts which are no number:
// nothing where ParseInteger would fail.
[[nodiscard]] std::optional<std::int32_t> TryParseInteger(std::string_view text);

// Converts the longest prefix of `text` that forms a decimal floating-point number, like
// atof; gives 0 when there is none. Never fails.
[[nodiscard]] double ParseFloat(std::string_view text);

// "0x" and the upper-case 32-bit pattern, zero-padded to `digits` (1..8) digits, never cut.
[[nodiscard]] std::string HexText(std::int32_t value, int digits);

// Plain signed decimal text.
[[nodiscard]] std::string DecimalText(std::int32_t value);

// Up to 15 significant digits without trailing zeros: fixed-point ("0.5", "-40") for magnitudes
// from 0.00001 with at most 15 integer digits, otherwise "1.5E20" / "1E-6". NaN and infinities
// give "NAN", "INF" and "-INF".
[[nodiscard]] std::string FloatText(double value);
