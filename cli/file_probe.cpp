#include "cli/file_probe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace velmora::cli {

std::optional<FileIdentity> fileIdentity(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return FileIdentity{st.st_dev, st.st_ino};
}

bool isRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<std::string> regularFileHead(const std::string& path, std::size_t size) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  std::string head(size, '\0');
  struct stat st {};
  ssize_t n = -1;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
    while ((n = ::read(fd, head.data(), size)) < 0 && errno == EINTR) {
    }
  ::close(fd);
  if (n < 0) return std::nullopt;
  head.resize(static_cast<std::size_t>(n));
  return head;
}

int systemErrno(const std::error_code& ec) { return ec.value(); }

}  // namespace velmora::cli
