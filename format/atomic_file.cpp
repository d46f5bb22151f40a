#include "format/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace velmora {
namespace {

constexpr const char* kTemporaryPrefix = ".velmora-save-";

std::string folderOf(const std::string& path) {
  auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool fail(std::string& error, const std::string& path, int err) {
  error = "无法写入文件“" + path + "”：" + std::strerror(err);
  return false;
}

// The file a path finally names: symbolic links are followed, also to a
// target that does not exist yet, so that the link stays a link and the
// document it names is the one saved.
bool resolveLinks(std::string& path, int& err) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n < 0) {
      err = errno;
      return false;
    }
    target.resize(static_cast<std::size_t>(n));
    path = target.starts_with('/') ? target : folderOf(path).append("/").append(target);
  }
  err = ELOOP;
  return false;
}

// The permissions a new file gets: what the user's umask leaves of 0666, as
// for any file a program creates (identity and bank numbers stay private
// under umask 077). Read from /proc, since changing the umask to learn it
// would race with other threads creating files.
mode_t newFileMode() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("Umask:", 0) == 0) return 0666 & ~static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
  return 0644;
}

// This boot's identity, short: with the process id it names the creator of
// a temporary file.
std::string bootId() {
  static const std::string id = [] {
    std::ifstream in("/proc/sys/kernel/random/boot_id");
    std::string line;
    std::getline(in, line);
    std::string hex;
    for (char c : line)
      if (std::isxdigit(static_cast<unsigned char>(c)) && hex.size() < 8) hex += c;
    return hex.empty() ? std::string("0") : hex;
  }();
  return id;
}

// The creator named in a temporary's name ("<boot>-<pid>-XXXXXX") is still
// running: its file is a save in progress, even before it is locked.
bool creatorRuns(const char* afterPrefix) {
  const std::string name(afterPrefix);
  const auto dash = name.find('-');
  if (dash == std::string::npos || name.compare(0, dash, bootId()) != 0) return false;  // another boot
  const char* digits = afterPrefix + dash + 1;
  char* end = nullptr;
  const long pid = std::strtol(digits, &end, 10);
  if (end == digits || *end != '-' || pid <= 0) return false;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// Temporary files of saves killed before their rename. A temporary is named
// after its creator, which is asked first: between its creation and its lock
// a fresh temporary is not locked yet, and another process's cleanup took
// it there. Every save also holds a lock on its own file, so one of a
// creator that is gone and that can be locked belongs to no running save.
void removeStaleTemporaries(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  const std::size_t prefix = std::strlen(kTemporaryPrefix);
  while (dirent* e = ::readdir(dir)) {
    if (std::strncmp(e->d_name, kTemporaryPrefix, prefix) != 0 || creatorRuns(e->d_name + prefix)) continue;
    const std::string stale = folder + "/" + e->d_name;
    const int fd = ::open(stale.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlink(stale.c_str());
    ::close(fd);
  }
  ::closedir(dir);
}

bool writeAll(int fd, std::string_view bytes, int& err) {
  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, data, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      err = errno;
      return false;
    }
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

// A FIFO, a terminal or a device is written into as it is: renamed over, it
// would be replaced by a regular file (as root, /dev/null itself).
bool writeStraight(const std::string& path, const std::string& requested, std::string_view bytes, std::string& error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return fail(error, requested, errno);
  int err = 0;
  if (!writeAll(fd, bytes, err)) {
    ::close(fd);
    return fail(error, requested, err);
  }
  if (::close(fd) != 0) return fail(error, requested, errno);
  return true;
}

}  // namespace

std::string temporaryBeside(const std::string& path, int& fd, std::string& error) {
  const std::string folder = folderOf(path);
  removeStaleTemporaries(folder);
  std::string tmp = folder + "/" + kTemporaryPrefix + bootId() + "-" + std::to_string(::getpid()) + "-XXXXXX";
  fd = ::mkostemp(tmp.data(), O_CLOEXEC);
  if (fd < 0) {
    const int err = errno;
    fail(error, path, err);
    errno = err;
    return {};
  }
  ::flock(fd, LOCK_EX);  // this save is running: its file is not stale
  return tmp;
}

bool writeFileAtomically(const std::string& requested, std::string_view bytes, std::string& error) {
  std::string path = requested;
  int linkError = 0;
  if (!resolveLinks(path, linkError)) return fail(error, requested, linkError);

  struct stat target {};
  bool exists = ::stat(path.c_str(), &target) == 0;
  if (exists && S_ISDIR(target.st_mode)) return fail(error, requested, EISDIR);
  if (exists && !S_ISREG(target.st_mode)) return writeStraight(path, requested, bytes, error);
  // A read-only file stays as it is, even where the folder would allow a
  // rename, and also for a user whom the system lets write anything.
  if (exists && (target.st_mode & 0222) == 0) return fail(error, requested, EACCES);
  if (exists && ::access(path.c_str(), W_OK) != 0) return fail(error, requested, errno);

  int fd = -1;
  const std::string tmp = temporaryBeside(path, fd, error);
  if (tmp.empty()) return fail(error, requested, errno);

  auto abandon = [&](int err) {
    ::close(fd);
    ::unlink(tmp.c_str());
    return fail(error, requested, err);
  };
  if (exists) {
    // The document keeps its owner and group where the system allows it (a
    // shared group's member saving keeps the group; root keeps the owner)...
    if (::fchown(fd, target.st_uid, target.st_gid) != 0 && ::fchown(fd, static_cast<uid_t>(-1), target.st_gid) != 0) {
      // Neither is allowed: the file becomes the saver's, as any new file.
    }
  }
  // ...and its permissions always; a new file gets what the umask allows.
  const mode_t mode = exists ? (target.st_mode & 07777) : newFileMode();
  if (::fchmod(fd, mode) != 0) return abandon(errno);

  if (int err = 0; !writeAll(fd, bytes, err)) return abandon(err);
  if (::fsync(fd) != 0) return abandon(errno);
  // The new content replaces the old in one step: a hard-linked document
  // gets a new file here, and its other names keep the earlier content. A
  // torn document is the worse loss.
  if (::rename(tmp.c_str(), path.c_str()) != 0) return abandon(errno);
  if (::close(fd) != 0) return fail(error, requested, errno);
  // The rename reaches the disk with the folder.
  if (int dirFd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return true;
}

}  // namespace velmora
