#include "format/file_read.h"

#ifdef _WIN32
#include "format/windows_system.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace velmora {
namespace {

FileRead failed(FileRead::Outcome outcome, int err) {
  FileRead r;
  r.outcome = outcome;
  r.reason = std::strerror(err);
  return r;
}

FileRead tooLarge() {
  FileRead r;
  r.outcome = FileRead::Outcome::TooLarge;
  return r;
}

}  // namespace

#ifdef _WIN32

FileRead readWholeFile(const std::string& path, std::size_t limit) {
  // Others may read, write or delete the file meanwhile, as they may on
  // Linux; a folder opens only with backup semantics, and is then refused.
  HANDLE h = ::CreateFileW(widePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return failed(FileRead::Outcome::CannotOpen, errnoFromWindows(::GetLastError()));
  HandleCloser closer{h};
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileInformationByHandle(h, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return failed(FileRead::Outcome::CannotOpen, EISDIR);
  LARGE_INTEGER size{};
  const bool sized = ::GetFileType(h) == FILE_TYPE_DISK && ::GetFileSizeEx(h, &size);
  if (sized && static_cast<unsigned long long>(size.QuadPart) > limit) return tooLarge();
  FileRead r;
  r.bytes.resize(sized ? static_cast<std::size_t>(size.QuadPart) + 1 : 65536);
  std::size_t got = 0;
  for (;;) {
    if (got == r.bytes.size()) r.bytes.resize(r.bytes.size() + 65536);
    DWORD n = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(r.bytes.size() - got, 1u << 20));
    if (!::ReadFile(h, r.bytes.data() + got, want, &n, nullptr)) {
      const DWORD err = ::GetLastError();
      // A pipe whose writer has gone has simply ended.
      if (err == ERROR_BROKEN_PIPE || err == ERROR_HANDLE_EOF) break;
      return failed(FileRead::Outcome::CannotRead, errnoFromWindows(err));
    }
    if (n == 0) break;
    got += n;
    if (got > limit) return tooLarge();
  }
  r.bytes.resize(got);
  return r;
}

#else

FileRead readWholeFile(const std::string& path, std::size_t limit) {
  // Non-blocking only for the open itself: a named pipe without a writer
  // would otherwise hang the program; read to its end, it is simply empty.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return failed(FileRead::Outcome::CannotOpen, errno);
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0) return failed(FileRead::Outcome::CannotOpen, errno);
  if (S_ISDIR(st.st_mode)) return failed(FileRead::Outcome::CannotOpen, EISDIR);
  if (static_cast<std::size_t>(st.st_size) > limit) return tooLarge();
  FileRead r;
  // One byte beyond the size the file says it has: reading a regular file
  // then ends without growing the buffer (a pipe or a growing file grows it).
  r.bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
  std::size_t got = 0;
  for (;;) {
    if (got == r.bytes.size()) r.bytes.resize(r.bytes.size() + 65536);
    ssize_t n = ::read(fd, r.bytes.data() + got, r.bytes.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      return failed(FileRead::Outcome::CannotRead, errno);
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
    if (got > limit) return tooLarge();
  }
  r.bytes.resize(got);
  return r;
}

#endif

}  // namespace velmora
