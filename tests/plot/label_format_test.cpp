#include "plot/label_format.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

struct Row {
  double value;
  TStringFloatFormat format;
  int precision;
  const char* expected;
};

TEST(FloatToStrF, GeneralFormat) {
  const Row rows[] = {
      {255, sffGeneral, 4, "255"},
      {12.34567, sffGeneral, 4, "12.35"},
      {0.5, sffGeneral, 4, "0.5"},
      {0.0001, sffGeneral, 4, "0.0001"},
      {65535, sffGeneral, 4, "6.554E4"},
      {0.00005, sffGeneral, 4, "5E-5"},
      {100, sffGeneral, 4, "100"},
      {1000, sffGeneral, 4, "1000"},
      {10000, sffGeneral, 4, "1E4"},
      {0, sffGeneral, 4, "0"},
      {-40, sffGeneral, 4, "-40"},
      {-0.25, sffGeneral, 4, "-0.25"},
      {9.99996, sffGeneral, 4, "10"},
      {123456789, sffGeneral, 18, "123456789"},
      {1.0 / 3, sffGeneral, 0, "0.33"},  // precision below 2 acts as 2
      {1.0 / 3, sffGeneral, 1, "0.33"},
      {-1.5e-20, sffGeneral, 4, "-1.5E-20"},
      {2.5e300, sffGeneral, 4, "2.5E300"},
      // Exact ties round away from zero; values just off a tie round to the nearer side.
      {12345, sffGeneral, 4, "1.235E4"},
      {65525, sffGeneral, 4, "6.553E4"},
      {0.125, sffGeneral, 2, "0.13"},
      {-0.125, sffGeneral, 2, "-0.13"},
      {9995, sffGeneral, 3, "1E4"},
      {0.15, sffGeneral, 1, "0.15"},
      {2.675, sffGeneral, 3, "2.67"},
      {1.0000000000000002, sffGeneral, 2, "1"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(FloatToStrF(row.value, row.format, row.precision, row.precision), row.expected)
        << row.value << " p=" << row.precision;
  }
}

TEST(FloatToStrF, OtherFormatsHonourPrecisionAndDigits) {
  EXPECT_EQ(FloatToStrF(255, sffExponent, 4, 2), "2.550E+02");
  EXPECT_EQ(FloatToStrF(255, sffExponent, 4, 4), "2.550E+0002");
  EXPECT_EQ(FloatToStrF(-0.00125, sffExponent, 3, 0), "-1.25E-3");
  EXPECT_EQ(FloatToStrF(255, sffFixed, 4, 2), "255.00");
  EXPECT_EQ(FloatToStrF(-2.7, sffFixed, 4, 0), "-3");
  EXPECT_EQ(FloatToStrF(65535, sffFixed, 4, 2), "6.554E4");  // whole part beyond precision
  EXPECT_EQ(FloatToStrF(65535, sffNumber, 6, 2), "65,535.00");
  EXPECT_EQ(FloatToStrF(-1234567, sffNumber, 8, 0), "-1,234,567");
  EXPECT_EQ(FloatToStrF(-2.5, sffCurrency, 4, 2), "-$2.50");
  EXPECT_EQ(FloatToStrF(-0.001, sffFixed, 4, 2), "0.00");
  EXPECT_EQ(FloatToStrF(255, static_cast<TStringFloatFormat>(9), 4, 4), "255");
}

TEST(FloatToStrF, NonFiniteValues) {
  EXPECT_EQ(FloatToStrF(std::numeric_limits<double>::quiet_NaN(), sffGeneral, 4, 4), "NAN");
  EXPECT_EQ(FloatToStrF(std::numeric_limits<double>::infinity(), sffFixed, 4, 4), "INF");
  EXPECT_EQ(FloatToStrF(-std::numeric_limits<double>::infinity(), sffGeneral, 4, 4), "-INF");
}

}  // namespace
