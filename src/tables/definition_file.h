#pragma once

// Definition files in the formats tuners share: TunerPro XDF (read and written) and RomRaider
// or ECUFlash XML (read). A read builds both lists anew; the table editor puts them in place
// of its own only when something was read, so a file that cannot be read changes nothing.

#include "tables/definition_list.h"

#include <cstdint>
#include <filesystem>
#include <string>

// Files larger than this are refused before a byte of them is parsed.
inline constexpr std::uintmax_t kDefinitionFileLimit = std::uintmax_t{64} << 20;

struct TDefinitionFileRead {
  // The definitions read: SelectedList ordinary, row 1 of each list current. Empty lists
  // when nothing could be read.
  TableDefinitions Lists;
  int Read = 0;  // definitions stored into the two lists
  // The first problem met, for a message box that also names the file; empty when the whole
  // file was read. "line 12: table \"Boost\": the address is not a number".
  std::string Problem;
};

// Reads an XDF file or a RomRaider / ECUFlash XML file (and the files it includes, beside
// it), telling which by the document's root element. Table addresses are the offsets the file
// names plus `baseAddress`. Only a regular file of at most kDefinitionFileLimit bytes is read;
// XML entities other than the predefined ones are never expanded.
[[nodiscard]] TDefinitionFileRead ReadDefinitionFile(const std::filesystem::path& path,
                                                     std::int64_t baseAddress);

// The bytes of a definition file: only a regular file of at most kDefinitionFileLimit bytes.
// Empty on success, else the problem ("the file is larger than 64 MiB", the system's reason).
[[nodiscard]] std::string ReadDefinitionText(const std::filesystem::path& path, std::string& text);
