#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#ifdef _WIN32
#include <zlib.h>
#else
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <map>
#include <memory>
#include <sstream>
#ifdef _WIN32
#include <thread>

#include "format/windows_system.h"
#endif

#include "test_support.h"

using namespace velmora::test;

namespace {

struct CliRun {
  int exit = -1;
  std::string out;
  std::string err;
};

#ifndef _WIN32
// A word for the shell, which runs the program on Linux.
std::string quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}
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

// The program's file name on this system.
#ifdef _WIN32
constexpr const char* kExe = ".exe";
#else
constexpr const char* kExe = "";
#endif

#ifdef _WIN32

// An argument as CommandLineToArgvW and the C runtime read it back.
std::wstring windowsArgument(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
    } else {
      out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
      out += c;
      backslashes = 0;
    }
  }
  return out.append(2 * backslashes, L'\\') + L"\"";
}

// This process's environment with `env` ("NAME=value NAME=value") set in
// it, as CreateProcessW takes it; empty when nothing is to be set.
std::wstring environmentWith(const std::string& env) {
  if (env.empty()) return {};
  std::vector<std::wstring> vars;
  wchar_t* block = ::GetEnvironmentStringsW();
  for (const wchar_t* v = block; *v; v += std::wcslen(v) + 1) vars.emplace_back(v);
  ::FreeEnvironmentStringsW(block);
  std::istringstream settings(env);
  for (std::string setting; settings >> setting;) {
    const std::wstring wide = velmora::widePath(setting);
    const std::wstring name = wide.substr(0, wide.find(L'=') + 1);
    std::erase_if(vars, [&](const std::wstring& v) { return ::_wcsnicmp(v.c_str(), name.c_str(), name.size()) == 0; });
    vars.push_back(wide);
  }
  std::wstring out;
  for (const auto& v : vars) out += v + L'\0';
  return out + L'\0';
}

// Runs the program as Windows runs one: its arguments on a command line in
// UTF-16, its standard output and error into files.
CliRun cliWith(const RunOptions& o, const std::vector<std::string>& args) {
  EXPECT_TRUE(o.input.empty()) << "a shell command as input runs on Linux only";
  TempDir dir;
  CliRun r;
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  constexpr DWORD kShared = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  auto create = [&](const std::string& path) {
    return ::CreateFileW(velmora::widePath(path).c_str(), GENERIC_WRITE, kShared, &inherited, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  velmora::HandleCloser out{create(dir.path("out"))};
  velmora::HandleCloser err{create(dir.path("err"))};
  HANDLE feed = INVALID_HANDLE_VALUE;
  HANDLE input = INVALID_HANDLE_VALUE;
  if (o.endlessInput) {
    ::CreatePipe(&input, &feed, &inherited, 0);
    ::SetHandleInformation(feed, HANDLE_FLAG_INHERIT, 0);
  } else {
    input = ::CreateFileW(o.inputFile.empty() ? L"NUL" : velmora::widePath(o.inputFile).c_str(), GENERIC_READ, kShared,
                          &inherited, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  velmora::HandleCloser inputCloser{input};
  const std::string program = o.program.empty() ? VELMORA_CLI : o.program;
  std::wstring commandLine = windowsArgument(velmora::widePath(program));
  for (const auto& a : args) commandLine += L" " + windowsArgument(velmora::widePath(a));
  std::wstring environment = environmentWith(o.env);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = out.handle;
  startup.hStdError = err.handle;
  PROCESS_INFORMATION process{};
  const std::wstring cwd = velmora::widePath(o.cwd);
  // Wine now and then fails to start a process under load with
  // ERROR_INTERNAL_ERROR, which no Windows gives for a valid program; a
  // second try starts it. Any other failure fails the test at once.
  auto start = [&] {
    return ::CreateProcessW(velmora::widePath(program).c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                            CREATE_UNICODE_ENVIRONMENT, environment.empty() ? nullptr : environment.data(),
                            cwd.empty() ? nullptr : cwd.c_str(), &startup, &process);
  };
  bool started = start();
  for (int attempt = 1; !started && ::GetLastError() == ERROR_INTERNAL_ERROR && attempt < 3; ++attempt) {
    ::Sleep(200);
    started = start();
  }
  if (!started) {
    ADD_FAILURE() << "cannot run " << program << ": error " << ::GetLastError();
    if (feed != INVALID_HANDLE_VALUE) ::CloseHandle(feed);
    return r;
  }
  // Written into until the program closes its end: it has read its limit.
  std::thread writer;
  if (o.endlessInput) {
    ::CloseHandle(input);
    inputCloser.handle = INVALID_HANDLE_VALUE;
    writer = std::thread([feed] {
      const std::string lines(65536, 'y');
      DWORD n = 0;
      while (::WriteFile(feed, lines.data(), static_cast<DWORD>(lines.size()), &n, nullptr)) {
      }
    });
  }
  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  r.exit = ::GetExitCodeProcess(process.hProcess, &code) ? static_cast<int>(code) : -1;
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  if (writer.joinable()) writer.join();
  if (feed != INVALID_HANDLE_VALUE) ::CloseHandle(feed);
  ::CloseHandle(out.handle);
  out.handle = INVALID_HANDLE_VALUE;
  ::CloseHandle(err.handle);
  err.handle = INVALID_HANDLE_VALUE;
  r.out = readFile(dir.path("out"));
  r.err = readFile(dir.path("err"));
  return r;
}

// RunOptions::program for the program at `path`.
std::string programAt(const std::string& path) { return path; }

#else

CliRun cliWith(const RunOptions& o, const std::vector<std::string>& args) {
  TempDir dir;
  std::string cmd = o.cwd.empty() ? "" : "cd " + quote(o.cwd) + " && ";
  if (!o.input.empty()) cmd += o.input + " | ";
  if (o.endlessInput) cmd += "yes | ";
  cmd += (o.env.empty() ? "" : "env " + o.env + " ") + (o.program.empty() ? quote(VELMORA_CLI) : o.program);
  for (const auto& a : args) cmd += " " + quote(a);
  if (!o.inputFile.empty()) cmd += " <" + quote(o.inputFile);
  cmd += (o.input.empty() && o.inputFile.empty() && !o.endlessInput ? " </dev/null" : "") + std::string(" 2>") +
         quote(dir.path("err"));
  CliRun r;
  FILE* pipe = popen(cmd.c_str(), "r");
  char buf[4096];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) r.out.append(buf, n);
  int status = pclose(pipe);
  r.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.err = readFile(dir.path("err"));
  return r;
}

// RunOptions::program for the program at `path`.
std::string programAt(const std::string& path) { return quote(path); }

#endif

// Runs velmora-cli with `args`; `env`: variables for the run, as
// "NAME=value NAME=value"; `cwd`: the folder it runs in.
CliRun cli(const std::vector<std::string>& args, const std::string& env = "", const std::string& cwd = "") {
  return cliWith({env, cwd, "", ""}, args);
}

// A path as a trace names it: without the fixtures' folder, or without
// `folder` when given.
std::string shortPath(const std::string& path, const std::string& folder = "") {
  for (const std::string& prefix : {fixture(""), folder.empty() ? std::string() : folder + "/"})
    if (!prefix.empty() && path.starts_with(prefix)) return path.substr(prefix.size());
  return path;
}

// A command line as a trace names it: its paths short, an empty argument
// shown as ''.
std::string argsName(const std::vector<std::string>& args, const std::string& folder = "") {
  std::string name;
  for (const auto& a : args) name += (name.empty() ? "" : " ") + (a.empty() ? "''" : shortPath(a, folder));
  return name.empty() ? "no arguments" : name;
}

// A UTF-8 path as std::filesystem takes it on every system.
std::filesystem::path fsPath(const std::string& utf8) { return std::u8string(utf8.begin(), utf8.end()); }

// Copies fixtures into `dir` under the names given (fixture, name), making
// the folders on the way.
void layOut(const TempDir& dir, const std::vector<std::pair<std::string, std::string>>& copies) {
  for (const auto& [from, to] : copies) {
    std::filesystem::create_directories(fsPath(dir.path(to)).parent_path());
    std::filesystem::copy_file(fsPath(fixture(from)), fsPath(dir.path(to)));
  }
}

// A second name for the file `target`: a symbolic link on Linux, a hard
// link on Windows, where making symbolic links takes a privilege. Either
// way both names lead to one file.
void linkTo(const std::string& target, const std::string& name) {
#ifdef _WIN32
  std::filesystem::create_hard_link(fsPath(target), fsPath(name));
#else
  std::filesystem::create_symlink(target, name);
#endif
}

// A text as a JSON string holds it: the paths of Windows have backslashes.
std::string jsonText(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\\' || c == '"' ? std::string{'\\', c} : std::string(1, c);
  return out;
}

}  // namespace

TEST(Cli, CheckPrintsProblemLinesAndExitCode) {
  struct Case {
    std::vector<std::string> files;
    int exit;
    std::string out;
  } cases[] = {
      {{fixture("sample.xdx")}, 0, ""},
      {{fixture("only-ver.xdx")}, 1, readFile(fixture("untouched-problems.txt"))},
      {{fixture("empty-root.xdx")}, 1, readFile(fixture("untouched-problems.txt"))},
      {{fixture("sample.xdx"), fixture("wrong-version.xdx")}, 2, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(argsName(c.files));
    CliRun r = cli([&] {
      std::vector<std::string> a{"check"};
      a.insert(a.end(), c.files.begin(), c.files.end());
      return a;
    }());
    EXPECT_EQ(r.exit, c.exit) << c.files[0];
    EXPECT_EQ(r.out, c.out) << c.files[0];
  }
}

TEST(Cli, CheckPrefixesLinesWithThePathForSeveralFiles) {
  CliRun r = cli({"check", fixture("sample.xdx"), fixture("fresh-required.xdx")});
  EXPECT_EQ(r.exit, 1);
  std::istringstream in(r.out);
  std::string first;
  std::getline(in, first);
  EXPECT_EQ(first, fixture("fresh-required.xdx") + ": 01、关键词1  未填写");
}

TEST(Cli, RefusedAndUnreadableFilesGiveOneLineEach) {
  using namespace std::string_literals;
  TempDir dir;
  // Not "nul.xdx": on Windows that names the null device.
  writeFile(dir.path("nul-byte.xdx"), document("<ver>VL2011v1.0</ver>", "UTF-8") + "\0junk"s);
  writeFile(dir.path("nested.xdx"), document("<ver>VL2011v1.0</ver><Nation>汉<b/></Nation>"));
  const std::string missing = dir.path("missing.xdx");
  struct Case {
    std::string file;
    std::string line;  // after the path and "："
    std::string env = "";
  } cases[] = {
      {fixture("wrong-version.xdx"), "您选择的文档不是用本申报系统生成的"},
      {fixture("mixed-element.xdx"), "元素 Presider 的内容不是单一的文本"},
      {dir.path("nested.xdx"), "元素 Nation 的内容不是单一的文本"},
      // The parser's reason, line and excerpt on one line.
      {fixture("malformed.xdx"),
       "XML 格式错误（第 4 行“<ProjectName>未闭合的课题名称</Presider>”）：Opening and ending tag mismatch: "
       "ProjectName line 4 and Presider"},
      {dir.path("nul-byte.xdx"), "XML 格式错误（第 3 行）：Extra content at the end of the document"},
      {missing, "无法打开文件“" + missing + "”：No such file or directory", "LC_ALL=C"},
#ifndef _WIN32
      // System errors in the user's language (Windows' C library knows
      // English only).
      {missing, "无法打开文件“" + missing + "”：没有那个文件或目录", "LC_ALL=C.UTF-8 LANGUAGE=zh_CN"},
      {dir.dir().string() + "/missing", "无法打开文件“" + dir.dir().string() + "/missing”：没有那个文件或目录",
       "LC_ALL=C.UTF-8 LANGUAGE=zh_CN:en"},
#endif
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(argsName({c.file}, dir.dir().string()) + (c.env.empty() ? "" : " with " + c.env));
    for (const char* command : {"check", "dump"}) {
      SCOPED_TRACE(command);
      CliRun r = cli({command, c.file}, c.env);
      EXPECT_EQ(r.exit, 2) << c.file;
      EXPECT_TRUE(r.out.empty());
      EXPECT_EQ(r.err, c.file + "：" + c.line + "\n");
    }
  }
}

TEST(Cli, DumpPrintsTheRecordInDocumentOrder) {
  CliRun r = cli({"dump", fixture("fresh-required.xdx")});
  EXPECT_EQ(r.exit, 1);
  EXPECT_EQ(r.out.find("{\n  \"ProjectID\": \"000000000000000000000000\",\n  \"ProjectName\": \"教育公平研究\",\n"), 0u)
      << r.out.substr(0, 200);
  EXPECT_EQ(r.out.find("\"ver\""), std::string::npos);
  EXPECT_NE(r.out.find("  \"ExpectProduction2\": \"\",\n  \"PASSBY\": \"0\",\n  \"Presider\": \"李明\""),
            std::string::npos);
  EXPECT_NE(r.out.find("\"OutlayGrid\": [[\"1\",\"资料费\",\"0\"],"), std::string::npos);
  EXPECT_NE(r.out.find("\"OutlayGrid3\": [[\"          年\",\"          年\",\"          年\",\"          "
                       "年\"],[\"\",\"\",\"\",\"\"]]"),
            std::string::npos);
  EXPECT_NE(r.out.find("\"ProjectReasoning\": []"), std::string::npos);
  EXPECT_NE(r.out.find("\"verifylist\": [\"01、关键词1  未填写\","), std::string::npos);
  EXPECT_NE(r.out.find("  \"SN\": \"\"\n}\n"), std::string::npos);

  CliRun formal = cli({"dump", fixture("formal.xdx")});
  EXPECT_EQ(formal.exit, 0);
  EXPECT_NE(formal.out.find("\"PASSBY\": \"1\""), std::string::npos);
  EXPECT_NE(formal.out.find("\"ProjectReasoning\": [\"一、核心概念的界定"), std::string::npos);
}

TEST(Cli, ResaveWritesANewIdentifierAndTheCheck) {
  TempDir dir;
  CliRun r = cli({"resave", fixture("empty-items.xdx"), dir.path("out.xdx")});
  EXPECT_EQ(r.exit, 0) << r.err;
  std::string bytes = readFile(dir.path("out.xdx"));
  EXPECT_EQ(bytes.find("{6F9619FF"), std::string::npos);
  EXPECT_NE(bytes.find("<PASSBY>0</PASSBY>"), std::string::npos);
  EXPECT_NE(
      bytes.find(gbk("<verifylist>\"03、主要参加者  资料未填写完整\",\"09、年度预算  资料未填写完整\"</verifylist>")),
      std::string::npos);
  EXPECT_NE(bytes.find(gbk("<MainActor1>张伟,,45,196603,教授,课程与教学论,研究生,,</MainActor1>")), std::string::npos);
}

TEST(Cli, ResaveRefusesFormalAndIncompleteDocuments) {
  TempDir dir;
  struct Case {
    std::string in;
    std::string message;
  } cases[] = {
      {fixture("formal.xdx"), "本项目文件为正式文档，仅供打印和预览,不允许修改！"},
      {fixture("only-ver.xdx"), "保存失败！“课题名称”, “主持人”和“电子邮箱”必须填写！"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(argsName({c.in}));
    CliRun r = cli({"resave", c.in, dir.path("x.xdx")});
    EXPECT_EQ(r.exit, 2);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.path("x.xdx")));
  }
}

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

TEST(Cli, CheckTakesFoldersAndPrintsJsonLines) {
  TempDir dir;
  layOut(dir, {{"sample.xdx", "office/a.xdx"}, {"empty-items.xdx", "office/late/b.XDX"}});
  writeFile(dir.path("office/notes.txt"), "not a document");
  CliRun r = cli({"check", dir.path("office")});
  EXPECT_EQ(r.exit, 1);
  EXPECT_EQ(r.out, dir.path("office/late/b.XDX") + ": 03、主要参加者  资料未填写完整\n" +
                       dir.path("office/late/b.XDX") + ": 09、年度预算  资料未填写完整\n");

  CliRun j = cli({"check", "--json", dir.path("office"), fixture("wrong-version.xdx")});
  EXPECT_EQ(j.exit, 2);
  EXPECT_EQ(j.out, "{\"file\":" + std::string("\"") + jsonText(dir.path("office/a.xdx")) +
                       "\",\"status\":\"complete\",\"formal\":false,\"problems\":[],\"messages\":[]}\n"
                       "{\"file\":\"" +
                       jsonText(dir.path("office/late/b.XDX")) +
                       "\",\"status\":\"problems\",\"formal\":false,\"problems\":[\"03、主要参加者  "
                       "资料未填写完整\",\"09、年度预算  资料未填写完整\"],\"messages\":[]}\n"
                       "{\"file\":\"" +
                       jsonText(fixture("wrong-version.xdx")) +
                       "\",\"status\":\"refused\",\"formal\":false,\"problems\":[],\"messages\":["
                       "\"您选择的文档不是用本申报系统生成的\"]}\n");

  CliRun formal = cli({"check", "--json", fixture("formal.xdx")});
  EXPECT_EQ(formal.exit, 0);
  EXPECT_EQ(formal.out, "{\"file\":\"" + jsonText(fixture("formal.xdx")) +
                            "\",\"status\":\"complete\",\"formal\":true,\"problems\":[],\"messages\":[]}\n");
}

TEST(Cli, ManyDocumentsGiveTheSameLinesInTheirOrder) {
  TempDir dir;
  std::string expected;
  for (int i = 0; i < 40; ++i) {
    const char* source = i % 3 == 0 ? "empty-items.xdx" : i % 3 == 1 ? "sample.xdx" : "fresh-required.xdx";
    char name[32];
    std::snprintf(name, sizeof name, "doc%02d.xdx", i);
    layOut(dir, {{source, name}});
    CliRun one = cli({"check", dir.path(name)});
    std::istringstream lines(one.out);
    for (std::string l; std::getline(lines, l);) expected += dir.path(name) + ": " + l + "\n";
  }
  CliRun all = cli({"check", dir.dir().string()});
  EXPECT_EQ(all.out, expected);
}

TEST(Cli, DumpThenImportGivesBackTheSameRecord) {
  TempDir dir;
  for (const char* source : {"sample.xdx", "empty-items.xdx", "fresh-required.xdx"}) {
    SCOPED_TRACE(source);
    CliRun dumped = cli({"dump", fixture(source)});
    writeFile(dir.path("r.json"), dumped.out);
    CliRun imported = cli({"import", dir.path("r.json"), dir.path("r.xdx")});
    ASSERT_EQ(imported.exit, 0) << imported.err;
    CliRun again = cli({"dump", dir.path("r.xdx")});
    auto withoutId = [](std::string s) { return s.erase(0, s.find('\n', s.find("ProjectID"))); };
    EXPECT_EQ(withoutId(again.out), withoutId(dumped.out)) << source;
  }
}

TEST(Cli, ImportReportsViolationsAndWritesNothing) {
  TempDir dir;
  writeFile(dir.path("bad.json"), R"({"ProjectName":"课题","Presider":"王","Sex":"X.男"})");
  CliRun r = cli({"import", dir.path("bad.json"), dir.path("bad.xdx")});
  EXPECT_EQ(r.exit, 2);
  EXPECT_EQ(r.err, dir.path("bad.json") + "：Sex：“X.男”不是可选的项目\n" + dir.path("bad.json") +
                       "：ContactMail：必须填写（课题名称、主持人和电子邮箱是保存的必填项）\n");
  EXPECT_FALSE(std::filesystem::exists(dir.path("bad.xdx")));
}

TEST(Cli, PdfWritesAFolderOfDocumentsIntoAnotherFolder) {
#ifndef VELMORA_CLI_PDF
  GTEST_SKIP() << "built without the printed form";
#endif
  TempDir dir;
  std::filesystem::create_directories(dir.path("in/sub"));
  std::filesystem::copy_file(fixture("sample.xdx"), dir.path("in/a.xdx"));
  std::filesystem::copy_file(fixture("formal.xdx"), dir.path("in/sub/b.xdx"));
  std::filesystem::copy_file(fixture("wrong-version.xdx"), dir.path("in/sub/c.xdx"));
  CliRun r = cli({"pdf", "--out-dir", dir.path("out"), dir.path("in"), fixture("empty-items.xdx")});
  EXPECT_EQ(r.exit, 2);
  EXPECT_EQ(r.err, dir.path("in/sub/c.xdx") + "：您选择的文档不是用本申报系统生成的\n");
  EXPECT_EQ(r.err.find("XDG_RUNTIME_DIR"), std::string::npos) << r.err;
  for (const char* made : {"out/a.pdf", "out/sub/b.pdf", "out/empty-items.pdf"}) {
    SCOPED_TRACE(made);
    ASSERT_TRUE(std::filesystem::exists(dir.path(made))) << made;
    EXPECT_EQ(readFile(dir.path(made)).substr(0, 5), "%PDF-") << made;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.path("out/sub/c.pdf")));

  CliRun ok = cli({"pdf", "--out-dir", dir.path("out2"), fixture("sample.xdx")});
  EXPECT_EQ(ok.exit, 0) << ok.err;

  // One document: its messages and its write errors, one line each after the
  // path concerned.
  CliRun one = cli({"pdf", fixture("sample.xdx"), dir.path("one.pdf")});
  EXPECT_EQ(one.exit, 0) << one.err;
  EXPECT_EQ(readFile(dir.path("one.pdf")).substr(0, 5), "%PDF-");
  CliRun refused = cli({"pdf", fixture("wrong-version.xdx"), dir.path("two.pdf")});
  EXPECT_EQ(refused.exit, 2);
  EXPECT_EQ(refused.err, fixture("wrong-version.xdx") + "：您选择的文档不是用本申报系统生成的\n");
  const std::string unwritable = dir.path("no/such/three.pdf");
  CliRun failed = cli({"pdf", fixture("sample.xdx"), unwritable}, "LC_ALL=C");
  EXPECT_EQ(failed.exit, 2);
  // As import and resave name it.
  EXPECT_EQ(failed.err, unwritable + "：无法写入文件“" + unwritable + "”：No such file or directory\n");
  EXPECT_EQ(std::count(failed.err.begin(), failed.err.end(), '\n'), 1) << failed.err;
  EXPECT_FALSE(std::filesystem::exists(dir.path("two.pdf")));
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

TEST(Cli, FoldersWithoutDocumentsAreNoSilentSuccess) {
  TempDir dir;
  std::filesystem::create_directories(dir.path("empty"));
  std::filesystem::create_directories(dir.path("notes/sub"));
  writeFile(dir.path("notes/sub/a.txt"), "not a document");
  const std::string empty = dir.path("empty"), notes = dir.path("notes");
  for (const auto& args : std::vector<std::vector<std::string>>{{"check", empty},
                                                                {"check", "--json", notes},
                                                                {"roster", empty, "--out", dir.path("r.csv")},
                                                                {"pdf", "--out-dir", dir.path("pdf"), notes}}) {
    SCOPED_TRACE(argsName(args, dir.dir().string()));
    CliRun r = cli(args);
    EXPECT_EQ(r.exit, 2) << args[0];
    EXPECT_EQ(r.out, "") << args[0];
    EXPECT_EQ(r.err, "未找到 .xdx 文档：" + args[args.size() - (args[0] == "roster" ? 3 : 1)] + "\n") << args[0];
  }
  EXPECT_FALSE(std::filesystem::exists(dir.path("r.csv")));
  // Beside documents, an empty folder still makes the run fail, and the
  // documents are checked all the same.
  CliRun both = cli({"check", fixture("sample.xdx"), empty, fixture("fresh-required.xdx")});
  EXPECT_EQ(both.exit, 2);
  EXPECT_EQ(both.err, "未找到 .xdx 文档：" + empty + "\n");
  EXPECT_EQ(both.out.rfind(fixture("fresh-required.xdx") + ": 01、关键词1  未填写\n", 0), 0u) << both.out;
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

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

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

TEST(Cli, FilesThatCannotBeWrittenAreNamedInTheMessage) {
  TempDir dir;
  const std::string out = dir.path("no/such/folder/x.xdx");
  writeFile(dir.path("r.json"), R"({"ProjectName":"课题","Presider":"王","ContactMail":"w@x.cn"})");
  for (const auto& args : std::vector<std::vector<std::string>>{{"resave", fixture("sample.xdx"), out},
                                                                {"import", dir.path("r.json"), out}}) {
    SCOPED_TRACE(argsName(args, dir.dir().string()));
    CliRun r = cli(args, "LC_ALL=C");
    EXPECT_EQ(r.exit, 2) << args[0];
    EXPECT_EQ(r.err, out + "：无法写入文件“" + out + "”：No such file or directory\n") << args[0];
  }
#ifdef _WIN32
  // Windows' C library tells system errors in English only.
  CliRun missing = cli({"import", dir.path("none.json"), dir.path("x.xdx")});
  EXPECT_EQ(missing.exit, 2);
  EXPECT_EQ(missing.err, dir.path("none.json") + "：无法读取文件：No such file or directory\n");
#else
  CliRun missing = cli({"import", dir.path("none.json"), dir.path("x.xdx")}, "LC_ALL=C.UTF-8 LANGUAGE=zh_CN");
  EXPECT_EQ(missing.exit, 2);
  EXPECT_EQ(missing.err, dir.path("none.json") + "：无法读取文件：没有那个文件或目录\n");
#endif
}

TEST(Cli, ImportRefusesInvalidJsonWithItsPosition) {
  TempDir dir;
  struct Case {
    std::string json;
    std::string line;  // the message's start after the path
  } cases[] = {
      {R"({"PASSBY": 1-2})", "JSON 格式错误（第 1 行第 14 列）："},
      {"{\"ProjectName\": \"课题\",\n \"ProjectName\": \"又一个\"}",
       "JSON 格式错误（第 2 行第 2 列）：键“ProjectName”重复\n"},
      {"[]", "JSON 格式错误（第 1 行第 1 列）：应为一个 JSON 对象\n"},
      // The parser stopped at a NUL as at the end and took what followed.
      {std::string(R"({"ProjectName":"课题","Presider":"王","ContactMail":"w@x.cn"})") + '\0' + " ]]]",
       "JSON 格式错误（第 1 行第 59 列）：含有空字符（NUL）\n"},
      // A key of a megabyte is quoted by its first 60 characters.
      {"{\"" + std::string(1 << 20, 'k') + "\":1,\"" + std::string(1 << 20, 'k') + "\":2}",
       "JSON 格式错误（第 1 行第 1048583 列）：键“" + std::string(60, 'k') + "…”重复\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(rowName(c.json));
    writeFile(dir.path("in.json"), c.json);
    CliRun r = cli({"import", dir.path("in.json"), dir.path("out.xdx")});
    EXPECT_EQ(r.exit, 2) << c.json;
    EXPECT_EQ(r.err.rfind(dir.path("in.json") + "：" + c.line, 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.path("out.xdx"))) << c.json;
  }
  // Standard input (empty here) is named "-".
  CliRun piped = cli({"import", "-", dir.path("out.xdx")});
  EXPECT_EQ(piped.exit, 2);
  EXPECT_EQ(piped.err.rfind("-：JSON 格式错误（第 1 行第 1 列）：", 0), 0u) << piped.err;
}

namespace {

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

#ifdef _WIN32

// A member of a zip file, read with zlib: Windows has no unzip to run. The
// central directory at the end gives each member's sizes and where its
// local header lies; the data follows that header. Empty when not found.
std::string unzipped(const std::string& zip, const std::string& member) {
  const std::string bytes = readFile(zip);
  auto u16 = [&](std::size_t at) -> std::size_t {
    return static_cast<unsigned char>(bytes.at(at)) | static_cast<unsigned char>(bytes.at(at + 1)) << 8;
  };
  auto u32 = [&](std::size_t at) -> std::size_t { return u16(at) | u16(at + 2) << 16; };
  const std::size_t end = bytes.rfind("PK\x05\x06");
  if (end == std::string::npos) return {};
  std::size_t at = u32(end + 16);
  for (std::size_t i = 0, count = u16(end + 10); i < count; ++i) {
    const std::size_t method = u16(at + 10), packed = u32(at + 20), size = u32(at + 24);
    const std::size_t local = u32(at + 42);
    const std::string name = bytes.substr(at + 46, u16(at + 28));
    at += 46 + u16(at + 28) + u16(at + 30) + u16(at + 32);
    if (name != member) continue;
    const std::size_t data = local + 30 + u16(local + 26) + u16(local + 28);
    if (method == 0) return bytes.substr(data, size);
    std::string out(size, '\0');
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return {};
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data() + data));
    z.avail_in = static_cast<uInt>(packed);
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(size);
    const int inflated = inflate(&z, Z_FINISH);
    inflateEnd(&z);
    return inflated == Z_STREAM_END ? out : std::string();
  }
  return {};
}

#else

std::string unzipped(const std::string& zip, const std::string& member) {
  std::string out;
  FILE* pipe = popen(("unzip -p " + quote(zip) + " " + quote(member)).c_str(), "r");
  char buf[4096];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  pclose(pipe);
  return out;
}

#endif

std::string attribute(xmlNode* n, const char* name) {
  xmlChar* v = xmlGetProp(n, reinterpret_cast<const xmlChar*>(name));
  std::string s = v ? reinterpret_cast<const char*>(v) : "";
  xmlFree(v);
  return s;
}

std::string textOf(xmlNode* n) {
  xmlChar* v = xmlNodeGetContent(n);
  std::string s = v ? reinterpret_cast<const char*>(v) : "";
  xmlFree(v);
  return s;
}

template <typename F>
void eachElement(xmlNode* n, const F& f) {
  for (; n; n = n->next)
    if (n->type == XML_ELEMENT_NODE) {
      f(n);
      eachElement(n->children, f);
    }
}

SheetContent readWorkbook(const std::string& path) {
  auto parse = [](const std::string& xml) {
    return std::unique_ptr<xmlDoc, void (*)(xmlDoc*)>(
        xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr, 0), xmlFreeDoc);
  };
  auto strings = parse(unzipped(path, "xl/sharedStrings.xml"));
  auto sheet = parse(unzipped(path, "xl/worksheets/sheet1.xml"));
  SheetContent content;
  if (!strings || !sheet) return content;
  std::vector<std::string> shared;
  eachElement(xmlDocGetRootElement(strings.get()), [&](xmlNode* n) {
    if (std::string_view(reinterpret_cast<const char*>(n->name)) == "si") shared.push_back(textOf(n));
  });
  eachElement(xmlDocGetRootElement(sheet.get()), [&](xmlNode* n) {
    const std::string_view name = reinterpret_cast<const char*>(n->name);
    if (name == "pane")
      content.frozen = attribute(n, "ySplit") + " " + attribute(n, "topLeftCell") + " " + attribute(n, "state");
    if (name == "autoFilter") content.filter = attribute(n, "ref");
    if (name != "c") return;
    SheetCell cell{attribute(n, "t"), textOf(n)};
    if (cell.type.empty()) cell.type = "n";
    if (cell.type == "s") cell.value = shared.at(std::stoul(cell.value));
    content.cells[attribute(n, "r")] = cell;
  });
  return content;
}

}  // namespace

TEST(Cli, RosterListsEveryDocumentAsWorkbookAndCsv) {
  TempDir dir;
  layOut(dir, {{"sample.xdx", "in/a.xdx"}, {"formal.xdx", "in/b.xdx"}, {"wrong-version.xdx", "in/late/c.xdx"}});
  // Identifiers with leading zeros, a name with a comma and quotes, an amount
  // with decimals and one that is no number.
  writeFile(dir.path("in/late/d.xdx"),
            document("<ver>VL2011v1.0</ver><SN>007</SN><ProjectName>“双减”, 课后\"服务\"</ProjectName>"
                     "<ContactMobile>01062345678</ContactMobile><ApplyOutlay>12.5</ApplyOutlay>"
                     "<OutlayAccounts>约十万</OutlayAccounts><ExpectCompleteDate>201406</ExpectCompleteDate>"));
  const std::string a = dir.path("in/a.xdx"), b = dir.path("in/b.xdx"), c = dir.path("in/late/c.xdx"),
                    d = dir.path("in/late/d.xdx");

  const CliRun checked = cli({"check", d});
  const std::string problemsOfD = std::to_string(std::count(checked.out.begin(), checked.out.end(), '\n'));

  CliRun x = cli({"roster", dir.path("in"), "--out", dir.path("r.xlsx")});
  EXPECT_EQ(x.exit, 2);  // as check: one document was refused
  EXPECT_EQ(x.err, c + "：您选择的文档不是用本申报系统生成的\n");
  EXPECT_EQ(x.out, "");
  SheetContent sheet = readWorkbook(dir.path("r.xlsx"));
  EXPECT_EQ(sheet.frozen, "1 A2 frozen");
  EXPECT_EQ(sheet.filter, "A1:S5");
  auto s = [](std::string v) { return SheetCell{"s", std::move(v)}; };
  auto n = [](std::string v) { return SheetCell{"n", std::move(v)}; };
  const std::vector<std::pair<std::string, SheetCell>> expected = {
      {"A1", s("file")},
      {"B1", s("status")},
      {"C1", s("problems")},
      {"D1", s("formal")},
      {"E1", s("SN")},
      {"F1", s("ProjectName")},
      {"N1", s("ApplyOutlay")},
      {"R1", s("ContactMobile")},
      {"S1", s("messages")},
      // Rows in name order: a, b, then the subfolder's c and d.
      {"A2", s(a)},
      {"B2", s("complete")},
      {"C2", n("0")},
      {"D2", {"b", "0"}},
      {"E2", s("BJA110012")},
      {"F2", s("区域推进中小学学习共同体建设的实践研究")},
      {"G2", s("王晓燕")},
      {"H2", s("北京师范大学教育学部")},
      {"I2", s("A.北京市")},
      {"J2", s("A.教育部直属高等院校")},
      {"K2", s("B.国家一般课题")},
      {"L2", s("H.基础教育")},
      {"M2", s("B.应用研究")},
      {"N2", n("12")},
      {"O2", n("120000")},
      {"P2", s("201312")},
      {"Q2", s("wangxy@example.cn")},
      {"R2", s("13800000000")},
      {"A3", s(b)},
      {"D3", {"b", "1"}},
      {"E3", s("BJA110099")},
      {"A4", s(c)},
      {"B4", s("refused")},
      {"S4", s("您选择的文档不是用本申报系统生成的")},
      {"A5", s(d)},
      {"B5", s("problems")},
      {"C5", n(problemsOfD)},
      {"D5", {"b", "0"}},
      {"E5", s("007")},
      {"F5", s("“双减”, 课后\"服务\"")},
      {"N5", n("12.5")},
      {"O5", s("约十万")},
      {"P5", s("201406")},
      {"R5", s("01062345678")},
  };
  for (const auto& [ref, cell] : expected) {
    SCOPED_TRACE(ref);
    ASSERT_TRUE(sheet.cells.count(ref)) << ref;
    EXPECT_EQ(sheet.cells[ref], cell) << ref << ": " << sheet.cells[ref].type << " " << sheet.cells[ref].value;
  }
  // A refused document has nothing but its file, status and message; empty
  // fields are no cells at all.
  for (const char* empty : {"C4", "D4", "E4", "F4", "R4", "S2", "G5", "Q5"}) {
    SCOPED_TRACE(empty);
    EXPECT_FALSE(sheet.cells.count(empty)) << empty;
  }

  CliRun csv = cli({"roster", a, c, d, "--out", dir.path("r.csv")});
  EXPECT_EQ(csv.exit, 2);
  const std::string fields =
      ",SN,ProjectName,Presider,Department,BelongCity,BelongSystem,ProjectClass,SubjectClass,"
      "ResearchClass,ApplyOutlay,OutlayAccounts,ExpectCompleteDate,ContactMail,ContactMobile,";
  EXPECT_EQ(
      readFile(dir.path("r.csv")),
      "\xEF\xBB\xBF"
      "file,status,problems,formal" +
          fields + "messages\r\n" + a +
          ",complete,0,FALSE,BJA110012,区域推进中小学学习共同体建设的实践研究,王晓燕,北京师范大学教育学部,A.北京市,"
          "A.教育部直属高等院校,B.国家一般课题,H.基础教育,B.应用研究,12,120000,201312,wangxy@example.cn,13800000000,"
          "\r\n" +
          c + ",refused,,,,,,,,,,,,,,,,,您选择的文档不是用本申报系统生成的\r\n" + d + ",problems," + problemsOfD +
          ",FALSE,007,\"“双减”, 课后\"\"服务\"\"\",,,,,,,,12.5,约十万,201406,,01062345678,\r\n");

  // Only .xlsx and .csv; a table that cannot be written leaves nothing behind.
  CliRun other = cli({"roster", a, "--out", dir.path("r.ods")});
  EXPECT_EQ(other.exit, 2);
  EXPECT_EQ(other.err, dir.path("r.ods") + "：名册只能写成 .xlsx 或 .csv 文件\n");
  for (const char* name : {"no/such/r.xlsx", "no/such/r.csv"}) {
    SCOPED_TRACE(name);
    CliRun failed = cli({"roster", a, "--out", dir.path(name)}, "LC_ALL=C");
    EXPECT_EQ(failed.exit, 2) << name;
    EXPECT_EQ(failed.err, dir.path(name) + "：无法写入文件“" + dir.path(name) + "”：No such file or directory\n");
  }
  EXPECT_FALSE(std::filesystem::exists(dir.path("no")));
  CliRun complete = cli({"roster", a, b, "--out", dir.path("ok.xlsx")});
  EXPECT_EQ(complete.exit, 0) << complete.err;
  EXPECT_EQ(readWorkbook(dir.path("ok.xlsx")).filter, "A1:S3");
}

TEST(Cli, PdfOutDirRefusesDocumentsThatWouldWriteTheSameFile) {
#ifndef VELMORA_CLI_PDF
  GTEST_SKIP() << "built without the printed form";
#endif
  TempDir dir;
  layOut(dir, {{"sample.xdx", "a/x.xdx"},
               {"formal.xdx", "b/x.xdx"},
               {"fresh-required.xdx", "b/y.xdx"},
               {"sample.xdx", "c/x.XDX"},
               {"formal.xdx", "d/x.xdx"}});
  const std::string a = dir.path("a"), b = dir.path("b"), ax = dir.path("a/x.xdx"), bx = dir.path("b/x.xdx"),
                    by = dir.path("b/y.xdx"), cx = dir.path("c/x.XDX"), dx = dir.path("d/x.xdx");
  const std::string out = dir.path("out"), outX = dir.path("out/x.pdf");
  struct Case {
    std::vector<std::string> inputs;
    std::string err;  // empty: no collision, every PDF written
  } cases[] = {
      // Files given by name keep only their name: both would be out/x.pdf.
      {{ax, bx}, outX + "：多个文档会写成这同一个文件：" + ax + "、" + bx + "；未写入任何文件\n"},
      // A file beside a folder that holds a document of that name.
      {{a, bx}, outX + "：多个文档会写成这同一个文件：" + ax + "、" + bx + "；未写入任何文件\n"},
      // Two folders with documents of one name, one of them with another
      // case of the extension.
      {{a, dir.path("c")}, outX + "：多个文档会写成这同一个文件：" + ax + "、" + cx + "；未写入任何文件\n"},
      // Two pairs at once: each output one line.
      {{ax, by, bx, dx}, outX + "：多个文档会写成这同一个文件：" + ax + "、" + bx + "、" + dx + "；未写入任何文件\n"},
      {{ax, by}, ""},
      // One document given twice is one document.
      {{ax, ax, by}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(argsName(c.inputs, dir.dir().string()));
    std::filesystem::remove_all(out);
    std::vector<std::string> args{"pdf", "--out-dir", out};
    args.insert(args.end(), c.inputs.begin(), c.inputs.end());
    CliRun r = cli(args);
    if (c.err.empty()) {
      EXPECT_EQ(r.exit, 0) << r.err;
      EXPECT_TRUE(std::filesystem::exists(out + "/x.pdf") && std::filesystem::exists(out + "/y.pdf"));
      continue;
    }
    EXPECT_EQ(r.exit, 2) << c.err;
    EXPECT_EQ(r.err, c.err);
    // Refused before anything is written: not even the output folder.
    EXPECT_FALSE(std::filesystem::exists(out)) << c.err;
  }
}

#ifndef _WIN32
// File modes and users are Linux's.

namespace {

// Runs velmora-cli where file permissions apply: as itself, or as the user
// "nobody" when the tests run as root (root reads whatever the permissions
// say). Then the programs are copied into `dir`, which every user can
// reach, wherever the build tree lies.
CliRun cliWhereModesApply(const TempDir& dir, const std::vector<std::string>& args, const std::string& env = "") {
  if (::geteuid() != 0) return cli(args, env);
  const std::string bin = dir.path("bin");
  std::filesystem::create_directories(bin);
  ::chmod(bin.c_str(), 0755);
  for (const std::filesystem::path& program :
       {std::filesystem::path(VELMORA_CLI), std::filesystem::path(VELMORA_CLI).parent_path() / "velmora-print"})
    if (std::filesystem::exists(program))
      std::filesystem::copy_file(program, bin + "/" + program.filename().string(),
                                 std::filesystem::copy_options::overwrite_existing);
  return cliWith({env, "", "", "setpriv --reuid=65534 --regid=65534 --clear-groups " + quote(bin + "/velmora-cli")},
                 args);
}

}  // namespace

TEST(Cli, BatchesReportEveryUnreadableFileAndFolder) {
  TempDir dir;
  ::chmod(dir.dir().c_str(), 0755);
  // in/ holds a complete document, a folder that cannot be read at all, a
  // folder that can be listed but not entered, and a document that cannot
  // be read.
  layOut(dir, {{"sample.xdx", "in/a.xdx"},
               {"fresh-required.xdx", "in/locked/b.xdx"},
               {"fresh-required.xdx", "in/listed/c.xdx"},
               {"sample.xdx", "in/d.xdx"}});
  std::filesystem::create_directories(dir.path("in/listed/deeper"));
  // A link to a document in the folder that cannot be read.
  std::filesystem::create_symlink(dir.path("in/locked/b.xdx"), dir.path("in/e.xdx"));
  std::filesystem::create_directories(dir.path("w"));
  ::chmod(dir.path("w").c_str(), 0777);  // where nobody may write
  ::chmod(dir.path("in/d.xdx").c_str(), 0);
  ::chmod(dir.path("in/locked").c_str(), 0);
  ::chmod(dir.path("in/listed").c_str(), 0444);
  const std::string in = dir.path("in"), locked = dir.path("in/locked");
  const std::string denied = "Permission denied";
  // One line per folder, in name order, before the documents' own lines.
  const std::string folderLines =
      dir.path("in/listed") + "：无法读取文件夹：" + denied + "\n" + locked + "：无法读取文件夹：" + denied + "\n";
  // Documents found are opened and report their own errors as always.
  const std::string unreadableDocuments = dir.path("in/d.xdx") + "：无法打开文件“" + dir.path("in/d.xdx") + "”：" +
                                          denied + "\n" + dir.path("in/e.xdx") + "：无法打开文件“" +
                                          dir.path("in/e.xdx") + "”：" + denied + "\n";
  struct Case {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"check", in}, folderLines + unreadableDocuments},
      {{"check", "--json", in}, folderLines},
      {{"roster", in, "--out", dir.path("w/r.csv")}, folderLines + unreadableDocuments},
      // An unreadable folder given by name is no folder "without documents".
      {{"check", locked}, locked + "：无法读取文件夹：" + denied + "\n"},
#ifdef VELMORA_CLI_PDF
      {{"pdf", "--out-dir", dir.path("w/pdf"), in}, folderLines + unreadableDocuments},
#endif
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(argsName(c.args, dir.dir().string()));
    CliRun r = cliWhereModesApply(dir, c.args, "LC_ALL=C");
    EXPECT_EQ(r.exit, 2) << c.args[0] << " " << c.args[1];
    EXPECT_EQ(r.err, c.err) << c.args[0] << " " << c.args[1];
  }
  // What could be read was done all the same.
  CliRun json = cliWhereModesApply(dir, {"check", "--json", in}, "LC_ALL=C");
  EXPECT_NE(json.out.find("\"file\":\"" + dir.path("in/a.xdx") + "\",\"status\":\"complete\""), std::string::npos)
      << json.out;
#ifdef VELMORA_CLI_PDF
  EXPECT_TRUE(std::filesystem::exists(dir.path("w/pdf/a.pdf")));
#endif
  for (const char* folder : {"in/locked", "in/listed"}) ::chmod(dir.path(folder).c_str(), 0755);
}

#endif

TEST(Cli, OutputsNeverReplaceAnInputOrADocument) {
  TempDir dir;
  const std::string doc = dir.path("doc.xdx"), other = dir.path("other.xdx");
  const std::string sample = readFile(fixture("sample.xdx")), formal = readFile(fixture("formal.xdx"));
  const std::string json = R"({"ProjectName":"课题","Presider":"王","ContactMail":"w@x.cn"})";
  // Documents, a document under another name, links to documents, and JSON
  // to import; laid out afresh for each case.
  auto layOutAfresh = [&] {
    for (const auto& [name, bytes] : std::vector<std::pair<std::string, std::string>>{{"doc.xdx", sample},
                                                                                      {"other.xdx", formal},
                                                                                      {"in/x.xdx", sample},
                                                                                      {"named.pdf", sample},
                                                                                      {"named.csv", formal},
                                                                                      {"r.json", json}}) {
      std::filesystem::create_directories(std::filesystem::path(dir.path(name)).parent_path());
      writeFile(dir.path(name), bytes);
    }
    for (const auto& [target, name] :
         std::vector<std::pair<std::string, std::string>>{{doc, "link.pdf"},
                                                          {doc, "link.csv"},
                                                          {dir.path("in/x.xdx"), "in/x.pdf"},
                                                          {dir.path("r.json"), "r-link.xdx"}}) {
      std::filesystem::remove(dir.path(name));
      linkTo(target, dir.path(name));
    }
  };

  const std::string isInput = "：就是要读的文件“", isDocument = "：是申报文档，不能覆盖\n";
  struct Case {
    std::vector<std::string> args;
    std::string err;      // the message line
    std::string kept;     // the file that must stay as it was
    std::string content;  // its content
    bool pdf = false;     // needs the printed form
  } cases[] = {
      {{"pdf", doc, doc}, doc + isInput + doc + "”，不能覆盖\n", doc, sample, true},
      {{"pdf", doc, dir.path("link.pdf")}, dir.path("link.pdf") + isInput + doc + "”，不能覆盖\n", doc, sample, true},
      {{"pdf", doc, other}, other + isDocument, other, formal, true},
      {{"pdf", doc, dir.path("named.pdf")}, dir.path("named.pdf") + isDocument, dir.path("named.pdf"), sample, true},
      // In a batch only that document is refused; the others are printed.
      {{"pdf", "--out-dir", dir.path("in"), dir.path("in/x.xdx")},
       dir.path("in/x.pdf") + isInput + dir.path("in/x.xdx") + "”，不能覆盖\n",
       dir.path("in/x.xdx"),
       sample,
       true},
      {{"roster", doc, "--out", dir.path("link.csv")},
       dir.path("link.csv") + isInput + doc + "”，不能覆盖\n",
       doc,
       sample},
      {{"roster", doc, "--out", dir.path("named.csv")},
       dir.path("named.csv") + isDocument,
       dir.path("named.csv"),
       formal},
      {{"import", dir.path("r.json"), dir.path("r.json")},
       dir.path("r.json") + isInput + dir.path("r.json") + "”，不能覆盖\n",
       dir.path("r.json"),
       json},
      {{"import", dir.path("r.json"), dir.path("r-link.xdx")},
       dir.path("r-link.xdx") + isInput + dir.path("r.json") + "”，不能覆盖\n",
       dir.path("r.json"),
       json},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(argsName(c.args, dir.dir().string()));
#ifndef VELMORA_CLI_PDF
    if (c.pdf) continue;
#endif
    layOutAfresh();
    CliRun r = cli(c.args);
    EXPECT_EQ(r.exit, 2) << c.args[0] << " " << c.args.back();
    EXPECT_EQ(r.err, c.err) << c.args[0] << " " << c.args.back();
    EXPECT_EQ(readFile(c.kept), c.content) << c.args[0] << " " << c.args.back();
  }
  // Standard input opened from the very file named as the output (on
  // Windows too, where it has no such name).
  layOutAfresh();
  RunOptions fromJson;
  fromJson.cwd = dir.dir().string();
  fromJson.inputFile = dir.path("r.json");
  const CliRun stdinRun = cliWith(fromJson, {"import", "-", "r.json"});
  EXPECT_EQ(stdinRun.exit, 2);
  EXPECT_EQ(stdinRun.err, "r.json：就是要读的文件“/dev/stdin”，不能覆盖\n");
  EXPECT_EQ(readFile(dir.path("r.json")), json);
  // A document replaces only a document, and never the one it is read from
  // (resave IN IN, also through a link); a text, a picture or no name at all
  // is refused.
  layOutAfresh();
  writeFile(dir.path("notes.txt"), "notes");
  writeFile(dir.path("cover.png"), "\x89PNG");
  linkTo(doc, dir.path("doc-link.xdx"));
  struct Refused {
    std::vector<std::string> args;
    std::string err;
  } refusals[] = {
      {{"resave", doc, doc}, doc + isInput + doc + "”，不能覆盖\n"},
      {{"resave", doc, dir.path("doc-link.xdx")}, dir.path("doc-link.xdx") + isInput + doc + "”，不能覆盖\n"},
      {{"resave", doc, dir.path("cover.png")}, dir.path("cover.png") + "：不是申报文档，不能覆盖\n"},
      {{"import", dir.path("r.json"), dir.path("notes.txt")}, dir.path("notes.txt") + "：不是申报文档，不能覆盖\n"},
      {{"import", dir.path("r.json"), ""}, "velmora-cli：输出文件名为空\n"},
      {{"resave", doc, ""}, "velmora-cli：输出文件名为空\n"},
  };
  for (const Refused& c : refusals) {
    SCOPED_TRACE(argsName(c.args, dir.dir().string()));
    CliRun r = cli(c.args);
    EXPECT_EQ(r.exit, 2) << c.args[0] << " " << c.args.back();
    EXPECT_EQ(r.err, c.err);
  }
  EXPECT_EQ(readFile(doc), sample);
  EXPECT_EQ(readFile(dir.path("notes.txt")), "notes");
  EXPECT_EQ(readFile(dir.path("cover.png")), "\x89PNG");
  // Another document is replaced, as the save button replaces it.
  EXPECT_EQ(cli({"resave", doc, other}).exit, 0);
  EXPECT_NE(readFile(other), formal);
  EXPECT_EQ(cli({"import", dir.path("r.json"), other}).exit, 0);
}

TEST(Cli, NothingOfAFileThatIsNoXmlDocumentIsQuoted) {
  using namespace std::string_literals;
  TempDir dir;
  const std::string secret = "s3cr3t-Passw0rd";
  struct Case {
    std::string name;
    std::string bytes;
    std::string message;
  } cases[] = {
      {"text", "root:" + secret + ":19000:0:99999:7:::\n", "不是 XML 文档，不是申报文档"},
      {"blank lines first", "\n\n  " + secret + "\n", "不是 XML 文档，不是申报文档"},
      {"byte-order mark", "\xEF\xBB\xBF" + secret, "不是 XML 文档，不是申报文档"},
      // Bytes no encoding decodes: libxml2's reason names them.
      {"undecodable", "\xC0\x80" + secret, "不是 XML 文档，不是申报文档"},
      {"binary", "\0\x01\x02"s + secret, "不是 XML 文档，不是申报文档"},
      {"empty", "", "文件为空，不是申报文档"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    writeFile(dir.path(c.name), c.bytes);
    const std::string link = dir.path(c.name + ".xdx");
    linkTo(dir.path(c.name), link);
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"check", link}, {"check", "--json", link}, {"dump", link}}) {
      SCOPED_TRACE(argsName(args, dir.dir().string()));
      CliRun r = cli(args);
      EXPECT_EQ(r.exit, 2) << c.name;
      EXPECT_EQ((r.out + r.err).find(secret), std::string::npos) << c.name << ": " << r.out << r.err;
      const std::string expected = args[1] == "--json" ? "{\"file\":\"" + jsonText(link) +
                                                             "\",\"status\":\"refused\",\"formal\":false,"
                                                             "\"problems\":[],\"messages\":[\"" +
                                                             c.message + "\"]}\n"
                                                       : "";
      EXPECT_EQ(r.out, expected) << c.name;
      EXPECT_EQ(r.err, args[1] == "--json" ? "" : link + "：" + c.message + "\n") << c.name;
    }
  }
  // An XML document that is broken is quoted where it broke, as before.
  writeFile(dir.path("broken"), "<?xml version=\"1.0\"?>\n<XMLPackage><ver>" + secret + "</vr></XMLPackage>");
  CliRun xml = cli({"check", dir.path("broken")});
  EXPECT_NE(xml.err.find("“<XMLPackage><ver>" + secret), std::string::npos) << xml.err;
}

TEST(Cli, ImportReadsNoMoreThanItsLimitFromAnySource) {
  TempDir dir;
  const std::size_t limit = 64u * 1024 * 1024;
  // Valid JSON, padded with blanks to the size wanted; its name too long, so
  // that one within the limit is refused for that, not for its size.
  auto padded = [&](std::size_t size) {
    const std::string object =
        R"({"ProjectName":")" + std::string(300, 'x') + R"(","Presider":"王","ContactMail":"w@x.cn"})";
    return object + std::string(size - object.size(), ' ');
  };
  writeFile(dir.path("limit.json"), padded(limit));
  writeFile(dir.path("over.json"), padded(limit + 1));
  const std::string tooLarge = "JSON 过大，不是申报书（超过 64 MB）\n";
  const std::string tooLong = "ProjectName：超过 80 字节的长度限制（300 字节）\n";
  struct Case {
    std::string name;
    std::string file;
    std::string input;  // a shell command piped into standard input
    std::string err;    // after the file's name and "："
    std::string inputFile = "";
    bool endless = false;
  } cases[] = {
      {"a file at the limit", dir.path("limit.json"), "", tooLong},
      {"a file one byte over", dir.path("over.json"), "", tooLarge},
#ifndef _WIN32
      {"standard input at the limit", "-", "cat " + quote(dir.path("limit.json")), tooLong},
      {"standard input one byte over", "-", "cat " + quote(dir.path("over.json")), tooLarge},
      {"a device without end", "/dev/zero", "", tooLarge},
#endif
      {"standard input from a file at the limit", "-", "", tooLong, dir.path("limit.json")},
      {"standard input from a file one byte over", "-", "", tooLarge, dir.path("over.json")},
      // More than fits in memory several times over, through a pipe.
      {"standard input without end", "-", "", tooLarge, "", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RunOptions options;
    options.input = c.input;
    options.inputFile = c.inputFile;
    options.endlessInput = c.endless;
    CliRun r = cliWith(options, {"import", c.file, dir.path("out.xdx")});
    EXPECT_EQ(r.exit, 2) << c.name;
    EXPECT_EQ(r.err, c.file + "：" + c.err) << c.name;
    EXPECT_FALSE(std::filesystem::exists(dir.path("out.xdx"))) << c.name;
  }
}

#ifndef _WIN32
// FIFOs, and names that are bytes of no UTF-8, are Linux's.

// An output that is a FIFO is written into, and stays a FIFO: a script reads
// the document, the table or the PDF from it as it is made.
TEST(Cli, AFifoOutputIsWrittenIntoNotReplaced) {
  TempDir dir;
  writeFile(dir.path("r.json"), R"({"ProjectName":"课题","Presider":"王","ContactMail":"w@x.cn"})");
  layOut(dir, {{"sample.xdx", "doc.xdx"}});
  struct Case {
    std::vector<std::string> args;  // the output is "out"
    std::string starts;             // what the reader gets first
    bool pdf = false;
  } cases[] = {
      {{"import", "r.json", "out"}, "<?xml"},
      {{"resave", "doc.xdx", "out"}, "<?xml"},
      {{"roster", "doc.xdx", "--out", "out.csv"}, "\xEF\xBB\xBF"},
      {{"pdf", "doc.xdx", "out.pdf"}, "%PDF", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(argsName(c.args));
#ifndef VELMORA_CLI_PDF
    if (c.pdf) continue;
#endif
    const std::string out = dir.path(c.args.back());
    std::filesystem::remove(out);
    std::filesystem::remove(dir.path("got"));
    ASSERT_EQ(::mkfifo(out.c_str(), 0600), 0);
    std::string cmd = "cd " + quote(dir.dir().string()) + " && { timeout 60 cat " + quote(c.args.back()) +
                      " >got & } && " + quote(VELMORA_CLI);
    for (const auto& a : c.args) cmd += " " + quote(a);
    cmd += " 2>err; s=$?; wait; exit $s";
    const int status = std::system(cmd.c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0) << readFile(dir.path("err"));
    EXPECT_TRUE(readFile(dir.path("got")).starts_with(c.starts));
    EXPECT_EQ(std::filesystem::status(out).type(), std::filesystem::file_type::fifo);
  }
}

// Documents from Windows carry GBK names (张三.xdx as D5 C5 C8 FD). Such a
// name is kept as its bytes from the argument to the file written, shown
// decoded and marked, and never written into JSON or a workbook as bytes
// that are no UTF-8.
TEST(Cli, FileNamesThatAreNoUtf8) {
  TempDir dir;
  const std::string zhang = "\xD5\xC5\xC8\xFD", li = "\xC0\xEE\xCB\xC4";  // 张三, 李四 in GBK
  const std::string broken = "x\xFF";                                     // neither UTF-8 nor GBK
  layOut(dir, {{"sample.xdx", "in/" + zhang + ".xdx"},
               {"sample.xdx", "in/" + li + ".xdx"},
               {"wrong-version.xdx", "in/" + broken + ".xdx"}});

  // Every name shown, each differently, in UTF-8.
  CliRun check = cli({"check", "--json", dir.path("in")});
  EXPECT_EQ(check.exit, 2);
  std::vector<std::string> lines;
  std::istringstream out(check.out);
  for (std::string line; std::getline(out, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 3u) << check.out;
  const std::string zhangShown = dir.path("in/张三.xdx〔GBK〕"), liShown = dir.path("in/李四.xdx〔GBK〕");
  const std::string brokenShown = dir.path("in/x\\xFF.xdx");
  auto hex = [](const std::string& s) {
    std::string h;
    char b[3];
    for (unsigned char c : s) {
      std::snprintf(b, sizeof b, "%02x", c);
      h += b;
    }
    return h;
  };
  EXPECT_NE(check.out.find("\"file\":\"" + zhangShown + "\",\"file_bytes\":\"" + hex(dir.path("in/" + zhang + ".xdx")) +
                           "\""),
            std::string::npos)
      << check.out;
  EXPECT_NE(check.out.find("\"file\":\"" + liShown + "\""), std::string::npos) << check.out;
  // JSON writes the display's backslash as \\.
  EXPECT_NE(check.out.find("\"file\":\"" + dir.path("in/x\\\\xFF.xdx") + "\""), std::string::npos) << check.out;
  CliRun plain = cli({"check", dir.path("in")});
  EXPECT_EQ(plain.err.find('\xFF'), std::string::npos);
  EXPECT_NE(plain.err.find(brokenShown + "：您选择的文档不是用本申报系统生成的"), std::string::npos) << plain.err;

  // The workbook is valid UTF-8 XML and names every file.
  CliRun roster = cli({"roster", dir.path("in"), "--out", dir.path("r.xlsx")});
  EXPECT_EQ(roster.exit, 2) << roster.err;
  ASSERT_EQ(std::system(("cd " + quote(dir.dir().string()) + " && unzip -o -q r.xlsx -d x").c_str()), 0);
  const std::string strings = readFile(dir.path("x/xl/sharedStrings.xml"));
  xmlDocPtr parsed = xmlReadMemory(strings.data(), static_cast<int>(strings.size()), nullptr, nullptr, XML_PARSE_NONET);
  EXPECT_NE(parsed, nullptr) << "the workbook's shared strings are no valid XML";
  if (parsed) xmlFreeDoc(parsed);
  for (const std::string& shown : {zhangShown, liShown, brokenShown}) {
    SCOPED_TRACE(shortPath(shown, dir.dir().string()));
    EXPECT_NE(strings.find(shown), std::string::npos) << shown;
  }

#ifdef VELMORA_CLI_PDF
  // One PDF each, named by the documents' own bytes.
  CliRun pdf =
      cli({"pdf", "--out-dir", dir.path("pdf"), dir.path("in/" + zhang + ".xdx"), dir.path("in/" + li + ".xdx")});
  EXPECT_EQ(pdf.exit, 0) << pdf.err;
  EXPECT_TRUE(readFile(dir.path("pdf/" + zhang + ".pdf")).starts_with("%PDF-"));
  EXPECT_TRUE(readFile(dir.path("pdf/" + li + ".pdf")).starts_with("%PDF-"));
  CliRun one = cli({"pdf", dir.path("in/" + zhang + ".xdx"), dir.path("x\xFF.pdf")});
  EXPECT_EQ(one.exit, 0) << one.err;
  EXPECT_TRUE(readFile(dir.path("x\xFF.pdf")).starts_with("%PDF-"));
#endif
}

#endif

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

// Cells a spreadsheet would run as formulas are written as the text they
// are: a leading apostrophe in the CSV, string cells in the workbook. An
// amount that is a number, negative too, stays a number.
TEST(Cli, RosterCellsAreNeverFormulas) {
  TempDir dir;
  writeFile(dir.path("h.xdx"), document("<ver>VL2011v1.0</ver><SN>-2+3</SN>"
                                        "<ProjectName>=HYPERLINK(\"http://x.example/?\"&amp;A1,\"点\")</ProjectName>"
                                        "<Presider>@SUM(1+1)</Presider><Department>\t=1+1</Department>"
                                        "<ContactMobile>+8613800000000</ContactMobile><ApplyOutlay>-5</ApplyOutlay>"
                                        "<OutlayAccounts>-1+1</OutlayAccounts>"));
  CliRun csv = cli({"roster", dir.path("h.xdx"), "--out", dir.path("r.csv")});
  EXPECT_EQ(csv.exit, 1) << csv.err;
  const std::string table = readFile(dir.path("r.csv"));
  const std::string row = table.substr(table.find("\r\n") + 2);
  EXPECT_TRUE(row.starts_with(dir.path("h.xdx") + ",problems,")) << row;
  for (const std::string& cell :
       {std::string(",'-2+3,"),
        std::string(",\"'=HYPERLINK(\"\"http://x.example/?\"\"&A1,\"\"点\"\")\",'@SUM(1+1),'\t=1+1,"),
        std::string(",-5,'-1+1,"), std::string(",'+8613800000000,")}) {
    SCOPED_TRACE(rowName(cell));
    EXPECT_NE(row.find(cell), std::string::npos) << cell << " in " << row;
  }

  CliRun xlsx = cli({"roster", dir.path("h.xdx"), "--out", dir.path("r.xlsx")});
  EXPECT_EQ(xlsx.exit, 1) << xlsx.err;
  SheetContent sheet = readWorkbook(dir.path("r.xlsx"));
  for (const char* ref : {"E2", "F2", "G2", "H2", "N2", "O2", "R2"}) {
    SCOPED_TRACE(ref);
    ASSERT_TRUE(sheet.cells.count(ref)) << ref;
    EXPECT_EQ(sheet.cells[ref].type, "s") << ref << " " << sheet.cells[ref].value;  // never a formula
  }
  EXPECT_EQ(sheet.cells["F2"].value, "=HYPERLINK(\"http://x.example/?\"&A1,\"点\")");
}

// A workbook cell holds at most 32 767 characters; libxlsxwriter left a longer
// one empty without a word. Its beginning is written and the cell named; the
// CSV keeps the whole text.
TEST(Cli, AWorkbookCellTooLongIsCutAndNamed) {
  TempDir dir;
  const std::string title(40000, 'T');
  writeFile(dir.path("long.xdx"), document("<ver>VL2011v1.0</ver><ProjectName>" + title + "</ProjectName>"));
  CliRun x = cli({"roster", dir.path("long.xdx"), "--out", dir.path("r.xlsx")});
  EXPECT_EQ(x.exit, 1) << x.err;  // the document's problems, no refusal
  EXPECT_EQ(x.err, dir.path("r.xlsx") +
                       "：单元格 F2（ProjectName）超过 32767 个字符，只写入了前 32767 个；CSV 名册保留全文\n");
  SheetContent sheet = readWorkbook(dir.path("r.xlsx"));
  EXPECT_EQ(sheet.cells["F2"].value, std::string(32767, 'T'));
  CliRun csv = cli({"roster", dir.path("long.xdx"), "--out", dir.path("r.csv")});
  EXPECT_EQ(csv.err, "");
  EXPECT_NE(readFile(dir.path("r.csv")).find("," + title + ","), std::string::npos);
}

// A document is one row, one line, one PDF however many names lead to it; a
// link to a folder is followed once; what a folder holds under a document's
// name but cannot be read as one is named, not passed over.
TEST(Cli, EachFileOnceAndEveryEntryAccountedFor) {
  TempDir dir;
  layOut(dir, {{"sample.xdx", "tree/a/x.xdx"}, {"formal.xdx", "tree/b/y.xdx"}, {"sample.xdx", "outside/z.xdx"}});
  const std::string x = dir.path("tree/a/x.xdx");

  CliRun twice = cli({"check", "--json", x, x, dir.path("tree/a")});
  EXPECT_EQ(std::count(twice.out.begin(), twice.out.end(), '\n'), 1) << twice.out;

#ifndef _WIN32
  // Links to folders, dangling links and FIFOs are Linux's.
  std::filesystem::create_directory_symlink(dir.path("tree/a"), dir.path("tree/c-link-inside"));
  std::filesystem::create_directory_symlink(dir.path("outside"), dir.path("tree/d-link-outside"));
  std::filesystem::create_directory_symlink(dir.path("tree"), dir.path("tree/b/loop"));
  CliRun tree = cli({"check", "--json", dir.path("tree")});
  EXPECT_EQ(tree.exit, 0) << tree.err;
  EXPECT_EQ(std::count(tree.out.begin(), tree.out.end(), '\n'), 3) << tree.out;  // x, y, z: each once
  EXPECT_NE(tree.out.find(dir.path("tree/d-link-outside/z.xdx")), std::string::npos) << tree.out;

  // A dangling link and a FIFO with a document's name: one line each, exit 2.
  std::filesystem::create_symlink(dir.path("gone.xdx"), dir.path("tree/b/dangling.xdx"));
  ASSERT_EQ(::mkfifo(dir.path("tree/b/pipe.xdx").c_str(), 0600), 0);
  CliRun skipped = cli({"roster", dir.path("tree"), "--out", dir.path("r.csv")});
  EXPECT_EQ(skipped.exit, 2);
  EXPECT_EQ(skipped.err, dir.path("tree/b/dangling.xdx") + "：跳过：链接指向的文件不存在\n" +
                             dir.path("tree/b/pipe.xdx") + "：跳过：不是普通文件，不是申报文档\n");
  const std::string table = readFile(dir.path("r.csv"));
  EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 4) << table;  // the header and three rows
#endif
}

// The workbook's temporary lies beside the output, named and cleaned as a
// save's: a killed run left a megabyte in /tmp for good. TMPDIR plays no part.
TEST(Cli, TheWorkbooksTemporaryLiesBesideIt) {
  TempDir dir;
  layOut(dir, {{"sample.xdx", "a.xdx"}});
  std::filesystem::create_directories(dir.path("out"));
  CliRun r =
      cli({"roster", dir.path("a.xdx"), "--out", dir.path("out/r.xlsx")}, "TMPDIR=" + dir.path("no-such-folder"));
  EXPECT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(readWorkbook(dir.path("out/r.xlsx")).cells["F2"].value, "区域推进中小学学习共同体建设的实践研究");
  for (const auto& e : std::filesystem::directory_iterator(dir.path("out")))
    EXPECT_EQ(e.path().filename(), "r.xlsx");  // nothing left beside it
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

// pdf runs the printing program found beside velmora-cli with the document,
// the PDF and the paper exactly as they were given, once per document of a
// batch, and fails when it fails; without that program it says so and
// writes nothing. A stand-in that writes down its arguments prints here.
TEST(Cli, PdfRunsThePrintingProgramWithItsArgumentsIntact) {
  TempDir dir;
  const std::string copy = dir.path(std::string("bin/velmora-cli") + kExe);
  std::filesystem::create_directories(dir.path("bin"));
  std::filesystem::create_directories(fsPath(dir.path("out")));
  std::filesystem::copy_file(fsPath(VELMORA_CLI), fsPath(copy));
  RunOptions beside;
  beside.program = programAt(copy);

  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"pdf", fixture("sample.xdx"), dir.path("none.pdf")},
                                             {"pdf", "--out-dir", dir.path("none"), fixture("sample.xdx")}}) {
    SCOPED_TRACE(argsName(args, dir.dir().string()));
    CliRun missing = cliWith(beside, args);
    EXPECT_EQ(missing.exit, 2);
    EXPECT_EQ(missing.err, "velmora-cli：找不到打印程序 velmora-print\n");
    EXPECT_FALSE(std::filesystem::exists(dir.path("none.pdf")));
    EXPECT_FALSE(std::filesystem::exists(dir.path("none")));
  }

  std::filesystem::copy_file(fsPath(VELMORA_PRINT_STAND_IN), fsPath(dir.path(std::string("bin/velmora-print") + kExe)));
  struct Case {
    std::string in;  // need not exist: the stand-in does not read it
    std::string out;
    std::string paper;  // empty: not given
    int exit;
  } cases[] = {
      {"plain.xdx", "plain.pdf", "", 0},
      {"with blanks\tand a tab.xdx", "out with blanks.pdf", "letter", 0},
      {"a \"quoted\" name.xdx", "quoted.pdf", "", 0},
      {"back\\\\slashes\\\" before \\quotes\\", "backslashes.pdf", "", 0},
      {"ends in a backslash\\", "ends.pdf", "", 0},
      {"", "empty.pdf", "", 0},
      {"申报 书.xdx", "申报 书.pdf", "a4", 0},
      {"refuse this.xdx", "refused.pdf", "", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(rowName(c.in));
    const std::string out = dir.path("out/" + c.out);
    std::vector<std::string> args = {"pdf"};
    if (!c.paper.empty()) args.insert(args.end(), {"--paper", c.paper});
    args.insert(args.end(), {c.in, out});
    CliRun r = cliWith(beside, args);
    EXPECT_EQ(r.exit, c.exit) << r.err;
    EXPECT_EQ(readFile(out), c.in + '\0' + out + '\0' + (c.paper.empty() ? "a4" : c.paper) + '\0');
  }

  layOut(dir, {{"sample.xdx", "in/a.xdx"}, {"formal.xdx", "in/子 目录/b.xdx"}});
  CliRun batch = cliWith(beside, {"pdf", "--paper", "letter", "--out-dir", dir.path("pdf 输出"), dir.path("in")});
  EXPECT_EQ(batch.exit, 0) << batch.err;
  for (const auto& [document, pdf] : std::vector<std::pair<std::string, std::string>>{
           {"in/a.xdx", "pdf 输出/a.pdf"}, {"in/子 目录/b.xdx", "pdf 输出/子 目录/b.pdf"}}) {
    SCOPED_TRACE(pdf);
    EXPECT_EQ(readFile(dir.path(pdf)), dir.path(document) + '\0' + dir.path(pdf) + '\0' + "letter" + '\0');
  }
}

// One file under two names is one file: an output never replaces an input
// whatever name it is given by, and a batch takes the file once.
TEST(Cli, OneFileUnderTwoNamesIsOneFile) {
  TempDir dir;
  layOut(dir, {{"sample.xdx", "doc.xdx"}});
  const std::string doc = dir.path("doc.xdx");
  std::filesystem::create_hard_link(fsPath(doc), fsPath(dir.path("hard.xdx")));
  std::vector<std::string> names = {dir.path("hard.xdx"), dir.path("./doc.xdx")};
#ifdef _WIN32
  // Windows takes a name in any case, and either slash.
  std::string slashes = doc;
  std::replace(slashes.begin(), slashes.end(), '\\', '/');
  names.insert(names.end(), {dir.path("DOC.XDX"), slashes});
#endif
  for (const std::string& name : names) {
    SCOPED_TRACE(shortPath(name, dir.dir().string()));
    CliRun resave = cli({"resave", doc, name});
    EXPECT_EQ(resave.exit, 2);
    EXPECT_EQ(resave.err, name + "：就是要读的文件“" + doc + "”，不能覆盖\n");
    CliRun check = cli({"check", "--json", doc, name});
    EXPECT_EQ(check.exit, 0) << check.err;
    EXPECT_EQ(linesOf(check.out).size(), 1u) << check.out;
  }
  EXPECT_EQ(readFile(doc), readFile(fixture("sample.xdx")));
}

#ifdef _WIN32

// Windows takes either slash between folders. A folder given with slashes
// lists its documents with slashes, one given with backslashes (as Windows
// users type) with backslashes, never a mix; both in the order Linux lists
// them in. PDFs whose names differ in case alone are one file there.
TEST(Cli, WindowsPathsKeepTheirSlashes) {
  TempDir dir;
  layOut(dir, {{"sample.xdx", "in/A/x.xdx"}, {"fresh-required.xdx", "in/AB.xdx"}});
  std::string slashes = dir.path("in");
  std::replace(slashes.begin(), slashes.end(), '\\', '/');
  struct Case {
    std::string folder;
    std::string first, second;
  } cases[] = {
      {slashes, slashes + "/A/x.xdx", slashes + "/AB.xdx"},
      {dir.path("in"), dir.path("in/A/x.xdx"), dir.path("in/AB.xdx")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    CliRun r = cli({"check", "--json", c.folder});
    EXPECT_EQ(r.exit, 1) << r.err;
    const std::vector<std::string> lines = linesOf(r.out);
    ASSERT_EQ(lines.size(), 2u) << r.out;
    EXPECT_TRUE(lines[0].starts_with("{\"file\":\"" + jsonText(c.first) + "\",\"status\":\"complete\"")) << lines[0];
    EXPECT_TRUE(lines[1].starts_with("{\"file\":\"" + jsonText(c.second) + "\",\"status\":\"problems\"")) << lines[1];
    CliRun plain = cli({"check", c.folder});
    EXPECT_TRUE(plain.out.starts_with(c.second + ": 01、关键词1  未填写\n")) << plain.out.substr(0, 300);
  }

  layOut(dir, {{"sample.xdx", "a/x.xdx"}, {"formal.xdx", "b/X.xdx"}});
  CliRun pdf = cli({"pdf", "--out-dir", dir.path("out"), dir.path("a/x.xdx"), dir.path("b/X.xdx")});
  EXPECT_EQ(pdf.exit, 2);
  EXPECT_EQ(pdf.err, dir.path("out/x.pdf") + "：多个文档会写成这同一个文件：" + dir.path("a/x.xdx") + "、" +
                         dir.path("b/X.xdx") + "；未写入任何文件\n");
  EXPECT_FALSE(std::filesystem::exists(dir.path("out")));
}

#endif
