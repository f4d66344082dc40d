#include "image/rom_image.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace {

std::size_t LoadedSize(const TRomImage& image) {
  if (!image.Bytes || image.Size <= 0) return 0;
  return std::min(static_cast<std::size_t>(image.Size), image.Bytes->size());
}

}  // namespace

std::span<const std::uint8_t> ImageBytes(const TRomImage& image) {
  if (!image.Bytes) return {};
  return std::span<const std::uint8_t>(*image.Bytes).first(LoadedSize(image));
}

std::span<std::uint8_t> ImageBytes(TRomImage& image) {
  if (!image.Bytes) return {};
  return std::span<std::uint8_t>(*image.Bytes).first(LoadedSize(image));
}

void ReplaceImage(TRomImage& image, std::vector<std::uint8_t> bytes, std::string fileName) {
  image.Size = static_cast<std::int32_t>(
      std::min<std::size_t>(bytes.size(), std::numeric_limits<std::int32_t>::max()));
  image.Bytes = std::move(bytes);
  image.FileName = std::move(fileName);
}

void RenameImage(TRomImage& image, std::string fileName) { image.FileName = std::move(fileName); }

void CloseImage(TRomImage& image) { image.Size = 0; }
