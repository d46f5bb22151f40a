// velmora-cli check: its lines and exit codes, folders, JSON lines, files
// that are refused or are no documents, and the files and folders of a batch
// that cannot be read.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "test_support.h"

using namespace velmora::test;

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
