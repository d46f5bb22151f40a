#include "cli/batch.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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

#include <sys/stat.h>

#include "cli/cli_messages.h"
#include "cli/display_name.h"

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;

bool isDocumentName(const fs::path& p) {
  std::string ext = p.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext == ".xdx";
}

std::string withoutDocumentExtension(fs::path p) {
  if (isDocumentName(p)) p.replace_extension();
  return p.string();
}

// The system's reason in the user's language, as strerror gives it
// elsewhere (std::error_code's message is not translated).
std::string reasonOf(int error) { return std::strerror(error); }

// A file's identity: the same file under two names (given twice, a folder
// and a file in it, a link) is one document.
using Identity = std::pair<dev_t, ino_t>;
std::optional<Identity> identityOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return Identity{st.st_dev, st.st_ino};
}

// What a walk has met so far: the folders entered (each once, so that a link
// to a folder above is no loop) and what it skipped.
struct Walk {
  const fs::path& top;
  std::vector<NamedDocument>& found;
  std::vector<UnreadableFolder>& unreadable;
  std::vector<UnreadableFolder>& skipped;
  std::set<Identity> folders;
};

// Walks `folder` and below: documents into `found`, folders that cannot be
// read into `unreadable`, in name order. A folder that can be listed but not
// entered (read without execute permission) counts as unreadable as a whole:
// nothing in it can be opened. An entry that vanished meanwhile is no error.
// Links to folders are followed, each folder entered once; a `.xdx` that is
// no file (a dangling link, a FIFO, a device) is skipped and reported.
void walk(const fs::path& folder, Walk& w) {
  if (::access(folder.c_str(), R_OK | X_OK) != 0) {
    if (errno != ENOENT) w.unreadable.push_back({folder.string(), reasonOf(errno)});
    return;
  }
  if (auto id = identityOf(folder.string()); id && !w.folders.insert(*id).second) return;
  std::error_code ec;
  std::vector<fs::directory_entry> entries;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) entries.push_back(*it);
  if (ec) {
    if (ec != std::errc::no_such_file_or_directory) w.unreadable.push_back({folder.string(), reasonOf(ec.value())});
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
    if (regular || (typeEc && typeEc != std::errc::no_such_file_or_directory && typeEc != std::errc::not_a_directory)) {
      w.found.push_back({entry.path().string(), withoutDocumentExtension(entry.path().lexically_relative(w.top))});
    } else {
      std::error_code exists;
      w.skipped.push_back({entry.path().string(), fs::exists(entry.status(exists)) ? "跳过：不是普通文件，不是申报文档"
                                                                                   : "跳过：链接指向的文件不存在"});
    }
  }
}

}  // namespace

Batch collectDocuments(const std::vector<std::string>& inputs) {
  Batch batch;
  // Each file once, under the name it was met by first.
  std::set<Identity> files;
  std::set<std::string> unknown;  // names without a file: each reported once
  auto add = [&](NamedDocument document) {
    const auto id = identityOf(document.path);
    if (id ? files.insert(*id).second : unknown.insert(document.path).second)
      batch.documents.push_back(std::move(document));
  };
  for (const auto& input : inputs) {
    std::error_code ec;
    if (!fs::is_directory(input, ec)) {
      add({input, withoutDocumentExtension(fs::path(input).filename())});
      continue;
    }
    std::vector<NamedDocument> found;
    const std::size_t unreadableBefore = batch.unreadableFolders.size();
    const std::size_t skippedBefore = batch.skipped.size();
    const fs::path top(input);
    Walk w{top, found, batch.unreadableFolders, batch.skipped, {}};
    walk(top, w);
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.path < b.path; });
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
  const bool progress = count >= 20 && ::isatty(STDERR_FILENO);
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
  if (!::isatty(STDERR_FILENO)) return;
  std::fprintf(stderr, "共 %zu 份：完整 %zu，有问题 %zu，无法读取 %zu\n", counts[0] + counts[1] + counts[2], counts[0],
               counts[1], counts[2]);
}

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

}  // namespace velmora::cli
