#include <gtest/gtest.h>

#include <filesystem>

#include "document/document_actions.h"
#include "document/messages.h"
#include "format/xdx_writer.h"
#include "test_support.h"

using namespace velmora;
using namespace velmora::test;

namespace {

OpenOutcome openPath(FormState& s, const std::string& path, ScriptedPrompter& p) {
  s.setPendingPath(path);
  return openDocument(s, p);
}

void expectSame(const FormState& a, const FormState& b) {
  EXPECT_TRUE(a.record() == b.record());
  EXPECT_EQ(a.problems(), b.problems());
  EXPECT_EQ(a.modified(), b.modified());
  EXPECT_EQ(a.formal(), b.formal());
  EXPECT_EQ(a.view().enabled, b.view().enabled);
  EXPECT_EQ(a.saveDialogName(), b.saveDialogName());
  EXPECT_EQ(a.view().presider1, b.view().presider1);
  // The whole state: every flag, mirror and name besides the ones above.
  EXPECT_TRUE(a == b);
}

}  // namespace

TEST(OpenAction, OpensThePendingPathWithoutDialog) {
  FormState s;
  ScriptedPrompter p;
  s.setText(Field::ProjectName, "edit");
  ASSERT_EQ(openPath(s, fixture("sample.xdx"), p), OpenOutcome::Opened);
  EXPECT_EQ(p.openDialogs, 0);
  EXPECT_TRUE(p.shown.empty());
  EXPECT_TRUE(s.pendingPath().empty());
  EXPECT_EQ(s.saveDialogName(), fixture("sample.xdx"));
  EXPECT_FALSE(s.modified());
  EXPECT_TRUE(s.problems().empty()) << s.problems().front();
  EXPECT_EQ(s.record().text(Field::ProjectID), "{6F9619FF-8B86-D011-B42D-00C04FC964FF}");
  EXPECT_EQ(s.record().text(Field::SN), "BJA110012");
  EXPECT_EQ(s.record().choiceText(Field::BelongSystem), "A.教育部直属高等院校");
  EXPECT_EQ(s.record().lines(Field::ProjectReasoning).size(), 4u);
  EXPECT_EQ(s.record().cell(Field::MainActor, 0, 0), "张  伟");
  EXPECT_EQ(s.view().presider1, "王晓燕");
  EXPECT_EQ(s.view().eduCode1, "123456789012");
  EXPECT_TRUE(s.isEnabled(Field::BudgetTotal));

  // The next open asks again.
  p.openAnswers.push_back(std::nullopt);
  EXPECT_EQ(openDocument(s, p), OpenOutcome::Cancelled);
  EXPECT_EQ(p.openDialogs, 1);
}

TEST(OpenAction, CancelledDialogChangesNothing) {
  FormState s = editedState();
  FormState before = s;
  ScriptedPrompter p;
  p.openAnswers.push_back(std::nullopt);
  EXPECT_EQ(openDocument(s, p), OpenOutcome::Cancelled);
  expectSame(s, before);
}

TEST(OpenAction, DialogChoiceIsOpened) {
  FormState s;
  ScriptedPrompter p;
  p.openAnswers.push_back(fixture("class-d.xdx"));
  EXPECT_EQ(openDocument(s, p), OpenOutcome::Opened);
  EXPECT_EQ(s.saveDialogName(), fixture("class-d.xdx"));
}

// A refused document changes nothing of the record, so edits on screen stay
// unsaved edits (closing asks, the recovery copy stays); a record without
// edits stays without.
TEST(OpenAction, ForeignDocumentIsRefusedAfterTheEndSteps) {
  for (const char* file : {"wrong-version.xdx", "no-ver.xdx"}) {
    for (bool edited : {true, false}) {
      SCOPED_TRACE(std::string(file) + (edited ? " over edits" : ""));
      FormState s = editedState();
      s.setModified(edited);
      Record before = s.record();
      ScriptedPrompter p;
      EXPECT_EQ(openPath(s, fixture(file), p), OpenOutcome::Refused);
      ASSERT_EQ(p.shown.size(), 1u);
      EXPECT_EQ(p.shown[0].kind, "information");
      EXPECT_EQ(p.shown[0].text, "您选择的文档不是用本申报系统生成的");
      EXPECT_TRUE(s.record() == before);
      EXPECT_EQ(s.modified(), edited);
      EXPECT_EQ(s.saveDialogName(), fixture(file));
      EXPECT_TRUE(s.pendingPath().empty());
      EXPECT_EQ(s.problems().front(), "01、关键词1  未填写");
    }
  }
}

TEST(OpenAction, EmptyRootReadsNothingButRunsTheEndSteps) {
  FormState s = editedState();
  Record before = s.record();
  ScriptedPrompter p;
  EXPECT_EQ(openPath(s, fixture("empty-root.xdx"), p), OpenOutcome::EmptyRoot);
  EXPECT_TRUE(p.shown.empty());
  EXPECT_TRUE(s.record() == before);
  EXPECT_TRUE(s.modified());  // the edits were not replaced
  EXPECT_EQ(s.saveDialogName(), fixture("empty-root.xdx"));
}

TEST(OpenAction, OnlyVersionEmptiesEveryFieldAndRow) {
  FormState s;
  ScriptedPrompter p;
  ASSERT_EQ(openPath(s, fixture("only-ver.xdx"), p), OpenOutcome::Opened);
  Record blank = Record::blank();
  EXPECT_TRUE(s.record() == blank);
  EXPECT_EQ(s.record().cell(Field::OutlayGrid, 0, 1), "");
  EXPECT_EQ(s.record().cell(Field::OutlayGrid3, 0, 0), "");
}

// A broken element must not leave a half-loaded record: the whole document is
// validated before anything is applied.
TEST(OpenAction, BrokenElementLeavesEverythingAsBefore) {
  for (const char* file : {"mixed-element.xdx", "comment-element.xdx", "entity-ref.xdx", "external-entity.xdx"}) {
    SCOPED_TRACE(file);
    FormState s = editedState();
    FormState before = s;
    ScriptedPrompter p;
    EXPECT_EQ(openPath(s, fixture(file), p), OpenOutcome::Failed) << file;
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].kind, "error");
    EXPECT_EQ(p.shown[0].text, "Element does not contain a single text node.");
    expectSame(s, before);
    // The next open asks with the dialog instead of retrying the same file.
    EXPECT_TRUE(s.pendingPath().empty());
  }
}

TEST(OpenAction, ParseFailureShowsTheErrorBoxAndClearsThePendingPath) {
  FormState s = editedState();
  FormState before = s;
  ScriptedPrompter p;
  EXPECT_EQ(openPath(s, fixture("malformed.xdx"), p), OpenOutcome::Failed);
  ASSERT_EQ(p.shown.size(), 1u);
  EXPECT_EQ(p.shown[0].kind, "error");
  EXPECT_EQ(p.shown[0].text.back(), '.');
  expectSame(s, before);
  EXPECT_TRUE(s.pendingPath().empty());
  p.openAnswers.push_back(std::nullopt);
  openDocument(s, p);
  EXPECT_EQ(p.openDialogs, 1);
}

TEST(OpenAction, EmptyItemsStayEmptyCells) {
  FormState s;
  ScriptedPrompter p;
  ASSERT_EQ(openPath(s, fixture("empty-items.xdx"), p), OpenOutcome::Opened);
  EXPECT_EQ(s.record().rows(Field::MainActor)[0],
            (Row{"张伟", "", "45", "196603", "教授", "课程与教学论", "研究生", "", ""}));
  EXPECT_EQ(s.record().rows(Field::MainActor)[1], Row(9, ""));
  EXPECT_EQ(s.record().rows(Field::OutlayGrid3)[1], (Row{"40000", "", "30000", ""}));
  // The check still sees the gaps.
  auto has = [&](const char* line) {
    return std::find(s.problems().begin(), s.problems().end(), line) != s.problems().end();
  };
  EXPECT_TRUE(has("03、主要参加者  资料未填写完整"));
  EXPECT_TRUE(has("09、年度预算  资料未填写完整"));
}

TEST(OpenAction, OpenThenSaveKeepsTablesExactly) {
  TempDir dir;
  for (const char* file : {"fresh-required.xdx", "empty-items.xdx", "sample.xdx"}) {
    SCOPED_TRACE(file);
    FormState s;
    ScriptedPrompter p;
    ASSERT_EQ(openPath(s, fixture(file), p), OpenOutcome::Opened) << file;
    std::string original = readFile(fixture(file));
    std::string saved = buildXdx(s.record(), s.problems());
    auto tables = [](const std::string& bytes) {
      return bytes.substr(bytes.find("<MainActor>"), bytes.find("<OutlayPromises") - bytes.find("<MainActor>"));
    };
    auto withoutLongTexts = [](std::string t) {
      auto a = t.find("<ProjectReasoning");
      auto b = t.find("<ExpectProduction>");
      return t.erase(a, b - a);
    };
    EXPECT_EQ(withoutLongTexts(tables(saved)), withoutLongTexts(tables(original))) << file;
  }
}

TEST(OpenAction, NationalClassFixesTheThirdResult) {
  FormState s;
  ScriptedPrompter p;
  ASSERT_EQ(openPath(s, fixture("sample.xdx"), p), OpenOutcome::Opened);
  EXPECT_TRUE(s.view().expectProduction2Shown);
  EXPECT_EQ(s.record().choiceText(Field::ExpectProduction1), "A.专著");
  EXPECT_FALSE(s.isEnabled(Field::ExpectProduction1));
  EXPECT_EQ(s.record().choiceText(Field::ExpectProduction2), "C.研究论文");
  EXPECT_EQ(s.record().text(Field::ApplyOutlay), "12");
}

TEST(OpenAction, OtherClassesHideAndClearTheFourthResult) {
  FormState s;
  ScriptedPrompter p;
  ASSERT_EQ(openPath(s, fixture("sample.xdx"), p), OpenOutcome::Opened);
  ASSERT_EQ(openPath(s, fixture("class-d.xdx"), p), OpenOutcome::Opened);
  EXPECT_FALSE(s.view().expectProduction2Shown);
  EXPECT_EQ(s.record().choice(Field::ExpectProduction2), -1);
  EXPECT_EQ(s.record().choiceText(Field::ExpectProduction1), "B.译著");
  EXPECT_TRUE(s.isEnabled(Field::ExpectProduction1));
  // The stored amount stays, although the class rule would give 3.
  EXPECT_EQ(s.record().text(Field::ApplyOutlay), "3");
}

TEST(OpenAction, FormalDocumentLocksTheRecordUntilAnOrdinaryOne) {
  FormState s;
  ScriptedPrompter p;
  ASSERT_EQ(openPath(s, fixture("formal.xdx"), p), OpenOutcome::Opened);
  EXPECT_TRUE(s.formal());
  EXPECT_FALSE(s.view().saveEnabled());
  // ApplyOutlay aside: the loaded postcode's purpose rule enables it again.
  for (const auto& d : allFields())
    if (isUserField(d.id) && d.id != Field::ApplyOutlay) {
      EXPECT_FALSE(s.isEnabled(d.id)) << d.name;
    }
  EXPECT_TRUE(s.problems().empty());

  ASSERT_EQ(openPath(s, fixture("sample.xdx"), p), OpenOutcome::Opened);
  EXPECT_FALSE(s.formal());
  EXPECT_TRUE(s.view().saveEnabled());
  for (const auto& d : allFields())
    if (isUserField(d.id) && d.id != Field::ExpectProduction1) {
      EXPECT_TRUE(s.isEnabled(d.id)) << d.name;
    }
  EXPECT_FALSE(s.isEnabled(Field::ExpectProduction1));
}

TEST(OpenAction, LoadedPostcodeRunsThePurposeRule) {
  FormState s;
  ScriptedPrompter p;
  ASSERT_EQ(openPath(s, fixture("teacher-programme.xdx"), p), OpenOutcome::Opened);
  EXPECT_EQ(s.record().choiceText(Field::Purpose), "特级教师计划专项");
  EXPECT_EQ(s.record().text(Field::ApplyOutlay), "");
  EXPECT_FALSE(s.isEnabled(Field::ApplyOutlay));

  // The same postcode again is no change: the stored amount stays.
  FormState again;
  again.setText(Field::PostCode, "100875");
  ASSERT_EQ(openPath(again, fixture("teacher-programme.xdx"), p), OpenOutcome::Opened);
  EXPECT_EQ(again.record().text(Field::ApplyOutlay), "3");
}

TEST(OpenAction, PostcodeAfterFormalStateEnablesApplyOutlay) {
  FormState s;
  ScriptedPrompter p;
  ASSERT_EQ(openPath(s, fixture("formal.xdx"), p), OpenOutcome::Opened);
  EXPECT_TRUE(s.formal());
  EXPECT_TRUE(s.isEnabled(Field::ApplyOutlay));
  EXPECT_FALSE(s.isEnabled(Field::ProjectName));
}

TEST(OpenAction, LoadingRunsNoChoiceReaction) {
  FormState s;
  ScriptedPrompter p;
  s.pickChoice(Field::Basis, 1, p);
  ASSERT_FALSE(s.view().guideNumShown);
  ASSERT_EQ(openPath(s, fixture("sample.xdx"), p), OpenOutcome::Opened);
  EXPECT_EQ(s.record().choiceText(Field::Basis), "A.依据指南");
  EXPECT_FALSE(s.view().guideNumShown);
  EXPECT_EQ(s.record().text(Field::GuideNum), "12");
  EXPECT_TRUE(p.shown.empty());
}

// The open button and a dropped document with unsaved edits in the record.
TEST(OpenAction, OverUnsavedEditsAsksFirst) {
  struct Case {
    const char* name;
    bool formal;
    bool modified;
    std::optional<Answer> answer;  // nullopt: no question expected
    bool saveWritable;             // the save dialog answers a writable path
    OpenOutcome outcome;
    bool savedFileExists;
  } cases[] = {
      {"yes saves, then opens", false, true, Answer::Yes, true, OpenOutcome::Opened, true},
      {"yes but the save cannot write: nothing opens", false, true, Answer::Yes, false, OpenOutcome::Cancelled, false},
      {"no discards the edits", false, true, Answer::No, true, OpenOutcome::Opened, false},
      {"cancel keeps everything", false, true, Answer::Cancel, true, OpenOutcome::Cancelled, false},
      {"no edits: no question", false, false, std::nullopt, true, OpenOutcome::Opened, false},
      {"formal document: no question", true, true, std::nullopt, true, OpenOutcome::Opened, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    FormState s = savableState();
    s.setModified(c.modified);
    if (c.formal) s.setFormal(true);
    const FormState before = s;
    ScriptedPrompter p;
    if (c.answer) p.choiceAnswers.push_back(*c.answer);
    const std::string saved = c.saveWritable ? dir.path("saved.xdx") : dir.path("missing/saved.xdx");
    p.saveAnswers.push_back(saved);

    const OpenOutcome outcome = openDocumentOverEdits(s, p, fixture("sample.xdx"));

    EXPECT_EQ(outcome, c.outcome);
    ASSERT_FALSE(p.shown.empty() && c.answer);
    if (c.answer) {
      EXPECT_EQ(p.shown[0].kind, "question");
      EXPECT_EQ(p.shown[0].text, "打开其他文档前先保存编辑的文档吗？");
    } else {
      for (const Shown& shown : p.shown) EXPECT_NE(shown.kind, "question");
    }
    EXPECT_EQ(std::filesystem::exists(saved), c.savedFileExists);
    if (c.savedFileExists) {
      EXPECT_NE(readFile(saved).find("<ProjectName>"), std::string::npos);
    }
    if (outcome == OpenOutcome::Opened) {
      EXPECT_EQ(s.record().text(Field::Presider), "王晓燕");
      EXPECT_FALSE(s.modified());
    } else {
      // Withdrawn: the edits, the flag and the proposed name stay, and the
      // dropped file is not left pending for the next open.
      EXPECT_EQ(s.record().text(Field::ProjectName), before.record().text(Field::ProjectName));
      EXPECT_TRUE(s.modified());
      EXPECT_TRUE(s.pendingPath().empty());
    }
  }
}

TEST(OpenAction, OverEditsTheOpenDialogComesAfterTheQuestion) {
  FormState s = editedState();
  ScriptedPrompter p;
  p.choiceAnswers.push_back(Answer::No);
  p.openAnswers.push_back(std::nullopt);  // then the dialog is cancelled
  EXPECT_EQ(openDocumentOverEdits(s, p), OpenOutcome::Cancelled);
  ASSERT_EQ(p.shown.size(), 1u);
  EXPECT_EQ(p.shown[0].kind, "question");
  EXPECT_EQ(p.openDialogs, 1);
  EXPECT_TRUE(s.modified());  // a cancelled dialog changes nothing
  EXPECT_EQ(s.record().text(Field::ProjectName), "未保存的编辑");
}

// Paths arrive relative to the working folder (a command line, a dialog of
// another program); the state keeps them absolute, so the document is saved
// where it was opened from whatever the working folder is by then.
TEST(OpenAction, RelativePathsAreKeptAbsolute) {
  TempDir dir;
  std::filesystem::create_directories(dir.path("t/docs"));
  std::filesystem::create_directories(dir.path("other/docs"));
  writeFile(dir.path("t/docs/a.xdx"), readFile(fixture("sample.xdx")));
  writeFile(dir.path("other/docs/a.xdx"), "unrelated");
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir.path("t"));
  FormState s;
  ScriptedPrompter p;
  s.setPendingPath("docs/a.xdx");
  ASSERT_EQ(openDocument(s, p), OpenOutcome::Opened);
  std::filesystem::current_path(dir.path("other"));
  s.setText(Field::ProjectName, "改过的题目");
  p.saveAnswers.push_back(dir.path("t/docs/a.xdx"));  // the dialog's proposal, accepted
  const SaveOutcome saved = saveDocument(s, p);
  std::filesystem::current_path(before);
  ASSERT_EQ(saved, SaveOutcome::Written);
  ASSERT_EQ(p.proposedSaveNames, std::vector<std::string>{dir.path("t/docs/a.xdx")});
  EXPECT_NE(readFile(dir.path("t/docs/a.xdx")).find(gbk("改过的题目")), std::string::npos);
  EXPECT_EQ(readFile(dir.path("other/docs/a.xdx")), "unrelated");
  EXPECT_FALSE(std::filesystem::exists(dir.path("other/a.xdx")));

  // A name typed relative in a dialog is taken against the working folder of
  // that moment, and kept absolute from then on.
  std::filesystem::current_path(dir.path("other"));
  s.setSaveDialogName("docs/b.xdx");
  std::filesystem::current_path(before);
  EXPECT_EQ(s.saveDialogName(), dir.path("other/docs/b.xdx"));
  s.setPendingPath("");
  EXPECT_EQ(s.pendingPath(), "");
}
