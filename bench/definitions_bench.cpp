// Definition files: an XDF of 1,000 tables (about 3 MB, shaped like the files tuners share,
// with axis labels and descriptions) read from a temporary file, its bytes alone as the
// baseline; and 1,000 definitions written as XDF and read back.

#include "tables/xdf_file.h"
#include "thousand_xdf_tables.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

namespace {

// The document, written once to a temporary file that is removed at exit.
class XdfFile {
 public:
  XdfFile()
      : text_(ThousandXdfTables()),
        path_(std::filesystem::temp_directory_path() /
              ("definitions_bench_" + std::to_string(::getpid()) + ".xdf")) {
    std::ofstream(path_, std::ios::binary) << text_;
  }
  ~XdfFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  XdfFile(const XdfFile&) = delete;
  XdfFile& operator=(const XdfFile&) = delete;

  [[nodiscard]] const std::string& Text() const { return text_; }
  [[nodiscard]] const std::filesystem::path& Path() const { return path_; }

 private:
  std::string text_;
  std::filesystem::path path_;
};

const XdfFile& TheFile() {
  static const XdfFile file;
  return file;
}

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void BM_ReadXdfBytes(benchmark::State& state) {
  const XdfFile& file = TheFile();
  for (auto _ : state) {
    const std::string bytes = FileBytes(file.Path());
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(file.Text().size()));
}
BENCHMARK(BM_ReadXdfBytes)->Unit(benchmark::kMillisecond);

void BM_ReadXdfFile1000(benchmark::State& state) {
  const XdfFile& file = TheFile();
  for (auto _ : state) {
    const TDefinitionFileRead read = ReadXdfText(FileBytes(file.Path()), 0x800000);
    if (read.Read != kXdfTables) state.SkipWithError("not every table was read");
    benchmark::DoNotOptimize(read.Read);
  }
  state.SetItemsProcessed(state.iterations() * kXdfTables);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(file.Text().size()));
  state.counters["MB"] = static_cast<double>(file.Text().size()) / 1e6;
}
BENCHMARK(BM_ReadXdfFile1000)->Unit(benchmark::kMillisecond);

// The parse alone, the text already in memory.
void BM_ReadXdfText1000(benchmark::State& state) {
  const std::string& text = TheFile().Text();
  for (auto _ : state) {
    const TDefinitionFileRead read = ReadXdfText(text, 0x800000);
    benchmark::DoNotOptimize(read.Read);
  }
  state.SetItemsProcessed(state.iterations() * kXdfTables);
}
BENCHMARK(BM_ReadXdfText1000)->Unit(benchmark::kMillisecond);

void BM_FormatXdf1000(benchmark::State& state) {
  const TableDefinitions lists = ReadXdfText(TheFile().Text(), 0x800000).Lists;
  std::size_t size = 0;
  for (auto _ : state) {
    const std::string text = FormatXdf(lists, 0x800000);
    size = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetItemsProcessed(state.iterations() * kXdfTables);
  state.counters["MB"] = static_cast<double>(size) / 1e6;
}
BENCHMARK(BM_FormatXdf1000)->Unit(benchmark::kMillisecond);

// A file this editor wrote: every row read from the kept texts.
void BM_ReadWrittenXdf1000(benchmark::State& state) {
  const std::string text = FormatXdf(ReadXdfText(TheFile().Text(), 0x800000).Lists, 0x800000);
  for (auto _ : state) {
    const TDefinitionFileRead read = ReadXdfText(text, 0x800000);
    if (read.Read != kXdfTables) state.SkipWithError("not every table was read");
    benchmark::DoNotOptimize(read.Read);
  }
  state.SetItemsProcessed(state.iterations() * kXdfTables);
}
BENCHMARK(BM_ReadWrittenXdf1000)->Unit(benchmark::kMillisecond);

}  // namespace
