#pragma once

// TunerPro XDF definition files (the XML form): read into both lists, and both lists written
// as an XDF that TunerPro opens and that reads back to the same lists, every field's text and
// every entry format unchanged.

#include "tables/definition_file.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// Reads an XDF document held in `text`.
[[nodiscard]] TDefinitionFileRead ReadXdfText(std::string_view text, std::int64_t baseAddress);

// Both lists as an XDF document.
[[nodiscard]] std::string FormatXdf(const TableDefinitions& lists, std::int64_t baseAddress);

// Writes FormatXdf's text to `path` all at once (WriteFileSafely, Whole); empty on success,
// else what failed.
[[nodiscard]] std::string WriteXdfFile(const std::filesystem::path& path,
                                       const TableDefinitions& lists, std::int64_t baseAddress);
