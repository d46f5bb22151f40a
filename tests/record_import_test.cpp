#include <gtest/gtest.h>

#include "document/json_value.h"
#include "document/record_import.h"

using namespace velmora;

namespace {
const std::string kRequired = R"("ProjectName":"课题","Presider":"王","ContactMail":"w@x.cn")";
ImportResult import(const std::string& members) {
  return importRecordJson("{" + kRequired + (members.empty() ? "" : "," + members) + "}");
}
}  // namespace

TEST(RecordImport, MissingKeysKeepTheInitialValues) {
  ImportResult r = import("");
  ASSERT_TRUE(r.ok()) << r.violations[0].message;
  Record expected = Record::initial();
  expected.setText(Field::ProjectName, "课题");
  expected.setText(Field::Presider, "王");
  expected.setText(Field::ContactMail, "w@x.cn");
  EXPECT_TRUE(r.record == expected);
}

TEST(RecordImport, ValuesOfEveryKind) {
  ImportResult r = import(R"("Sex":"b.女","EduCode":"123456789012","ProjectReasoning":["一行","","三 行"],)"
                          R"("OutlayGrid":[["1","资料费","100.5"]],"OutlayGrid3":[["2011年"],["1","2"]],)"
                          R"("SN":"N1","PASSBY":"1","verifylist":["x"],"ProjectID":"{X}","KeyWord":"\u8bfe\n")");
  ASSERT_TRUE(r.ok()) << r.violations[0].key << r.violations[0].message;
  EXPECT_EQ(r.record.choiceText(Field::Sex), "B.女");
  EXPECT_EQ(r.record.lines(Field::ProjectReasoning), (Lines{"一行", "", "三 行"}));
  EXPECT_EQ(r.record.rows(Field::OutlayGrid)[0], (Row{"1", "资料费", "100.5"}));
  EXPECT_EQ(r.record.rows(Field::OutlayGrid)[1], (Row{"2", "数据采集费", "0"}));
  EXPECT_EQ(r.record.rows(Field::OutlayGrid3)[0], (Row{"2011年", "          年", "          年", "          年"}));
  EXPECT_EQ(r.record.text(Field::SN), "N1");
  EXPECT_EQ(r.record.text(Field::ProjectID), "000000000000000000000000");
  EXPECT_EQ(r.record.text(Field::KeyWord), "课\n");
}

TEST(RecordImport, EveryViolationIsReportedWithItsKey) {
  struct Case {
    std::string members;
    std::string key;
    std::string contains;
  } cases[] = {
      {R"("KeyWord":"一二三四五六七八九十一二三四五六七八九十一二三四五六")", "KeyWord", "50 字节"},
      {R"("Presider":"重复")", "Presider", "键重复"},
      {R"("Department":"笑😀")", "Department", "GBK"},
      {R"("Sex":"C.未知")", "Sex", "不是可选的项目"},
      {R"("BelongSystem":"F.军事机关及院校")", "BelongSystem", "不是可选的项目"},
      {R"("EduCode":"1234")", "EduCode", "12位数字"},
      {R"("IDcard":"1101-08")", "IDcard", "数字和字母X"},
      {R"("InputDate":"2011.08")", "InputDate", "数字"},
      {R"("MainActor":[[],[],[],[],[],[],[],[],[],[],[],[],[],[],[],[]])", "MainActor", "最多 15 行"},
      {R"("Production":[["1","2","3","4","5","6"]])", "Production[0]", "最多 5 列"},
      {R"("OutlayGrid":[["1","书费","0"]])", "OutlayGrid[0][1]", "资料费"},
      {R"("OutlayGrid2":[["7","专家咨询费","1,000"]])", "OutlayGrid2[0][2]", "数字和小数点"},
      {R"("danweiyijian":[")" + std::string(701, 'a') + R"("])", "danweiyijian", "700 字节"},
      {R"("HuoYe":"not lines")", "HuoYe", "字符串数组"},
      {R"("Nation":5)", "Nation", "应为字符串"},
      {R"("Unknown":"x")", "Unknown", "不是申报书的字段"},
      {R"("ProjectClass":"D.教育部重点课题","ExpectProduction2":"B.译著")", "ExpectProduction2", "预期最终成果4"},
      {R"("ProjectClass":"B.国家一般课题","ExpectProduction1":"B.译著")", "ExpectProduction1", "A.专著"},
  };
  for (const auto& c : cases) {
    ImportResult r = import(c.members);
    ASSERT_FALSE(r.ok()) << c.members;
    EXPECT_EQ(r.violations[0].key, c.key) << c.members;
    EXPECT_NE(r.violations[0].message.find(c.contains), std::string::npos) << r.violations[0].message;
  }
}

TEST(RecordImport, RequiredFieldsAndBrokenJson) {
  ImportResult r = importRecordJson(R"({"Presider":"王"})");
  ASSERT_EQ(r.violations.size(), 2u);
  EXPECT_EQ(r.violations[0].key, "ProjectName");
  EXPECT_EQ(r.violations[1].key, "ContactMail");
  for (const char* broken : {"", "[", "{\"a\":}", "{\"a\":\"x\"", "{\"a\":\"\\uD800\"}", "[1] 2", "\"x\""}) {
    ImportResult b = importRecordJson(broken);
    EXPECT_FALSE(b.ok()) << broken;
  }
}

TEST(JsonValue, ParsesNestedValuesInOrder) {
  JsonError e;
  auto v = parseJson(R"( {"b": [1, "x\"y", true, null], "a": {"c": "\u00e9\ud83d\ude00"}} )", e);
  ASSERT_TRUE(v) << e.message;
  ASSERT_EQ(v->members.size(), 2u);
  EXPECT_EQ(v->members[0].first, "b");
  EXPECT_EQ(v->members[0].second.items[1].text, "x\"y");
  EXPECT_EQ(v->members[1].second.members[0].second.text, "é😀");
  std::string deep(100, '[');
  EXPECT_FALSE(parseJson(deep + std::string(100, ']'), e));
}
