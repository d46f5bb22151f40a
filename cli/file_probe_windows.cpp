// The Windows side of cli/file_probe.h: a file is named by its volume and
// index, opened with backup semantics so that folders open too, and shared
// in every way, so that asking never stands in another program's way.
#include <cerrno>

#include "cli/file_probe.h"
#include "format/windows_system.h"

namespace velmora::cli {
namespace {

HANDLE openForQuery(const std::string& path, DWORD access) {
  return ::CreateFileW(widePath(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

std::optional<FileIdentity> identityOf(HANDLE h) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (h == INVALID_HANDLE_VALUE || h == nullptr || !::GetFileInformationByHandle(h, &info)) return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber,
                      (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

// A file on a disk that is no folder. A device (NUL, CON) or a pipe is
// none; neither is a file that cannot be asked.
bool isRegular(HANDLE h) {
  BY_HANDLE_FILE_INFORMATION info{};
  return ::GetFileType(h) == FILE_TYPE_DISK && ::GetFileInformationByHandle(h, &info) &&
         !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::optional<FileIdentity> fileIdentity(const std::string& path) {
  // Linux names standard input by this path; an import from standard input
  // asks for it so. On Windows it is the handle the program was given.
  if (path == "/dev/stdin") return identityOf(::GetStdHandle(STD_INPUT_HANDLE));
  HANDLE h = openForQuery(path, FILE_READ_ATTRIBUTES);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  HandleCloser closer{h};
  return identityOf(h);
}

bool isRegularFile(const std::string& path) {
  HANDLE h = openForQuery(path, FILE_READ_ATTRIBUTES);
  if (h == INVALID_HANDLE_VALUE) return false;
  HandleCloser closer{h};
  return isRegular(h);
}

std::optional<std::string> regularFileHead(const std::string& path, std::size_t size) {
  HANDLE h = openForQuery(path, GENERIC_READ);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  HandleCloser closer{h};
  if (!isRegular(h)) return std::nullopt;
  std::string head(size, '\0');
  DWORD n = 0;
  if (!::ReadFile(h, head.data(), static_cast<DWORD>(size), &n, nullptr)) return std::nullopt;
  head.resize(n);
  return head;
}

int systemErrno(const std::error_code& ec) {
  // std::filesystem gives the errno of the C library's calls, or Windows'
  // own error code where it called the system.
  if (ec.category() == std::system_category()) return errnoFromWindows(static_cast<DWORD>(ec.value()));
  return ec.value();
}

}  // namespace velmora::cli
