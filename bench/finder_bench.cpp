// The table finder on a 4 MiB image made to look like a real one (code-like bytes, fill,
// text, a calibration area of maps with axes in both widths and byte orders), beside one
// plain pass over the same bytes.

#include "tables/table_finder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

using TBytes = std::vector<std::uint8_t>;

void PutEntry(TBytes& out, std::uint32_t value, int width, bool little) {
  for (int k = 0; k < width; ++k) {
    const int shift = 8 * (little ? k : width - 1 - k);
    out.push_back(static_cast<std::uint8_t>(value >> shift));
  }
}

// Instruction-like bytes: a skewed set of opcodes with register and immediate operands, and
// now and then a run of code repeated with small changes, as compilers lay out.
void AddCode(TBytes& out, std::size_t bytes, std::mt19937& random) {
  std::vector<std::uint8_t> opcodes(48);
  for (auto& op : opcodes) op = static_cast<std::uint8_t>(random());
  std::geometric_distribution<int> pick(0.12);
  const std::size_t end = out.size() + bytes;
  while (out.size() < end) {
    if (random() % 64 == 0 && out.size() > 256) {
      const std::size_t from = out.size() - 16 - random() % 200;
      const std::size_t length = 16 + random() % 48;
      for (std::size_t k = 0; k < length; ++k) {
        const std::uint8_t b = out[from + k];
        out.push_back(random() % 8 == 0 ? static_cast<std::uint8_t>(b + 1) : b);
      }
      continue;
    }
    out.push_back(opcodes[static_cast<std::size_t>(std::min(pick(random), 47))]);
    out.push_back(static_cast<std::uint8_t>(random() % 16 * 0x11));
    if (random() % 2 == 0) {
      out.push_back(static_cast<std::uint8_t>(random()));
      out.push_back(static_cast<std::uint8_t>(random() % 4 == 0 ? random() : 0));
    }
  }
  out.resize(end);
}

void AddText(TBytes& out, std::size_t bytes, std::mt19937& random) {
  static const char* const kWords[] = {"ENGINE",      "control", "unit", "Version",
                                       "calibration", "(c)",     "2004", "checksum",
                                       "error",       "sensor",  "idle"};
  const std::size_t end = out.size() + bytes;
  while (out.size() < end) {
    const std::string word = kWords[random() % std::size(kWords)];
    out.insert(out.end(), word.begin(), word.end());
    out.push_back(random() % 6 == 0 ? 0 : ' ');
  }
  out.resize(end);
}

// A smooth surface of `rows` × `columns` entries with two rising axes before it, sometimes
// with their lengths in front.
void AddMap(TBytes& out, int rows, int columns, int width, bool little, std::mt19937& random) {
  const std::uint32_t top = width == 1 ? 250 : 60000;
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  if (random() % 2 == 0) {
    PutEntry(out, static_cast<std::uint32_t>(rows), width, little);
    PutEntry(out, static_cast<std::uint32_t>(columns), width, little);
  }
  for (const int count : {rows, columns}) {
    double at = unit(random) * top / 8;
    for (int k = 0; k < count; ++k) {
      PutEntry(out, static_cast<std::uint32_t>(at), width, little);
      at += (0.5 + unit(random)) * top / (1.6 * count);
    }
  }
  const double a = unit(random), b = unit(random), c = unit(random);
  for (int r = 0; r < rows; ++r) {
    for (int k = 0; k < columns; ++k) {
      const double x = static_cast<double>(k) / columns, y = static_cast<double>(r) / rows;
      const double v = 0.1 + 0.8 * (a * x + b * y + c * x * y) / (a + b + c);
      PutEntry(out, static_cast<std::uint32_t>(v * top + unit(random) * top / 200), width, little);
    }
  }
}

TBytes RealLookingImage() {
  std::mt19937 random(7);
  TBytes image;
  image.reserve(4 << 20);
  AddCode(image, 2560 << 10, random);
  AddText(image, 64 << 10, random);
  // The calibration area: maps of both widths and orders between scalars.
  const std::size_t calibration_end = image.size() + (640 << 10);
  while (image.size() < calibration_end) {
    const int width = random() % 2 == 0 ? 1 : 2;
    AddMap(image, 4 + static_cast<int>(random() % 14), 4 + static_cast<int>(random() % 14), width,
           random() % 2 == 0, random);
    for (int k = static_cast<int>(random() % 24); k > 0; --k) {
      image.push_back(static_cast<std::uint8_t>(random()));
    }
  }
  image.resize(4 << 20, 0xFF);
  return image;
}

void BM_FindTables4MiB(benchmark::State& state) {
  const TBytes image = RealLookingImage();
  std::size_t found = 0;
  for (auto _ : state) {
    const std::vector<TTableCandidate> candidates = FindTables(image);
    found = candidates.size();
    benchmark::DoNotOptimize(candidates.data());
  }
  state.counters["candidates"] = static_cast<double>(found);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(image.size()));
}
BENCHMARK(BM_FindTables4MiB)->Unit(benchmark::kMillisecond);

void BM_PlainPass4MiB(benchmark::State& state) {
  const TBytes image = RealLookingImage();
  for (auto _ : state) {
    std::uint64_t sum = std::accumulate(image.begin(), image.end(), std::uint64_t{0});
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(image.size()));
}
BENCHMARK(BM_PlainPass4MiB)->Unit(benchmark::kMillisecond);

// What the window's progress dialog sees: the longest time between two progress calls, and how
// long the scan runs on after the call that stops it, stopped at every tenth of the way.
void BM_FindTablesProgressAndCancel4MiB(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  const TBytes image = RealLookingImage();
  double longestGapMs = 0;
  double longestCancelMs = 0;
  for (auto _ : state) {
    Clock::time_point last = Clock::now();
    (void)FindTables(image, [&](double) {
      const Clock::time_point now = Clock::now();
      longestGapMs =
          std::max(longestGapMs, std::chrono::duration<double, std::milli>(now - last).count());
      last = now;
      return true;
    });
    for (int tenth = 1; tenth < 10; ++tenth) {
      Clock::time_point stopped{};
      const auto result = FindTables(image, [&](double done) {
        if (done < tenth / 10.0) return true;
        stopped = Clock::now();
        return false;
      });
      if (result) continue;  // the last call came before that share
      longestCancelMs =
          std::max(longestCancelMs,
                   std::chrono::duration<double, std::milli>(Clock::now() - stopped).count());
    }
  }
  state.counters["longest_gap_ms"] = longestGapMs;
  state.counters["longest_cancel_ms"] = longestCancelMs;
}
BENCHMARK(BM_FindTablesProgressAndCancel4MiB)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
