#include <gtest/gtest.h>

#include "record/fields.h"
#include "record/record.h"
#include "test_support.h"

using namespace velmora;
using velmora::test::rowName;

TEST(Vocabulary, SeventeenListsWithTheirItemCounts) {
  struct Case {
    const Vocabulary& list;
    int size;
    const char* first;
    const char* last;
  } cases[] = {
      {vocab::Basis, 2, "A.依据指南", "B.自选课题"},
      {vocab::ProjectClass, 4, "B.国家一般课题", "E.教育部青年专项课题"},
      {vocab::ResearchClass, 4, "A.基础研究", "D.其他研究"},
      {vocab::SubjectClass, 14, "A.教育基本理论与教育史", "N.国防军事教育"},
      {vocab::ExpectProduction1, 7, "A.专著", "G. 其他"},
      {vocab::ExpectProduction2, 6, "B.译著", "G. 其他"},
      {vocab::Purpose, 9, "", "单位资助教育部规划课题"},
      {vocab::Sex, 2, "A.男", "B.女"},
      {vocab::Age, 2, "A.40岁以下", "B.40岁以上"},
      {vocab::DutyAdmin, 4, "A.处级以下", "D.部级"},
      {vocab::DutySpecial, 4, "A.助教（实习研究员）", "D.教授（研究员、特级教师）"},
      {vocab::LastDiploma, 4, "A.研究生", "D.中专及以下"},
      {vocab::LastDegree, 4, "A.博士", "D.无"},
      {vocab::ResearchSpecial, 22, "A.教育史", "V.教育学其他"},
      {vocab::Tutor, 3, "A.博士生导师", "C.未担任导师"},
      {vocab::BelongCity, 32, "A.北京市", "6.新疆生产建设兵团"},
      {vocab::BelongSystem, 10, "A.教育部直属高等院校", "J.其他"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.list.name);
    EXPECT_EQ(c.list.size(), c.size) << c.list.name;
    EXPECT_EQ(c.list.text(0), c.first) << c.list.name;
    EXPECT_EQ(c.list.text(c.size - 1), c.last) << c.list.name;
    ASSERT_TRUE(fieldByName(c.list.name)) << c.list.name;
    EXPECT_EQ(fieldDef(*fieldByName(c.list.name)).list, &c.list);
  }
}

TEST(Vocabulary, ChoiceIsSetByTextLatinLettersWithoutCase) {
  struct Case {
    const Vocabulary& list;
    const char* text;
    int index;
  } cases[] = {
      {vocab::Sex, "A.男", 0},
      {vocab::Sex, "a.男", 0},
      {vocab::Sex, "b.女", 1},
      {vocab::Sex, "A.女", -1},
      {vocab::BelongSystem, "F.军事机关及院饺", 5},
      {vocab::BelongSystem, "F.军事机关及院校", -1},
      {vocab::ExpectProduction1, "G. 其他", 6},
      {vocab::ExpectProduction1, "G.其他", -1},
      {vocab::ExpectProduction1, "D.研究报告", 3},
      {vocab::ExpectProduction2, "D.研究报告", 2},
      {vocab::ExpectProduction2, "A.专著", -1},
      {vocab::ResearchSpecial, "m.普通教育学(包括初等教育学、中等教育学等)", 12},
      {vocab::BelongCity, "6.新疆生产建设兵团", 31},
      {vocab::Purpose, "", -1},
      {vocab::Purpose, "特级教师计划专项", 1},
      {vocab::Basis, "A.依据指南 ", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.list.name << " " << rowName(c.text));
    EXPECT_EQ(c.list.find(c.text), c.index) << c.list.name << " " << c.text;
  }
}

TEST(Vocabulary, UnmatchedChoiceReadsEmpty) {
  Record r = Record::initial();
  r.setChoiceText(Field::Sex, "C.其他");
  EXPECT_EQ(r.choice(Field::Sex), -1);
  EXPECT_EQ(r.valueText(Field::Sex), "");
  r.setChoiceText(Field::Sex, "b.女");
  EXPECT_EQ(r.valueText(Field::Sex), "B.女");
  r.setChoiceText(Field::Purpose, "");
  EXPECT_EQ(r.valueText(Field::Purpose), "");
}

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
