#include "cli/batch.h"

#ifdef _WIN32
#include <io.h>
#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

#include "cli/cli_messages.h"
#include "cli/display_name.h"
#include "cli/file_probe.h"
#include "format/file_system.h"
#ifdef _WIN32
#include "format/windows_system.h"
#endif

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;

bool isDocumentName(const fs::path& p) {
  std::string ext = utf8Path(p.extension());
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext == ".xdx";
}

std::string withoutDocumentExtension(fs::path p) {
  if (isDocumentName(p)) p.replace_extension();
  return utf8Path(p);
}

// The system's reason in the user's language, as strerror gives it
// elsewhere (std::error_code's message is not translated).
std::string reasonOf(int error) { return std::strerror(error); }

// A file's identity: the same file under two names (given twice, a folder
// and a file in it, a link) is one document.
using Identity = FileIdentity;

// Name order: on Windows a backslash sorts as the slash it stands for, so
// that documents come in the order they come in on Linux.
bool inNameOrder(const std::string& a, const std::string& b) {
#ifdef _WIN32
  auto key = [](char c) { return static_cast<unsigned char>(c == '\\' ? '/' : c); };
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [&](char x, char y) { return key(x) < key(y); });
#else
  return a < b;
#endif
}

bool stderrIsTerminal() {
#ifdef _WIN32
  return ::_isatty(::_fileno(stderr)) != 0;
#else
  return ::isatty(STDERR_FILENO);
#endif
}

// What a walk has met so far: the folders entered (each once, so that a link
// to a folder above is no loop) and what it skipped.
struct Walk {
  const fs::path& top;
  const std::string& given;  // the folder as the user wrote it
  std::vector<NamedDocument>& found;
  std::vector<UnreadableFolder>& unreadable;
  std::vector<UnreadableFolder>& skipped;
  std::set<Identity> folders;
  std::string text(const fs::path& p) const { return inStyleOf(given, utf8Path(p)); }
};

// Walks `folder` and below: documents into `found`, folders that cannot be
// read into `unreadable`, in name order. A folder that can be listed but not
// entered (read without execute permission) counts as unreadable as a whole:
// nothing in it can be opened. An entry that vanished meanwhile is no error.
// Links to folders are followed, each folder entered once; a `.xdx` that is
// no file (a dangling link, a FIFO, a device) is skipped and reported.
void walk(const fs::path& folder, Walk& w) {
#ifndef _WIN32
  // On Windows a folder that can be listed can be entered: listing it
  // below tells whether it can be read.
  if (::access(folder.c_str(), R_OK | X_OK) != 0) {
    if (errno != ENOENT) w.unreadable.push_back({w.text(folder), reasonOf(errno)});
    return;
  }
#endif
  if (auto id = fileIdentity(utf8Path(folder)); id && !w.folders.insert(*id).second) return;
  std::error_code ec;
  std::vector<fs::directory_entry> entries;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) entries.push_back(*it);
  if (ec) {
    if (systemErrno(ec) != ENOENT) w.unreadable.push_back({w.text(folder), reasonOf(systemErrno(ec))});
    return;
  }
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.path() < b.path(); });
  for (const auto& entry : entries) {
    std::error_code typeEc;
    if (entry.is_directory(typeEc)) {  // a link to a folder too
      walk(entry.path(), w);
      continue;
    }
    if (!isDocumentName(entry.path())) continue;
    // A regular file, or a link that cannot be followed for want of
    // permission: opening it then tells why.
    const bool regular = entry.is_regular_file(typeEc);
    if (regular || (typeEc && systemErrno(typeEc) != ENOENT && systemErrno(typeEc) != ENOTDIR)) {
      w.found.push_back({w.text(entry.path()), withoutDocumentExtension(entry.path().lexically_relative(w.top))});
    } else {
      std::error_code exists;
      w.skipped.push_back({w.text(entry.path()), fs::exists(entry.status(exists)) ? "跳过：不是普通文件，不是申报文档"
                                                                                  : "跳过：链接指向的文件不存在"});
    }
  }
}

}  // namespace

std::string inStyleOf([[maybe_unused]] const std::string& folder, std::string path) {
#ifdef _WIN32
  if (folder.find('/') != std::string::npos && folder.find('\\') == std::string::npos)
    std::replace(path.begin(), path.end(), '\\', '/');
#endif
  return path;
}

Batch collectDocuments(const std::vector<std::string>& inputs) {
  Batch batch;
  // Each file once, under the name it was met by first.
  std::set<Identity> files;
  std::set<std::string> unknown;  // names without a file: each reported once
  auto add = [&](NamedDocument document) {
    const auto id = fileIdentity(document.path);
    if (id ? files.insert(*id).second : unknown.insert(document.path).second)
      batch.documents.push_back(std::move(document));
  };
  for (const auto& input : inputs) {
    std::error_code ec;
    const fs::path top = systemPath(input);
    if (!fs::is_directory(top, ec)) {
      add({input, withoutDocumentExtension(top.filename())});
      continue;
    }
    std::vector<NamedDocument> found;
    const std::size_t unreadableBefore = batch.unreadableFolders.size();
    const std::size_t skippedBefore = batch.skipped.size();
    Walk w{top, input, found, batch.unreadableFolders, batch.skipped, {}};
    walk(top, w);
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return inNameOrder(a.path, b.path); });
    // A folder that could not be read is reported as such, not as empty.
    if (found.empty() && batch.unreadableFolders.size() == unreadableBefore && batch.skipped.size() == skippedBefore)
      batch.emptyFolders.push_back(input);
    for (NamedDocument& d : found) add(std::move(d));
  }
  return batch;
}

bool reportCollectionProblems(const Batch& batch) {
  for (const auto& folder : batch.unreadableFolders) report(folder.path, "无法读取文件夹：" + folder.reason);
  for (const auto& entry : batch.skipped) report(entry.path, entry.reason);
  for (const auto& folder : batch.emptyFolders)
    std::fprintf(stderr, "未找到 .xdx 文档：%s\n", displayPath(folder).c_str());
  return !batch.emptyFolders.empty() || !batch.unreadableFolders.empty() || !batch.skipped.empty();
}

void forEachInParallel(std::size_t count, const std::string& verb, const std::function<void(std::size_t)>& work) {
  const bool progress = count >= 20 && stderrIsTerminal();
  std::atomic<std::size_t> next{0};
  std::atomic<std::size_t> done{0};
  std::mutex out;
  auto worker = [&] {
    for (std::size_t i = next++; i < count; i = next++) {
      work(i);
      std::size_t finished = ++done;
      if (progress && (finished % 10 == 0 || finished == count)) {
        std::lock_guard lock(out);
        std::fprintf(stderr, "\r%s %zu/%zu", verb.c_str(), finished, count);
        std::fflush(stderr);
      }
    }
  };
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t threads = std::min<std::size_t>(cores, count);
  std::vector<std::thread> pool;
  for (std::size_t t = 1; t < threads; ++t) pool.emplace_back(worker);
  worker();
  for (auto& t : pool) t.join();
  if (progress) std::fprintf(stderr, "\r\033[K");
}

void printSummary(const std::array<std::size_t, 3>& counts) {
  if (!stderrIsTerminal()) return;
  std::fprintf(stderr, "共 %zu 份：完整 %zu，有问题 %zu，无法读取 %zu\n", counts[0] + counts[1] + counts[2], counts[0],
               counts[1], counts[2]);
}

#ifdef _WIN32

namespace {

// An argument as CommandLineToArgvW and the C runtime read it back: quoted
// when it is empty or holds a blank or a quote; a quote escaped with a
// backslash, and the backslashes before a quote or the closing one doubled.
std::wstring quotedArgument(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

}  // namespace

std::string printProgram() {
  // This program's own file, as /proc/self/exe names it on Linux.
  std::wstring self(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
    if (n == 0) return {};
    if (n < self.size()) {
      self.resize(n);
      break;
    }
    self.resize(self.size() * 2);
  }
  const fs::path folder = fs::path(self).parent_path();
  for (const fs::path& candidate :
       {folder / L"velmora-print.exe", folder / systemPath(VELMORA_PRINT_FROM_BIN ".exe")}) {
    std::error_code ec;
    if (fs::is_regular_file(candidate, ec)) return utf8Path(candidate.lexically_normal());
  }
  return {};
}

int runProgram(const std::string& program, const std::vector<std::string>& args) {
  const std::wstring application = widePath(program);
  std::wstring commandLine = quotedArgument(application);
  for (const auto& a : args) commandLine += L" " + quotedArgument(widePath(a));
  // The program writes its messages where this one writes its own, and
  // reads nothing: it is given this program's standard handles, which it
  // inherits only when they may be inherited.
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
  for (HANDLE h : {startup.hStdInput, startup.hStdOutput, startup.hStdError})
    if (h != nullptr && h != INVALID_HANDLE_VALUE) ::SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process))
    return 2;
  HandleCloser thread{process.hThread};
  HandleCloser running{process.hProcess};
  DWORD code = 2;
  if (::WaitForSingleObject(process.hProcess, INFINITE) != WAIT_OBJECT_0 ||
      !::GetExitCodeProcess(process.hProcess, &code))
    return 2;
  return static_cast<int>(code);
}

#else

std::string printProgram() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  for (const fs::path& candidate : {self.parent_path() / "velmora-print", self.parent_path() / VELMORA_PRINT_FROM_BIN})
    if (::access(candidate.c_str(), X_OK) == 0) return candidate.lexically_normal().string();
  return {};
}

int runProgram(const std::string& program, const std::vector<std::string>& args) {
  std::vector<std::string> copy = args;
  copy.insert(copy.begin(), program);
  std::vector<char*> argv;
  argv.reserve(copy.size() + 1);
  for (auto& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid;
  if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return 2;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return 2;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 2;
}

#endif

}  // namespace velmora::cli
