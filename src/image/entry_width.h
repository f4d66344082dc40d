#pragma once

// Bytes per table entry: 1, 2 or 4 (8, 16 or 32-bit tables), and nothing else.

#include <cstdint>
#include <optional>

class EntryWidth {
 public:
  // One byte, the start-up width.
  constexpr EntryWidth() = default;

  // The width of `bytes` bytes; nothing for any count but 1, 2 and 4.
  [[nodiscard]] static constexpr std::optional<EntryWidth> FromBytes(std::int64_t bytes) {
    if (bytes != 1 && bytes != 2 && bytes != 4) return std::nullopt;
    return EntryWidth(static_cast<std::uint8_t>(bytes));
  }

  static const EntryWidth k8Bit;
  static const EntryWidth k16Bit;
  static const EntryWidth k32Bit;

  [[nodiscard]] constexpr int Bytes() const { return bytes_; }

  friend constexpr bool operator==(EntryWidth, EntryWidth) = default;
  friend constexpr bool operator==(EntryWidth width, int bytes) { return width.bytes_ == bytes; }

 private:
  constexpr explicit EntryWidth(std::uint8_t bytes) : bytes_(bytes) {}

  std::uint8_t bytes_ = 1;
};

inline constexpr EntryWidth EntryWidth::k8Bit{1};
inline constexpr EntryWidth EntryWidth::k16Bit{2};
inline constexpr EntryWidth EntryWidth::k32Bit{4};
