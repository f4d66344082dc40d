#include "app/number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <random>
#include <string>

namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(ParseIntegerTest, AcceptsValidTexts) {
  const struct {
    const char* text;
    std::int32_t expected;
  } cases[] = {{"0x1F", 31},
               {"$ff", 255},
               {"xff", 255},
               {"0XfF", 255},
               {"  12", 12},
               {"+7", 7},
               {"-0", 0},
               {"010", 10},
               {"2147483647", 2147483647},
               {"-2147483647", -2147483647},
               {"002147483647", 2147483647},
               {"0xFFFFFFFF", -1},
               {"0x80000000", kMin},
               {"0x000000001", 1},
               {"$DEADbeef", -559038737}};
  for (const auto& c : cases) {
    EXPECT_EQ(ParseInteger(c.text), c.expected) << c.text;
    EXPECT_EQ(TryParseInteger(c.text), c.expected) << c.text;
  }
}

TEST(ParseIntegerTest, RejectsInvalidTexts) {
  for (const char* text : {"12 ",
                           "-0x10",
                           "+$10",
                           "2147483648",
                           "2147483649",
                           "-2147483648",
                           "0x100000000",
                           "0x123456789",
                           "",
                           "  ",
                           "x",
                           "0x",
                           "$",
                           "-",
                           "+",
                           "- 1",
                           "1,000",
                           "\t12",
                           "12a",
                           "0x1G",
                           "--1",
                           "99999999999999999999"}) {
    EXPECT_THROW((void)ParseInteger(text), ConversionError) << '"' << text << '"';
    EXPECT_EQ(TryParseInteger(text), std::nullopt) << '"' << text << '"';
  }
  try {
    (void)ParseInteger("12 ");
  } catch (const ConversionError& error) {
    EXPECT_STREQ(error.what(), "'12 ' is not a valid integer value");
  }
}

TEST(IntegerTextTest, HexAndDecimalForms) {
  EXPECT_EQ(HexText(10, 2), "0x0A");
  EXPECT_EQ(HexText(0xABCD, 8), "0x0000ABCD");
  EXPECT_EQ(HexText(0x3F0, 4), "0x03F0");
  EXPECT_EQ(HexText(0x12345, 4), "0x12345");
  EXPECT_EQ(HexText(-1, 4), "0xFFFFFFFF");
  EXPECT_EQ(HexText(kMin, 2), "0x80000000");
  EXPECT_EQ(HexText(0, 0), "0x0");
  EXPECT_EQ(HexText(0, 12), "0x00000000");
  EXPECT_EQ(DecimalText(-40), "-40");
  EXPECT_EQ(DecimalText(kMin), "-2147483648");
  EXPECT_EQ(ParseInteger(HexText(kMin, 4)), kMin);
}

TEST(ParseFloatTest, ReadsLongestNumberPrefix) {
  const struct {
    const char* text;
    double expected;
  } cases[] = {{"1.5abc", 1.5},     {"abc", 0.0},          {"", 0.0},         {" -40", -40.0},
               {"\t\n+3", 3.0},     {"2e3", 2000.0},       {"2E+3x", 2000.0}, {"1e", 1.0},
               {"1e+", 1.0},        {"1.e2", 100.0},       {".5", 0.5},       {"-.5e-1", -0.05},
               {".", 0.0},          {"+-5", 0.0},          {"1,5", 1.0},      {"0x10", 0.0},
               {"1e400", HUGE_VAL}, {"-1e400", -HUGE_VAL}, {"1e-400", 0.0},   {"0.00001e-320", 0.0},
               {"0e99999", 0.0},    {"-inf", -HUGE_VAL}};
  for (const auto& c : cases) EXPECT_EQ(ParseFloat(c.text), c.expected) << '"' << c.text << '"';
  EXPECT_TRUE(std::isnan(ParseFloat("NAN")));
}

TEST(ParseFloatTest, IgnoresLocale) {
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
    GTEST_SKIP() << "locale de_DE.UTF-8 not installed";
  }
  const double parsed = ParseFloat("1.25");
  const std::string text = FloatText(0.5);
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(parsed, 1.25);
  EXPECT_EQ(text, "0.5");
}

TEST(FloatTextTest, Forms) {
  const struct {
    double value;
    const char* expected;
  } cases[] = {{2.0, "2"},
               {-40.0, "-40"},
               {0.5, "0.5"},
               {0.1f, "0.100000001490116"},
               {-0.0, "0"},
               {0.00001, "0.00001"},
               {-0.000012345, "-0.000012345"},
               {0.000001, "1E-6"},
               {-2.5e-7, "-2.5E-7"},
               {1.5e20, "1.5E20"},
               {1e15, "1E15"},
               {100.0, "100"},
               {123456789012345.0, "123456789012345"},
               {1234567890123456.0, "1.23456789012346E15"},
               {9.999999999999999, "10"},
               {99999.99999999999, "100000"},
               {999999999999999.9, "1E15"},
               {0.000009999999999999999, "0.00001"},
               {5e-324, "4.94065645841247E-324"},
               {NAN, "NAN"},
               {-HUGE_VAL, "-INF"}};
  for (const auto& c : cases) EXPECT_EQ(FloatText(c.value), c.expected) << c.value;
}

TEST(FloatTextTest, ReadsBack) {
  // Exact for doubles of at most 15 significant digits.
  for (const double value :
       {0.1, -0.3, 1e-6, 987654321098765.0, -7.25e-300, 1e308, 5e-324, HUGE_VAL, -HUGE_VAL}) {
    EXPECT_EQ(ParseFloat(FloatText(value)), value) << FloatText(value);
  }
  // Floats widened to double come back as the same float.
  std::mt19937 random(12345);
  for (int i = 0; i < 20000; ++i) {
    const std::uint32_t bits = random();
    float f;
    std::memcpy(&f, &bits, sizeof f);
    if (!std::isfinite(f)) continue;
    const std::string text = FloatText(f);
    ASSERT_EQ(static_cast<float>(ParseFloat(text)), f) << text;
  }
}

}  // namespace
