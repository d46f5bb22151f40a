// Stands in for velmora-print where velmora-cli's tests check how the
// printing program is run: writes the arguments it was given, each ended by
// a zero byte, into the file its second names, and exits with 1 when its
// first holds "refuse", else with 0. On Windows it reads them from its
// command line in UTF-16, as the printing program will.
#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include "format/windows_system.h"
// CommandLineToArgvW; after <windows.h>, which it needs.
#include <shellapi.h>
#endif

int main([[maybe_unused]] int argc, [[maybe_unused]] char** argv) {
  std::vector<std::string> args;
#ifdef _WIN32
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  for (int i = 0; wide && i < count; ++i) args.push_back(velmora::utf8FromWide(wide[i]));
  ::LocalFree(wide);
#else
  args.assign(argv, argv + argc);
#endif
  if (args.size() < 3) return 3;
  std::string given;
  for (std::size_t i = 1; i < args.size(); ++i) given += args[i] + '\0';
#ifdef _WIN32
  FILE* out = ::_wfopen(velmora::widePath(args[2]).c_str(), L"wb");
#else
  FILE* out = std::fopen(args[2].c_str(), "wb");
#endif
  if (!out) return 4;
  const bool written = std::fwrite(given.data(), 1, given.size(), out) == given.size();
  if (std::fclose(out) != 0 || !written) return 4;
  return args[1].find("refuse") != std::string::npos ? 1 : 0;
}
