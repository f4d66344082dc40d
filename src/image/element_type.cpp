#include "image/element_type.h"

std::array<std::uint8_t, 4> EncodeBits(TElementType type, std::uint32_t bits) {
  std::array<std::uint8_t, 4> bytes{};
  const int width = type.Bytes();
  for (int i = 0; i < width; ++i) {
    const int index = type.Order == TByteOrder::BigEndian ? width - 1 - i : i;
    bytes[static_cast<std::size_t>(index)] = static_cast<std::uint8_t>(bits >> (8 * i));
  }
  return bytes;
}

std::optional<std::uint32_t> ReadBits(std::span<const std::uint8_t> image, std::int64_t position,
                                      TElementType type) {
  if (!FitsInside(position, type.Bytes(), static_cast<std::int64_t>(image.size()))) {
    return std::nullopt;
  }
  return DecodeBits(type, image.data() + position);
}

std::optional<std::int64_t> ReadValue(std::span<const std::uint8_t> image, std::int64_t position,
                                      TElementType type) {
  const std::optional<std::uint32_t> bits = ReadBits(image, position, type);
  if (!bits) return std::nullopt;
  return ValueOfBits(type, *bits);
}

bool WriteValue(std::span<std::uint8_t> image, std::int64_t position, TElementType type,
                std::int64_t value) {
  if (!FitsInside(position, type.Bytes(), static_cast<std::int64_t>(image.size()))) return false;
  const std::array<std::uint8_t, 4> bytes = EncodeBits(type, BitsOfValue(type, value));
  for (int i = 0; i < type.Bytes(); ++i) image[static_cast<std::size_t>(position + i)] = bytes[i];
  return true;
}
