#pragma once

// The operations that replace, rename and close the image held in memory, and its bytes as
// a span. Load, Save As and Close go through these; the windows only show the outcome.

#include "app/shared_state.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The loaded bytes: the first Size bytes of the buffer (never more than it holds); empty
// with no image or after Close.
[[nodiscard]] std::span<const std::uint8_t> ImageBytes(const TRomImage& image);
[[nodiscard]] std::span<std::uint8_t> ImageBytes(TRomImage& image);

// A load: the file's bytes become the image, its path the file name. Sizes beyond what a
// signed 32-bit count holds are cut to it.
void ReplaceImage(TRomImage& image, std::vector<std::uint8_t> bytes, std::string fileName);

// A Save As: later plain saves write to `fileName`.
void RenameImage(TRomImage& image, std::string fileName);

// Close: no image is loaded any more. The buffer and the file name stay until the next load.
void CloseImage(TRomImage& image);
