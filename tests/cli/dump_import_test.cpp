// velmora-cli dump and import: the record as JSON and back, and the JSON that
// import refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "test_support.h"

using namespace velmora::test;

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
