#include "format/file_system.h"

#ifdef _WIN32
#include "format/windows_system.h"
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace velmora {

#ifdef _WIN32

bool makePrivateFolders(const std::string& folder) {
  // A folder under %LOCALAPPDATA% inherits the profile's ACL, which grants
  // the user alone (and the system) access.
  const std::wstring path = widePath(folder);
  for (std::size_t slash = path.find_first_of(L"\\/", 1);; slash = path.find_first_of(L"\\/", slash + 1)) {
    const std::wstring part = path.substr(0, slash);
    const bool drive = part.size() == 2 && part[1] == L':';
    if (!drive && !part.empty() && !::CreateDirectoryW(part.c_str(), nullptr) &&
        ::GetLastError() != ERROR_ALREADY_EXISTS) {
      errno = errnoFromWindows(::GetLastError());
      return false;
    }
    if (slash == std::wstring::npos) return true;
  }
}

std::vector<std::string> folderEntries(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found{};
  HANDLE search = ::FindFirstFileW((widePath(folder) + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(utf8FromWide(name));
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return names;
}

std::optional<std::time_t> modifiedAt(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(widePath(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  ULARGE_INTEGER t{};
  t.LowPart = data.ftLastWriteTime.dwLowDateTime;
  t.HighPart = data.ftLastWriteTime.dwHighDateTime;
  // 100-ns ticks since 1601 to seconds since 1970.
  return static_cast<std::time_t>(t.QuadPart / 10000000ULL - 11644473600ULL);
}

bool removeFile(const std::string& path) { return ::DeleteFileW(widePath(path).c_str()) != 0; }

bool moveFile(const std::string& from, const std::string& to) {
  return ::MoveFileExW(widePath(from).c_str(), widePath(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

std::string readSmallFile(const std::string& path) {
  std::ifstream in(widePath(path).c_str(), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

FileLock tryLockFile(const std::string& path) {
  // Others may open the lock file (to test the lock, or to remove it once
  // free); LockFileEx holds the lock, which the system releases when the
  // handle is closed or the process ends.
  HANDLE h = ::CreateFileW(widePath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  OVERLAPPED at{};
  if (!::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
    ::CloseHandle(h);
    return nullptr;
  }
  return FileLock(h, [](const void* held) { ::CloseHandle(const_cast<void*>(held)); });
}

unsigned long processId() { return ::GetCurrentProcessId(); }

#else

bool makePrivateFolders(const std::string& folder) {
  for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string part = folder.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) return true;
  }
}

std::vector<std::string> folderEntries(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return names;
  while (dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(dir);
  return names;
}

std::optional<std::time_t> modifiedAt(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return st.st_mtime;
}

bool removeFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool moveFile(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }

std::string readSmallFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

FileLock tryLockFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) return nullptr;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return nullptr;
  }
  return {new int(fd), [](const void* held) {
            const int* p = static_cast<const int*>(held);
            ::close(*p);
            delete p;
          }};
}

unsigned long processId() { return static_cast<unsigned long>(::getpid()); }

#endif

}  // namespace velmora
