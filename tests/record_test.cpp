#include <gtest/gtest.h>

#include "record/fields.h"
#include "record/record.h"
#include "test_support.h"

using namespace velmora;
using velmora::test::rowName;

TEST(Record, CatalogueHoldsSixtyOneUserFieldsWithTheirLimits) {
  int user = 0;
  for (const auto& d : allFields()) user += isUserField(d.id);
  EXPECT_EQ(user, 61);
  struct Case {
    const char* name;
    Kind kind;
    int limit;
  } cases[] = {
      {"ProjectName", Kind::Text, 80},
      {"KeyWord3", Kind::Text, 50},
      {"Presider", Kind::Text, 20},
      {"InputDate", Kind::Text, 8},
      {"ExpectCompleteDate", Kind::Text, 6},
      {"IDcard", Kind::Text, 18},
      {"ContactMail", Kind::Text, 25},
      {"PostCode", Kind::Text, 6},
      {"ContactTelArea", Kind::Text, 6},
      {"ContactMobile", Kind::Text, 15},
      {"OutlayAccounts", Kind::Text, 25},
      {"OutlayPostcode", Kind::Text, 20},
      {"OutlayPromises2", Kind::Text, 0},
      {"MaskName", Kind::Text, 0},
      {"ProjectReasoning", Kind::LongText, 8050},
      {"ProjectAnalyze", Kind::LongText, 3100},
      {"danweiyijian", Kind::LongText, 700},
      {"HuoYe", Kind::LongText, 11100},
      {"EduCode", Kind::Masked, 12},
      {"OutlayGrid3", Kind::Table, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto f = fieldByName(c.name);
    ASSERT_TRUE(f) << c.name;
    EXPECT_EQ(fieldDef(*f).kind, c.kind) << c.name;
    EXPECT_EQ(fieldDef(*f).byteLimit, c.limit) << c.name;
  }
}

TEST(Record, InitialValues) {
  Record r = Record::initial();
  EXPECT_EQ(r.text(Field::ProjectID), "000000000000000000000000");
  EXPECT_EQ(r.rows(Field::MainActor).size(), 15u);
  EXPECT_EQ(r.rows(Field::MainActor)[0].size(), 9u);
  EXPECT_EQ(r.rows(Field::OutlayGrid)[0], (Row{"1", "资料费", "0"}));
  EXPECT_EQ(r.rows(Field::OutlayGrid2)[4], (Row{"11", "其他", "0"}));
  EXPECT_EQ(r.rows(Field::OutlayGrid3)[0], (Row(4, "          年")));
  EXPECT_EQ(r.rows(Field::OutlayGrid3)[1], (Row(4, "")));
  for (const auto& d : allFields())
    if (d.kind == Kind::Choice) {
      EXPECT_EQ(r.choice(d.id), -1) << d.name;
    }
  EXPECT_TRUE(r.text(Field::BudgetTotal).empty());
}

TEST(Record, LongTextLinesAndText) {
  struct Case {
    const char* text;
    Lines lines;
  } cases[] = {
      {"", {}}, {"\n", {""}}, {"abc", {"abc"}}, {"a\n\n", {"a", ""}}, {"第一行\n\n第三行", {"第一行", "", "第三行"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(rowName(c.text));
    EXPECT_EQ(textFromLines(c.lines), c.text) << c.text;
  }
}

// The items the rules name are the items the lists hold at those places: a
// list reordered or an item inserted fails here, not in a rule.
TEST(Record, NamedChoiceItemsAreTheListsOwn) {
  struct Case {
    Field field;
    int item;
    const char* text;
  } cases[] = {
      {Field::ProjectClass, choiceItem::kNationalGeneral, "B.国家一般课题"},
      {Field::ProjectClass, choiceItem::kNationalYouth, "C.国家青年基金课题"},
      {Field::ProjectClass, choiceItem::kMinistryYouth, "E.教育部青年专项课题"},
      {Field::Purpose, choiceItem::kSpecialTeacherPlan, "特级教师计划专项"},
      {Field::Basis, choiceItem::kFollowsGuide, "A.依据指南"},
      {Field::Basis, choiceItem::kOwnTopic, "B.自选课题"},
      {Field::Age, choiceItem::kFortyOrOver, "B.40岁以上"},
      {Field::DutySpecial, choiceItem::kAssistant, "A.助教（实习研究员）"},
      {Field::DutySpecial, choiceItem::kLecturer, "B.讲师（助理研究员）"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Record r = Record::initial();
    r.setChoice(c.field, c.item);
    EXPECT_EQ(r.valueText(c.field), c.text);
  }
  EXPECT_TRUE(isNationalClass(choiceItem::kNationalGeneral));
  EXPECT_TRUE(isNationalClass(choiceItem::kNationalYouth));
  EXPECT_FALSE(isNationalClass(2));
  EXPECT_FALSE(isNationalClass(choiceItem::kMinistryYouth));
}
