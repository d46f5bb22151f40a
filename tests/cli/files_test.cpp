// The files velmora-cli reads and writes: outputs that cannot be written or
// would replace an input, FIFOs, names that are no UTF-8, one file under
// several names, and each file of a batch taken once.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <sys/stat.h>
#include <sys/wait.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli_run.h"
#include "test_support.h"

using namespace velmora::test;

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
