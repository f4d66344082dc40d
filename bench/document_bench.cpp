// Editing a 256 × 256 16-bit table through the image document: a whole-table paste, its undo,
// the per-cell "changed?" query a paint makes, the heat-map range and shades, and the copy.
// Baselines in the same run: the same writes through plain WriteEntry (no history), and
// reading every entry with ReadEntry (what a paint already pays per cell).

#include "image/document_entries.h"
#include "image/image_document.h"
#include "image/table_entry.h"
#include "textview/entry_edit.h"
#include "textview/heat_shade.h"
#include "textview/table_clipboard.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t kSide = 256;
constexpr int kWidth = 2;

TRomImage MakeImage() {
  TRomImage image;
  image.Bytes = std::vector<std::uint8_t>(1u << 20);
  for (std::size_t i = 0; i < image.Bytes->size(); ++i) {
    (*image.Bytes)[i] = static_cast<std::uint8_t>(i * 13);
  }
  image.Size = static_cast<std::int32_t>(image.Bytes->size());
  return image;
}

TTableCursor MakeTable() {
  TTableCursor cursor;
  cursor.BaseAddress = 0x8000;
  cursor.TableAddress = 0x18000;
  cursor.Rows = kSide;
  cursor.Columns = kSide;
  cursor.EntryWidth = *EntryWidth::FromBytes(kWidth);
  return cursor;
}

// Tab-separated text of a whole table with `seed`-dependent values.
std::string BlockText(std::uint32_t seed) {
  return TableText(kSide, kSide, [seed](std::int32_t r, std::int32_t c) {
    return std::to_string((static_cast<std::uint32_t>(r * kSide + c) * 7919u + seed) & 0xFFFF);
  });
}

void BM_PasteText(benchmark::State& state) {
  TRomImage image = MakeImage();
  const TTableCursor table = MakeTable();
  TImageDocument document(image);
  const std::string text = BlockText(1);
  for (auto _ : state) {
    const TPasteOutcome pasted = PasteTableText(document, table, kWidth, text, 0, 0);
    benchmark::DoNotOptimize(pasted.edit.changed);
    state.PauseTiming();
    (void)document.Undo();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_PasteText)->Unit(benchmark::kMillisecond);

void BM_PasteParse(benchmark::State& state) {
  const std::string text = BlockText(1);
  for (auto _ : state) benchmark::DoNotOptimize(ParsePasteText(text).lines.size());
}
BENCHMARK(BM_PasteParse)->Unit(benchmark::kMillisecond);

void BM_PastePlan(benchmark::State& state) {
  const TRomImage image = MakeImage();
  const TTableCursor table = MakeTable();
  const TPasteBlock block = ParsePasteText(BlockText(1));
  for (auto _ : state) {
    benchmark::DoNotOptimize(PlanPaste(block, image, table, kWidth, 0, 0).edit.ByteCount());
  }
}
BENCHMARK(BM_PastePlan)->Unit(benchmark::kMillisecond);

void BM_PasteApply(benchmark::State& state) {
  TRomImage image = MakeImage();
  const TTableCursor table = MakeTable();
  TImageDocument document(image);
  const TPastePlan plan = PlanPaste(ParsePasteText(BlockText(1)), image, table, kWidth, 0, 0);
  for (auto _ : state) {
    benchmark::DoNotOptimize(document.Apply(plan.edit).changed);
    state.PauseTiming();
    (void)document.Undo();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_PasteApply)->Unit(benchmark::kMillisecond);

void BM_PasteUndo(benchmark::State& state) {
  TRomImage image = MakeImage();
  const TTableCursor table = MakeTable();
  TImageDocument document(image);
  (void)PasteTableText(document, table, kWidth, BlockText(1), 0, 0);
  for (auto _ : state) {
    benchmark::DoNotOptimize(document.Undo().changed);
    state.PauseTiming();
    (void)document.Redo();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_PasteUndo)->Unit(benchmark::kMillisecond);

// Baseline: the same 65536 values stored with today's WriteEntry, no history or baseline.
void BM_PlainWriteEntries(benchmark::State& state) {
  TRomImage image = MakeImage();
  const TTableCursor table = MakeTable();
  std::uint32_t seed = 0;
  for (auto _ : state) {
    ++seed;
    for (std::int32_t r = 0; r < kSide; ++r) {
      for (std::int32_t c = 0; c < kSide; ++c) {
        WriteEntry(image, table, r, c, static_cast<std::uint32_t>(r * kSide + c) * 7919u + seed,
                   kWidth);
      }
    }
    benchmark::DoNotOptimize(image.Bytes->data());
  }
}
BENCHMARK(BM_PlainWriteEntries)->Unit(benchmark::kMillisecond);

// Every other entry changed, each by its own Enter-sized step, then one whole-table paste
// on top: the baseline holds every byte of the table.
void ChangeEveryOtherEntryThenPaste(TImageDocument& document, const TTableCursor& table) {
  for (std::int32_t r = 0; r < kSide; ++r) {
    for (std::int32_t c = r % 2; c < kSide; c += 2) {
      (void)StepEntry(document, table, r, c, *EntryWidth::FromBytes(kWidth), 1);
    }
  }
  (void)PasteTableText(document, table, kWidth, BlockText(3), 0, 0);
}

// How fast each entry's changed mark is found over such a baseline.
void BM_ChangedQuery(benchmark::State& state) {
  TRomImage image = MakeImage();
  const TTableCursor table = MakeTable();
  TImageDocument document(image);
  ChangeEveryOtherEntryThenPaste(document, table);
  for (auto _ : state) {
    int changed = 0;
    for (std::int32_t r = 0; r < kSide; ++r) {
      for (std::int32_t c = 0; c < kSide; ++c) {
        changed += EntryChanged(document, table, r, c, kWidth) ? 1 : 0;
      }
    }
    benchmark::DoNotOptimize(changed);
  }
  state.counters["baseline_bytes"] = static_cast<double>(document.BaselineSize());
}
BENCHMARK(BM_ChangedQuery)->Unit(benchmark::kMillisecond);

// The same marks a row at a time, as a paint asks for its visible rows.
void BM_RowChanges(benchmark::State& state) {
  TRomImage image = MakeImage();
  const TTableCursor table = MakeTable();
  TImageDocument document(image);
  ChangeEveryOtherEntryThenPaste(document, table);
  for (auto _ : state) {
    int changed = 0;
    for (std::int32_t r = 0; r < kSide; ++r) {
      bool row[kSide];
      RowChanges(document, table, r, 0, kWidth, row);
      changed += static_cast<int>(std::count(std::begin(row), std::end(row), true));
    }
    benchmark::DoNotOptimize(changed);
  }
}
BENCHMARK(BM_RowChanges)->Unit(benchmark::kMillisecond);

// Baseline for the query: reading every entry, as painting its text does.
void BM_ReadEntries(benchmark::State& state) {
  const TRomImage image = MakeImage();
  const TTableCursor table = MakeTable();
  for (auto _ : state) {
    std::uint32_t sum = 0;
    for (std::int32_t r = 0; r < kSide; ++r) {
      for (std::int32_t c = 0; c < kSide; ++c) sum += ReadEntry(image, table, r, c, kWidth);
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_ReadEntries)->Unit(benchmark::kMillisecond);

void BM_TableValueRange(benchmark::State& state) {
  const TRomImage image = MakeImage();
  const TTableCursor table = MakeTable();
  for (auto _ : state) benchmark::DoNotOptimize(TableValueRange(image, table, kWidth));
}
BENCHMARK(BM_TableValueRange)->Unit(benchmark::kMillisecond);

void BM_HeatShades(benchmark::State& state) {
  const TRomImage image = MakeImage();
  const TTableCursor table = MakeTable();
  const TValueRange range = *TableValueRange(image, table, kWidth);
  for (auto _ : state) {
    unsigned sum = 0;
    for (std::int32_t r = 0; r < kSide; ++r) {
      for (std::int32_t c = 0; c < kSide; ++c) {
        sum += HeatShade(ReadEntry(image, table, r, c, kWidth), range).background.red;
      }
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_HeatShades)->Unit(benchmark::kMillisecond);

void BM_CopyTable(benchmark::State& state) {
  const TRomImage image = MakeImage();
  const TTableCursor table = MakeTable();
  for (auto _ : state) {
    benchmark::DoNotOptimize(TableText(image, table, kWidth, DisplayMode::Hex).size());
  }
}
BENCHMARK(BM_CopyTable)->Unit(benchmark::kMillisecond);

}  // namespace
