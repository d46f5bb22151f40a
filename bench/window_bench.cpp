// Speed of the window: creating it and opening the largest application, and
// what the recovery copy costs the typing.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>

#include "app/main_window.h"
#include "app/window_fonts.h"
#include "bench/hostile_documents.h"
#include "bench/maximal_record.h"
#include "check/completeness_check.h"
#include "format/atomic_file.h"
#include "format/xdx_writer.h"

namespace {

class NoDialogs : public velmora::WindowServices {
 public:
  std::optional<std::string> askOpenPath() override { return std::nullopt; }
  std::optional<std::string> askSavePath(const std::string&) override { return std::nullopt; }
  void showMessage(const std::string&) override {}
  void showInformation(const std::string&) override {}
  void showError(const std::string&) override {}
  bool confirm(const std::string&) override { return false; }
  std::optional<std::string> askReportPath(velmora::ReportFileDialog, QWidget*, const std::string&) override {
    return std::nullopt;
  }
  void showErrorOver(QWidget*, const std::string&, const std::string&) override {}
  void showInformationOver(QWidget*, const std::string&, const std::string&) override {}
  void openExternally(const std::string&) override {}
  void beep() override {}
};

void CreateWindowAndOpenMaximal(benchmark::State& state) {
  const std::string path = "/tmp/velmora-window-bench-" + std::to_string(::getpid()) + ".xdx";
  velmora::Record r = velmora::bench::maximalRecord();
  std::string error;
  velmora::writeFileAtomically(path, velmora::buildXdx(r, velmora::completenessProblems(r)), error);
  NoDialogs services;
  for (auto _ : state) {
    velmora::MainWindow window(services);
    window.startUp({QString::fromStdString(path)});
    if (window.state().record().text(velmora::Field::SN) != "BJA110012") state.SkipWithError("open failed");
    window.state().setModified(false);
  }
  ::unlink(path.c_str());
}
BENCHMARK(CreateWindowAndOpenMaximal)->Unit(benchmark::kMillisecond);

// The worst text a document can hold for the window: one word as long as a
// long text may be (200 000 characters), laid out at opening (a word of a
// megabyte took minutes when every line looked for the word's end).
void OpenTheLongestWord(benchmark::State& state) {
  const std::string path = "/tmp/velmora-window-bench-word-" + std::to_string(::getpid()) + ".xdx";
  velmora::Record r = velmora::bench::maximalRecord();
  r.setLines(velmora::Field::ProjectAnalyze, {std::string(199999, 'x')});
  std::string error;
  velmora::writeFileAtomically(path, velmora::buildXdx(r, {}), error);
  NoDialogs services;
  for (auto _ : state) {
    velmora::MainWindow window(services);
    window.startUp({QString::fromStdString(path)});
    if (window.state().record().lines(velmora::Field::ProjectAnalyze).size() < 200) state.SkipWithError("not laid out");
    window.state().setModified(false);
  }
  ::unlink(path.c_str());
}
BENCHMARK(OpenTheLongestWord)->Unit(benchmark::kMillisecond)->Iterations(3);

// The worst documents up to the size limit, opened in the window (shown, or
// refused with the error box): time and peak resident memory of this
// process while it opens one (peak_MB; the peak is reset before each).
void OpenHostileDocument(benchmark::State& state, const velmora::bench::HostileShape& shape) {
  const std::string path = velmora::bench::writeHostileDocument(shape);
  NoDialogs services;
  double peak = 0;
  for (auto _ : state) {
    velmora::bench::resetPeakMemory();
    {
      velmora::MainWindow window(services);
      window.startUp({QString::fromStdString(path)});
      window.state().setModified(false);
    }
    peak = std::max(peak, velmora::bench::peakMemoryMB());
  }
  state.counters["peak_MB"] = peak;
  ::unlink(path.c_str());
}

// The part of writing the recovery copy that runs on the user-interface
// thread (building the document and handing it to the writer) for the largest
// application. The target is well under 5 ms: the user must never feel it.
void RecoveryCopyOnTheUiThread(benchmark::State& state) {
  const std::string folder = "/tmp/velmora-recovery-bench-" + std::to_string(::getpid());
  NoDialogs services;
  {
    velmora::MainWindow window(services, nullptr, folder);
    window.state().replaceRecord(velmora::bench::maximalRecord());
    window.state().setModified(true);
    for (auto _ : state) window.writeRecoveryCopy();
    window.recovery().flush();
    window.state().setModified(false);  // the window drops its copy as it ends
  }
  ::rmdir(folder.c_str());
}
BENCHMARK(RecoveryCopyOnTheUiThread)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  velmora::registerWindowFonts();
  for (const auto& shape : velmora::bench::hostileShapes())
    benchmark::RegisterBenchmark((std::string("OpenHostileDocument/") + shape.name).c_str(),
                                 [&shape](benchmark::State& s) { OpenHostileDocument(s, shape); })
        ->Unit(benchmark::kMillisecond)->Iterations(1);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
