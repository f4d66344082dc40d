#include "app/table_address.h"

#include <algorithm>
#include <limits>

namespace {

// The image's last address, held to what a 32-bit address can name.
std::int64_t LastAddress(std::int32_t base, std::int32_t size) {
  return std::min<std::int64_t>(std::int64_t{base} + size - 1,
                                std::numeric_limits<std::int32_t>::max());
}

}  // namespace

std::int32_t ClampTableAddress(std::int32_t address, std::int32_t base, std::int32_t size) {
  std::int64_t clamped = address;
  clamped = std::min(clamped, LastAddress(base, size));
  clamped = std::max<std::int64_t>(clamped, base);
  return static_cast<std::int32_t>(clamped);
}

std::int32_t StepTableAddress(std::int32_t address, std::int64_t delta, std::int32_t base,
                              std::int32_t size) {
  // No step longer than the whole 32-bit address range can land inside the image.
  constexpr std::int64_t kRange = std::int64_t{1} << 32;
  if (delta > kRange || delta < -kRange) return address;
  const std::int64_t target = std::int64_t{address} + delta;
  if (target < base || target > LastAddress(base, size)) return address;
  return static_cast<std::int32_t>(target);
}
