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
