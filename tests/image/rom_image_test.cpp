#include "image/rom_image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace {

TEST(RomImageTest, TheLoadedBytesAreTheFirstSizeBytesOfTheBuffer) {
  const struct {
    const char* what;
    std::optional<std::vector<std::uint8_t>> bytes;
    std::int32_t size;
    std::size_t expected;
  } cases[] = {
      {"no image yet", std::nullopt, 0, 0},
      {"closed", std::vector<std::uint8_t>(8), 0, 0},
      {"whole buffer", std::vector<std::uint8_t>(8), 8, 8},
      {"size below the buffer", std::vector<std::uint8_t>(8), 5, 5},
      {"size beyond the buffer", std::vector<std::uint8_t>(8), 100, 8},
      {"negative size", std::vector<std::uint8_t>(8), -3, 0},
  };
  for (const auto& c : cases) {
    TRomImage image;
    image.Bytes = c.bytes;
    image.Size = c.size;
    EXPECT_EQ(ImageBytes(image).size(), c.expected) << c.what;
    EXPECT_EQ(ImageBytes(static_cast<const TRomImage&>(image)).size(), c.expected) << c.what;
    if (c.bytes && c.expected > 0) {
      EXPECT_EQ(ImageBytes(image).data(), image.Bytes->data()) << c.what;
    }
  }
}

TEST(RomImageTest, ReplaceRenameAndClose) {
  TRomImage image;
  ReplaceImage(image, {1, 2, 3}, "/tmp/car.bin");
  EXPECT_EQ(image.Size, 3);
  EXPECT_EQ(*image.Bytes, (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_EQ(image.FileName, "/tmp/car.bin");

  RenameImage(image, "/tmp/copy.bin");
  EXPECT_EQ(image.FileName, "/tmp/copy.bin");
  EXPECT_EQ(image.Size, 3);

  // Close keeps the buffer and the name until the next load.
  CloseImage(image);
  EXPECT_EQ(image.Size, 0);
  EXPECT_TRUE(ImageBytes(image).empty());
  EXPECT_EQ(image.Bytes->size(), 3u);
  EXPECT_EQ(image.FileName, "/tmp/copy.bin");

  ReplaceImage(image, {}, "/tmp/empty.bin");
  EXPECT_EQ(image.Size, 0);
  EXPECT_TRUE(image.Bytes.has_value());
}

}  // namespace
