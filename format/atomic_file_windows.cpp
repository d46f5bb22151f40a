// writeFileAtomically and temporaryBeside on Windows: the same promises as
// on Linux, kept with the system's own calls. The new content is written
// through to the disk in a temporary file beside the target, which then
// takes the target's place in one step: ReplaceFileW for an existing file,
// which keeps its security descriptor (ACL), attributes and creation time,
// MoveFileExW for a new one.
#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "format/atomic_file.h"
#include "format/windows_system.h"

namespace velmora {
namespace {

constexpr const wchar_t* kTemporaryPrefix = L".velmora-save-";

std::wstring folderOf(const std::wstring& path) {
  const auto slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return L".";
  if (slash == 0 || (slash == 2 && path[1] == L':')) return path.substr(0, slash + 1);
  return path.substr(0, slash);
}

std::wstring joined(const std::wstring& folder, const std::wstring& name) {
  if (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) return folder + name;
  return folder + L"\\" + name;
}

bool fail(std::string& error, const std::string& path, int err) {
  error = "无法写入文件“" + path + "”：" + std::strerror(err);
  return false;
}

// The creator named in a temporary's name ("<pid>-<n>") still runs: its
// file is a save in progress.
bool creatorRuns(const std::wstring& afterPrefix) {
  wchar_t* end = nullptr;
  const unsigned long pid = std::wcstoul(afterPrefix.c_str(), &end, 10);
  if (end == afterPrefix.c_str() || *end != L'-' || pid == 0) return false;
  HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (!process) return ::GetLastError() == ERROR_ACCESS_DENIED;
  const bool running = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  ::CloseHandle(process);
  return running;
}

// Temporary files of saves killed before their replace. A save holds its
// temporary open without sharing while it writes, so deleting one that is
// in use fails; one whose creator is gone is left by no running save.
void removeStaleTemporaries(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  HANDLE search = ::FindFirstFileW(joined(folder, std::wstring(kTemporaryPrefix) + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  const std::size_t prefix = std::wcslen(kTemporaryPrefix);
  do {
    const std::wstring name = found.cFileName;
    if (name.size() <= prefix || creatorRuns(name.substr(prefix))) continue;
    ::DeleteFileW(joined(folder, name).c_str());
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
}

bool writeAll(HANDLE h, std::string_view bytes, int& err) {
  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const DWORD chunk = static_cast<DWORD>(left > (1u << 30) ? (1u << 30) : left);
    DWORD n = 0;
    if (!::WriteFile(h, data, chunk, &n, nullptr)) {
      err = errnoFromWindows(::GetLastError());
      return false;
    }
    data += n;
    left -= n;
  }
  return true;
}

// A temporary beside the target, created new, opened for writing without
// sharing (which is also its lock) and written through to the disk.
HANDLE createTemporary(const std::wstring& folder, std::wstring& name, int& err) {
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = joined(folder, std::wstring(kTemporaryPrefix) + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                              std::to_wstring(::GetTickCount64()) + L"-" + std::to_wstring(++counter));
    HANDLE h = ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
    if (h != INVALID_HANDLE_VALUE) return h;
    if (::GetLastError() != ERROR_FILE_EXISTS) {
      err = errnoFromWindows(::GetLastError());
      return INVALID_HANDLE_VALUE;
    }
  }
  err = EEXIST;
  return INVALID_HANDLE_VALUE;
}

// A device (NUL, CON) or a named pipe is written into as it is.
bool writeStraight(HANDLE h, const std::string& requested, std::string_view bytes, std::string& error) {
  int err = 0;
  const bool written = writeAll(h, bytes, err);
  ::CloseHandle(h);
  return written || fail(error, requested, err);
}

}  // namespace

std::string temporaryBeside(const std::string& path, int& fd, std::string& error) {
  const std::wstring folder = folderOf(widePath(path));
  removeStaleTemporaries(folder);
  std::wstring name;
  int err = 0;
  HANDLE h = createTemporary(folder, name, err);
  if (h == INVALID_HANDLE_VALUE) {
    fail(error, path, err);
    errno = err;
    return {};
  }
  fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_BINARY | _O_WRONLY);
  if (fd < 0) {
    ::CloseHandle(h);
    ::DeleteFileW(name.c_str());
    fail(error, path, EMFILE);
    errno = EMFILE;
    return {};
  }
  return utf8FromWide(name);
}

bool writeFileAtomically(const std::string& requested, std::string_view bytes, std::string& error) {
  const std::wstring path = widePath(requested);
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return fail(error, requested, EISDIR);
  if (!exists) {
    // Devices ("NUL", "\\.\pipe\name") have no attributes but open.
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      if (::GetFileType(h) != FILE_TYPE_DISK) return writeStraight(h, requested, bytes, error);
      ::CloseHandle(h);
    }
  }
  // A read-only file stays as it is, as it does on Linux.
  if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) return fail(error, requested, EACCES);
  if (exists) {
    // Writable by this user at all: asked by opening it for writing, as the
    // replace would need, without changing it.
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return fail(error, requested, errnoFromWindows(::GetLastError()));
    if (::GetFileType(h) != FILE_TYPE_DISK) return writeStraight(h, requested, bytes, error);
    ::CloseHandle(h);
  }

  const std::wstring folder = folderOf(path);
  removeStaleTemporaries(folder);
  std::wstring tmp;
  int err = 0;
  HANDLE h = createTemporary(folder, tmp, err);
  if (h == INVALID_HANDLE_VALUE) return fail(error, requested, err);
  auto abandon = [&](int why) {
    ::DeleteFileW(tmp.c_str());
    return fail(error, requested, why);
  };
  if (!writeAll(h, bytes, err)) {
    ::CloseHandle(h);
    return abandon(err);
  }
  if (!::FlushFileBuffers(h)) {
    err = errnoFromWindows(::GetLastError());
    ::CloseHandle(h);
    return abandon(err);
  }
  ::CloseHandle(h);
  // The new content replaces the old in one step.
  if (exists) {
    if (!::ReplaceFileW(path.c_str(), tmp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
      // Where the file system cannot replace (some network shares), a move
      // over the target is still one step.
      if (!::MoveFileExW(tmp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return abandon(errnoFromWindows(::GetLastError()));
    }
  } else if (!::MoveFileExW(tmp.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH)) {
    return abandon(errnoFromWindows(::GetLastError()));
  }
  return true;
}

}  // namespace velmora
