#include "document/recovery.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

#include "format/atomic_file.h"
#include "format/file_system.h"
#ifdef _WIN32
#include "format/windows_system.h"
#endif

namespace velmora {
namespace {

constexpr const char* kCopy = ".xdx";
constexpr const char* kOrigin = ".origin";
constexpr const char* kLock = ".lock";

bool endsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

std::string defaultRecoveryFolder() {
#ifdef _WIN32
  // The user's own application data on this machine, never roaming: copies
  // are of this machine's windows.
  for (const wchar_t* name : {L"LOCALAPPDATA", L"TEMP"})
    if (const wchar_t* v = ::_wgetenv(name); v && v[0]) return utf8FromWide(v) + "\\velmora\\recovery";
  return "C:\\velmora\\recovery";
#else
  std::string state;
  if (const char* x = std::getenv("XDG_STATE_HOME"); x && x[0] == '/') {
    state = x;
  } else if (const char* home = std::getenv("HOME"); home && home[0]) {
    state = std::string(home) + "/.local/state";
  } else {
    state = "/tmp";
  }
  return state + "/velmora/recovery";
#endif
}

RecoverySlot::RecoverySlot(std::string folder) : folder_(std::move(folder)) {
  std::random_device random;
  base_ = folder_ + "/window-" + std::to_string(processId()) + "-" + std::to_string(random() % 1000000);
  thread_ = std::thread([this] { run(); });
}

RecoverySlot::~RecoverySlot() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_one();
  thread_.join();
  if (lock_) {
    // A copy still there is found by its name and its free lock.
    if (!modifiedAt(copyPath())) removeFile(base_ + kLock);
    lock_.reset();
  }
}

void RecoverySlot::save(std::string xdxBytes, std::string origin) {
  {
    std::lock_guard lock(mutex_);
    pending_ = Job{false, std::move(xdxBytes), std::move(origin)};
  }
  wake_.notify_one();
}

void RecoverySlot::discard() {
  {
    std::lock_guard lock(mutex_);
    pending_ = Job{true, {}, {}};
  }
  wake_.notify_one();
}

void RecoverySlot::flush() {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [this] { return !pending_ && !busy_; });
}

std::string RecoverySlot::lastError() const {
  std::lock_guard lock(mutex_);
  return error_;
}

void RecoverySlot::run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return pending_ || stop_; });
    if (!pending_) return;  // stopping with nothing left to do
    Job job = std::move(*pending_);
    pending_.reset();
    busy_ = true;
    lock.unlock();
    if (job.discard)
      remove();
    else
      write(job);
    lock.lock();
    busy_ = false;
    idle_.notify_all();
  }
}

bool RecoverySlot::claim() {
  if (lock_) return true;
  if (!makePrivateFolders(folder_)) return false;
  lock_ = tryLockFile(base_ + kLock);
  return lock_ != nullptr;
}

void RecoverySlot::write(const Job& job) {
  std::string error;
  if (!claim()) {
    error = "无法建立恢复文件夹“" + folder_ + "”：" + std::strerror(errno);
  } else if (writeFileAtomically(base_ + kOrigin, job.origin, error)) {
    writeFileAtomically(base_ + kCopy, job.bytes, error);
  }
  {
    std::lock_guard lock(mutex_);
    error_ = error;
  }
  if (observer_) observer_(error);
}

void RecoverySlot::remove() {
  if (!lock_) return;  // nothing was ever written
  removeFile(base_ + kCopy);
  removeFile(base_ + kOrigin);
}

std::vector<LeftCopy> findLeftCopies(const std::string& folder) {
  std::vector<LeftCopy> found;
  std::vector<std::string> slots;
  for (const std::string& name : folderEntries(folder)) {
    for (const char* ending : {kLock, kCopy})
      if (endsWith(name, ending)) slots.push_back(folder + "/" + name.substr(0, name.size() - std::strlen(ending)));
  }
  std::sort(slots.begin(), slots.end());
  slots.erase(std::unique(slots.begin(), slots.end()), slots.end());
  for (const std::string& base : slots) {
    FileLock lock = tryLockFile(base + kLock);
    if (!lock) continue;  // its window still runs
    const auto savedAt = modifiedAt(base + kCopy);
    if (!savedAt) {
      // A window that ended before its first copy: nothing to offer.
      removeFile(base + kOrigin);
      removeFile(base + kLock);
      continue;
    }
    LeftCopy left;
    left.xdx = base + kCopy;
    left.origin = readSmallFile(base + kOrigin);
    left.savedAt = *savedAt;
    left.lock = std::move(lock);
    found.push_back(std::move(left));
  }
  std::sort(found.begin(), found.end(), [](const LeftCopy& a, const LeftCopy& b) { return a.savedAt > b.savedAt; });
  return found;
}

namespace {
std::string baseOf(const LeftCopy& copy) { return copy.xdx.substr(0, copy.xdx.size() - std::strlen(kCopy)); }
}  // namespace

void removeLeftCopy(const LeftCopy& copy) {
  const std::string base = baseOf(copy);
  removeFile(copy.xdx);
  removeFile(base + kOrigin);
  removeFile(base + kLock);
}

std::string setLeftCopyAside(const LeftCopy& copy) {
  const std::string base = baseOf(copy);
  std::string aside = copy.xdx + ".broken";
  moveFile(copy.xdx, aside);
  removeFile(base + kOrigin);
  removeFile(base + kLock);
  return aside;
}

}  // namespace velmora
