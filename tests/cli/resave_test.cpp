// velmora-cli resave: a document saved anew, and the documents it refuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_run.h"
#include "test_support.h"

using namespace velmora::test;

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
