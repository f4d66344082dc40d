// Loading an .ecu file of 10,000 tables into the definition lists and exporting them again;
// the table editor's refresh comes on top of these.

#include "app/number_text.h"
#include "tables/definition_list.h"
#include "tables/ecu_file.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int kTables = 10000;

// Ten thousand table lines in the style of an outside editor's files, one in eight bit-wise.
std::string TenThousandTables() {
  std::string text = "{ 1a2,  7f, 3, 100,10000}\r\n";
  for (int i = 0; i < kTables; ++i) {
    const bool bitwise = i % 8 == 7;
    text += '{';
    text += HexText(0x8000 + 16 * i, 4);
    text += ',';
    text += std::to_string(1 + i % 16);
    text += ',';
    text += std::to_string(1 + i % 12);
    text += bitwise ? ",2,80" : ",2,0";
    text += ",-40.0000,1.0000,0.1000,Table number ";
    text += std::to_string(i);
    text += ",Engine speed (rpm),unused,Load (%),unused}\r\n";
  }
  return text;
}

void BM_ReadEcu10000(benchmark::State& state) {
  const std::string text = TenThousandTables();
  EcuHeader header;
  TableDefinitions lists;
  for (auto _ : state) {
    const EcuReadReport report = ReadEcuText(text, header, lists);
    benchmark::DoNotOptimize(report.Stored);
  }
  state.SetItemsProcessed(state.iterations() * kTables);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ReadEcu10000)->Unit(benchmark::kMillisecond);

void BM_FormatEcu10000(benchmark::State& state) {
  EcuHeader header;
  TableDefinitions lists;
  (void)ReadEcuText(TenThousandTables(), header, lists);
  for (auto _ : state) {
    const EcuText text = FormatEcu(header, lists);
    benchmark::DoNotOptimize(text.Text.data());
  }
  state.SetItemsProcessed(state.iterations() * kTables);
}
BENCHMARK(BM_FormatEcu10000)->Unit(benchmark::kMillisecond);

}  // namespace
