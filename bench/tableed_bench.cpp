// The table editor with 10,000 definitions: importing an ".ecu" file including the refresh and
// one paint of TableList1, and exporting the same lists to a file. Load Tables of an XDF of
// 1,000 tables until both lists are shown, beside reading the file's bytes.

#include "app/application.h"
#include "app/shared_state.h"
#include "app/startup.h"
#include "app/ui/main_window.h"
#include "app/ui/windows.h"
#include "tables/ecu_file.h"
#include "tables/ui/table_ed.h"
#include "ten_thousand_tables.h"
#include "thousand_xdf_tables.h"

#include <QImage>
#include <QPushButton>
#include <QTableView>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string WriteSample() {
  const auto path = std::filesystem::temp_directory_path() / "quorvel-bench-tables.ecu";
  std::ofstream(path, std::ios::binary) << TenThousandTables();
  return path.string();
}

// Windows created, an image loaded and the table editor shown.
void ShowTableEditor() {
  CreateWindows();
  RomImage.Bytes = std::vector<std::uint8_t>(0x40000);
  RomImage.Size = static_cast<std::int32_t>(RomImage.Bytes->size());
  Main->TableListButton->setEnabled(true);
  Main->TableListButtonClick();
}

void BM_ImportAndShow10000(benchmark::State& state) {
  const std::string path = WriteSample();
  ShowTableEditor();
  QImage canvas(TableEd->TableList1->size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    TableEd->ReadEcuFile(path);
    TableEd->TableList1->render(&canvas);
  }
  state.SetItemsProcessed(state.iterations() * kTables);
  DestroyWindows();
}
BENCHMARK(BM_ImportAndShow10000)->Unit(benchmark::kMillisecond);

std::string WriteXdfSample() {
  const auto path = std::filesystem::temp_directory_path() / "quorvel-bench-tables.xdf";
  std::ofstream(path, std::ios::binary) << ThousandXdfTables();
  return path.string();
}

void BM_ReadXdfFileBytes(benchmark::State& state) {
  const std::string path = WriteXdfSample();
  for (auto _ : state) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    benchmark::DoNotOptimize(bytes.data());
  }
}
BENCHMARK(BM_ReadXdfFileBytes)->Unit(benchmark::kMillisecond);

// From the chosen file to both lists painted, the first table opened.
void BM_LoadTablesAndShow1000Xdf(benchmark::State& state) {
  const std::string path = WriteXdfSample();
  ShowTableEditor();
  QImage canvas(TableEd->TableList1->size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    TableEd->LoadTablesFile(path);
    TableEd->TableList1->render(&canvas);
    TableEd->TableList2->render(&canvas);
  }
  if (TableEd->Lists.Ordinary.DataRowCount() != kXdfTables) state.SkipWithError("not all read");
  state.SetItemsProcessed(state.iterations() * kXdfTables);
  DestroyWindows();
}
BENCHMARK(BM_LoadTablesAndShow1000Xdf)->Unit(benchmark::kMillisecond);

void BM_Export10000(benchmark::State& state) {
  const std::string path = WriteSample();
  ShowTableEditor();
  TableEd->ReadEcuFile(path);
  const auto out = std::filesystem::temp_directory_path() / "quorvel-bench-export.qvt";
  for (auto _ : state) {
    benchmark::DoNotOptimize(WriteEcuFile(out, TableEd->Header, TableEd->Lists).Status);
  }
  state.SetItemsProcessed(state.iterations() * kTables);
  DestroyWindows();
}
BENCHMARK(BM_Export10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  Application application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
