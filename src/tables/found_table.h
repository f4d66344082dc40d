#pragma once

// A table the finder found, as the editor's other windows take it: an ordinary definition
// named "Found 0xADDR" at the base address plus its offset.

#include "tables/table_finder.h"
#include "tables/typed_definition.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TFoundDefinition {
  std::vector<std::string> Row;  // one text per TableDefinition column
  TEntryFormat Format;
};

// The definition of `candidate` with `baseAddress` added to its offset: its shape and width,
// unsigned entries in its byte order and the default axes. Nothing when the address does not
// fit a 32-bit address.
[[nodiscard]] std::optional<TFoundDefinition> FoundDefinition(const TTableCandidate& candidate,
                                                              std::int64_t baseAddress);
