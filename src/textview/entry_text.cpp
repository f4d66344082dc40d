#include "textview/entry_text.h"

#include "app/number_text.h"

namespace {

// Addresses are shown as their 32-bit pattern. Unsigned arithmetic wraps without overflow
// and keeps the low 32 bits exact whatever the operands.
std::int32_t Wrap32(std::uint64_t value) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::uint64_t Bits(std::int32_t value) { return static_cast<std::uint64_t>(value); }

}  // namespace

std::string EntryText(DisplayMode mode, std::uint32_t value, int width) {
  switch (mode) {
    case DisplayMode::Hex:
      return HexText(static_cast<std::int32_t>(value), 2 * width);
    case DisplayMode::Raw:
      return DecimalText(static_cast<std::int32_t>(value));
    case DisplayMode::Scaled:
      return "???";
  }
  return {};
}

std::string EntryText(DisplayMode mode, TElementType type, std::uint32_t bits) {
  if (mode == DisplayMode::Raw && type.Signed) {
    return DecimalText(static_cast<std::int32_t>(ValueOfBits(type, bits)));
  }
  return EntryText(mode, bits, type.Bytes());
}

std::string ColumnHeaderText(std::int32_t column, int width) {
  return HexText(Wrap32(Bits(column) * static_cast<std::uint64_t>(width)), 2);
}

std::string RowHeaderText(std::int32_t tableAddress, std::int32_t row, std::int32_t columns,
                          int width) {
  return HexText(
      Wrap32(Bits(tableAddress) + Bits(row) * Bits(columns) * static_cast<std::uint64_t>(width)),
      4);
}
