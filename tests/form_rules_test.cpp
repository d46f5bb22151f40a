#include <gtest/gtest.h>

#include "document/form_state.h"
#include "test_support.h"

using namespace velmora;
using namespace velmora::test;

TEST(FormRules, MirrorsFollowEveryTextChange) {
  FormState s;
  s.setText(Field::Presider, "王");
  EXPECT_EQ(s.view().presider1, "王");
  s.setText(Field::EduCode, "1234-5678-9012");
  EXPECT_EQ(s.record().text(Field::EduCode), "123456789012");
  EXPECT_EQ(s.view().eduCode1, "123456789012");
  EXPECT_TRUE(s.modified());
}

TEST(FormRules, EqualTextIsNoChange) {
  FormState s;
  s.setText(Field::ProjectName, "");
  EXPECT_FALSE(s.modified());
  s.setLines(Field::AnonymousSheet, {});
  EXPECT_FALSE(s.modified());
}

TEST(FormRules, ProjectClassRule) {
  struct Case {
    int item;
    bool national;
    const char* outlay;
  } cases[] = {{0, true, "12"}, {1, true, "10"}, {2, false, "3"}, {3, false, "2"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "ProjectClass " << vocab::ProjectClass.text(c.item));
    FormState s;
    ScriptedPrompter p;
    s.pickChoice(Field::ExpectProduction2, 2, p);
    s.pickChoice(Field::ExpectProduction1, 4, p);
    s.pickChoice(Field::ProjectClass, c.item, p);
    EXPECT_EQ(s.view().expectProduction2Shown, c.national);
    EXPECT_EQ(s.record().text(Field::ApplyOutlay), c.outlay);
    EXPECT_EQ(s.isEnabled(Field::ExpectProduction1), !c.national);
    EXPECT_EQ(s.record().choice(Field::ExpectProduction1), c.national ? 0 : -1);
    EXPECT_EQ(s.record().choice(Field::ExpectProduction2), c.national ? 2 : -1);
    EXPECT_TRUE(s.modified());
  }
}

TEST(FormRules, AgeRuleClearsTheYouthClass) {
  FormState s;
  ScriptedPrompter p;
  s.pickChoice(Field::ProjectClass, 3, p);
  s.pickChoice(Field::Age, 1, p);
  EXPECT_EQ(s.record().choice(Field::ProjectClass), -1);
  EXPECT_EQ(s.record().text(Field::ApplyOutlay), "2");
  ASSERT_EQ(p.shown.size(), 1u);
  EXPECT_EQ(p.shown[0].kind, "message");
  EXPECT_EQ(p.shown[0].text, "40岁以上不能申请青年专项，请重新选择课题类别！");
  s.runCheck();
  EXPECT_NE(std::find(s.problems().begin(), s.problems().end(), "01、课题类别  未填写"), s.problems().end());

  // Other classes, or the age picked first, pass silently.
  FormState t;
  ScriptedPrompter q;
  t.pickChoice(Field::ProjectClass, 2, q);
  t.pickChoice(Field::Age, 1, q);
  t.pickChoice(Field::ProjectClass, 3, q);
  EXPECT_EQ(t.record().choice(Field::ProjectClass), 3);
  EXPECT_TRUE(q.shown.empty());
}

TEST(FormRules, BasisRuleHidesAndEmptiesTheGuideNumber) {
  FormState s;
  ScriptedPrompter p;
  s.setText(Field::GuideNum, "7");
  s.pickChoice(Field::Basis, 1, p);
  EXPECT_FALSE(s.view().guideNumShown);
  EXPECT_EQ(s.record().text(Field::GuideNum), "");
  s.pickChoice(Field::Basis, 0, p);
  EXPECT_TRUE(s.view().guideNumShown);
}

TEST(FormRules, PurposeRule) {
  FormState s;
  ScriptedPrompter p;
  s.pickChoice(Field::ProjectClass, 0, p);
  s.pickChoice(Field::Purpose, 1, p);
  EXPECT_EQ(s.record().text(Field::ApplyOutlay), "");
  EXPECT_FALSE(s.isEnabled(Field::ApplyOutlay));
  s.pickChoice(Field::Purpose, 2, p);
  EXPECT_TRUE(s.isEnabled(Field::ApplyOutlay));
}

TEST(FormRules, BudgetTotal) {
  FormState s;
  ScriptedPrompter p;
  EXPECT_TRUE(s.editCell(Field::OutlayGrid, 0, 2, "100", p));
  EXPECT_EQ(s.record().text(Field::BudgetTotal), "100");
  s.editCell(Field::OutlayGrid2, 1, 2, "50.5", p);
  EXPECT_EQ(s.record().text(Field::BudgetTotal), "150.5");
  s.editCell(Field::OutlayGrid, 0, 2, "", p);
  EXPECT_EQ(s.record().text(Field::BudgetTotal), "50.5");
  s.editCell(Field::OutlayGrid, 1, 2, "0.1", p);
  s.editCell(Field::OutlayGrid2, 1, 2, "0.2", p);
  EXPECT_EQ(s.record().text(Field::BudgetTotal), "0.3");
  s.editCell(Field::OutlayGrid, 2, 2, "50.", p);
  s.editCell(Field::OutlayGrid, 3, 2, ".", p);
  EXPECT_EQ(s.record().text(Field::BudgetTotal), "50.3");
  EXPECT_TRUE(p.shown.empty());

  // A second point: the error, the total keeps its text, the cell its text.
  s.editCell(Field::OutlayGrid, 2, 2, "50.5.", p);
  ASSERT_EQ(p.shown.size(), 1u);
  EXPECT_EQ(p.shown[0].kind, "error");
  EXPECT_EQ(p.shown[0].text, "'50.5.' is not a valid floating point value.");
  EXPECT_EQ(s.record().text(Field::BudgetTotal), "50.3");
  EXPECT_EQ(s.record().cell(Field::OutlayGrid, 2, 2), "50.5.");
  // Every further edit repeats it until the cell is a number again.
  s.editCell(Field::OutlayGrid2, 0, 2, "1", p);
  EXPECT_EQ(p.shown.size(), 2u);
  s.editCell(Field::OutlayGrid, 2, 2, "50", p);
  EXPECT_EQ(s.record().text(Field::BudgetTotal), "51.3");
}

// Amounts a double cannot add up to a number leave the total as it was: an
// "INF" total was saved and counted as filled.
TEST(FormRules, ATotalTooLargeForANumberIsAnError) {
  FormState s;
  ScriptedPrompter p;
  const std::string huge = "1" + std::string(308, '0');  // 1e308
  s.editCell(Field::OutlayGrid, 0, 2, "100", p);
  s.editCell(Field::OutlayGrid, 1, 2, huge, p);
  EXPECT_TRUE(p.shown.empty());
  s.editCell(Field::OutlayGrid2, 0, 2, huge, p);
  ASSERT_EQ(p.shown.size(), 1u);
  EXPECT_EQ(p.shown[0].kind, "error");
  EXPECT_EQ(p.shown[0].text, "Floating point overflow.");
  EXPECT_EQ(s.record().text(Field::BudgetTotal).substr(0, 4), "1E30");  // as the last finite sum left it
  EXPECT_EQ(s.record().cell(Field::OutlayGrid2, 0, 2), huge);
  s.editCell(Field::OutlayGrid2, 0, 2, "1", p);
  EXPECT_EQ(p.shown.size(), 1u);
}

TEST(FormRules, FixedCellsOfTheAmountTablesCannotBeEdited) {
  FormState s;
  ScriptedPrompter p;
  EXPECT_FALSE(s.editCell(Field::OutlayGrid, 0, 1, "改", p));
  EXPECT_EQ(s.record().cell(Field::OutlayGrid, 0, 1), "资料费");
  EXPECT_FALSE(s.modified());
  EXPECT_TRUE(s.editCell(Field::OutlayGrid3, 0, 0, "2011年", p));
  EXPECT_TRUE(s.modified());
}
