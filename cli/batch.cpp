#include "cli/batch.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>

namespace velmora::cli {

std::vector<std::string> expandDocuments(const std::vector<std::string>& inputs) {
  namespace fs = std::filesystem;
  std::vector<std::string> files;
  for (const auto& input : inputs) {
    std::error_code ec;
    if (!fs::is_directory(input, ec)) {
      files.push_back(input);
      continue;
    }
    std::vector<std::string> found;
    for (fs::recursive_directory_iterator it(input, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
      std::error_code fileEc;
      std::string ext = it->path().extension().string();
      std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
      if (ext == ".xdx" && it->is_regular_file(fileEc)) found.push_back(it->path().string());
    }
    std::sort(found.begin(), found.end());
    files.insert(files.end(), found.begin(), found.end());
  }
  return files;
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
