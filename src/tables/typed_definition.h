#pragma once

// An ordinary table definition with typed fields, beside the texts the definition list holds,
// and the one conversion each way between the two. Readers of definition files build typed
// definitions and store them as rows; the entries' sign and byte order, which no text column
// holds, travel beside the row as its TEntryFormat.

#include "image/element_type.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// How a definition's entries are stored and read beyond their width: what a row of texts
// cannot say. Unsigned big-endian integers are the default, and what ".ecu" files and new
// entries hold. Definition files add the rest: IEEE-754 single entries (opened as their raw
// 32-bit patterns) and an equation from raw to physical value that is no a·X + b (a linear one
// becomes the Z scale and offset instead).
struct TEntryFormat {
  bool Signed = false;
  TByteOrder Order = TByteOrder::BigEndian;
  bool Float = false;
  std::string Equation{};
  friend bool operator==(const TEntryFormat&, const TEntryFormat&) = default;
};

// One field per column of an ordinary definition row, plus the entry format. Every member has
// a default, so a designated initializer names only the fields it sets.
struct TTypedDefinition {
  std::string TableName{};
  std::int32_t TableAddress = 0;  // address of the first entry, base address included
  std::int32_t Columns = 1;
  std::int32_t Rows = 1;
  std::int32_t EntrySize = 1;  // bytes per entry as the row says it, not only 1, 2 or 4
  std::string XLabel{};
  double XScale = 1.0;
  double XOffset = 0.0;
  std::string YLabel{};
  double YScale = 1.0;
  double YOffset = 0.0;
  std::string ZLabel{};
  double ZScale = 1.0;
  double ZOffset = 0.0;
  bool FxxxTable = false;
  std::int32_t FxxxDecimalPlaces = 0;
  TEntryFormat Format{};
  friend bool operator==(const TTypedDefinition&, const TTypedDefinition&) = default;
};

// The row's texts, one per TableDefinition column, as the editor writes them elsewhere: the
// address as HexText(…, 4), whole numbers as DecimalText, scales and offsets as FloatText and
// the Fxxx flag as "Yes" or "No".
[[nodiscard]] std::vector<std::string> DefinitionRow(const TTypedDefinition& definition);

// The typed definition of a row of TableDefinition::ColumnCount texts, with `format` as its
// entry format. Whole numbers are read by ParseInteger's rules, scales and offsets by
// ParseFloat's (which never fail), the Fxxx flag is set by a text starting with y or Y.
// Nothing when a whole number does not parse or the row has another count of texts.
[[nodiscard]] std::optional<TTypedDefinition> TypedDefinition(std::span<const std::string> row,
                                                              TEntryFormat format);
