// The text view on the largest table, 256 × 256 16-bit entries: a full refresh plus one paint
// of the visible grid, against filling a QTableWidget with one item per cell; the path from
// Enter in a cell to the repainted cell; and the same with the graph view open. Also the full
// refresh and paint with every entry changed before it, with every visible cell marked as
// changed, and a 256 × 256 paste and its undo, each with the refresh that follows (graph view
// hidden).

#include "app/application.h"
#include "app/session.h"
#include "app/shared_state.h"
#include "app/startup.h"
#include "app/ui/main_window.h"
#include "app/ui/windows.h"
#include "image/image_document.h"
#include "textview/block_operations.h"
#include "textview/ui/text_edit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QItemSelection>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr int kSide = 256;

// Windows created, a 128 KiB image loaded and the text view open on a 256 × 256 16-bit table.
void OpenLargestTable() {
  CreateWindows();
  RomImage.Bytes = std::vector<std::uint8_t>(kSide * kSide * 2);
  for (std::size_t i = 0; i < RomImage.Bytes->size(); ++i) {
    (*RomImage.Bytes)[i] = static_cast<std::uint8_t>(i * 13);
  }
  RomImage.Size = static_cast<std::int32_t>(RomImage.Bytes->size());
  Main->TextModeButton->setEnabled(true);
  Main->Rows->setText("256");
  Main->Columns->setText("256");
  Main->SixteenBitTable->setChecked(true);
  Main->TextModeButtonClick();
  ImageDocument.Reset();
}

// A 256 × 256 block of tab-separated values, each `seed` more than the last.
QString BlockText(int seed) {
  std::string text;
  for (int r = 0; r < kSide; ++r) {
    for (int c = 0; c < kSide; ++c) {
      if (c > 0) text += '\t';
      text += std::to_string(((r * kSide + c) * seed) & 0xFFFF);
    }
    text += '\n';
  }
  return QString::fromStdString(text);
}

// Selects the top-left cell and puts a whole-table block on the clipboard.
void PrepareWholeTablePaste() {
  TextEdit->TextGrid->setCurrentIndex(TextEdit->TextGrid->model()->index(1, 1));
  QGuiApplication::clipboard()->setText(BlockText(7));
}

void BM_FillGridAndPaint(benchmark::State& state) {
  OpenLargestTable();
  QImage canvas(TextEdit->TextGrid->size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    TextEdit->FillGrid();
    TextEdit->TextGrid->render(&canvas);
  }
  DestroyWindows();
}
BENCHMARK(BM_FillGridAndPaint)->Unit(benchmark::kMillisecond);

// As BM_FillGridAndPaint, with every entry changed before each refresh, so no cell looks as
// it did: every visible cell is drawn afresh rather than copied from its kept picture.
void BM_FillGridAndPaintNewLooks(benchmark::State& state) {
  OpenLargestTable();
  QImage canvas(TextEdit->TextGrid->size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    for (std::uint8_t& byte : *RomImage.Bytes) ++byte;
    TextEdit->FillGrid();
    TextEdit->TextGrid->render(&canvas);
  }
  DestroyWindows();
}
BENCHMARK(BM_FillGridAndPaintNewLooks)->Unit(benchmark::kMillisecond);

// As BM_FillGridAndPaint while comparing with an image that differs in every third byte, so
// many visible cells carry the compare mark, with a block of 20 × 10 cells selected.
void BM_FillGridAndPaintComparing(benchmark::State& state) {
  OpenLargestTable();
  std::vector<std::uint8_t> stock = *RomImage.Bytes;
  for (std::size_t i = 0; i < stock.size(); i += 3) ++stock[i];
  CurrentSession().Compare({std::move(stock), "stock.bin"});
  QAbstractItemModel* model = TextEdit->TextGrid->model();
  TextEdit->TextGrid->selectionModel()->select(
      QItemSelection(model->index(2, 2), model->index(21, 11)),
      QItemSelectionModel::ClearAndSelect);
  QImage canvas(TextEdit->TextGrid->size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    TextEdit->FillGrid();
    TextEdit->TextGrid->render(&canvas);
  }
  CurrentSession().StopComparing();
  DestroyWindows();
}
BENCHMARK(BM_FillGridAndPaintComparing)->Unit(benchmark::kMillisecond);

void BM_QTableWidgetBaseline(benchmark::State& state) {
  QTableWidget grid(kSide + 1, kSide + 1);
  grid.resize(527, 319);
  QImage canvas(grid.size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    grid.clearContents();
    for (int r = 0; r < kSide; ++r) {
      for (int c = 0; c < kSide; ++c) {
        grid.setItem(r + 1, c + 1, new QTableWidgetItem(QString::number(r * kSide + c)));
      }
    }
    grid.render(&canvas);
  }
}
BENCHMARK(BM_QTableWidgetBaseline)->Unit(benchmark::kMillisecond);

// As BM_FillGridAndPaint, with the shades on and every cell of the table changed, so every
// visible cell also draws its mark in bold.
void BM_FillGridAndPaintAllMarked(benchmark::State& state) {
  OpenLargestTable();
  PrepareWholeTablePaste();
  TextEdit->PasteBlock();
  QImage canvas(TextEdit->TextGrid->size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    TextEdit->FillGrid();
    TextEdit->TextGrid->render(&canvas);
  }
  state.counters["changed_bytes"] = static_cast<double>(ImageDocument.BaselineSize());
  DestroyWindows();
}
BENCHMARK(BM_FillGridAndPaintAllMarked)->Unit(benchmark::kMillisecond);

// A 256 × 256 paste from the clipboard with its refresh and the grid painted once.
void BM_PasteWholeTable(benchmark::State& state) {
  OpenLargestTable();
  PrepareWholeTablePaste();
  QImage canvas(TextEdit->TextGrid->size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    TextEdit->PasteBlock();
    TextEdit->TextGrid->render(&canvas);
    state.PauseTiming();
    TextEdit->UndoEdit();
    state.ResumeTiming();
  }
  DestroyWindows();
}
BENCHMARK(BM_PasteWholeTable)->Unit(benchmark::kMillisecond);

// The undo of that paste, with its refresh and the grid painted once.
void BM_UndoWholeTablePaste(benchmark::State& state) {
  OpenLargestTable();
  PrepareWholeTablePaste();
  TextEdit->PasteBlock();
  QImage canvas(TextEdit->TextGrid->size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    TextEdit->UndoEdit();
    TextEdit->TextGrid->render(&canvas);
    state.PauseTiming();
    TextEdit->RedoEdit();
    state.ResumeTiming();
  }
  DestroyWindows();
}
BENCHMARK(BM_UndoWholeTablePaste)->Unit(benchmark::kMillisecond);

// A block operation on the whole 256 × 256 16-bit table with its refresh and one paint, then
// its undo with the same; argument 0 is Set, 1 Multiply, 2 bilinear interpolation, 3 Smooth.
// The graph view is hidden, or shown with a second argument of 1.
void BM_BlockOperation(benchmark::State& state) {
  OpenLargestTable();
  if (state.range(1) == 1) {
    Main->GraphicsModeButton->setEnabled(true);
    Main->GraphicsModeButtonClick();
  }
  QAbstractItemModel* model = TextEdit->TextGrid->model();
  TextEdit->TextGrid->selectionModel()->select(
      QItemSelection(model->index(1, 1), model->index(kSide, kSide)),
      QItemSelectionModel::ClearAndSelect);
  const TBlockOperation operations[] = {TBlockOperation::Set, TBlockOperation::Multiply,
                                        TBlockOperation::InterpolateBilinear,
                                        TBlockOperation::Smooth};
  const TBlockOperation operation = operations[state.range(0)];
  const TTableLayout table = LayoutOf(TableCursor, EntryWidth::k16Bit);
  QImage canvas(TextEdit->TextGrid->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    const TBlockOutcome outcome =
        ApplyBlockOperation(ImageDocument, table, {0, 0, kSide - 1, kSide - 1}, operation, 1.05);
    TextEdit->TextGrid->viewport()->render(&canvas);
    (void)ImageDocument.Undo();
    TextEdit->TextGrid->viewport()->render(&canvas);
    benchmark::DoNotOptimize(outcome.edit.changed);
  }
  DestroyWindows();
}
BENCHMARK(BM_BlockOperation)->ArgsProduct({{0, 1, 2, 3}, {0, 1}})->Unit(benchmark::kMillisecond);

void BM_EnterToRepaintedCell(benchmark::State& state) {
  OpenLargestTable();
  QAbstractItemModel* model = TextEdit->TextGrid->model();
  const QModelIndex cell = model->index(128, 128);
  TextEdit->TextGrid->setCurrentIndex(cell);
  const QRect area = TextEdit->TextGrid->visualRect(cell);
  QImage canvas(TextEdit->TextGrid->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
  int value = 0;
  for (auto _ : state) {
    model->setData(cell, QString::number(value++ & 0xFFFF), Qt::EditRole);
    QTest::keyClick(TextEdit->TextGrid, Qt::Key_Return);
    TextEdit->TextGrid->viewport()->render(&canvas, area.topLeft(), QRegion(area));
  }
  DestroyWindows();
}
BENCHMARK(BM_EnterToRepaintedCell)->Unit(benchmark::kMicrosecond);

// The same edit with the graph view open: the plot is rebuilt from the whole table and
// redrawn once more for every Enter.
void BM_EnterWithGraphView(benchmark::State& state) {
  OpenLargestTable();
  Main->GraphicsModeButton->setEnabled(true);
  Main->GraphicsModeButtonClick();
  QAbstractItemModel* model = TextEdit->TextGrid->model();
  const QModelIndex cell = model->index(128, 128);
  TextEdit->TextGrid->setCurrentIndex(cell);
  int value = 0;
  for (auto _ : state) {
    model->setData(cell, QString::number(value++ & 0xFFFF), Qt::EditRole);
    QTest::keyClick(TextEdit->TextGrid, Qt::Key_Return);
  }
  DestroyWindows();
}
BENCHMARK(BM_EnterWithGraphView)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  Application application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
