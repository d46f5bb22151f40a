#include "cli/batch.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>

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

}  // namespace

Batch collectDocuments(const std::vector<std::string>& inputs) {
  Batch batch;
  for (const auto& input : inputs) {
    std::error_code ec;
    if (!fs::is_directory(input, ec)) {
      batch.documents.push_back({input, withoutDocumentExtension(fs::path(input).filename())});
      continue;
    }
    std::vector<NamedDocument> found;
    for (fs::recursive_directory_iterator it(input, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
      std::error_code fileEc;
      if (isDocumentName(it->path()) && it->is_regular_file(fileEc))
        found.push_back({it->path().string(), withoutDocumentExtension(it->path().lexically_relative(input))});
    }
    if (found.empty()) batch.emptyFolders.push_back(input);
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.path < b.path; });
    batch.documents.insert(batch.documents.end(), found.begin(), found.end());
  }
  return batch;
}

bool reportEmptyFolders(const Batch& batch) {
  for (const auto& folder : batch.emptyFolders) std::fprintf(stderr, "未找到 .xdx 文档：%s\n", folder.c_str());
  return !batch.emptyFolders.empty();
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
