#pragma once

// How the text view shows an entry and its headers.

#include "image/element_type.h"

#include <cstdint>
#include <string>

enum class DisplayMode { Raw, Hex, Scaled };

// The text of an entry's value in a display mode: decimal of the value taken as a signed
// 32-bit integer, hex with two digits per byte, or "???" (the text view applies no scale).
[[nodiscard]] std::string EntryText(DisplayMode mode, std::uint32_t value, int width);
// The same for an entry of `type` holding `bits`: a signed entry's decimal text has its sign,
// the hex text shows the entry's own bits.
[[nodiscard]] std::string EntryText(DisplayMode mode, TElementType type, std::uint32_t bits);

// The header of table column `column`: its byte offset within a row.
[[nodiscard]] std::string ColumnHeaderText(std::int32_t column, int width);

// The header of table row `row`: the address of its first entry.
[[nodiscard]] std::string RowHeaderText(std::int32_t tableAddress, std::int32_t row,
                                        std::int32_t columns, int width);
