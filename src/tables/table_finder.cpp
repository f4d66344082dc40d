#include "tables/table_finder.h"

std::vector<TTableCandidate> FindTables(std::span<const std::uint8_t> image) {
  return FindTables(image, {}).value_or(std::vector<TTableCandidate>{});
}

std::optional<std::vector<TTableCandidate>> FindTables(std::span<const std::uint8_t>,
                                                       const FinderProgress&) {
  return std::vector<TTableCandidate>{};
}

std::string CandidateReason(std::span<const std::uint8_t>, const TTableCandidate&) { return {}; }
