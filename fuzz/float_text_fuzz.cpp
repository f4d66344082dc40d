// Float texts read back: 15 significant digits give back every value held in single precision
// exactly, every double to 15 digits, and the text of the read-back value is the same text.

#include "app/number_text.h"
#include "fuzz_input.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const double value = input.Take<double>();
  const float single = input.Take<float>();
  if (std::isfinite(value)) {
    const std::string text = FloatText(value);
    const double back = ParseFloat(text);
    // Rounding to 15 digits may carry the largest doubles past the top of the range.
    if (std::isinf(back)) {
      if (std::fabs(value) < 1.7976931348623e308) std::abort();
    } else {
      if (std::fabs(back - value) > std::fabs(value) * 1e-14) std::abort();
      if (FloatText(back) != text) std::abort();
    }
  }
  if (std::isfinite(single)) {
    if (static_cast<float>(ParseFloat(FloatText(single))) != single) std::abort();
  }
  return 0;
}
