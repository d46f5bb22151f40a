#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <type_traits>

#include "check/completeness_check.h"
#include "test_support.h"

using namespace velmora;
using namespace velmora::test;

namespace {
std::vector<std::string> fixtureLines(const std::string& name) {
  std::istringstream in(readFile(fixture(name)));
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}
using Edit = std::function<void(Record&)>;

// A record without its tables' rows cannot be made: the check (and every
// other reader of a table) indexes the stored rows it expects.
static_assert(!std::is_default_constructible_v<Record>);
}  // namespace

TEST(CompletenessCheck, UntouchedRecordGivesFiftyTwoLines) {
  auto lines = completenessProblems(Record::initial());
  EXPECT_EQ(lines.size(), 52u);
  EXPECT_EQ(lines, fixtureLines("untouched-problems.txt"));
}

TEST(CompletenessCheck, CompleteRecordGivesNoLine) { EXPECT_TRUE(completenessProblems(completeRecord()).empty()); }

// Each case breaks one item of a complete record and expects exactly its line.
TEST(CompletenessCheck, EveryRuleAppendsItsOwnLine) {
  auto text = [](Field f) { return Edit([f](Record& r) { r.setText(f, ""); }); };
  auto none = [](Field f) { return Edit([f](Record& r) { r.setChoice(f, -1); }); };
  auto lines = [](Field f) { return Edit([f](Record& r) { r.setLines(f, {}); }); };
  auto cell = [](Field f, int row, int col) { return Edit([=](Record& r) { r.setCell(f, row, col, ""); }); };
  struct Case {
    Edit edit;
    const char* line;
  } cases[] = {
      {text(Field::ProjectName), "01、课题名称  未填写"},
      {text(Field::KeyWord), "01、关键词1  未填写"},
      {text(Field::KeyWord2), "01、关键词2  未填写"},
      {text(Field::KeyWord3), "01、关键词3  未填写"},
      {none(Field::Basis), "01、选题依据  未填写"},
      {[](Record& r) {
         r.setChoice(Field::Basis, 0);
         r.setText(Field::GuideNum, "");
       },
       "01、指南题号  未填写"},
      {text(Field::ApplyOutlay), "01、申请经费  未填写"},
      {none(Field::ResearchClass), "01、研究类型  未填写"},
      {[](Record& r) { r.setChoice(Field::ProjectClass, -1); }, "01、课题类别  未填写"},
      {none(Field::SubjectClass), "01、研究领域  未填写"},
      {text(Field::Presider), "01、负责人  未填写"},
      {text(Field::InputDate), "01、申请日期  未填写"},
      {text(Field::ExpectCompleteDate), "01、预期完成日期  未填写"},
      {none(Field::ExpectProduction1), "01、预期最终成果3  未填写"},
      {[](Record& r) {
         r.setChoice(Field::ProjectClass, 0);
         r.setChoice(Field::ExpectProduction2, -1);
       },
       "01、预期最终成果4  未填写"},
      {none(Field::Sex), "02、性别  未填写"},
      {text(Field::Nation), "02、民族  未填写"},
      {none(Field::Age), "02、年龄  未填写"},
      {text(Field::Birthday), "02、出生日期  未填写"},
      {none(Field::DutyAdmin), "02、行政职级  未填写"},
      {[](Record& r) { r.setChoice(Field::DutySpecial, -1); }, "02、技术职务  未填写"},
      {none(Field::ResearchSpecial), "02、研究专长  未填写"},
      {none(Field::LastDiploma), "02、最后学历  未填写"},
      {none(Field::LastDegree), "02、最后学位  未填写"},
      {none(Field::Tutor), "02、担任导师  未填写"},
      {none(Field::BelongCity), "02、所属区县  未填写"},
      {none(Field::BelongSystem), "02、所属系统  未填写"},
      {text(Field::Department), "02、工作单位  未填写"},
      {text(Field::ContactMail), "02、电子邮箱  未填写"},
      {text(Field::ContactAddress), "02、通讯地址  未填写"},
      {[](Record& r) { r.setText(Field::PostCode, "10087"); }, "02、邮政编码  应该为6位"},
      {text(Field::ContactTelArea), "02、区号  未填写"},
      {text(Field::ContactTelHome), "02、住宅电话  未填写"},
      {text(Field::ContactTelOffice), "02、办公电话  未填写"},
      {text(Field::ContactMobile), "02、手机号码  未填写"},
      {cell(Field::MainActor, 0, 6), "03、主要参加者  资料未填写完整"},
      {cell(Field::Production, 0, 4), "04、相关成果  资料未填写完整"},
      {cell(Field::ResearchedProject, 0, 5), "05、承担课题  资料未填写完整"},
      {lines(Field::ProjectReasoning), "06、设计论证  未填写"},
      {lines(Field::ProjectAnalyze), "07、可行性分析  未填写"},
      {cell(Field::ExpectProduction, 0, 0), "08、主要阶段性成果  资料未填写完整"},
      {cell(Field::FinallyProduction, 0, 4), "08、最终研究成果  资料未填写完整"},
      {text(Field::BudgetTotal), "09、经费预算  未填写"},
      {[](Record& r) { r.setText(Field::BudgetTotal, "0"); }, "09、经费预算  未填写"},
      {cell(Field::OutlayGrid3, 1, 2), "09、年度预算  资料未填写完整"},
      {lines(Field::FundingStatement), "09、经费管理  未填写"},
      {text(Field::BankAccount), "09、银行帐号  未填写"},
      {text(Field::FundingUnit), "09、经费管理单位  未填写"},
      {text(Field::Bank), "09、开户银行  未填写"},
      {text(Field::RemittancePlace), "09、汇入地点  未填写"},
      {text(Field::FinanceTelephone), "09、财务联系电话  未填写"},
      {lines(Field::FirstRecommendation), "10、第一推荐人意见  未填写"},
      {lines(Field::SecondRecommendation), "10、第二推荐人意见  未填写"},
      {lines(Field::UnitOpinion), "10、所在单位意见  未填写"},
      {lines(Field::PlanningOfficeOpinion), "10、二级管理单位意见 未填写"},
      {text(Field::AnonymousTitle), "11、活页课题名 未填写"},
      {lines(Field::AnonymousSheet), "11、活页  未填写"},
  };
  for (const auto& c : cases) {
    // The edit cannot be printed, and two rows expect one line: the row's
    // place in the table too.
    SCOPED_TRACE(testing::Message() << "row " << &c - cases << ": " << c.line);
    Record r = completeRecord();
    c.edit(r);
    EXPECT_EQ(completenessProblems(r), std::vector<std::string>{c.line}) << c.line;
  }
}

TEST(CompletenessCheck, EdgesOfSingleRules) {
  struct Case {
    const char* what;
    Edit edit;
    bool fires;
    const char* line;
  } cases[] = {
      {"blank title", [](Record& r) { r.setText(Field::ProjectName, " "); }, false, "01、课题名称  未填写"},
      {"lone line break", [](Record& r) { r.setLines(Field::ProjectReasoning, {""}); }, false, "06、设计论证  未填写"},
      {"six letters", [](Record& r) { r.setText(Field::PostCode, "abcdef"); }, false, "02、邮政编码  应该为6位"},
      {"three Chinese", [](Record& r) { r.setText(Field::PostCode, "北京市"); }, false, "02、邮政编码  应该为6位"},
      {"seven digits", [](Record& r) { r.setText(Field::PostCode, "1008750"); }, true, "02、邮政编码  应该为6位"},
      {"empty postcode", [](Record& r) { r.setText(Field::PostCode, ""); }, true, "02、邮政编码  应该为6位"},
      {"degree and employer not examined",
       [](Record& r) {
         r.setCell(Field::MainActor, 0, 7, "");
         r.setCell(Field::MainActor, 0, 8, "");
       },
       false, "03、主要参加者  资料未填写完整"},
      {"only second row filled", [](Record& r) { r.clearRow(Field::MainActor, 0); }, true,
       "03、主要参加者  资料未填写完整"},
      {"fourth year not examined", [](Record& r) { r.setCell(Field::OutlayGrid3, 1, 3, ""); }, false,
       "09、年度预算  资料未填写完整"},
      {"year captions not examined", [](Record& r) { r.setCell(Field::OutlayGrid3, 0, 0, ""); }, false,
       "09、年度预算  资料未填写完整"},
      {"self-chosen topic",
       [](Record& r) {
         r.setChoice(Field::Basis, 1);
         r.setText(Field::GuideNum, "");
       },
       false, "01、指南题号  未填写"},
      {"ministry class",
       [](Record& r) {
         r.setChoice(Field::ProjectClass, 2);
         r.setChoice(Field::ExpectProduction2, -1);
       },
       false, "01、预期最终成果4  未填写"},
      {"youth class",
       [](Record& r) {
         r.setChoice(Field::ProjectClass, 3);
         r.setChoice(Field::ExpectProduction2, -1);
       },
       false, "01、预期最终成果4  未填写"},
      {"total 0.0 is not the text 0", [](Record& r) { r.setText(Field::BudgetTotal, "0.0"); }, false,
       "09、经费预算  未填写"},
      {"senior title needs no recommender",
       [](Record& r) {
         r.setChoice(Field::DutySpecial, 2);
         r.setLines(Field::FirstRecommendation, {});
       },
       false, "10、第一推荐人意见  未填写"},
      {"assistant needs a recommender",
       [](Record& r) {
         r.setChoice(Field::DutySpecial, 0);
         r.setLines(Field::FirstRecommendation, {});
       },
       true, "10、第一推荐人意见  未填写"},
      {"no title chosen needs no recommender",
       [](Record& r) {
         r.setChoice(Field::DutySpecial, -1);
         r.setLines(Field::SecondRecommendation, {});
       },
       false, "10、第二推荐人意见  未填写"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Record r = completeRecord();
    c.edit(r);
    auto lines = completenessProblems(r);
    bool found = std::find(lines.begin(), lines.end(), c.line) != lines.end();
    EXPECT_EQ(found, c.fires) << c.what;
  }
}

TEST(CompletenessCheck, RecommenderLinesStandBetweenFundingAndUnit) {
  Record r = Record::initial();
  r.setChoice(Field::DutySpecial, 1);
  auto lines = completenessProblems(r);
  auto at = std::find(lines.begin(), lines.end(), "09、财务联系电话  未填写");
  ASSERT_NE(at, lines.end());
  ASSERT_GE(lines.end() - at, 4);
  EXPECT_EQ(at[1], "10、第一推荐人意见  未填写");
  EXPECT_EQ(at[2], "10、第二推荐人意见  未填写");
  EXPECT_EQ(at[3], "10、所在单位意见  未填写");
}

TEST(CompletenessCheck, ProblemPageComesFromTheFirstTwoDigits) {
  EXPECT_EQ(problemPage("09、经费预算  未填写"), 9);
  EXPECT_EQ(problemPage("11、活页  未填写"), 11);
  EXPECT_EQ(problemPage("02、邮政编码  应该为6位"), 2);
  EXPECT_EQ(problemPage("x"), 0);
}
