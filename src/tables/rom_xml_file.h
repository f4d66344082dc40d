#pragma once

// RomRaider and ECUFlash XML definition files: a "rom" with its "romid", "scaling"s and
// "table"s, possibly completed by the files its "include"s name, found beside it.
//
// A table's definition may be spread over a chain of files: a base file gives its type,
// scaling and axes, and the file including it (or a RomRaider "rom" naming it as its base)
// adds the address and may change any attribute; tables and their axes are matched by
// name, the including file's word counting. Only tables that end up with an address are
// listed, in the order their names first appear along the chain (the base file's first).
// Each ordinary table is followed by those of its axes that are stored at an address of
// their own, as one-row definitions named "<table> - <axis> axis", each such axis listed
// once (at the first table using it). A table stored column by column ("swapxy") is listed
// in memory order, its rows and columns and X and Y names exchanged; mirrored axes ("flipx",
// "flipy") change nothing, as the grid shows memory order. Addresses are hexadecimal, moved
// by a RomRaider romid's <offset>. Switches (RomRaider "Switch", ECUFlash "bloblist"
// scalings) and RomRaider bit-wise switches go to the bit-wise list: a switch's
// descriptions are its states as "name = hex bytes", a bit-wise switch's are its bits'
// names at their positions.

#include "tables/definition_file.h"

#include <cstdint>
#include <filesystem>
#include <string_view>

// Reads the file at `path` and its includes.
[[nodiscard]] TDefinitionFileRead ReadRomXmlFile(const std::filesystem::path& path,
                                                 std::int64_t baseAddress);

// Reads the document held in `text` as the file at `path`: the path names it in problems,
// and the files it includes are looked for beside it.
[[nodiscard]] TDefinitionFileRead ReadRomXmlText(const std::filesystem::path& path,
                                                 std::string_view text, std::int64_t baseAddress);
