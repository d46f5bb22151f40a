#include "cli/program_start.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <iostream>

#include "format/windows_system.h"
// CommandLineToArgvW; after <windows.h>, which it needs.
#include <shellapi.h>
#endif

namespace velmora::cli {

ArgumentsInUtf8::ArgumentsInUtf8(int argc, char** argv) {
#ifdef _WIN32
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  for (int i = 0; wide && i < count; ++i) args_.push_back(utf8FromWide(wide[i]));
  ::LocalFree(wide);
  if (args_.empty() && argc > 0) args_.emplace_back(argv[0]);
#else
  args_.assign(argv, argv + argc);
#endif
  for (auto& a : args_) pointers_.push_back(a.data());
  pointers_.push_back(nullptr);
}

#ifdef _WIN32

ConsoleInUtf8::ConsoleInUtf8() : codePage_(::GetConsoleOutputCP()) {
  ::_setmode(::_fileno(stdin), _O_BINARY);
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stderr), _O_BINARY);
  if (codePage_) ::SetConsoleOutputCP(CP_UTF8);
  HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (::GetConsoleMode(err, &mode)) ::SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

ConsoleInUtf8::~ConsoleInUtf8() {
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  if (codePage_) ::SetConsoleOutputCP(codePage_);
}

#else

ConsoleInUtf8::ConsoleInUtf8() = default;

#endif

}  // namespace velmora::cli
