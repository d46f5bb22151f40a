#pragma once
// How velmora-cli and velmora-print take their arguments and speak to the
// console: the same bytes on every system.
#include <string>
#include <vector>

namespace velmora::cli {

// The arguments as the user typed them, in UTF-8 as the programs hold every
// path. On Windows main's own come in the ANSI code page, which loses every
// character it lacks (a Chinese name on a Western system): they are read
// again from the wide command line.
class ArgumentsInUtf8 {
 public:
  ArgumentsInUtf8(int argc, char** argv);
  int count() const { return static_cast<int>(pointers_.size()) - 1; }
  char** values() { return pointers_.data(); }

 private:
  std::vector<std::string> args_;
  std::vector<char*> pointers_;
};

// For the program's lifetime, output as bytes, the same bytes as on Linux:
// on Windows no LF becomes CR LF, and the console shows them as UTF-8 (with
// the escape that clears the progress line) until the program ends, when it
// gets its code page back. Nothing to do elsewhere.
class ConsoleInUtf8 {
 public:
  ConsoleInUtf8();
  ConsoleInUtf8(const ConsoleInUtf8&) = delete;
  ConsoleInUtf8& operator=(const ConsoleInUtf8&) = delete;
#ifdef _WIN32
  ~ConsoleInUtf8();

 private:
  unsigned codePage_ = 0;
#endif
};

}  // namespace velmora::cli
