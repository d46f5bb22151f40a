#include "cli/batch.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>

namespace velmora::cli {

std::vector<std::string> expandDocuments(const std::vector<std::string>& inputs) {
  std::vector<std::string> files;
  for (auto& d : expandNamedDocuments(inputs)) files.push_back(std::move(d.path));
  return files;
}

std::vector<NamedDocument> expandNamedDocuments(const std::vector<std::string>& inputs) {
  namespace fs = std::filesystem;
  auto stem = [](const fs::path& p) {
    fs::path named = p;
    std::string ext = named.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == ".xdx") named.replace_extension();
    return named.string();
  };
  std::vector<NamedDocument> files;
  for (const auto& input : inputs) {
    std::error_code ec;
    if (!fs::is_directory(input, ec)) {
      files.push_back({input, stem(fs::path(input).filename())});
      continue;
    }
    std::vector<NamedDocument> found;
    for (fs::recursive_directory_iterator it(input, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
      std::error_code fileEc;
      std::string ext = it->path().extension().string();
      std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
      if (ext == ".xdx" && it->is_regular_file(fileEc))
        found.push_back({it->path().string(), stem(it->path().lexically_relative(input))});
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.path < b.path; });
    files.insert(files.end(), found.begin(), found.end());
  }
  return files;
}

int runSelf(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  std::string self = "/proc/self/exe";
  argv.push_back(self.data());
  std::vector<std::string> copy = args;
  for (auto& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid;
  if (::posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return 2;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return 2;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 2;
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

}  // namespace velmora::cli
