#include <gtest/gtest.h>

#include <sys/stat.h>
#include <regex>

#include "check/completeness_check.h"
#include "document/document_actions.h"
#include "format/xdx_reader.h"
#include "format/xdx_writer.h"
#include "test_support.h"

using namespace velmora;
using namespace velmora::test;

namespace {

std::string element(const std::string& bytes, const std::string& name) {
  auto a = bytes.find("<" + name + ">");
  if (a == std::string::npos) return {};
  a += name.size() + 2;
  return bytes.substr(a, bytes.find("</" + name + ">") - a);
}

}  // namespace

TEST(SaveAction, WritesTheDocumentAndClearsTheFlag) {
  TempDir dir;
  FormState s = savableState();
  s.setText(Field::SN, "SN-42");
  ScriptedPrompter p;
  p.saveAnswers.push_back(dir.path("a.xdx"));
  ASSERT_EQ(saveDocument(s, p), SaveOutcome::Written);
  EXPECT_FALSE(s.modified());
  EXPECT_TRUE(p.shown.empty());
  std::string bytes = readFile(dir.path("a.xdx"));
  std::string id = element(bytes, "ProjectID");
  EXPECT_TRUE(std::regex_match(id, std::regex(R"(\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\})")))
      << id;
  EXPECT_EQ(s.record().text(Field::ProjectID), id);
  EXPECT_EQ(element(bytes, "PASSBY"), "0");
  EXPECT_EQ(element(bytes, "SN"), "SN-42");
  EXPECT_EQ(element(bytes, "verifylist").substr(0, 1), "\"");
  EXPECT_EQ(s.saveDialogName(), dir.path("a.xdx"));
}

TEST(SaveAction, TwoSavesDifferOnlyInTheIdentifier) {
  TempDir dir;
  FormState s = savableState();
  ScriptedPrompter p;
  p.saveAnswers = {dir.path("1.xdx"), dir.path("2.xdx")};
  ASSERT_EQ(saveDocument(s, p), SaveOutcome::Written);
  ASSERT_EQ(saveDocument(s, p), SaveOutcome::Written);
  std::string a = readFile(dir.path("1.xdx")), b = readFile(dir.path("2.xdx"));
  EXPECT_NE(element(a, "ProjectID"), element(b, "ProjectID"));
  EXPECT_EQ(a.substr(a.find("<ver>")), b.substr(b.find("<ver>")));
}

TEST(SaveAction, RequiredFieldsRefuseAfterTheCheck) {
  struct Case {
    Field empty;
  } cases[] = {{Field::ProjectName}, {Field::Presider}, {Field::ContactMail}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "empty " << fieldDef(c.empty).name);
    FormState s = savableState();
    s.setText(c.empty, "");
    const unsigned checksBefore = s.view().checksRun;
    Record before = s.record();
    ScriptedPrompter p;
    p.saveAnswers.push_back("/never/used.xdx");
    EXPECT_EQ(saveDocument(s, p), SaveOutcome::Refused);
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].kind, "message");
    EXPECT_EQ(p.shown[0].text, "保存失败！“课题名称”, “主持人”和“电子邮箱”必须填写！");
    EXPECT_TRUE(p.proposedSaveNames.empty());
    EXPECT_TRUE(s.record() == before);
    EXPECT_TRUE(s.modified());
    EXPECT_EQ(s.view().checksRun, checksBefore + 1);
    EXPECT_EQ(s.problems(), completenessProblems(s.record()));
  }
}

TEST(SaveAction, BlanksCountAsFilled) {
  TempDir dir;
  FormState s = savableState();
  s.setText(Field::ProjectName, "   ");
  ScriptedPrompter p;
  p.saveAnswers.push_back(dir.path("b.xdx"));
  EXPECT_EQ(saveDocument(s, p), SaveOutcome::Written);
}

TEST(SaveAction, CancelledDialogKeepsIdentifierAndFlag) {
  FormState s = savableState();
  ScriptedPrompter p;
  s.setSaveDialogName("/proposed.xdx");
  EXPECT_EQ(saveDocument(s, p), SaveOutcome::Cancelled);
  EXPECT_EQ(p.proposedSaveNames, std::vector<std::string>{"/proposed.xdx"});
  EXPECT_EQ(s.record().text(Field::ProjectID), "000000000000000000000000");
  EXPECT_TRUE(s.modified());
}

TEST(SaveAction, FormalDocumentIsNeverSaved) {
  TempDir dir;
  FormState s;
  ScriptedPrompter p;
  s.setPendingPath(fixture("formal.xdx"));
  ASSERT_EQ(openDocument(s, p), OpenOutcome::Opened);
  p.saveAnswers.push_back(dir.path("f.xdx"));
  EXPECT_EQ(saveDocument(s, p), SaveOutcome::Refused);
  EXPECT_EQ(p.shown.back().text, "本项目文件为正式文档，仅供打印和预览,不允许修改！");
  EXPECT_FALSE(std::filesystem::exists(dir.path("f.xdx")));
}

// A failed write leaves any earlier file intact, reports the reason and keeps
// the modified flag.
TEST(SaveAction, FailedWriteKeepsTheEarlierFile) {
  TempDir dir;
  std::filesystem::create_directory(dir.path("folder.xdx"));
  writeFile(dir.path("earlier.xdx"), "earlier content");
  struct Case {
    std::string target;
    const char* reason;
  } cases[] = {
      {dir.path("folder.xdx"), "Is a directory"},
      {dir.path("no/such/folder/x.xdx"), "No such file or directory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::filesystem::path(c.target).lexically_relative(dir.dir()).string());
    FormState s = savableState();
    ScriptedPrompter p;
    p.saveAnswers.push_back(c.target);
    EXPECT_EQ(saveDocument(s, p), SaveOutcome::Failed) << c.target;
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].kind, "error");
    EXPECT_NE(p.shown[0].text.find(c.reason), std::string::npos) << p.shown[0].text;
    EXPECT_TRUE(s.modified());
  }
  EXPECT_TRUE(std::filesystem::is_directory(dir.path("folder.xdx")));
  // Nothing but what was there before: no temporary files left behind.
  int entries = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.dir())) ++entries;
  EXPECT_EQ(entries, 2);
}

TEST(SaveAction, ReplacesAnExistingFileAndKeepsItsPermissions) {
  TempDir dir;
  writeFile(dir.path("old.xdx"), "old");
  ::chmod(dir.path("old.xdx").c_str(), 0640);
  FormState s = savableState();
  ScriptedPrompter p;
  p.saveAnswers.push_back(dir.path("old.xdx"));
  ASSERT_EQ(saveDocument(s, p), SaveOutcome::Written);
  EXPECT_NE(readFile(dir.path("old.xdx")), "old");
  struct stat st {};
  ::stat(dir.path("old.xdx").c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(SaveAction, SavedDocumentOpensToTheSameRecord) {
  TempDir dir;
  FormState s;
  ScriptedPrompter p;
  s.setPendingPath(fixture("sample.xdx"));
  ASSERT_EQ(openDocument(s, p), OpenOutcome::Opened);
  s.setLines(Field::FirstRecommendation, {"推荐, 意见", "", "\"引号\""});
  p.saveAnswers.push_back(dir.path("round.xdx"));
  ASSERT_EQ(saveDocument(s, p), SaveOutcome::Written);
  FormState reopened;
  reopened.setPendingPath(dir.path("round.xdx"));
  ASSERT_EQ(openDocument(reopened, p), OpenOutcome::Opened);
  EXPECT_TRUE(reopened.record() == s.record());
}

// A text XML cannot carry would make a document that never opens again: the
// save fails with the reason and the earlier file stays.
TEST(SaveAction, TextADocumentCannotCarryIsNeverWritten) {
  struct Case {
    Field field;
    std::string text;
    const char* reason;
  } cases[] = {
      {Field::ProjectName, "课题\f名称", "ProjectName 含有文档不能保存的控制字符 U+000C"},
      {Field::Department, std::string("前\0后", 7), "Department 含有文档不能保存的控制字符 U+0000"},
      {Field::Nation, "\xF0\x9F\x98\x80", "Nation 含有文档不能保存的GBK 无法表示的字符"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    TempDir dir;
    writeFile(dir.path("a.xdx"), "earlier");
    FormState s = savableState();
    s.setText(c.field, c.text);
    ScriptedPrompter p;
    p.saveAnswers.push_back(dir.path("a.xdx"));
    EXPECT_EQ(saveDocument(s, p), SaveOutcome::Failed);
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].kind, "error");
    EXPECT_EQ(p.shown[0].text, std::string("无法保存：") + c.reason + ".");
    EXPECT_EQ(readFile(dir.path("a.xdx")), "earlier");
    EXPECT_TRUE(s.modified());
  }
  Record r = Record::initial();
  r.setCell(Field::MainActor, 2, 1, "\x01");
  EXPECT_EQ(unwritableText(r), "无法保存：MainActor 含有文档不能保存的控制字符 U+0001");
  r.setCell(Field::MainActor, 2, 1, "a\tb\r\n");
  EXPECT_EQ(unwritableText(r), std::nullopt);
}

TEST(SaveAction, DefaultExtensionForTheDialog) {
  EXPECT_EQ(withDefaultExtension("/tmp/a"), "/tmp/a.xdx");
  EXPECT_EQ(withDefaultExtension("/tmp/a.xdx"), "/tmp/a.xdx");
  EXPECT_EQ(withDefaultExtension("/tmp.d/a"), "/tmp.d/a.xdx");
  EXPECT_EQ(withDefaultExtension("/tmp/a.txt"), "/tmp/a.txt");
}
