// How many tables of a ground-truth list a definition file reproduces exactly.
//
//   definition_truth [DEFINITION TABLES.TSV]
//
// Without arguments both real pairs under /work/shared/real/ are measured, when that folder
// exists. The definition is read with ReadDefinitionFile(path, 0); a line of tables.tsv is
// reproduced when some ordinary definition has the line's offset as its Table Addr, its rows
// and columns in memory order, its width, byte order (past one byte), sign and float flag, and for
// a linear line its scale and add within a relative 1e-6 (a non-linear line needs a kept equation).

#include "app/number_text.h"
#include "real_tables.h"
#include "tables/definition_file.h"
#include "tables/typed_definition.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool Near(double a, double b) {
  return std::fabs(a - b) <= 1e-6 * std::max({std::fabs(a), std::fabs(b), 1e-300});
}

// Why the closest definition at the line's offset differs; empty when one matches.
std::string Mismatch(const TRealTable& truth, const std::vector<TTypedDefinition>& at) {
  if (at.empty()) return "no definition at the offset";
  std::string why;
  for (const TTypedDefinition& d : at) {
    std::string differs;
    if (d.Rows != truth.Rows || d.Columns != truth.Columns) {
      differs += " shape " + DecimalText(d.Rows) + "x" + DecimalText(d.Columns);
    }
    if (d.EntrySize != truth.Width) differs += " width " + DecimalText(d.EntrySize);
    // One-byte entries have no byte order to get wrong.
    if (truth.Width > 1 && (d.Format.Order == TByteOrder::LittleEndian) != truth.Little) {
      differs += " order";
    }
    if (d.Format.Signed != truth.Signed) differs += " sign";
    if (d.Format.Float != truth.Float) differs += " float";
    if (truth.Linear) {
      if (!d.Format.Equation.empty()) {
        differs += " equation " + d.Format.Equation;
      } else if (!Near(d.ZScale, truth.Scale) || !Near(d.ZOffset, truth.Add)) {
        differs += " scale " + FloatText(d.ZScale) + " add " + FloatText(d.ZOffset);
      }
    } else if (d.Format.Equation.empty()) {
      differs += " linear";
    }
    if (differs.empty()) return {};
    why = "\"" + d.TableName + "\":" + differs;
  }
  return why;
}

int Measure(const fs::path& definition, const fs::path& tsv) {
  std::vector<TRealTable> truth;
  if (!ReadRealTables(tsv, truth)) {
    std::printf("%s: cannot be read as a tables.tsv\n", tsv.string().c_str());
    return 1;
  }
  const TDefinitionFileRead read = ReadDefinitionFile(definition, 0);
  std::printf("%s: %d definitions read%s%s\n", definition.string().c_str(), read.Read,
              read.Problem.empty() ? "" : "; problem: ", read.Problem.c_str());

  std::multimap<std::int64_t, TTypedDefinition> by_address;
  const DefinitionList& list = read.Lists.Ordinary;
  for (int row = 1; list.InUse() && row <= list.DataRowCount(); ++row) {
    if (auto typed = TypedDefinition(list.Row(row), list.Format(row))) {
      by_address.emplace(static_cast<std::uint32_t>(typed->TableAddress), *typed);
    }
  }
  int matched = 0;
  std::vector<std::string> misses;
  for (const TRealTable& line : truth) {
    std::vector<TTypedDefinition> at;
    const auto [first, last] = by_address.equal_range(line.Offset);
    for (auto it = first; it != last; ++it) at.push_back(it->second);
    const std::string why = Mismatch(line, at);
    if (why.empty()) {
      ++matched;
    } else {
      misses.push_back(line.Name + " @0x" +
                       HexText(static_cast<std::int32_t>(line.Offset), 5).substr(2) + " " +
                       DecimalText(line.Rows) + "x" + DecimalText(line.Columns) + ": " + why);
    }
  }
  const double percent = truth.empty() ? 0.0 : 100.0 * matched / static_cast<double>(truth.size());
  std::printf("%s: %d of %zu tables reproduced exactly (%.1f %%)\n", tsv.string().c_str(), matched,
              truth.size(), percent);
  if (read.Read == 0) {
    std::printf("  nothing was read, so the misses are not listed\n");
    return 0;
  }
  for (const std::string& miss : misses) std::printf("  miss: %s\n", miss.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3) return Measure(argv[1], argv[2]);
  if (argc != 1) {
    std::fprintf(stderr, "usage: %s [DEFINITION TABLES.TSV]\n", argv[0]);
    return 2;
  }
  const fs::path real = "/work/shared/real";
  const std::pair<const char*, const char*> pairs[] = {
      {"subaru-a2ug000n/A2UG000N.xml", "subaru-a2ug000n/tables.tsv"},
      {"audi-me71-8d0907551m/8D0907551M-20170411-16bit-kfzw.xdf",
       "audi-me71-8d0907551m/tables.tsv"},
  };
  int status = 0;
  for (const auto& [definition, tsv] : pairs) {
    if (!fs::exists(real / definition) || !fs::exists(real / tsv)) {
      std::printf("%s is absent: nothing measured for it\n", (real / definition).string().c_str());
      continue;
    }
    status |= Measure(real / definition, real / tsv);
  }
  return status;
}
