// Definition files: an XDF of 1,000 tables (about 3 MB, shaped like the files tuners share,
// with axis labels and descriptions) read from a temporary file, its bytes alone as the
// baseline; and 1,000 definitions written as XDF and read back.

#include "tables/xdf_file.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

namespace {

constexpr int kTables = 1000;

std::string Hex(int value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%X", static_cast<unsigned>(value));
  return buffer;
}

void AppendAxis(std::string& out, char id, int count, int table) {
  out += "    <XDFAXIS id=\"";
  out += id;
  out += "\" uniqueid=\"0x0\">\n";
  out += "      <EMBEDDEDDATA mmedtypeflags=\"0x02\" mmedaddress=\"" +
         Hex(0x20000 + table * 64 + (id == 'y' ? 32 : 0)) +
         "\" mmedelementsizebits=\"16\" mmedmajorstridebits=\"16\" mmedminorstridebits=\"0\" />\n";
  out += "      <units>Axis " + std::string(1, id) + " of table " + std::to_string(table) +
         "</units>\n";
  out += "      <indexcount>" + std::to_string(count) + "</indexcount>\n";
  out += "      <decimalpl>0</decimalpl>\n      <outputtype>2</outputtype>\n";
  out += "      <embedinfo type=\"1\" />\n      <datatype>0</datatype>\n";
  out += "      <unittype>0</unittype>\n      <DALINK index=\"0\" />\n";
  for (int i = 0; i < count; ++i) {
    out += "      <LABEL index=\"" + std::to_string(i) + "\" value=\"" + std::to_string(i * 250) +
           "\" />\n";
  }
  out += "      <MATH equation=\"40.000000 * X\">\n        <VAR id=\"X\" />\n      </MATH>\n";
  out += "    </XDFAXIS>\n";
}

// An XDF as another program writes it: no elements of this editor's own.
std::string ForeignXdf() {
  std::string out =
      "<!-- Written for a benchmark -->\n<XDFFORMAT version=\"1.70\">\n  <XDFHEADER>\n"
      "    <flags>0x1</flags>\n    <deftitle>Benchmark</deftitle>\n"
      "    <BASEOFFSET offset=\"0\" subtract=\"0\" />\n"
      "    <DEFAULTS datasizeinbits=\"8\" sigdigits=\"2\" outputtype=\"1\" signed=\"0\" "
      "lsbfirst=\"1\" float=\"0\" />\n  </XDFHEADER>\n";
  for (int table = 0; table < kTables; ++table) {
    const int rows = 8 + table % 9;
    const int columns = 8 + table % 13;
    out += "  <XDFTABLE uniqueid=\"0x" + std::to_string(table) + "\" flags=\"0x0\">\n";
    out += "    <title>Map " + std::to_string(table) + " &amp; friends</title>\n";
    out += "    <description>Ignition angle correction for cylinder bank " +
           std::to_string(table % 2) +
           " at part load, with the engine warm and the intake air below forty degrees; "
           "taken from a measured calibration and smoothed by hand.</description>\n";
    out += "    <CATEGORYMEM index=\"0\" category=\"" + std::to_string(table % 40) + "\" />\n";
    AppendAxis(out, 'x', columns, table);
    AppendAxis(out, 'y', rows, table);
    out += "    <XDFAXIS id=\"z\">\n";
    out += "      <EMBEDDEDDATA mmedtypeflags=\"0x0" + std::to_string(table % 4) +
           "\" mmedaddress=\"" + Hex(0x40000 + table * 512) + "\" mmedelementsizebits=\"" +
           (table % 3 == 0 ? "16" : "8") + "\" mmedrowcount=\"" + std::to_string(rows) +
           "\" mmedcolcount=\"" + std::to_string(columns) +
           "\" mmedmajorstridebits=\"0\" mmedminorstridebits=\"0\" />\n";
    out += "      <units>grad KW</units>\n      <decimalpl>2</decimalpl>\n";
    out += "      <min>0.000000</min>\n      <max>255.000000</max>\n";
    out += "      <outputtype>1</outputtype>\n";
    out += table % 10 == 0 ? "      <MATH equation=\"14.7/(1+X*.0078125)\">\n"
                           : "      <MATH equation=\"0.750000 * X + -48\">\n";
    out += "        <VAR id=\"X\" />\n      </MATH>\n    </XDFAXIS>\n  </XDFTABLE>\n";
  }
  out += "</XDFFORMAT>\n";
  return out;
}

// The document, written once to a temporary file that is removed at exit.
class XdfFile {
 public:
  XdfFile()
      : text_(ForeignXdf()),
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
    if (read.Read != kTables) state.SkipWithError("not every table was read");
    benchmark::DoNotOptimize(read.Read);
  }
  state.SetItemsProcessed(state.iterations() * kTables);
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
  state.SetItemsProcessed(state.iterations() * kTables);
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
  state.SetItemsProcessed(state.iterations() * kTables);
  state.counters["MB"] = static_cast<double>(size) / 1e6;
}
BENCHMARK(BM_FormatXdf1000)->Unit(benchmark::kMillisecond);

// A file this editor wrote: every row read from the kept texts.
void BM_ReadWrittenXdf1000(benchmark::State& state) {
  const std::string text = FormatXdf(ReadXdfText(TheFile().Text(), 0x800000).Lists, 0x800000);
  for (auto _ : state) {
    const TDefinitionFileRead read = ReadXdfText(text, 0x800000);
    if (read.Read != kTables) state.SkipWithError("not every table was read");
    benchmark::DoNotOptimize(read.Read);
  }
  state.SetItemsProcessed(state.iterations() * kTables);
}
BENCHMARK(BM_ReadWrittenXdf1000)->Unit(benchmark::kMillisecond);

}  // namespace
