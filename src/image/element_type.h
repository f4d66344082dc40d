#pragma once

// How a table entry is stored: 1, 2 or 4 bytes, unsigned or two's complement, most or least
// significant byte first, and the one codec that reads and writes such entries. Big-endian
// unsigned is the default and what the main window's width buttons give.

#include "image/entry_width.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

enum class TByteOrder : std::uint8_t { BigEndian, LittleEndian };

struct TElementType {
  ::EntryWidth Width;
  bool Signed = false;
  TByteOrder Order = TByteOrder::BigEndian;

  [[nodiscard]] constexpr int Bytes() const { return Width.Bytes(); }
  // The values an entry holds: 0 … 2^(8w) − 1 unsigned, −2^(8w−1) … 2^(8w−1) − 1 signed.
  [[nodiscard]] constexpr std::int64_t Min() const {
    return Signed ? -(std::int64_t{1} << (8 * Bytes() - 1)) : 0;
  }
  [[nodiscard]] constexpr std::int64_t Max() const {
    return Signed ? (std::int64_t{1} << (8 * Bytes() - 1)) - 1
                  : (std::int64_t{1} << (8 * Bytes())) - 1;
  }
  friend constexpr bool operator==(const TElementType&, const TElementType&) = default;
};

// The entry's bits as an unsigned number (a signed value's two's complement pattern) from its
// `type.Bytes()` bytes at `bytes`, in the type's byte order.
[[nodiscard]] inline std::uint32_t DecodeBits(TElementType type, const std::uint8_t* bytes) {
  const int width = type.Bytes();
  std::uint32_t bits = 0;
  if (type.Order == TByteOrder::BigEndian) {
    for (int i = 0; i < width; ++i) bits = (bits << 8) | bytes[i];
  } else {
    for (int i = width - 1; i >= 0; --i) bits = (bits << 8) | bytes[i];
  }
  return bits;
}

// The value of an entry's bits: sign-extended for a signed type.
[[nodiscard]] constexpr std::int64_t ValueOfBits(TElementType type, std::uint32_t bits) {
  const int shift = 64 - 8 * type.Bytes();
  const auto wide = static_cast<std::uint64_t>(bits) << shift;
  return type.Signed ? static_cast<std::int64_t>(wide) >> shift
                     : static_cast<std::int64_t>(wide >> shift);
}

// The low 8 × width bits of `value`: what an entry keeps of it.
[[nodiscard]] constexpr std::uint32_t BitsOfValue(TElementType type, std::int64_t value) {
  const int width = type.Bytes();
  const std::uint64_t mask = width == 4 ? 0xFFFFFFFFu : (std::uint64_t{1} << (8 * width)) - 1;
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(value) & mask);
}

// The entry's bytes in memory order (the first `type.Bytes()` of the array).
[[nodiscard]] std::array<std::uint8_t, 4> EncodeBits(TElementType type, std::uint32_t bits);

// The bits or value of the entry at image offset `position`; nothing when any of its bytes
// lies outside `image` (positions are checked in 64 bits, negative ones included).
[[nodiscard]] std::optional<std::uint32_t> ReadBits(std::span<const std::uint8_t> image,
                                                    std::int64_t position, TElementType type);
[[nodiscard]] std::optional<std::int64_t> ReadValue(std::span<const std::uint8_t> image,
                                                    std::int64_t position, TElementType type);
// Stores the low 8 × width bits of `value` at `position`; false, writing nothing, when any byte
// of the entry lies outside `image`.
bool WriteValue(std::span<std::uint8_t> image, std::int64_t position, TElementType type,
                std::int64_t value);

// True when an entry of `width` bytes at `position` lies wholly inside `size` bytes.
[[nodiscard]] constexpr bool FitsInside(std::int64_t position, int width, std::int64_t size) {
  return position >= 0 && size >= width && position <= size - width;
}
