// soak: drives the real main window with a seeded random sequence of the
// inputs a user gives it (keys, text, input-method text, clicks, pastes,
// drops, context menus, page changes, the side panel's buttons, opening,
// saving and closing with every dialog answered by a script) and stops at
// the first value in the record no user could have entered, at a modal
// window nobody answers, or, built with the sanitizers, at a crash or
// undefined behaviour.
//
//   soak [--seed N] [--steps N] [--seconds S] [--trace] [--keep-going]
//
// Without --seconds one seed runs for --steps steps. With it, seeds run one
// after another, each for --steps steps, until the time is up: the first is
// --seed (else a random one), the next ones follow it, or are random too.
// A failure names the seed and the step; `soak --seed N --steps K --trace`
// replays it.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <regex>
#include <set>
#include <string>

#include "app/window_fonts.h"
#include "app/window_palette.h"
#include "document/document_actions.h"
#include "soak_session.h"
#include "test_support.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELMORA_SOAK_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define VELMORA_SOAK_ASAN 1
#endif
#ifdef VELMORA_SOAK_ASAN
#include <sanitizer/common_interface_defs.h>
// Qt and fontconfig keep allocations until exit that the leak checker would
// report; the first error ends the run, abort() reports its stack too.
extern "C" const char* __asan_default_options() { return "detect_leaks=0:halt_on_error=1:handle_abort=1"; }
extern "C" const char* __ubsan_default_options() { return "halt_on_error=1:print_stacktrace=1"; }
#endif

namespace {

using velmora::soak::IllegalValue;

std::uint64_t runningSeed = 0;
long runningStep = 0;

// Ends the run at its first fault, without tearing the window down: what
// the teardown might find would only bury the report.
QTemporaryDir* workFolder = nullptr;
[[noreturn]] void endWithFault() {
  if (workFolder) workFolder->remove();
  std::fflush(stdout);
  std::fflush(stderr);
  std::_Exit(1);
}

void printRepeat(std::FILE* out) {
  std::fprintf(out, "soak: seed %llu, step %ld; repeat with: soak --seed %llu --steps %ld --trace\n",
               static_cast<unsigned long long>(runningSeed), runningStep, static_cast<unsigned long long>(runningSeed),
               runningStep);
}

// Runs when a sanitizer ends the process: its report above says what went
// wrong, this says how to get there again.
void onSanitizerDeath() {
  std::fflush(stdout);
  std::fprintf(stderr, "soak: CRASH\n");
  printRepeat(stderr);
  velmora::soak::printRecentActions(stderr);
  if (workFolder) {
    std::error_code ec;
    std::filesystem::remove_all(workFolder->path().toStdString(), ec);
  }
}

bool quietQt = true;
void qtMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
  // The test harness warns about every key no widget accepted; only Qt's
  // critical and fatal messages matter here.
  if (quietQt && (type == QtDebugMsg || type == QtInfoMsg || type == QtWarningMsg)) return;
  std::fprintf(stderr, "qt: %s\n", text.toLocal8Bit().constData());
  if (type == QtFatalMsg) std::abort();
}

// The documents the open dialog may answer with. A document that opens must
// open to legal values, so that every illegal value afterwards is the
// window's doing; documents that do not open at all are kept for their error
// paths.
std::vector<std::string> openableDocuments(const std::string& folder) {
  std::vector<std::string> out;
  std::error_code ec;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, ec)) {
    if (!entry.is_regular_file() || entry.path().extension() != ".xdx") continue;
    const std::string path = entry.path().string();
    velmora::FormState state;
    velmora::test::ScriptedPrompter prompter;
    state.setPendingPath(path);
    if (velmora::openDocument(state, prompter) == velmora::OpenOutcome::Opened &&
        !velmora::soak::illegalValues(state.record()).empty())
      continue;
    out.push_back(path);
  }
  std::sort(out.begin(), out.end());
  return out;
}

// Where and what, without the counts that change while the value grows: one
// report per kind of fault when going on after one.
std::string faultKind(const IllegalValue& v) {
  static const std::regex digits("[0-9]+");
  return std::regex_replace(v.where + " | " + v.reason, digits, "#");
}

int usage() {
  std::fprintf(stderr,
               "usage: soak [--seed N] [--steps N] [--seconds S] [--trace] [--keep-going] [--documents DIR]\n"
               "  --seed N       the first seed (default: a random one)\n"
               "  --steps N      steps per seed (default 2000)\n"
               "  --seconds S    run seed after seed for S seconds\n"
               "  --trace        print every action\n"
               "  --keep-going   report each kind of illegal value once and go on\n"
               "  --documents D  documents the open dialog may answer with (default: the test fixtures)\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<std::uint64_t> firstSeed;
  long steps = 2000;
  double seconds = 0;
  bool trace = false, keepGoing = false;
  std::string documents = VELMORA_FIXTURES;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hasValue = i + 1 < argc;
    try {
      if (a == "--seed" && hasValue) {
        firstSeed = std::stoull(argv[++i]);
      } else if (a == "--steps" && hasValue) {
        steps = std::stol(argv[++i]);
      } else if (a == "--seconds" && hasValue) {
        seconds = std::stod(argv[++i]);
      } else if (a == "--documents" && hasValue) {
        documents = argv[++i];
      } else if (a == "--trace") {
        trace = true;
      } else if (a == "--keep-going") {
        keepGoing = true;
      } else {
        return usage();
      }
    } catch (const std::exception&) {
      return usage();
    }
  }
  if (steps <= 0 || seconds < 0) return usage();

  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The window keeps recovery copies of unsaved edits in the user's state
  // folder: here, in one of the run's own.
  QTemporaryDir work;
  if (!work.isValid()) {
    std::fprintf(stderr, "soak: no temporary folder\n");
    return 2;
  }
  workFolder = &work;
  qputenv("XDG_STATE_HOME", QDir(work.path()).filePath(QStringLiteral("state")).toLocal8Bit());
  quietQt = !trace;
  qInstallMessageHandler(qtMessages);
#ifdef VELMORA_SOAK_ASAN
  __sanitizer_set_death_callback(onSanitizerDeath);
#endif

  int qtArgc = 1;  // Qt takes none of the soak's options
  QApplication app(qtArgc, argv);
  velmora::registerWindowFonts();
  velmora::useWindowStyle();
  velmora::soak::setTrace(trace);

  velmora::soak::SoakConfig config;
  config.documents = openableDocuments(documents);
  config.workDir = QDir(work.path()).filePath(QStringLiteral("soak")).toStdString();
  std::printf("soak: %zu documents for the open dialog from %s\n", config.documents.size(), documents.c_str());

  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  const auto deadline = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  std::random_device randomSeeds;
  std::uint64_t seed = firstSeed ? *firstSeed : (std::uint64_t{randomSeeds()} << 32 | randomSeeds());
  long totalSteps = 0;
  int seeds = 0;
  std::set<std::string> reported;
  bool failed = false, timeUp = false;

  for (;;) {
    runningSeed = seed;
    runningStep = 0;
    velmora::soak::setCurrentStep(0);
    std::printf("soak: seed %llu\n", static_cast<unsigned long long>(seed));
    std::fflush(stdout);
    long done = 0;
    {
      velmora::soak::Session session(seed, config);
      for (long k = 1; k <= steps; ++k) {
        if (seconds > 0 && Clock::now() >= deadline) {
          timeUp = true;
          break;
        }
        runningStep = k;
        velmora::soak::setCurrentStep(k);
        session.step();
        done = k;
        if (!session.unexpectedModal().empty()) {
          std::printf("soak: FAULT: a modal window nobody answers: %s\n", session.unexpectedModal().c_str());
          printRepeat(stdout);
          velmora::soak::printRecentActions(stdout);
          endWithFault();
        }
        for (const IllegalValue& v : session.illegalValues()) {
          if (!reported.insert(faultKind(v)).second) continue;
          failed = true;
          std::printf("soak: FAULT: a value no user could enter: %s\n", v.describe().c_str());
          printRepeat(stdout);
          velmora::soak::printRecentActions(stdout);
          if (!keepGoing) endWithFault();
        }
      }
    }
    totalSteps += done;
    ++seeds;
    std::printf("soak: seed %llu: %ld steps%s\n", static_cast<unsigned long long>(seed), done,
                timeUp ? " (time is up)" : "");
    if (seconds <= 0 || timeUp || Clock::now() >= deadline) break;
    seed = firstSeed ? seed + 1 : (std::uint64_t{randomSeeds()} << 32 | randomSeeds());
  }
  const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("soak: %d seed%s, %ld steps in %.0f s: %s\n", seeds, seeds == 1 ? "" : "s", totalSteps, elapsed,
              failed ? "values no user could enter (see above)" : "no crash, no illegal value");
  return failed ? 1 : 0;
}
