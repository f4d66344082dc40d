#pragma once

// The state every window shares for the whole run: the program's title, the image held in
// memory and the current table. One instance of each; all access is on the UI thread.

#include "image/element_type.h"
#include "image/entry_width.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view AppTitle = "Quorvel Map Editor v0.3b";

struct TRomImage {
  // The whole image file in file order; absent until the first successful load.
  std::optional<std::vector<std::uint8_t>> Bytes;
  // Image size in bytes; 0 means no image is loaded (Close keeps Bytes but sets this to 0).
  std::int32_t Size = 0;
  // Path of the file loaded or last saved as.
  std::string FileName;
};

struct TTableCursor {
  std::int32_t BaseAddress = 0;
  std::int32_t TableAddress = 0;
  std::int32_t Rows = 16;
  std::int32_t Columns = 16;
  ::EntryWidth EntryWidth;  // bytes per entry: 1, 2 or 4
  // Two's complement entries, and their byte order: set when a definition or a found table is
  // opened; unsigned big-endian otherwise.
  bool EntrySigned = false;
  TByteOrder EntryOrder = TByteOrder::BigEndian;
  std::string TableName;
  std::string XLabelName;
  std::string YLabelName;
  std::string ZLabelName;
  float ZScale = 1.0f;
  float ZOffset = 0.0f;

  // How the entries are stored, at `width` bytes each.
  [[nodiscard]] TElementType Type(::EntryWidth width) const {
    return {width, EntrySigned, EntryOrder};
  }
};

// The current session's image and table (app/session.h), by the names every window knows.
extern TRomImage& RomImage;
extern TTableCursor& TableCursor;
