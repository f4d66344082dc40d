// The number texts run once per grid cell when a table is shown or edited.

#include "app/number_text.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

void BM_ParseInteger(benchmark::State& state) {
  const char* texts[] = {"0x03F0", "65535", "-2147483647", "$DEADBEEF"};
  std::int64_t sum = 0;
  for (auto _ : state) {
    for (const char* text : texts) sum += ParseInteger(text);
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations() * 4);
}
BENCHMARK(BM_ParseInteger);

void BM_DecimalAndHexText(benchmark::State& state) {
  std::int32_t value = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(DecimalText(value));
    benchmark::DoNotOptimize(HexText(value, 4));
    value += 257;
  }
  state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_DecimalAndHexText);

void BM_FloatText(benchmark::State& state) {
  double value = 0.1f;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FloatText(value));
    value *= 1.0001;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FloatText);

}  // namespace
