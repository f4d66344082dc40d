// Loading an .ecu file of 10,000 tables into the definition lists and exporting them again;
// the table editor's refresh comes on top of these.

#include "app/number_text.h"
#include "tables/definition_list.h"
#include "tables/ecu_file.h"
#include "ten_thousand_tables.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

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
