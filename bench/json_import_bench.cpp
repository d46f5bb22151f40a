// velmora-cli import on the worst JSON it accepts to read: 64 MB shaped to
// cost the most memory or time, and input without end. Each run is a fresh
// velmora-cli process, so its peak resident memory (peak_rss_MB, from wait4)
// is the program's own and nothing of this benchmark's.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench/maximal_record.h"
#include "exchange/record_import.h"
#include "exchange/record_json.h"

using namespace velmora;

namespace {

std::string tempPath(const std::string& name) {
  return "/tmp/velmora-json-bench-" + std::to_string(::getpid()) + "-" + name;
}

// The input, written once per benchmark in pieces (this process stays
// small: see import()) and removed at the end.
struct InputFile {
  std::string path;
  std::size_t size = 0;
  InputFile(const std::string& name, const std::function<void(std::ofstream&)>& write) : path(tempPath(name)) {
    std::ofstream out(path, std::ios::binary);
    write(out);
    size = static_cast<std::size_t>(out.tellp());
  }
  ~InputFile() { std::remove(path.c_str()); }
};

struct Run {
  int exit = -1;
  long peakKilobytes = 0;
};

// velmora-cli import IN OUT, its messages to /dev/null. Forked, not spawned:
// a process created sharing this one's memory (vfork, posix_spawn) is
// charged this process's peak when it starts the program; a forked copy only
// its current size, which the pieces above keep to a few megabytes.
Run import(const std::string& in, const std::string& out) {
  Run run;
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, STDIN_FILENO);
    ::dup2(null, STDERR_FILENO);
    ::execl(VELMORA_CLI, VELMORA_CLI, "import", in.c_str(), out.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  if (pid > 0 && ::wait4(pid, &status, 0, &usage) == pid) {
    run.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakKilobytes = usage.ru_maxrss;
  }
  return run;
}

void measure(benchmark::State& state, const std::string& in, std::size_t inputBytes, int expectedExit) {
  long peak = 0;
  for (auto _ : state) {
    const Run run = import(in, tempPath("out.xdx"));
    if (run.exit != expectedExit) {
      state.SkipWithError(("exit status " + std::to_string(run.exit)).c_str());
      break;
    }
    peak = std::max(peak, run.peakKilobytes);
  }
  std::remove(tempPath("out.xdx").c_str());
  state.counters["peak_rss_MB"] = static_cast<double>(peak) / 1024.0;
  state.counters["input_MB"] = static_cast<double>(inputBytes) / (1024.0 * 1024.0);
}

// `open`, then `unit` up to `count` times, then `close`, filled with blanks
// to exactly the limit.
std::function<void(std::ofstream&)> filled(const std::string& open, const std::string& unit, const std::string& close,
                                           std::size_t count) {
  return [=](std::ofstream& out) {
    std::size_t size = open.size();
    out << open;
    std::string piece;
    for (std::size_t i = 0; i < count && size + unit.size() + close.size() <= kMaxImportBytes; ++i) {
      piece += unit;
      size += unit.size();
      if (piece.size() >= 65536) out << piece, piece.clear();
    }
    out << piece << close << std::string(kMaxImportBytes - size - close.size(), ' ');
  };
}

constexpr std::size_t kAll = static_cast<std::size_t>(-1);

// One string of 64 MB in a text field: the parser's buffer, the tree's copy,
// the GBK checks.
void ImportOneLongString(benchmark::State& state) {
  InputFile in("long-string.json", filled(R"({"ProjectName":")", "课", "\"}", kAll));
  measure(state, in.path, in.size, 2);
}
BENCHMARK(ImportOneLongString)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same as escapes: six bytes of input for three of text.
void ImportOneLongEscapedString(benchmark::State& state) {
  InputFile in("escapes.json", filled(R"({"ProjectName":")", "\\u8bfe", "\"}", kAll));
  measure(state, in.path, in.size, 2);
}
BENCHMARK(ImportOneLongEscapedString)->Unit(benchmark::kMillisecond)->UseRealTime();

// One key of 64 MB: kept for the duplicate test, named in the message.
void ImportOneLongKey(benchmark::State& state) {
  InputFile in("long-key.json", filled("{\"", "k", "\":\"\"}", kAll));
  measure(state, in.path, in.size, 2);
}
BENCHMARK(ImportOneLongKey)->Unit(benchmark::kMillisecond)->UseRealTime();

// As many keys as one object may hold, sharing the 64 MB: each is looked
// for among those before it, kept for the duplicate test and named in its
// message.
void ImportMostKeys(benchmark::State& state) {
  const std::size_t each = kMaxImportBytes / kMaxImportKeys - 16;
  InputFile in("most-keys.json", [&](std::ofstream& out) {
    std::size_t size = 1;
    out << "{";
    for (std::size_t i = 0; i < kMaxImportKeys; ++i) {
      const std::string member = (i ? ",\"" : "\"") + std::to_string(i) + std::string(each, 'k') + "\":\"\"";
      out << member;
      size += member.size();
    }
    out << "}" << std::string(kMaxImportBytes - size - 1, ' ');
  });
  measure(state, in.path, in.size, 2);
}
BENCHMARK(ImportMostKeys)->Unit(benchmark::kMillisecond)->UseRealTime();

// As many values as are taken, sharing the 64 MB: the whole input lives in
// the parsed tree at once.
void ImportMostValues(benchmark::State& state) {
  const std::size_t values = kMaxImportValues - 3;  // the object, the key's array, PASSBY
  const std::size_t each = kMaxImportBytes / values - 4;
  InputFile in("most-values.json",
               filled(R"({"PASSBY":"0","verifylist":[)", "\"" + std::string(each, 'x') + "\",", "\"\"]}", values - 1));
  measure(state, in.path, in.size, 2);
}
BENCHMARK(ImportMostValues)->Unit(benchmark::kMillisecond)->UseRealTime();

// The fullest application, accepted and written: the window's largest,
// with the values the import holds to stricter shapes (digits in dates, the
// identity number and amounts, the fixed cells, no fourth result outside
// the national classes) set as a user would type them.
void ImportFullestRecord(benchmark::State& state) {
  Record r = bench::maximalRecord();
  r.setText(Field::InputDate, "201101");
  r.setText(Field::ExpectCompleteDate, "201312");
  r.setText(Field::IDcard, "11010819800101123X");
  const Record fresh = Record::initial();
  for (Field table : {Field::OutlayGrid, Field::OutlayGrid2})
    for (int row = 0; row < fieldDef(table).table.storedRows; ++row)
      for (int col = 0; col < 3; ++col) r.setCell(table, row, col, col < 2 ? fresh.cell(table, row, col) : "1000");
  r.setChoice(Field::ExpectProduction2, -1);
  const std::string json = recordJson(r, false, {});
  InputFile in("fullest.json", [&](std::ofstream& out) { out << json; });
  measure(state, in.path, in.size, 0);
}
BENCHMARK(ImportFullestRecord)->Unit(benchmark::kMillisecond)->UseRealTime();

// Input without end: refused after the limit and one byte.
void ImportWithoutEnd(benchmark::State& state) { measure(state, "/dev/zero", kMaxImportBytes + 1, 2); }
BENCHMARK(ImportWithoutEnd)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
