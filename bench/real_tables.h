#pragma once

// The ground truth beside the real images under ../shared/real: tables.tsv, two comment
// lines, a header line naming the columns, then one tab-separated line per known table.
// Shared by the tools that measure the definition readers and the table finder against it.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

struct TRealTable {
  std::string Name;
  std::int64_t Offset = 0;  // file offset of the first entry
  int Rows = 0;             // memory order: Columns entries stored one after another
  int Columns = 0;
  int Width = 0;
  bool Little = false;
  bool Signed = false;
  bool Float = false;
  bool Linear = true;  // physical = raw × Scale + Add
  double Scale = 1.0;
  double Add = 0.0;
  bool High = false;  // confidence high and not constant
};

// The lines of a tables.tsv; false when the file cannot be read or has no header.
inline bool ReadRealTables(const std::filesystem::path& path, std::vector<TRealTable>& tables) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  std::map<std::string, std::size_t> column;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line.front() == '#') continue;
    std::vector<std::string> fields;
    std::stringstream stream(line);
    for (std::string field; std::getline(stream, field, '\t');) fields.push_back(field);
    if (column.empty()) {
      for (std::size_t k = 0; k < fields.size(); ++k) column[fields[k]] = k;
      continue;
    }
    const auto field = [&](const char* name) -> std::string {
      const auto found = column.find(name);
      return found != column.end() && found->second < fields.size() ? fields[found->second]
                                                                    : std::string();
    };
    TRealTable table;
    table.Name = field("name");
    table.Offset = std::stoll(field("offset"), nullptr, 16);
    table.Rows = std::stoi(field("rows"));
    table.Columns = std::stoi(field("cols"));
    table.Width = std::stoi(field("width"));
    table.Little = field("endian") == "little";
    table.Signed = field("signed") == "signed";
    table.Float = field("type") == "float";
    table.Linear = field("scale") != "nonlinear";
    if (table.Linear) {
      table.Scale = std::stod(field("scale"));
      table.Add = std::stod(field("add"));
    }
    table.High = field("confidence") == "high" && field("check") != "CONSTANT";
    tables.push_back(table);
  }
  return !column.empty();
}
