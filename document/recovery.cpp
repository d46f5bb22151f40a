#include "document/recovery.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

#include "format/atomic_file.h"

namespace velmora {
namespace {

constexpr const char* kCopy = ".xdx";
constexpr const char* kOrigin = ".origin";
constexpr const char* kLock = ".lock";

bool endsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Creates the folder and its parents, private to the user.
bool makeFolders(const std::string& folder) {
  for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string part = folder.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) return true;
  }
}

std::string readSmallFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Opens and locks a slot's lock file without waiting; -1 when a running
// window holds it (or it cannot be opened).
int tryLock(const std::string& path, int flags) {
  int fd = ::open(path.c_str(), flags | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) return -1;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

std::string defaultRecoveryFolder() {
  std::string state;
  if (const char* x = std::getenv("XDG_STATE_HOME"); x && x[0] == '/') {
    state = x;
  } else if (const char* home = std::getenv("HOME"); home && home[0]) {
    state = std::string(home) + "/.local/state";
  } else {
    state = "/tmp";
  }
  return state + "/velmora/recovery";
}

RecoverySlot::RecoverySlot(std::string folder) : folder_(std::move(folder)) {
  std::random_device random;
  base_ = folder_ + "/window-" + std::to_string(::getpid()) + "-" + std::to_string(random() % 1000000);
  thread_ = std::thread([this] { run(); });
}

RecoverySlot::~RecoverySlot() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_one();
  thread_.join();
  if (lockFd_ >= 0) {
    // A copy still there is found by its name and its free lock.
    struct stat copy {};
    if (::stat(copyPath().c_str(), &copy) != 0) ::unlink((base_ + kLock).c_str());
    ::close(lockFd_);
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
  if (lockFd_ >= 0) return true;
  if (!makeFolders(folder_)) return false;
  lockFd_ = tryLock(base_ + kLock, O_CREAT);
  return lockFd_ >= 0;
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
  if (lockFd_ < 0) return;  // nothing was ever written
  ::unlink((base_ + kCopy).c_str());
  ::unlink((base_ + kOrigin).c_str());
}

std::vector<LeftCopy> findLeftCopies(const std::string& folder) {
  std::vector<LeftCopy> found;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return found;
  std::vector<std::string> slots;
  while (dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    for (const char* ending : {kLock, kCopy})
      if (endsWith(name, ending)) slots.push_back(folder + "/" + name.substr(0, name.size() - std::strlen(ending)));
  }
  ::closedir(dir);
  std::sort(slots.begin(), slots.end());
  slots.erase(std::unique(slots.begin(), slots.end()), slots.end());
  for (const std::string& base : slots) {
    int fd = tryLock(base + kLock, O_CREAT);
    if (fd < 0) continue;  // its window still runs
    struct stat copy {};
    if (::stat((base + kCopy).c_str(), &copy) != 0) {
      // A window that ended before its first copy: nothing to offer.
      ::unlink((base + kOrigin).c_str());
      ::unlink((base + kLock).c_str());
      ::close(fd);
      continue;
    }
    LeftCopy left;
    left.xdx = base + kCopy;
    left.origin = readSmallFile(base + kOrigin);
    left.savedAt = copy.st_mtime;
    left.lock = std::shared_ptr<int>(new int(fd), [](int* p) {
      ::close(*p);
      delete p;
    });
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
  ::unlink(copy.xdx.c_str());
  ::unlink((base + kOrigin).c_str());
  ::unlink((base + kLock).c_str());
}

std::string setLeftCopyAside(const LeftCopy& copy) {
  const std::string base = baseOf(copy);
  std::string aside = copy.xdx + ".broken";
  ::rename(copy.xdx.c_str(), aside.c_str());
  ::unlink((base + kOrigin).c_str());
  ::unlink((base + kLock).c_str());
  return aside;
}

}  // namespace velmora
