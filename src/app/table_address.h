#pragma once

// Where the table address may lie: from the base address to the image's last byte. All
// arithmetic is 64-bit, so no base, size or step can overflow.

#include <cstdint>

// Clamps an address into BaseAddress … BaseAddress + Size − 1; with no image (Size 0) the
// result is the base address.
[[nodiscard]] std::int32_t ClampTableAddress(std::int32_t address, std::int32_t base,
                                             std::int32_t size);

// Moves an address by `delta` bytes when the whole step lands inside BaseAddress …
// BaseAddress + Size − 1; otherwise the address stays as it is (no partial step, no wrap).
[[nodiscard]] std::int32_t StepTableAddress(std::int32_t address, std::int64_t delta,
                                            std::int32_t base, std::int32_t size);
