#include "image/element_type.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

constexpr TByteOrder kBig = TByteOrder::BigEndian;
constexpr TByteOrder kLittle = TByteOrder::LittleEndian;

TElementType Type(int width, bool isSigned, TByteOrder order) {
  return {*EntryWidth::FromBytes(width), isSigned, order};
}

TEST(ElementTypeTest, ReadsAndWritesEveryWidthSignAndOrder) {
  const struct {
    int width;
    bool isSigned;
    TByteOrder order;
    std::vector<std::uint8_t> bytes;  // in memory order
    std::int64_t value;
  } rows[] = {
      {1, false, kBig, {0xFE}, 254},
      {1, true, kBig, {0xFE}, -2},
      {1, true, kLittle, {0x7F}, 127},
      {2, false, kBig, {0x12, 0x34}, 0x1234},
      {2, false, kLittle, {0x34, 0x12}, 0x1234},
      {2, true, kBig, {0xFF, 0x38}, -200},
      {2, true, kLittle, {0x38, 0xFF}, -200},
      {2, true, kLittle, {0x00, 0x80}, -32768},
      {4, false, kBig, {0xFF, 0xFF, 0xFF, 0xFE}, 4294967294},
      {4, false, kLittle, {0x78, 0x56, 0x34, 0x12}, 0x12345678},
      {4, true, kBig, {0x80, 0x00, 0x00, 0x00}, -2147483648LL},
      {4, true, kLittle, {0xFF, 0xFF, 0xFF, 0xFF}, -1},
  };
  for (const auto& row : rows) {
    const TElementType type = Type(row.width, row.isSigned, row.order);
    const std::string what = std::to_string(row.width) + (row.isSigned ? " signed " : " ") +
                             (row.order == kBig ? "big" : "little");
    EXPECT_EQ(ReadValue(row.bytes, 0, type), row.value) << what;
    std::vector<std::uint8_t> written(row.bytes.size(), 0xAA);
    ASSERT_TRUE(WriteValue(written, 0, type, row.value)) << what;
    EXPECT_EQ(written, row.bytes) << what;
    EXPECT_GE(row.value, type.Min()) << what;
    EXPECT_LE(row.value, type.Max()) << what;
  }
}

TEST(ElementTypeTest, WritesKeepTheLowBitsOfAnyValue) {
  std::vector<std::uint8_t> bytes(2);
  ASSERT_TRUE(WriteValue(bytes, 0, Type(2, false, kLittle), 0x12345));
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0x45, 0x23}));
  ASSERT_TRUE(WriteValue(bytes, 0, Type(2, true, kBig), -1));
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0xFF, 0xFF}));
  EXPECT_EQ(Type(1, true, kBig).Min(), -128);
  EXPECT_EQ(Type(4, false, kBig).Max(), 4294967295LL);
}

TEST(ElementTypeTest, EntriesAtTheImagesLastBytesAreReadAndNothingPastIt) {
  std::vector<std::uint8_t> image = {1, 2, 3, 4, 5, 6};
  for (const int width : {1, 2, 4}) {
    for (const TByteOrder order : {kBig, kLittle}) {
      const TElementType type = Type(width, true, order);
      const std::int64_t last = static_cast<std::int64_t>(image.size()) - width;
      EXPECT_TRUE(ReadValue(image, last, type).has_value()) << width;
      EXPECT_FALSE(ReadValue(image, last + 1, type).has_value()) << width;
      EXPECT_FALSE(ReadValue(image, -1, type).has_value()) << width;
      EXPECT_FALSE(ReadBits(image, INT64_MAX, type).has_value()) << width;
      const std::vector<std::uint8_t> before = image;
      EXPECT_FALSE(WriteValue(image, last + 1, type, 0)) << width;
      EXPECT_FALSE(WriteValue(image, INT64_MIN, type, 0)) << width;
      EXPECT_EQ(image, before) << width;
      EXPECT_TRUE(WriteValue(image, last, type, -1)) << width;
      EXPECT_EQ(image.back(), 0xFF) << width;
      image = {1, 2, 3, 4, 5, 6};
    }
  }
  EXPECT_FALSE(ReadValue({}, 0, Type(1, false, kBig)).has_value());
}

}  // namespace
