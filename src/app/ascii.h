#pragma once

// Character classes of the "C" locale, independent of the program's locale.

namespace ascii {

[[nodiscard]] constexpr bool IsDigit(int c) { return c >= '0' && c <= '9'; }

// The white space that atof and scanf skip.
[[nodiscard]] constexpr bool IsSpace(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Value of a hexadecimal digit, or -1 for any other character.
[[nodiscard]] constexpr int HexDigitValue(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

[[nodiscard]] constexpr int ToLower(int c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; }

}  // namespace ascii
