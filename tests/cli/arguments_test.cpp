// velmora-cli's command line: help, version, strict parsing, the summary on
// a terminal, usage errors in Chinese, control bytes kept from the terminal,
// and Chinese names passed through intact.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <clocale>
#include <cstddef>
#include <cwchar>
#include <filesystem>
#include <string>
#include <vector>
#ifdef _WIN32
#include "format/windows_system.h"
#endif

#include "cli/cli_run.h"
#include "test_support.h"

using namespace velmora::test;

TEST(Cli, HelpForTheProgramAndEveryCommand) {
  for (auto args : std::vector<std::vector<std::string>>{{"--help"},
                                                         {"check", "--help"},
                                                         {"dump", "--help"},
                                                         {"resave", "--help"},
                                                         {"import", "--help"},
                                                         {"pdf", "--help"},
                                                         {"roster", "--help"}}) {
    SCOPED_TRACE(argsName(args));
    CliRun r = cli(args);
    EXPECT_EQ(r.exit, 0) << args[0];
    EXPECT_NE(r.out.find("velmora-cli"), std::string::npos);
  }
  EXPECT_EQ(cli({"frobnicate"}).exit, 2);
}

TEST(Cli, ArgumentsAreParsedStrictly) {
  TempDir dir;
  layOut(dir, {{"sample.xdx", "-dash.xdx"}});
  const std::string dash = "-dash.xdx";
  const std::string sample = fixture("sample.xdx");
  struct Case {
    std::vector<std::string> args;
    int exit;
    std::string errStart;    // empty: nothing on standard error
    std::string usage = "";  // the usage shown after a usage error
  } cases[] = {
      {{"check", "--jsn", sample}, 2, "velmora-cli：未知的选项或多余的参数：--jsn\n", "用法: velmora-cli check [选项]"},
      {{"check", sample, "--jsn"}, 2, "velmora-cli：未知的选项或多余的参数：--jsn\n", "用法: velmora-cli check [选项]"},
      {{"check", "-x"}, 2, "velmora-cli：未知的选项或多余的参数：-x\n", "用法: velmora-cli check [选项]"},
      {{"--frobnicate", "check", sample},
       2,
       "velmora-cli：未知的选项或多余的参数：--frobnicate\n",
       "用法: velmora-cli check [选项]"},
      {{"frobnicate"}, 2, "velmora-cli：未知的选项或多余的参数：frobnicate\n", "用法: velmora-cli [选项] 命令"},
      {{"dump", "--out", sample}, 2, "velmora-cli：未知的选项或多余的参数：--out\n", "用法: velmora-cli dump [选项]"},
      {{}, 2, "velmora-cli：缺少命令：check、dump、import、resave、pdf 或 roster\n", "用法: velmora-cli [选项] 命令"},
      {{"check"}, 2, "velmora-cli：缺少必需的命令或参数", "用法: velmora-cli check [选项]"},
      {{"dump", sample, sample},
       2,
       "velmora-cli：参数个数不对（需要 1 个，实际 2 个）",
       "用法: velmora-cli dump [选项]"},
      {{"resave", sample}, 2, "velmora-cli：参数个数不对（需要 2 个，实际 1 个）", "用法: velmora-cli resave [选项]"},
      {{"pdf", sample}, 2, "velmora-cli：参数个数不对（需要 2 个，实际 1 个）", "用法: velmora-cli pdf [选项]"},
      {{"roster", sample}, 2, "velmora-cli：缺少必需的命令或参数", "用法: velmora-cli roster [选项]"},
      // "--" ends the options, before or after other file names.
      {{"check", "--", dash}, 0, ""},
      {{"check", sample, "--", dash}, 0, ""},
      {{"check", "--", dash, "--json"}, 2, "--json：无法打开文件"},
      {{"dump", "--", dash}, 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(argsName(c.args));
    std::string cmd;
    for (const auto& a : c.args) cmd += " " + a;
    CliRun r = cli(c.args, "", dir.dir().string());
    EXPECT_EQ(r.exit, c.exit) << cmd << "\n" << r.err;
    if (c.errStart.empty()) {
      EXPECT_EQ(r.err, "") << cmd;
    } else {
      EXPECT_EQ(r.err.rfind(c.errStart, 0), 0u) << cmd << "\n" << r.err;
    }
    if (c.usage.empty()) continue;
    // A usage error shows the usage of the command concerned, and nothing
    // goes to standard output.
    EXPECT_NE(r.err.find("\n" + c.usage), std::string::npos) << cmd << "\n" << r.err;
    EXPECT_EQ(r.out, "") << cmd;
  }
}

TEST(Cli, VersionAndHelp) {
  CliRun version = cli({"--version"});
  EXPECT_EQ(version.exit, 0);
  EXPECT_EQ(version.out, std::string("velmora-cli ") + VELMORA_VERSION + "\n");
  // The program's help names every command and every option.
  CliRun help = cli({"--help"});
  EXPECT_EQ(help.exit, 0);
  for (const char* word : {"check", "dump", "resave", "import", "pdf", "roster", "--json", "--out-dir", "--out FILE",
                           "--version", "--help", "IN OUT.pdf", "JSON OUT"}) {
    SCOPED_TRACE(word);
    EXPECT_NE(help.out.find(word), std::string::npos) << word;
  }
  EXPECT_EQ(cli({"-h"}).out, help.out);
}

#ifndef _WIN32
// A terminal is a pseudo-terminal here, which Windows has not.

namespace {

// Runs velmora-cli on a terminal of its own; what the terminal showed.
CliRun cliOnTerminal(const std::vector<std::string>& args, unsigned short columns = 80) {
  std::vector<std::string> copy = args;
  copy.insert(copy.begin(), VELMORA_CLI);
  std::vector<char*> argv;
  for (auto& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  int terminal = -1;
  CliRun r;
  winsize size{};
  size.ws_row = 24;
  size.ws_col = columns;
  const pid_t pid = ::forkpty(&terminal, nullptr, nullptr, &size);
  if (pid == 0) {
    ::execv(VELMORA_CLI, argv.data());
    ::_exit(127);
  }
  if (pid < 0) return r;
  char buf[4096];
  ssize_t n;
  // Reading fails (EIO) once the program has closed its side.
  while ((n = ::read(terminal, buf, sizeof buf)) > 0) r.out.append(buf, static_cast<std::size_t>(n));
  ::close(terminal);
  int status = 0;
  ::waitpid(pid, &status, 0);
  r.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

}  // namespace

TEST(Cli, ATerminalGetsASummaryLine) {
  TempDir dir;
  layOut(dir, {{"sample.xdx", "in/a.xdx"},
               {"formal.xdx", "in/b.xdx"},
               {"fresh-required.xdx", "in/c.xdx"},
               {"wrong-version.xdx", "in/d.xdx"}});
  const std::string summary = "共 4 份：完整 2，有问题 1，无法读取 1\r\n";
  struct Case {
    std::vector<std::string> args;
    int exit;
  } cases[] = {
      {{"check", dir.path("in")}, 2},
      {{"check", "--json", dir.path("in")}, 2},
      {{"roster", dir.path("in"), "--out", dir.path("r.csv")}, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(argsName(c.args, dir.dir().string()));
    CliRun shown = cliOnTerminal(c.args);
    EXPECT_EQ(shown.exit, c.exit) << c.args[1];
    // The summary closes the output.
    ASSERT_GE(shown.out.size(), summary.size()) << shown.out;
    EXPECT_EQ(shown.out.substr(shown.out.size() - summary.size()), summary) << shown.out;
    // Piped, as in a script, there is none.
    CliRun piped = cli(c.args);
    EXPECT_EQ(piped.err.find("共 "), std::string::npos) << piped.err;
    EXPECT_EQ(piped.exit, c.exit);
  }
  CliRun one = cliOnTerminal({"check", fixture("sample.xdx")});
  EXPECT_EQ(one.out, "共 1 份：完整 1，有问题 0，无法读取 0\r\n");
}

#endif

namespace {

#ifdef _WIN32

// Columns a line takes on a terminal: two for an ideograph, a full-width
// form or a kana, one for any other character; 1000 for bytes that are no
// UTF-8. Windows' C library has no wcswidth.
std::size_t terminalColumns(const std::string& line) {
  const std::wstring wide = velmora::widePath(line);
  if (velmora::utf8FromWide(wide) != line) return 1000;
  std::size_t width = 0;
  for (wchar_t c : wide)
    width += (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF && c != 0x303F) ||
                     (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
                     (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6)
                 ? 2
                 : 1;
  return width;
}

#else

// Columns a line takes on a terminal, by the C library's own table.
std::size_t terminalColumns(const std::string& line) {
  std::mbstate_t state{};
  const char* from = line.c_str();
  std::wstring wide(line.size() + 1, L'\0');
  const std::size_t n = std::mbsrtowcs(wide.data(), &from, wide.size(), &state);
  if (n == static_cast<std::size_t>(-1)) return 1000;
  wide.resize(n);
  const int width = ::wcswidth(wide.c_str(), wide.size());
  return width < 0 ? 1000 : static_cast<std::size_t>(width);
}

#endif

}  // namespace

// The help in Chinese as a terminal shows it: no line wider than the
// terminal (80 columns when the output is a pipe), every description
// starting in the same column whatever the width of the name before it,
// no English of the argument parser in the help or its errors, and a
// command that takes one file shows one.
TEST(Cli, HelpAndUsageErrorsReadAsChinese) {
#ifndef _WIN32
  ASSERT_TRUE(std::setlocale(LC_CTYPE, "C.UTF-8"));
#endif
  struct Case {
    std::vector<std::string> args;
    unsigned short columns;  // 0: piped
  } cases[] = {
      {{"--help"}, 0},           {{"check", "--help"}, 0}, {{"dump", "--help"}, 0},   {{"resave", "--help"}, 0},
      {{"import", "--help"}, 0}, {{"pdf", "--help"}, 0},   {{"roster", "--help"}, 0},
#ifndef _WIN32
      {{"--help"}, 60},          {{"pdf", "--help"}, 100}, {{"check", "--help"}, 50},
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(argsName(c.args) + (c.columns ? " in " + std::to_string(c.columns) + " columns" : ", piped"));
#ifdef _WIN32
    const CliRun r = cli(c.args);
#else
    const CliRun r = c.columns ? cliOnTerminal(c.args, c.columns) : cli(c.args);
#endif
    EXPECT_EQ(r.exit, 0);
    const std::size_t width = c.columns ? c.columns : 80;
    std::size_t widest = 0;
    for (const std::string& line : linesOf(r.out)) {
      EXPECT_LE(terminalColumns(line), width) << line;
      widest = std::max(widest, terminalColumns(line));
      // An option, argument or command with its description: the
      // description starts in column 34.
      if (line.rfind("  ", 0) == 0 && line.size() > 2 && line[2] != ' ') {
        const std::size_t gap = line.find("  ", 2);
        if (gap == std::string::npos) continue;
        const std::size_t start = line.find_first_not_of(' ', gap);
        EXPECT_EQ(terminalColumns(line.substr(0, start)), 34u) << line;
      }
    }
    EXPECT_GT(widest, width - 12) << "the lines use the width they have";
    for (const char* english : {"REQUIRED", "required", "Usage", "OPTIONS", "Positionals", "SUBCOMMAND"}) {
      SCOPED_TRACE(english);
      EXPECT_EQ(r.out.find(english), std::string::npos) << english;
    }
  }
  EXPECT_NE(cli({"dump", "--help"}).out.find("用法: velmora-cli dump [选项] FILE\n"), std::string::npos);
  EXPECT_NE(cli({"resave", "--help"}).out.find("用法: velmora-cli resave [选项] IN OUT\n"), std::string::npos);
  EXPECT_NE(cli({"import", "--help"}).out.find("  JSON OUT 必需   "), std::string::npos);

  const std::string sample = fixture("sample.xdx");
  struct Error {
    std::vector<std::string> args;
    std::string first;
  } errors[] = {
      {{}, "velmora-cli：缺少命令：check、dump、import、resave、pdf 或 roster"},
      {{"check"}, "velmora-cli：缺少必需的命令或参数（FILE|FOLDER）"},
      {{"dump"}, "velmora-cli：缺少必需的命令或参数（FILE）"},
      {{"import"}, "velmora-cli：缺少必需的命令或参数（JSON OUT）"},
      {{"resave", sample, sample, sample}, "velmora-cli：参数个数不对（需要 2 个，实际 3 个）"},
      {{"roster", sample}, "velmora-cli：缺少必需的命令或参数（--out）"},
      {{"dump", sample, sample}, "velmora-cli：参数个数不对（需要 1 个，实际 2 个）"},
      {{"pdf", "--paper", "a3", sample, "x.pdf"}, "velmora-cli：参数错误（--paper: 纸张只能是 a4 或 letter）"},
  };
  for (const Error& e : errors) {
    SCOPED_TRACE(argsName(e.args));
    const CliRun r = cli(e.args);
    EXPECT_EQ(r.exit, 2);
    EXPECT_EQ(linesOf(r.err).at(0), e.first);
    for (const std::string& line : linesOf(r.err)) EXPECT_LE(terminalColumns(line), 80u) << line;
  }
}

// Control bytes from a document or a file name reach the terminal escaped: a
// quoted line set the terminal's title and cleared its screen, a line feed
// in a name forged a line of another file.
TEST(Cli, ControlBytesReachNoTerminal) {
  TempDir dir;
  std::vector<std::string> args = {"check"};
#ifndef _WIN32
  // Windows allows no control character in a name.
  const std::string forged = "a\nb.xdx: 01、课题名称  未填写\x1b[2J";
  layOut(dir, {{"wrong-version.xdx", forged}});
  args.push_back(dir.path(forged));
#endif
  writeFile(dir.path("title.xdx"),
            "<?xml version=\"1.0\" encoding=\"GBK\"?>\n<XMLPackage>\x1b]0;owned\x07\x1b[2J<ver>\n");
  args.push_back(dir.path("title.xdx"));
  CliRun r = cli(args);
  EXPECT_EQ(r.exit, 2);
  for (char c : r.err + r.out) EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 && c != '\n') << int(c);
#ifndef _WIN32
  EXPECT_NE(
      r.err.find(dir.path("a\\x0Ab.xdx: 01、课题名称  未填写\\x1B[2J") + "：您选择的文档不是用本申报系统生成的\n"),
      std::string::npos)
      << r.err;
#endif
  EXPECT_NE(r.err.find(dir.path("title.xdx") + "：XML 格式错误"), std::string::npos) << r.err;
  // one line per document
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), static_cast<std::ptrdiff_t>(args.size() - 1)) << r.err;

  // A key of an import is quoted short.
  writeFile(dir.path("k.json"), "{\"" + std::string(100000, 'k') + "\":1}");
  CliRun key = cli({"import", dir.path("k.json"), dir.path("k.xdx")});
  EXPECT_EQ(key.exit, 2);
  const std::string first = key.err.substr(0, key.err.find('\n'));
  EXPECT_EQ(first, dir.path("k.json") + "：" + std::string(60, 'k') + "…：不是申报书的字段");
}

// Names in Chinese and with blanks reach the program, and the files it
// reads and writes, as they were given: on Windows through a command line
// in UTF-16, which the program holds in UTF-8 and gives back to the system
// in UTF-16.
TEST(Cli, ChineseNamesArriveIntact) {
  TempDir dir;
  layOut(dir, {{"sample.xdx", "申报 2026/张三.xdx"}, {"fresh-required.xdx", "申报 2026/二 组/李四.xdx"}});
  const std::string folder = dir.path("申报 2026"), zhang = dir.path("申报 2026/张三.xdx"),
                    li = dir.path("申报 2026/二 组/李四.xdx");

  CliRun one = cli({"check", zhang});
  EXPECT_EQ(one.exit, 0) << one.err;
  EXPECT_EQ(one.out + one.err, "");
  CliRun checked = cli({"check", "--json", folder});
  EXPECT_EQ(checked.exit, 1) << checked.err;
  const std::vector<std::string> lines = linesOf(checked.out);
  ASSERT_EQ(lines.size(), 2u) << checked.out;
  EXPECT_TRUE(lines[0].starts_with("{\"file\":\"" + jsonText(li) + "\",\"status\":\"problems\"")) << lines[0];
  EXPECT_EQ(lines[1], "{\"file\":\"" + jsonText(zhang) +
                          "\",\"status\":\"complete\",\"formal\":false,\"problems\":[],\"messages\":[]}");
  const std::string missing = dir.path("申报 2026/王五.xdx");
  CliRun absent = cli({"check", missing}, "LC_ALL=C");
  EXPECT_EQ(absent.err, missing + "：无法打开文件“" + missing + "”：No such file or directory\n");

  // dump, import and resave, by Chinese names.
  CliRun dumped = cli({"dump", zhang});
  ASSERT_EQ(dumped.exit, 0) << dumped.err;
  writeFile(dir.path("记录 一.json"), dumped.out);
  CliRun imported = cli({"import", dir.path("记录 一.json"), dir.path("新 文档.xdx")});
  EXPECT_EQ(imported.exit, 0) << imported.err;
  CliRun again = cli({"dump", dir.path("新 文档.xdx")});
  auto withoutId = [](std::string s) { return s.erase(0, s.find('\n', s.find("ProjectID"))); };
  EXPECT_EQ(withoutId(again.out), withoutId(dumped.out));
  CliRun resaved = cli({"resave", zhang, dir.path("另存 为.xdx")});
  EXPECT_EQ(resaved.exit, 0) << resaved.err;
  EXPECT_NE(readFile(dir.path("另存 为.xdx")).find("<PASSBY>0</PASSBY>"), std::string::npos);

  // The roster, in a folder of a Chinese name, as workbook and as CSV.
  std::filesystem::create_directories(fsPath(dir.path("名册 表")));
  CliRun workbook = cli({"roster", folder, "--out", dir.path("名册 表/汇总.xlsx")});
  EXPECT_EQ(workbook.exit, 1) << workbook.err;
  SheetContent sheet = readWorkbook(dir.path("名册 表/汇总.xlsx"));
  EXPECT_EQ(sheet.cells["A2"].value, li);
  EXPECT_EQ(sheet.cells["A3"].value, zhang);
  EXPECT_EQ(sheet.cells["G3"].value, "王晓燕");
  CliRun csv = cli({"roster", folder, "--out", dir.path("名册 表/汇总.csv")});
  EXPECT_EQ(csv.exit, 1) << csv.err;
  const std::vector<std::string> rows = linesOf(readFile(dir.path("名册 表/汇总.csv")));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_TRUE(rows[1].starts_with(li + ",problems,")) << rows[1];
  EXPECT_TRUE(rows[2].starts_with(zhang + ",complete,0,FALSE,")) << rows[2];
  // Nothing but the two tables is left in their folder.
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(fsPath(dir.path("名册 表")))) ++entries;
  EXPECT_EQ(entries, 2u);
}
