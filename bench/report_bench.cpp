// The printed application of the largest document: generating every sheet
// (target under 100 ms) and writing them as PDF (target under 500 ms).
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <unistd.h>

#include "bench/hostile_documents.h"
#include "bench/maximal_record.h"
#include "document/document_actions.h"
#include "document/null_prompter.h"
#include "report/report_fill.h"
#include "report/report_pdf.h"
#include "report/report_render.h"

namespace {

using NoDialogs = velmora::NullPrompter;

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

// The share of writing the PDF that goes to mending its character maps.
void BM_RestoreIdeographs(benchmark::State& state) {
  const auto sheets =
      velmora::report::generateSheets(velmora::report::filledReport(velmora::bench::maximalRecord(), true));
  const QByteArray mended = velmora::report::pdfBytes(sheets);
  int rewritten = 0;
  for (auto _ : state) {
    const QByteArray again = velmora::report::restoreIdeographs(mended, &rewritten);
    benchmark::DoNotOptimize(again.data());
  }
  state.counters["rewritten"] = rewritten;
}
BENCHMARK(BM_RestoreIdeographs)->Unit(benchmark::kMillisecond);

// What the preview holds before it opens: every sheet of the documents that
// print the most (the sheets of the most, the glyphs of the most), opened
// as the window opens them; time and the peak resident memory of the
// process while it works (peak_MB, reset before each).
void GenerateHostileSheets(benchmark::State& state, const velmora::bench::HostileShape& shape) {
  const std::string path = velmora::bench::writeHostileDocument(shape);
  std::size_t sheets = 0;
  double peak = 0;
  for (auto _ : state) {
    velmora::bench::resetPeakMemory();
    {
      velmora::FormState s;
      NoDialogs prompter;
      s.setPendingPath(path);
      if (velmora::openDocument(s, prompter) != velmora::OpenOutcome::Opened) state.SkipWithError("not opened");
      QString error;
      const auto all =
          velmora::report::generateSheets(velmora::report::filledReport(s.record(), s.formal()), {}, &error);
      if (!error.isEmpty()) state.SkipWithError("refused");
      sheets = all.size();
    }
    peak = std::max(peak, velmora::bench::peakMemoryMB());
  }
  state.counters["sheets"] = static_cast<double>(sheets);
  state.counters["peak_MB"] = peak;
  ::unlink(path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  for (const auto& shape : velmora::bench::hostileShapes())
    if (std::string_view(shape.name) == "densest_printable" || std::string_view(shape.name) == "most_sheets")
      benchmark::RegisterBenchmark((std::string("GenerateHostileSheets/") + shape.name).c_str(),
                                   [&shape](benchmark::State& s) { GenerateHostileSheets(s, shape); })
          ->Unit(benchmark::kMillisecond)
          ->Iterations(1);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
