#pragma once
// What every Windows-only part of the core needs of the system: paths, which
// the program holds in UTF-8 and Windows takes in UTF-16, and the system's
// errors told in the C library's words, so that messages read as they do
// on Linux.
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>
#include <string_view>

namespace velmora {

// UTF-8 to UTF-16 and back; invalid sequences become U+FFFD.
std::wstring widePath(std::string_view utf8);
std::string utf8FromWide(std::wstring_view wide);

// The errno value closest to a Windows error (EIO when none is close).
int errnoFromWindows(DWORD error);

struct HandleCloser {
  explicit HandleCloser(HANDLE h) : handle(h) {}
  HANDLE handle;
  ~HandleCloser() {
    if (handle != INVALID_HANDLE_VALUE && handle != nullptr) ::CloseHandle(handle);
  }
  HandleCloser(const HandleCloser&) = delete;
  HandleCloser& operator=(const HandleCloser&) = delete;
};

}  // namespace velmora
#endif
