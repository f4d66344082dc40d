// The 3D plot redraws the whole picture at every mouse move while the user turns it: a
// 256 x 256 table is 65,536 points and 130,560 grid lines per picture.

#include "plot/xyz_plot.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

// The graph view's plot: 828 x 515 pixels, its view angles, parallel projection, one grid.
void ShowTable(TXYZPlot& plot, int size) {
  plot.resize(828, 515);
  plot.show();  // a control off the screen would put its pictures off until painted
  plot.SetPhi(3.5);
  plot.SetPsi(0.2);
  plot.SetPerspectiveOn(false);
  std::vector<double> z(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
  for (int r = 0; r < size; ++r) {
    for (int c = 0; c < size; ++c) {
      z[static_cast<std::size_t>(r * size + c)] =
          30000 + 20000 * std::sin(c * 0.05) * std::cos(r * 0.04);
    }
  }
  plot.XYZPlot(z, size, size, 0.0, 255.0, 0.0, 255.0, 0, psGrid, 0x800000, 0x00FF00);
}

void BM_Redraw(benchmark::State& state) {
  TXYZPlot plot;
  ShowTable(plot, static_cast<int>(state.range(0)));
  for (auto _ : state) plot.Redraw();
  benchmark::DoNotOptimize(plot.Buffer().constBits());
}
BENCHMARK(BM_Redraw)->Arg(16)->Arg(256)->Unit(benchmark::kMillisecond);

// One step of a left drag that turns the view: new angles and one full redraw.
void BM_MouseMoveRotate(benchmark::State& state) {
  TXYZPlot plot;
  ShowTable(plot, 256);
  plot.MouseDown(mbLeft, ssLeft, 400, 250);
  int step = 0;
  for (auto _ : state) {
    ++step;
    plot.MouseMove(ssLeft, 400 + (step & 1) * 3, 250 + (step & 1));
  }
  plot.MouseUp(mbLeft, 0, 400, 250);
  benchmark::DoNotOptimize(plot.Buffer().constBits());
}
BENCHMARK(BM_MouseMoveRotate)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
