#pragma once

// RomRaider and ECUFlash XML definition files: a "rom" with its "romid", "scaling"s and
// "table"s, possibly completed by the files its "include"s name, found beside it.

#include "tables/definition_file.h"

#include <cstdint>
#include <filesystem>

// Reads the file at `path` and its includes.
[[nodiscard]] TDefinitionFileRead ReadRomXmlFile(const std::filesystem::path& path,
                                                 std::int64_t baseAddress);
