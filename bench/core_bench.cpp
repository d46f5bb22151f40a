// Speed of the document core on the largest application a user can type.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include "bench/maximal_record.h"
#include "check/completeness_check.h"
#include "document/document_actions.h"
#include "document/null_prompter.h"
#include "format/atomic_file.h"
#include "format/comma_text.h"
#include "format/xdx_writer.h"

using namespace velmora;

namespace {

// Saving answers its dialog with `savePath`; nothing else asks.
class NoDialogs : public NullPrompter {
 public:
  std::string savePath;
  std::optional<std::string> askSavePath(const std::string&) override { return savePath; }
};

std::string tempPath(const char* name) { return "/tmp/velmora-bench-" + std::to_string(::getpid()) + "-" + name; }

void CommaTextWriteLongText(benchmark::State& state) {
  Record r = bench::maximalRecord();
  const Lines& lines = r.lines(Field::AnonymousSheet);
  for (auto _ : state) benchmark::DoNotOptimize(writeCommaText(lines));
}
BENCHMARK(CommaTextWriteLongText);

void CommaTextReadLongText(benchmark::State& state) {
  Record r = bench::maximalRecord();
  std::string text = writeCommaText(r.lines(Field::AnonymousSheet));
  for (auto _ : state) benchmark::DoNotOptimize(readCommaText(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(CommaTextReadLongText);

void CheckMaximal(benchmark::State& state) {
  Record r = bench::maximalRecord();
  for (auto _ : state) benchmark::DoNotOptimize(completenessProblems(r));
}
BENCHMARK(CheckMaximal);

void OpenAndCheckMaximal(benchmark::State& state) {
  std::string path = tempPath("open.xdx");
  std::string error;
  Record r = bench::maximalRecord();
  writeFileAtomically(path, buildXdx(r, completenessProblems(r)), error);
  NoDialogs prompter;
  for (auto _ : state) {
    FormState s;
    s.setPendingPath(path);
    if (openDocument(s, prompter) != OpenOutcome::Opened) state.SkipWithError("open failed");
  }
  ::unlink(path.c_str());
}
BENCHMARK(OpenAndCheckMaximal)->Unit(benchmark::kMillisecond);

void SaveMaximal(benchmark::State& state) {
  FormState s;
  s.replaceRecord(bench::maximalRecord());
  NoDialogs prompter;
  prompter.savePath = tempPath("save.xdx");
  for (auto _ : state)
    if (saveDocument(s, prompter) != SaveOutcome::Written) state.SkipWithError("save failed");
  ::unlink(prompter.savePath.c_str());
}
BENCHMARK(SaveMaximal)->Unit(benchmark::kMillisecond);

void BuildMaximalDocument(benchmark::State& state) {
  Record r = bench::maximalRecord();
  auto problems = completenessProblems(r);
  for (auto _ : state) benchmark::DoNotOptimize(buildXdx(r, problems));
}
BENCHMARK(BuildMaximalDocument)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
