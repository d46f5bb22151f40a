#include "document/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace velmora {
namespace {

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

}  // namespace

bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string& error) {
  struct stat target {};
  bool exists = ::stat(path.c_str(), &target) == 0;
  if (exists && S_ISDIR(target.st_mode)) return fail(error, path, EISDIR);
  // A read-only file stays as it is, even where the folder would allow a
  // rename, and also for a user whom the system lets write anything.
  if (exists && (target.st_mode & 0222) == 0) return fail(error, path, EACCES);
  if (exists && ::access(path.c_str(), W_OK) != 0) return fail(error, path, errno);

  std::string tmp = folderOf(path) + "/.velmora-save-XXXXXX";
  int fd = ::mkstemp(tmp.data());
  if (fd < 0) return fail(error, path, errno);

  auto abandon = [&](int err) {
    ::close(fd);
    ::unlink(tmp.c_str());
    return fail(error, path, err);
  };
  // Keep the permissions an earlier file had; a new file gets the usual ones.
  mode_t mode = exists ? (target.st_mode & 07777) : 0644;
  if (::fchmod(fd, mode) != 0) return abandon(errno);

  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = ::write(fd, data, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return abandon(errno);
    }
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0) return abandon(errno);
  if (::close(fd) != 0) {
    int err = errno;
    ::unlink(tmp.c_str());
    return fail(error, path, err);
  }
  if (::rename(tmp.c_str(), path.c_str()) != 0) {
    int err = errno;
    ::unlink(tmp.c_str());
    return fail(error, path, err);
  }
  return true;
}

}  // namespace velmora
