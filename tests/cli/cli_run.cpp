#include "cli/cli_run.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#ifdef _WIN32
#include <gtest/gtest.h>
#include <zlib.h>
#else
#include <sys/wait.h>
#endif

#include <cstdio>
#include <memory>
#include <sstream>
#include <string_view>
#ifdef _WIN32
#include <cwchar>
#include <thread>

#include "format/windows_system.h"
#endif

namespace velmora::test {

#ifdef _WIN32

namespace {

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

}  // namespace

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

std::string programAt(const std::string& path) { return path; }

#else

std::string quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

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

std::string programAt(const std::string& path) { return quote(path); }

#endif

CliRun cli(const std::vector<std::string>& args, const std::string& env, const std::string& cwd) {
  return cliWith({env, cwd, "", ""}, args);
}

std::string shortPath(const std::string& path, const std::string& folder) {
  for (const std::string& prefix : {fixture(""), folder.empty() ? std::string() : folder + "/"})
    if (!prefix.empty() && path.starts_with(prefix)) return path.substr(prefix.size());
  return path;
}

std::string argsName(const std::vector<std::string>& args, const std::string& folder) {
  std::string name;
  for (const auto& a : args) name += (name.empty() ? "" : " ") + (a.empty() ? "''" : shortPath(a, folder));
  return name.empty() ? "no arguments" : name;
}

std::filesystem::path fsPath(const std::string& utf8) { return std::u8string(utf8.begin(), utf8.end()); }

void layOut(const TempDir& dir, const std::vector<std::pair<std::string, std::string>>& copies) {
  for (const auto& [from, to] : copies) {
    std::filesystem::create_directories(fsPath(dir.path(to)).parent_path());
    std::filesystem::copy_file(fsPath(fixture(from)), fsPath(dir.path(to)));
  }
}

void linkTo(const std::string& target, const std::string& name) {
#ifdef _WIN32
  std::filesystem::create_hard_link(fsPath(target), fsPath(name));
#else
  std::filesystem::create_symlink(target, name);
#endif
}

std::string jsonText(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\\' || c == '"' ? std::string{'\\', c} : std::string(1, c);
  return out;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// Reading back a roster's workbook.

namespace {

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

}  // namespace

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

}  // namespace velmora::test
