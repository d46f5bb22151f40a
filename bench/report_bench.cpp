// The printed application of the largest document: generating every sheet
// (target under 100 ms) and writing them as PDF (target under 500 ms).
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include "bench/maximal_record.h"
#include "report/report_fill.h"
#include "report/report_pdf.h"
#include "report/report_render.h"

namespace {

void BM_GenerateAllSheets(benchmark::State& state) {
  const velmora::Record rec = velmora::bench::maximalRecord();
  std::size_t sheets = 0;
  for (auto _ : state) {
    // A fresh working copy at every click, as the window does.
    const auto all = velmora::report::generateSheets(velmora::report::filledReport(rec, false));
    sheets = all.size();
    benchmark::DoNotOptimize(all.data());
  }
  state.counters["sheets"] = static_cast<double>(sheets);
}
BENCHMARK(BM_GenerateAllSheets)->Unit(benchmark::kMillisecond);

void BM_WritePdf(benchmark::State& state) {
  const auto sheets =
      velmora::report::generateSheets(velmora::report::filledReport(velmora::bench::maximalRecord(), true));
  std::size_t bytes = 0;
  for (auto _ : state) {
    const QByteArray pdf = velmora::report::pdfBytes(sheets);
    bytes = static_cast<std::size_t>(pdf.size());
    benchmark::DoNotOptimize(pdf.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_WritePdf)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
