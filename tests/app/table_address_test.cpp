#include "app/table_address.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(ClampTableAddressTest, HoldsTheAddressInsideTheImage) {
  const struct {
    std::int32_t address, base, size, expected;
  } cases[] = {
      {0x9000, 0, 32768, 0x7FFF},         // past the end: the last byte
      {1000, 0, 32768, 1000},             // inside: unchanged
      {0x100, 0x8000, 0x8000, 0x8000},    // below the base: the base
      {0x12345, 0x1000, 0, 0x1000},       // no image: always the base
      {-5, 0, 16, 0},                     // negative address
      {kMax, kMax - 10, 100, kMax},       // image reaching past the 32-bit range
      {kMin, kMax - 10, 100, kMax - 10},  // no overflow in base + size − 1
      {kMax, kMin, 1, kMin},              // one-byte image at the lowest address
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ClampTableAddress(c.address, c.base, c.size), c.expected)
        << c.address << " in " << c.base << " + " << c.size;
  }
}

TEST(StepTableAddressTest, TakesAWholeStepInsideTheImageOrNone) {
  const struct {
    std::int32_t address;
    std::int64_t delta;
    std::int32_t base, size, expected;
  } cases[] = {
      {0, -1, 0, 32768, 0},                     // down at the base
      {0x7FFF, 1, 0, 32768, 0x7FFF},            // up at the last byte
      {0x7FFE, 1, 0, 32768, 0x7FFF},            // up onto the last byte
      {0x10, 32, 0, 0x40, 0x30},                // row up: 16 columns of 16 bits
      {0x20, 32, 0, 0x40, 0x20},                // fewer than 32 bytes left: no step
      {0x1F, 32, 0, 0x40, 0x3F},                // exactly onto the last byte
      {0x8010, -32, 0x8000, 0x100, 0x8010},     // row down would pass the base
      {0x8020, -32, 0x8000, 0x100, 0x8000},     // row down onto the base
      {0x10, 0, 0, 0x40, 0x10},                 // a zero step
      {0x10, -64, 0, 0x40, 0x10},               // a negative row step stays inside or is refused
      {0, 1, 0, 0, 0},                          // no image: nothing to step into
      {kMax - 1, 1, kMax - 10, 100, kMax},      // up to the highest address
      {kMax, 1, kMax - 10, 100, kMax},          // never wraps past it
      {kMin, -1, kMin, 100, kMin},              // never wraps below the lowest
      {0, std::int64_t{kMax} * 4, 0, kMax, 0},  // an oversized row step is refused
      {0, std::numeric_limits<std::int64_t>::max(), 0, kMax, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StepTableAddress(c.address, c.delta, c.base, c.size), c.expected)
        << c.address << " by " << c.delta << " in " << c.base << " + " << c.size;
  }
}

}  // namespace
