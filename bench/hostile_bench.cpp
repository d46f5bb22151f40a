// The worst documents up to the size limit through velmora-cli check and
// velmora-cli pdf, each run as the program it is: wall time and the
// program's peak resident memory (peak_MB, from wait4). Every one must stay
// under 10 s and 1 GB; `exit` tells whether it was printed (0), found with
// problems (1) or refused (2).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include "bench/hostile_documents.h"

namespace {

using velmora::bench::HostileShape;

void run(benchmark::State& state, const HostileShape& shape, bool pdf) {
  const std::string doc = velmora::bench::writeHostileDocument(shape);
  const std::string out = doc + ".pdf";
  velmora::bench::ProgramRun last;
  for (auto _ : state) {
    last = pdf ? velmora::bench::runProgram({VELMORA_CLI, "pdf", doc, out})
               : velmora::bench::runProgram({VELMORA_CLI, "check", doc});
    state.SetIterationTime(last.seconds);
  }
  state.counters["peak_MB"] = last.peakMB;
  state.counters["exit"] = last.exit;
  ::unlink(doc.c_str());
  ::unlink(out.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  for (const HostileShape& shape : velmora::bench::hostileShapes()) {
    benchmark::RegisterBenchmark((std::string("check/") + shape.name).c_str(),
                                 [&shape](benchmark::State& s) { run(s, shape, false); })
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    benchmark::RegisterBenchmark((std::string("pdf/") + shape.name).c_str(),
                                 [&shape](benchmark::State& s) { run(s, shape, true); })
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
