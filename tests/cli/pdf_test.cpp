// velmora-cli pdf: one document or folders of them, outputs that would
// collide, and the printing program it runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli_run.h"
#include "test_support.h"

using namespace velmora::test;

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

namespace {

// The program's file name on this system.
#ifdef _WIN32
constexpr const char* kExe = ".exe";
#else
constexpr const char* kExe = "";
#endif

}  // namespace

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
