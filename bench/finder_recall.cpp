// How many known tables the table finder finds in real images, and how many of its candidates
// are known tables. Reads every folder given (default: each folder of ../shared/real/ or
// /work/shared/real/) holding an image and a tables.tsv listing the tables known in it.
// With --list, prints the known tables missed and the candidates that hit nothing; with
// --least=S, counts only candidates scoring S or more.

#include "real_tables.h"
#include "tables/table_finder.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::int64_t Overlap(std::int64_t a, std::int64_t a_end, std::int64_t b, std::int64_t b_end) {
  return std::max<std::int64_t>(0, std::min(a_end, b_end) - std::max(a, b));
}

std::int64_t EndOf(const TRealTable& t) {
  return t.Offset + std::int64_t{t.Rows} * t.Columns * t.Width;
}
std::int64_t EndOf(const TTableCandidate& c) {
  return c.Offset + std::int64_t{c.Rows} * c.Columns * c.Width;
}

bool Finds(const TTableCandidate& c, const TRealTable& t) {
  if (c.Width != t.Width || c.LittleEndian != t.Little) return false;
  if (t.Rows > 1 && c.Columns != t.Columns) return false;
  return 2 * Overlap(c.Offset, EndOf(c), t.Offset, EndOf(t)) >= EndOf(t) - t.Offset;
}

struct TTally {
  int Maps = 0, MapsFound = 0, Curves = 0, CurvesFound = 0, Hits = 0;
  int Top[4] = {};  // hits among the first 25, 50, 100, 200
};

TTally Count(const std::vector<TRealTable>& known, const std::vector<TTableCandidate>& found,
             bool high_only, bool list, const std::vector<std::uint8_t>& image) {
  TTally tally;
  for (const TRealTable& t : known) {
    if (high_only && !t.High) continue;
    const bool map = t.Rows > 1;
    if (!map && t.Columns < 16) continue;
    const bool hit = std::any_of(found.begin(), found.end(),
                                 [&](const TTableCandidate& c) { return Finds(c, t); });
    (map ? tally.Maps : tally.Curves) += 1;
    (map ? tally.MapsFound : tally.CurvesFound) += hit ? 1 : 0;
    if (list && !hit) {
      std::printf("  missed 0x%llX %d×%d w%d%s %s\n", static_cast<unsigned long long>(t.Offset),
                  t.Rows, t.Columns, t.Width, t.Little ? "le" : "be", t.Name.c_str());
      const TTableCandidate exact{t.Offset, t.Rows, t.Columns, t.Width, t.Little, 0.0};
      std::printf("      itself: %s\n", CandidateReason(image, exact).c_str());
      for (const TTableCandidate& c : found) {
        if (Overlap(c.Offset, EndOf(c), t.Offset, EndOf(t)) > 0) {
          std::printf("      near 0x%llX %d×%d w%d%s %.1f\n",
                      static_cast<unsigned long long>(c.Offset), c.Rows, c.Columns, c.Width,
                      c.LittleEndian ? "le" : "be", c.Score);
        }
      }
    }
  }
  for (std::size_t k = 0; k < found.size(); ++k) {
    const TTableCandidate& c = found[k];
    const bool hit = std::any_of(known.begin(), known.end(), [&](const TRealTable& t) {
      return (!high_only || t.High) && Overlap(c.Offset, EndOf(c), t.Offset, EndOf(t)) > 0;
    });
    tally.Hits += hit ? 1 : 0;
    for (int t = 0; t < 4; ++t) tally.Top[t] += hit && k < (25u << t) ? 1 : 0;
    if (list && !hit) {
      std::printf("  stray #%zu 0x%llX %d×%d w%d%s %.1f  %s\n", k,
                  static_cast<unsigned long long>(c.Offset), c.Rows, c.Columns, c.Width,
                  c.LittleEndian ? "le" : "be", c.Score, CandidateReason(image, c).c_str());
    }
  }
  return tally;
}

void Print(const char* label, const TTally& t, std::size_t candidates) {
  const auto share = [](int a, int b) { return b > 0 ? 100.0 * a / b : 0.0; };
  std::printf(
      "  %-22s maps %3d/%-3d (%3.0f%%)  curves %3d/%-3d (%3.0f%%)  candidates %4zu, "
      "on a known table %4d (%3.0f%%)\n",
      label, t.MapsFound, t.Maps, share(t.MapsFound, t.Maps), t.CurvesFound, t.Curves,
      share(t.CurvesFound, t.Curves), candidates, t.Hits,
      share(t.Hits, static_cast<int>(candidates)));
  std::printf("  %-22s on a known table among the first 25: %d, 50: %d, 100: %d, 200: %d\n", "",
              t.Top[0], t.Top[1], t.Top[2], t.Top[3]);
}

// The image of a folder: its largest file that is not a definition or a note.
fs::path ImageIn(const fs::path& folder) {
  fs::path best;
  std::uintmax_t best_size = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string ext = entry.path().extension().string();
    if (!entry.is_regular_file() || ext == ".xml" || ext == ".xdf" || ext == ".tsv" ||
        ext == ".txt" || ext == ".md") {
      continue;
    }
    if (entry.file_size() > best_size) {
      best = entry.path();
      best_size = entry.file_size();
    }
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  bool list = false;
  double least = 0.0;
  std::vector<fs::path> folders;
  for (int k = 1; k < argc; ++k) {
    const std::string arg = argv[k];
    if (arg == "--list") {
      list = true;
    } else if (arg.rfind("--least=", 0) == 0) {
      least = std::stod(arg.substr(8));
    } else {
      folders.emplace_back(arg);
    }
  }
  if (folders.empty()) {
    for (const fs::path& root : {fs::path("../shared/real"), fs::path("/work/shared/real")}) {
      std::error_code error;
      if (!fs::is_directory(root, error)) continue;
      for (const auto& entry : fs::directory_iterator(root)) {
        if (entry.is_directory()) folders.push_back(entry.path());
      }
      std::sort(folders.begin(), folders.end());
      break;
    }
    if (folders.empty()) {
      std::printf(
          "No real images: neither ../shared/real nor /work/shared/real exists; give "
          "folders holding an image and its tables.tsv as arguments.\n");
      return 0;
    }
  }
  for (const fs::path& folder : folders) {
    const fs::path tsv = folder / "tables.tsv";
    const fs::path image_path = ImageIn(folder);
    if (!fs::exists(tsv) || image_path.empty()) {
      std::printf("%s: no image with a tables.tsv there, skipped\n", folder.string().c_str());
      continue;
    }
    std::ifstream in(image_path, std::ios::binary);
    const std::vector<std::uint8_t> image{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    std::vector<TRealTable> known;
    (void)ReadRealTables(tsv, known);
    const auto start = std::chrono::steady_clock::now();
    std::vector<TTableCandidate> found = FindTables(image);
    std::erase_if(found, [least](const TTableCandidate& c) { return c.Score < least; });
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s (%zu bytes, %zu known tables, %.0f ms)\n", folder.filename().string().c_str(),
                image.size(), known.size(), ms);
    Print("all lines", Count(known, found, false, list, image), found.size());
    Print("high, not constant", Count(known, found, true, false, image), found.size());
  }
  return 0;
}
