#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <sstream>

#include "test_support.h"

using namespace velmora::test;

namespace {

struct CliRun {
  int exit = -1;
  std::string out;
  std::string err;
};

std::string quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

CliRun cli(const std::vector<std::string>& args) {
  TempDir dir;
  std::string cmd = quote(VELMORA_CLI);
  for (const auto& a : args) cmd += " " + quote(a);
  cmd += " 2>" + quote(dir.path("err"));
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

TEST(Cli, RefusedAndUnreadableFilesGoToStandardError) {
  struct Case {
    std::string file;
    std::string message;
  } cases[] = {
      {fixture("wrong-version.xdx"), "您选择的文档不是用本申报系统生成的"},
      {fixture("mixed-element.xdx"), "Element does not contain a single text node."},
      {fixture("missing.xdx"), "No such file or directory"},
  };
  for (const auto& c : cases) {
    CliRun r = cli({"check", c.file});
    EXPECT_EQ(r.exit, 2) << c.file;
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(r.err.rfind(c.file + ": ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
}

TEST(Cli, DumpPrintsTheRecordInDocumentOrder) {
  CliRun r = cli({"dump", fixture("fresh-required.xdx")});
  EXPECT_EQ(r.exit, 1);
  EXPECT_EQ(r.out.find("{\n  \"ProjectID\": \"000000000000000000000000\",\n  \"ProjectName\": \"教育公平研究\",\n"), 0u)
      << r.out.substr(0, 200);
  EXPECT_EQ(r.out.find("\"ver\""), std::string::npos);
  EXPECT_NE(r.out.find("  \"ExpectProduction2\": \"\",\n  \"PASSBY\": \"0\",\n  \"Presider\": \"李明\""), std::string::npos);
  EXPECT_NE(r.out.find("\"OutlayGrid\": [[\"1\",\"资料费\",\"0\"],"), std::string::npos);
  EXPECT_NE(r.out.find("\"OutlayGrid3\": [[\"          年\",\"          年\",\"          年\",\"          年\"],[\"\",\"\",\"\",\"\"]]"),
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
  EXPECT_NE(bytes.find(gbk("<verifylist>\"03、主要参加者  资料未填写完整\",\"09、年度预算  资料未填写完整\"</verifylist>")),
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
    CliRun r = cli({"resave", c.in, dir.path("x.xdx")});
    EXPECT_EQ(r.exit, 2);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.path("x.xdx")));
  }
}

TEST(Cli, HelpForTheProgramAndEveryCommand) {
  for (auto args : std::vector<std::vector<std::string>>{{"--help"}, {"check", "--help"}, {"dump", "--help"},
                                                         {"resave", "--help"}}) {
    CliRun r = cli(args);
    EXPECT_EQ(r.exit, 0) << args[0];
    EXPECT_NE(r.out.find("velmora-cli"), std::string::npos);
  }
  EXPECT_EQ(cli({"frobnicate"}).exit, 2);
}

TEST(Cli, CheckTakesFoldersAndPrintsJsonLines) {
  TempDir dir;
  std::filesystem::create_directories(dir.path("office/late"));
  std::filesystem::copy_file(fixture("sample.xdx"), dir.path("office/a.xdx"));
  std::filesystem::copy_file(fixture("empty-items.xdx"), dir.path("office/late/b.XDX"));
  writeFile(dir.path("office/notes.txt"), "not a document");
  CliRun r = cli({"check", dir.path("office")});
  EXPECT_EQ(r.exit, 1);
  EXPECT_EQ(r.out, dir.path("office/late/b.XDX") + ": 03、主要参加者  资料未填写完整\n" + dir.path("office/late/b.XDX") +
                       ": 09、年度预算  资料未填写完整\n");

  CliRun j = cli({"check", "--json", dir.path("office"), fixture("wrong-version.xdx")});
  EXPECT_EQ(j.exit, 2);
  EXPECT_EQ(j.out,
            "{\"file\":" + std::string("\"") + dir.path("office/a.xdx") +
                "\",\"status\":\"complete\",\"problems\":[],\"messages\":[]}\n"
                "{\"file\":\"" + dir.path("office/late/b.XDX") +
                "\",\"status\":\"problems\",\"problems\":[\"03、主要参加者  资料未填写完整\",\"09、年度预算  资料未填写完整\"],\"messages\":[]}\n"
                "{\"file\":\"" + fixture("wrong-version.xdx") +
                "\",\"status\":\"refused\",\"problems\":[],\"messages\":[\"您选择的文档不是用本申报系统生成的\"]}\n");
}

TEST(Cli, ManyDocumentsGiveTheSameLinesInTheirOrder) {
  TempDir dir;
  std::string expected;
  for (int i = 0; i < 40; ++i) {
    const char* source = i % 3 == 0 ? "empty-items.xdx" : i % 3 == 1 ? "sample.xdx" : "fresh-required.xdx";
    char name[32];
    std::snprintf(name, sizeof name, "doc%02d.xdx", i);
    std::filesystem::copy_file(fixture(source), dir.path(name));
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
  EXPECT_NE(r.err.find("Sex: “X.男”不是可选的项目"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("ContactMail: 必须填写"), std::string::npos) << r.err;
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
  EXPECT_NE(r.err.find(dir.path("in/sub/c.xdx") + ": 您选择的文档不是用本申报系统生成的"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("XDG_RUNTIME_DIR"), std::string::npos) << r.err;
  for (const char* made : {"out/a.pdf", "out/sub/b.pdf", "out/empty-items.pdf"}) {
    ASSERT_TRUE(std::filesystem::exists(dir.path(made))) << made;
    EXPECT_EQ(readFile(dir.path(made)).substr(0, 5), "%PDF-") << made;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.path("out/sub/c.pdf")));

  CliRun ok = cli({"pdf", "--out-dir", dir.path("out2"), fixture("sample.xdx")});
  EXPECT_EQ(ok.exit, 0) << ok.err;
}
