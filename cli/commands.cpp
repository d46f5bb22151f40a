#include "cli/commands.h"

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>

#include "cli/batch.h"
#include "cli/cli_messages.h"
#include "cli/cli_prompter.h"
#include "cli/display_name.h"
#include "cli/file_probe.h"
#include "cli/output_guard.h"
#include "document/document_actions.h"
#include "exchange/record_import.h"
#include "exchange/record_json.h"
#include "format/file_read.h"
#include "format/file_system.h"
#ifdef _WIN32
#include "format/windows_system.h"
#endif

namespace velmora::cli {
namespace {

struct Checked {
  Status status = Status::Refused;
  bool formal = false;
  std::vector<std::string> problems;
  std::vector<std::string> messages;
};

Checked checkDocument(const std::string& path) {
  OpenedDocument opened = openDocumentAt(path);
  Checked c;
  c.status = opened.status;
  // A refused document has no problem list of its own.
  if (opened.readable()) {
    c.formal = opened.state.formal();
    c.problems = opened.state.problems();
  }
  c.messages = std::move(opened.messages);
  return c;
}

// The JSON to import, from a file or ("-") standard input. Whatever the
// source (a pipe, a device such as /dev/zero, a file that grows) no more than
// one byte beyond the limit is read: the memory held never depends on how
// much input there is. False with the reason in `error`.
#ifdef _WIN32

bool readJsonInput(const std::string& path, std::string& bytes, std::string& error) {
  if (path != "-") {
    FileRead file = readWholeFile(path, kMaxImportBytes);
    switch (file.outcome) {
      case FileRead::Outcome::Read: bytes = std::move(file.bytes); return true;
      case FileRead::Outcome::TooLarge: error = jsonTooLarge(); return false;
      case FileRead::Outcome::CannotOpen:
      case FileRead::Outcome::CannotRead: break;
    }
    error = "无法读取文件：" + file.reason;
    return false;
  }
  // Standard input (in binary mode, see main.cpp) is a file, a pipe, a
  // console or NUL: read to its end, never more than the limit and a byte.
  bytes.reserve(kMaxImportBytes + 1);
  char buffer[65536];
  for (;;) {
    const int n =
        ::_read(0, buffer, static_cast<unsigned>(std::min(sizeof buffer, kMaxImportBytes + 1 - bytes.size())));
    if (n < 0) {
      error = std::string("无法读取文件：") + std::strerror(errno);
      return false;
    }
    if (n == 0) return true;
    bytes.append(buffer, static_cast<std::size_t>(n));
    if (bytes.size() > kMaxImportBytes) {
      error = jsonTooLarge();
      return false;
    }
  }
}

#else

bool readJsonInput(const std::string& path, std::string& bytes, std::string& error) {
  const bool standardInput = path == "-";
  // Non-blocking only for the open itself, as for documents: a named pipe
  // without a writer would hang otherwise.
  const int fd = standardInput ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    error = std::string("无法读取文件：") + std::strerror(errno);
    return false;
  }
  struct Closer {
    int fd;
    bool own;
    ~Closer() {
      if (own) ::close(fd);
    }
  } closer{fd, !standardInput};
  if (!standardInput) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  const std::string tooLarge = jsonTooLarge();
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    if (static_cast<std::size_t>(st.st_size) > kMaxImportBytes) {
      error = tooLarge;
      return false;
    }
    bytes.reserve(static_cast<std::size_t>(st.st_size) + 1);
  } else {
    // Room for all there may be, taken up only as it is read: growing by
    // doubling would hold the old and the new copy at once.
    bytes.reserve(kMaxImportBytes + 1);
  }
  char buffer[65536];
  for (;;) {
    // Never more than the limit and one byte, so the reserved room suffices.
    const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, kMaxImportBytes + 1 - bytes.size()));
    if (n < 0) {
      if (errno == EINTR) continue;
      error = std::string("无法读取文件：") + std::strerror(errno);
      return false;
    }
    if (n == 0) return true;
    bytes.append(buffer, static_cast<std::size_t>(n));
    if (bytes.size() > kMaxImportBytes) {
      error = tooLarge;
      return false;
    }
  }
}

#endif

// JSON is held to the same size as documents.
static_assert(kMaxImportBytes == kMaxDocumentBytes);

}  // namespace

int checkCommand(bool json, const std::vector<std::string>& inputs) {
  const Batch batch = collectDocuments(inputs);
  const bool incomplete = reportCollectionProblems(batch);
  const auto& docs = batch.documents;
  std::vector<Checked> results(docs.size());
  forEachInParallel(docs.size(), "检查", [&](std::size_t i) { results[i] = checkDocument(docs[i].path); });

  int exit = incomplete ? kRefused : kClean;
  std::array<std::size_t, 3> counts{};
  for (std::size_t i = 0; i < docs.size(); ++i) {
    const Checked& c = results[i];
    const std::string& path = docs[i].path;
    if (json) {
      // JSON is UTF-8: the name as displayed, and its bytes when they differ.
      const std::string shown = displayPath(path);
      const std::string bytes = shown == path ? std::string() : hexBytes(path);
      std::cout << checkReportJson({shown, statusName(c.status), c.formal, c.problems, c.messages, bytes}) << '\n';
    } else {
      reportAll(path, c.messages);
      for (const auto& line : c.problems) {
        if (docs.size() > 1) std::cout << displayPath(path) << ": ";
        std::cout << line << '\n';
      }
    }
    ++counts[static_cast<std::size_t>(c.status)];
    if (c.status == Status::Refused)
      exit = kRefused;
    else if (c.status == Status::Problems && exit == kClean)
      exit = kProblems;
  }
  std::cout.flush();
  if (!docs.empty()) printSummary(counts);
  return exit;
}

int dumpCommand(const std::string& file) {
  const std::optional<FormState> state = openReporting(file);
  if (!state) return kRefused;
  std::cout << recordJson(state->record(), state->formal(), state->problems());
  return state->problems().empty() ? kClean : kProblems;
}

namespace {

// Why `out` may not receive a document: no name at all; the file read
// (also through a link); an existing file that is no XDX document (a text,
// a picture), which a document never replaces. A FIFO or a device is
// written into, not replaced.
std::optional<std::string> documentOutputRefusal(const std::string& read, const std::string& out) {
  if (out.empty()) return std::string("输出文件名为空");
  if (auto why = OutputGuard({read}).refusal(out, false)) return why;
  if (isRegularFile(out) && !isXdxDocument(out)) return std::string("不是申报文档，不能覆盖");
  return std::nullopt;
}

}  // namespace

int resaveCommand(const std::string& in, const std::string& out) {
  if (auto why = documentOutputRefusal(in, out)) {
    report(out.empty() ? "velmora-cli" : out, *why);
    return kRefused;
  }
  std::optional<FormState> state = openReporting(in);
  if (!state) return kRefused;
  CliPrompter prompter(out);
  const SaveOutcome outcome = saveDocument(*state, prompter);
  // A refusal is about the document read; a failed write about the file written.
  reportAll(outcome == SaveOutcome::Failed ? out : in, prompter.messages);
  return outcome == SaveOutcome::Written ? kClean : kRefused;
}

int importCommand(const std::string& jsonPath, const std::string& out) {
  // The document written never replaces the JSON it is made from, also when
  // that comes as standard input opened from a file (import - a.json <a.json).
  if (auto why = documentOutputRefusal(jsonPath == "-" ? "/dev/stdin" : jsonPath, out)) {
    report(out.empty() ? "velmora-cli" : out, *why);
    return kRefused;
  }
  std::string json, error;
  if (!readJsonInput(jsonPath, json, error)) {
    report(jsonPath, error);
    return kRefused;
  }
  ImportResult imported = importRecordJson(json);
  if (!imported.ok()) {
    for (const auto& v : imported.violations)
      report(jsonPath, v.key.empty() ? v.message : displayQuote(v.key) + "：" + v.message);
    return kRefused;
  }
  FormState state;
  state.replaceRecord(std::move(imported.record));
  CliPrompter prompter(out);
  const SaveOutcome outcome = saveDocument(state, prompter);
  reportAll(out, prompter.messages);
  return outcome == SaveOutcome::Written ? kClean : kRefused;
}

namespace {

constexpr const char* kNoPrintProgram = "velmora-cli：找不到打印程序 velmora-print\n";

// What names one output file: the path itself on Linux; on Windows, whose
// file systems take "X.pdf" and "x.pdf" for one file, the path in capitals.
std::string sameFileKey(const std::filesystem::path& output) {
#ifdef _WIN32
  const std::wstring name = output.wstring();
  std::wstring upper(name.size(), L'\0');
  const int n = ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, name.c_str(), static_cast<int>(name.size()),
                                upper.data(), static_cast<int>(upper.size()), nullptr, nullptr, 0);
  return utf8FromWide(n > 0 ? upper : name);
#else
  return output.string();
#endif
}

// The PDF each document of a batch becomes. Names come from the files'
// names and the paths below the folders given, so two documents can claim
// one output (a/x.xdx and b/x.xdx, a folder and a file beside it, one file
// given twice); printed in parallel, one would silently replace the other.
// Such a batch is refused as a whole before anything is written: an office's
// script finds every output where it expects it, or gets exit status 2.
std::optional<std::vector<std::string>> pdfOutputs(const std::string& outDir, const std::vector<NamedDocument>& docs) {
  namespace fs = std::filesystem;
  std::vector<std::string> outputs;
  std::map<std::string, std::vector<std::size_t>> claims;
  for (std::size_t i = 0; i < docs.size(); ++i) {
    const fs::path output = (systemPath(outDir) / systemPath(docs[i].name + ".pdf")).lexically_normal();
    outputs.push_back(inStyleOf(outDir, utf8Path(output)));
    claims[sameFileKey(output)].push_back(i);
  }
  bool collided = false;
  for (const auto& [key, claimants] : claims) {
    if (claimants.size() < 2) continue;
    std::string names;
    for (std::size_t i : claimants) names += (names.empty() ? "" : "、") + displayPath(docs[i].path);
    report(outputs[claimants.front()], "多个文档会写成这同一个文件：" + names + "；未写入任何文件");
    collided = true;
  }
  if (collided) return std::nullopt;
  return outputs;
}

}  // namespace

int pdfCommand(const std::string& outDir, const std::string& paper, const std::vector<std::string>& files) {
  if (outDir.empty()) {
    if (files[1].empty()) {
      report("velmora-cli", "输出文件名为空");
      return kRefused;
    }
    // IN and OUT.pdf: the PDF never replaces the document it prints, nor
    // another document.
    if (auto why = OutputGuard({files[0]}).refusal(files[1], true)) {
      report(files[1], *why);
      return kRefused;
    }
    const std::string program = printProgram();
    if (program.empty()) {
      std::cerr << kNoPrintProgram;
      return kRefused;
    }
    return runProgram(program, {files[0], files[1], paper}) == 0 ? kClean : kRefused;
  }

  const Batch batch = collectDocuments(files);
  const bool incomplete = reportCollectionProblems(batch);
  const auto& docs = batch.documents;
  if (docs.empty()) return kRefused;
  const std::optional<std::vector<std::string>> outputs = pdfOutputs(outDir, docs);
  if (!outputs) return kRefused;
  const std::string program = printProgram();
  if (program.empty()) {
    std::cerr << kNoPrintProgram;
    return kRefused;
  }

  namespace fs = std::filesystem;
  std::error_code ec;
  fs::create_directories(systemPath(outDir), ec);
  if (!fs::is_directory(systemPath(outDir))) {
#ifdef _WIN32
    // The system's error codes are no errno values; strerror tells them
    // in the words it uses on Linux.
    report(outDir, "无法创建输出文件夹：" + std::string(std::strerror(ec ? systemErrno(ec) : ENOTDIR)));
#else
    report(outDir, "无法创建输出文件夹：" + (ec ? ec.message() : std::strerror(ENOTDIR)));
#endif
    return kRefused;
  }
  std::vector<std::string> inputs;
  inputs.reserve(docs.size());
  for (const auto& d : docs) inputs.push_back(d.path);
  const OutputGuard guard(inputs);
  // Each document is printed by a process of its own, as many at a time as
  // there are cores, so one broken document never takes the batch down.
  std::vector<int> results(docs.size(), 0);
  forEachInParallel(docs.size(), "生成PDF", [&](std::size_t i) {
    const std::string& pdf = (*outputs)[i];
    if (auto why = guard.refusal(pdf, true)) {
      report(pdf, *why);
      results[i] = kRefused;
      return;
    }
    std::error_code made;
    fs::create_directories(systemPath(pdf).parent_path(), made);
    results[i] = runProgram(program, {docs[i].path, pdf, paper});
  });
  if (incomplete) return kRefused;
  for (int r : results)
    if (r != 0) return kRefused;
  return kClean;
}

}  // namespace velmora::cli
