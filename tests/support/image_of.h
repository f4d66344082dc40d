#pragma once

#include "app/shared_state.h"

#include <cstdint>
#include <utility>
#include <vector>

// An image holding exactly `bytes`: Size bytes in a buffer of that size, so the sanitizer build
// catches any access outside them.
inline TRomImage ImageOf(std::vector<std::uint8_t> bytes) {
  TRomImage image;
  image.Size = static_cast<std::int32_t>(bytes.size());
  image.Bytes = std::move(bytes);
  return image;
}
