#pragma once
// Shared helpers of velmora-cli's tests: running the program, laying out
// documents for it, naming its arguments in a trace, and reading back the
// workbook of a roster it wrote.
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "test_support.h"

namespace velmora::test {

struct CliRun {
  int exit = -1;
  std::string out;
  std::string err;
};

#ifndef _WIN32
// A word for the shell, which runs the program on Linux.
std::string quote(const std::string& s);
#endif

// How velmora-cli is run: `env`: variables for the run, as "NAME=value
// NAME=value"; `cwd`: the folder it runs in; `input`: a shell command whose
// output is its standard input (Linux only); `program`: the program and
// what runs it, when not VELMORA_CLI itself (see programAt);
// `inputFile`: a file given as standard input; `endlessInput`: a pipe that
// never ends as standard input. Else standard input is the null device.
struct RunOptions {
  std::string env;
  std::string cwd;
  std::string input;
  std::string program;
  std::string inputFile = "";
  bool endlessInput = false;
};

// Runs velmora-cli with `args` as `o` says: what it exited with, and what it
// wrote to standard output and error.
CliRun cliWith(const RunOptions& o, const std::vector<std::string>& args);

// RunOptions::program for the program at `path`.
std::string programAt(const std::string& path);

// Runs velmora-cli with `args`; `env`: variables for the run, as
// "NAME=value NAME=value"; `cwd`: the folder it runs in.
CliRun cli(const std::vector<std::string>& args, const std::string& env = "", const std::string& cwd = "");

// A path as a trace names it: without the fixtures' folder, or without
// `folder` when given.
std::string shortPath(const std::string& path, const std::string& folder = "");

// A command line as a trace names it: its paths short, an empty argument
// shown as ''.
std::string argsName(const std::vector<std::string>& args, const std::string& folder = "");

// A UTF-8 path as std::filesystem takes it on every system.
std::filesystem::path fsPath(const std::string& utf8);

// Copies fixtures into `dir` under the names given (fixture, name), making
// the folders on the way.
void layOut(const TempDir& dir, const std::vector<std::pair<std::string, std::string>>& copies);

// A second name for the file `target`: a symbolic link on Linux, a hard
// link on Windows, where making symbolic links takes a privilege. Either
// way both names lead to one file.
void linkTo(const std::string& target, const std::string& name);

// A text as a JSON string holds it: the paths of Windows have backslashes.
std::string jsonText(const std::string& text);

// The lines of a text, without their "\n" or "\r\n".
std::vector<std::string> linesOf(const std::string& text);

// A cell of a workbook's first sheet: its type as the sheet gives it ("s"
// text, "n" number, "b" boolean) and its value, shared strings resolved.
struct SheetCell {
  std::string type;
  std::string value;
  bool operator==(const SheetCell&) const = default;
};
struct SheetContent {
  std::map<std::string, SheetCell> cells;  // by reference: "A1", "S3"
  std::string frozen;                      // the frozen pane: "ySplit topLeftCell state"
  std::string filter;                      // the autofilter's range
};

// The first sheet of the workbook at `path`; empty when it cannot be read.
SheetContent readWorkbook(const std::string& path);

}  // namespace velmora::test
