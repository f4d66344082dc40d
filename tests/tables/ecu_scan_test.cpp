#include "tables/ecu_scan.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <string_view>

namespace {

using namespace std::string_literals;

// ReadNumberField done with the C library itself: fscanf, then getc up to the stop character.
// The text must not be empty.
template <typename Target>
bool LibraryReadNumberField(std::string text, const char* pattern, char stop, Target& target,
                            long& position) {
  std::FILE* file = fmemopen(text.data(), text.size(), "r");
  bool ok = std::fscanf(file, pattern, &target) != EOF;
  if (ok) {
    int c = 0;
    do c = std::fgetc(file);
    while (c != EOF && c != static_cast<unsigned char>(stop));
    ok = c != EOF;
  }
  position = std::ftell(file);
  std::fclose(file);
  return ok;
}

// Pieces that come close to numbers, and junk around them.
const char* const kPieces[] = {"0",          "1",
                               "7",          "9",
                               "a",          "F",
                               "g",          "x",
                               "X",          "-",
                               "+",          ".",
                               "e",          "E",
                               "p",          "P",
                               "n",          "N",
                               "i",          "nan",
                               "inF",        "inity",
                               "0x",         "0X",
                               " ",          "\t",
                               "\n",         ",",
                               "}",          "{",
                               "\0",         "\xff",
                               "\v",         "12345678901234567890",
                               "e40",        "e-50",
                               "1e",         "99999999999",
                               "4294967295", "-2147483649",
                               "0x1p",       "e+",
                               "\r"};

std::string RandomText(std::mt19937& random) {
  std::string text;
  const int pieces = std::uniform_int_distribution(0, 7)(random);
  for (int k = 0; k < pieces; ++k) {
    text += kPieces[std::uniform_int_distribution<std::size_t>(0, std::size(kPieces) - 1)(random)];
  }
  // CR LF is read as one line end here but as two characters by the library.
  for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
  return text.empty() ? "," : text;
}

TEST(ReadNumberFieldTest, ScansAsTheCLibraryDoes) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 20000; ++round) {
    const std::string text = RandomText(random);
    for (const char* pattern : {"{%x", "%x", "%d", "%d}"}) {
      std::int32_t expected = 77, actual = 77;
      long expected_position = 0;
      const char stop = pattern[2] == '}' ? '\n' : ',';
      const bool expected_ok =
          LibraryReadNumberField(text, pattern, stop, expected, expected_position);
      EcuInput input(text);
      ASSERT_EQ(ReadNumberField(input, pattern, stop, actual), expected_ok)
          << pattern << " on \"" << text << '"';
      ASSERT_EQ(actual, expected) << pattern << " on \"" << text << '"';
      ASSERT_EQ(static_cast<long>(input.Position()), expected_position)
          << pattern << " on \"" << text << '"';
    }
    float expected = 0.25f, actual = 0.25f;
    long expected_position = 0;
    const bool expected_ok = LibraryReadNumberField(text, "%f", ',', expected, expected_position);
    EcuInput input(text);
    ASSERT_EQ(ReadNumberField(input, "%f", ',', actual), expected_ok) << '"' << text << '"';
    ASSERT_EQ(std::bit_cast<std::uint32_t>(actual), std::bit_cast<std::uint32_t>(expected))
        << '"' << text << "\" " << actual << " vs " << expected;
    ASSERT_EQ(static_cast<long>(input.Position()), expected_position) << '"' << text << '"';
  }
}

TEST(ReadNumberFieldTest, KeepsTheTargetWhenTheScanDoesNotMatch) {
  const struct {
    std::string_view text, pattern;
    std::int32_t expected;
    bool ok;
    std::size_t position;
  } cases[] = {
      {"{3f0,", "{%x", 0x3F0, true, 5},
      {"3f0,", "{%x", 5, true, 4},       // missing "{": skipped to the ","
      {"{zz,9", "{%x", 5, true, 4},      // a letter where a digit should be
      {"{}\r\n{1,", "{%x", 5, true, 7},  // the skip runs on into the next line
      {"{}", "{%x", 5, false, 2},        // and to the end of the text
      {"", "{%x", 5, false, 0},          // nothing before the end
      {"{  \n ", "{%x", 5, false, 5},
      {"2}\r\n{", "%d}", 2, true, 4},
      {"2}", "%d}", 2, false, 2},  // no line end after the header
      {"0x10,", "%d", 0, true, 5},
  };
  for (const auto& c : cases) {
    std::int32_t target = 5;
    EcuInput input(c.text);
    EXPECT_EQ(ReadNumberField(input, c.pattern, c.pattern == "%d}" ? '\n' : ',', target), c.ok)
        << c.pattern << " on " << c.text;
    EXPECT_EQ(target, c.expected) << c.pattern << " on " << c.text;
    EXPECT_EQ(input.Position(), c.position) << c.pattern << " on " << c.text;
  }
}

TEST(ReadTextFieldTest, ReadsUpToTheDelimiter) {
  const struct {
    std::string text;
    std::size_t limit;
    bool ok;
    std::string expected;
    std::size_t position;
  } cases[] = {
      {"Fuel Map,", 63, true, "Fuel Map", 9},
      {"  lead kept \t ,", 63, true, "  lead kept", 15},
      {" \t }", 63, true, "", 4},
      {",", 63, true, "", 1},
      {"a}b,", 63, true, "a", 2},
      {"two\r\nlines,", 63, true, "two\nlines", 11},
      {"no end", 63, false, "no end", 6},
      {"", 63, false, "", 0},
      {"abcdefgh,next", 5, true, "abcde", 9},  // cut at the limit, the rest skipped
      {"abcd     ,", 5, true, "abcd", 10},     // trimmed after the cut
      {"\0\xff\x01,"s, 63, true, "\0\xff\x01"s, 4},
  };
  for (const auto& c : cases) {
    std::string buffer = "old";
    EcuInput input(c.text);
    EXPECT_EQ(ReadTextField(input, buffer, c.limit), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(buffer, c.expected) << c.text;
    }
    EXPECT_EQ(input.Position(), c.position) << c.text;
  }
}

}  // namespace
