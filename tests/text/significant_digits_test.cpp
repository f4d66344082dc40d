#include "text/significant_digits.h"

#include <gtest/gtest.h>

namespace {

TEST(SignificantDigitsTest, RoundsToTheDigitsAndPowerOfTen) {
  const struct {
    double value;
    int precision;
    Ties ties;
    bool negative;
    const char* digits;
    int exponent;
  } cases[] = {
      {255.0, 4, Ties::ToEven, false, "255", 2},
      {-40.0, 15, Ties::ToEven, true, "4", 1},
      {0.000001, 15, Ties::ToEven, false, "1", -6},
      {9.99, 2, Ties::ToEven, false, "1", 1},  // the carry moves the power
      {12.345678, 4, Ties::AwayFromZero, false, "1235", 1},
      // An exact tie: correct rounding keeps the even digit, labels round away from zero.
      {1000000000000005.0, 15, Ties::ToEven, false, "1", 15},
      {1000000000000005.0, 15, Ties::AwayFromZero, false, "100000000000001", 15},
      {0.125, 2, Ties::ToEven, false, "12", -1},
      {0.125, 2, Ties::AwayFromZero, false, "13", -1},
      {-0.125, 2, Ties::AwayFromZero, true, "13", -1},
  };
  for (const auto& c : cases) {
    const SignificantDigits rounded = RoundToSignificant(c.value, c.precision, c.ties);
    EXPECT_EQ(rounded.negative, c.negative) << c.value;
    EXPECT_EQ(rounded.digits, c.digits) << c.value;
    EXPECT_EQ(rounded.exponent, c.exponent) << c.value;
  }
}

TEST(SignificantDigitsTest, ZeroHasNoDigits) {
  EXPECT_EQ(RoundToSignificant(0.0, 15, Ties::ToEven).digits, "");
  EXPECT_FALSE(RoundToSignificant(-0.0, 15, Ties::AwayFromZero).negative);
}

}  // namespace
