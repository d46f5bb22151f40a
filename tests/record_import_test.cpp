#include <gtest/gtest.h>

#include <cstdio>

#include "exchange/record_import.h"
#include "record/characters.h"
#include "record/gbk.h"
#include "test_support.h"

using namespace velmora;
using velmora::test::rowName;

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
                          R"("SN":"N1","PASSBY":"1","verifylist":["x"],"ProjectID":"{X}","KeyWord":"\u8bfe")");
  ASSERT_TRUE(r.ok()) << r.violations[0].key << r.violations[0].message;
  EXPECT_EQ(r.record.choiceText(Field::Sex), "B.女");
  EXPECT_EQ(r.record.lines(Field::ProjectReasoning), (Lines{"一行", "", "三 行"}));
  EXPECT_EQ(r.record.rows(Field::OutlayGrid)[0], (Row{"1", "资料费", "100.5"}));
  EXPECT_EQ(r.record.rows(Field::OutlayGrid)[1], (Row{"2", "数据采集费", "0"}));
  EXPECT_EQ(r.record.rows(Field::OutlayGrid3)[0], (Row{"2011年", "          年", "          年", "          年"}));
  EXPECT_EQ(r.record.text(Field::SN), "N1");
  EXPECT_EQ(r.record.text(Field::ProjectID), "000000000000000000000000");
  EXPECT_EQ(r.record.text(Field::KeyWord), "课");
}

TEST(RecordImport, EveryViolationIsReportedWithItsKey) {
  struct Case {
    std::string members;
    std::string key;
    std::string contains;
  } cases[] = {
      {R"("KeyWord":"一二三四五六七八九十一二三四五六七八九十一二三四五六")", "KeyWord", "50 字节"},
      {R"("Department":"笑😀")", "Department", "GBK"},
      {R"("KeyWord2":"a\fb")", "KeyWord2", "控制字符 U+000C"},
      {R"("Nation":"前\u0000后")", "Nation", "控制字符 U+0000"},
      {R"("MainActor":[["张三\u0001"]])", "MainActor[0][0]", "控制字符 U+0001"},
      {R"("HuoYe":["第一行","a\u001fb"])", "HuoYe", "控制字符 U+001F"},
      // What no field of the window holds: line breaks in a one-line field or
      // a cell, DEL anywhere.
      {R"("Department":"a\nb")", "Department", "不能有换行符"},
      {R"("KeyWord":"a\r\nb")", "KeyWord", "不能有换行符"},
      {R"("MainActor":[["张\n三"]])", "MainActor[0][0]", "不能有换行符"},
      {R"("Nation":"汉\u007f")", "Nation", "U+007F"},
      {R"("HuoYe":["第一行","a\u007fb"])", "HuoYe", "U+007F"},
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
      // The fields the window derives: the outlay from the class, the total
      // from the amounts.
      {R"("ProjectClass":"B.国家一般课题","ApplyOutlay":"很多")", "ApplyOutlay",
       "课题类别为“B.国家一般课题”时应为“12”"},
      {R"("ApplyOutlay":"很多")", "ApplyOutlay", "应为空或某一课题类别的金额"},
      {R"("OutlayAccounts":"免费")", "OutlayAccounts", "应为经费预算各项金额的合计“0”"},
      {R"("OutlayGrid":[["1","资料费","5"]],"OutlayAccounts":"12345")", "OutlayAccounts", "合计“5”"},
      {R"("OutlayGrid2":[["7","专家咨询费","1.2.3"]])", "OutlayAccounts",
       "无法合计：'1.2.3' is not a valid floating point value"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(rowName(c.members));
    ImportResult r = import(c.members);
    ASSERT_FALSE(r.ok()) << c.members;
    EXPECT_EQ(r.violations[0].key, c.key) << c.members;
    EXPECT_NE(r.violations[0].message.find(c.contains), std::string::npos) << r.violations[0].message;
  }
}

// Every control character and DEL in a one-line field, a line of a long
// text and a cell: the import takes what a field takes (a line break apart,
// which separates the lines of a long text and which one-line fields and
// cells do not hold), so an imported value is always one the window holds
// and a save writes; what a document cannot carry is named as such.
TEST(RecordImport, TakesTheCharactersAFieldTakes) {
  for (char32_t c = 0; c <= 0x7f; c = c < 0x20 ? c + 1 : 0x7f) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(c));
    const std::string code = escaped + 2;
    const bool taken = fieldTakes(c) && c != U'\n';
    for (const std::string& members :
         {R"("Nation":"a)" + std::string(escaped) + R"(b")", R"("MainActor":[["a)" + std::string(escaped) + R"(b"]])",
          R"("HuoYe":["a)" + std::string(escaped) + R"(b"])"}) {
      SCOPED_TRACE(members);
      const ImportResult r = import(members);
      ASSERT_EQ(r.ok(), taken);
      if (!taken) {
        ASSERT_EQ(r.violations.size(), 1u);
        if (!documentCarries(c)) {
          EXPECT_NE(r.violations[0].message.find("文档不能保存的控制字符 U+" + code), std::string::npos)
              << r.violations[0].message;
        }
      }
    }
    if (c == 0x7f) break;
  }
}

TEST(RecordImport, RequiredFieldsAndBrokenJson) {
  ImportResult r = importRecordJson(R"({"Presider":"王"})");
  ASSERT_EQ(r.violations.size(), 2u);
  EXPECT_EQ(r.violations[0].key, "ProjectName");
  EXPECT_EQ(r.violations[1].key, "ContactMail");
  for (const char* broken : {"", "[", "{\"a\":}", "{\"a\":\"x\"", "{\"a\":\"\\uD800\"}", "[1] 2", "\"x\""}) {
    SCOPED_TRACE(rowName(broken));
    ImportResult b = importRecordJson(broken);
    EXPECT_FALSE(b.ok()) << broken;
  }
}

TEST(RecordImport, InvalidJsonIsRefusedWithItsPosition) {
  using namespace std::string_literals;
  struct Case {
    std::string json;
    std::string message;  // the whole message, or its start up to the position
  } cases[] = {
      {R"({"PASSBY": 1-2})", "JSON 格式错误（第 1 行第 14 列）："},
      {R"({"Nation": 01})", "JSON 格式错误（第 1 行第 13 列）："},
      {R"({"Nation": 1.})", "JSON 格式错误（第 1 行第 14 列）："},
      {"{\"Nation\": \"汉\",\n}", "JSON 格式错误（第 2 行第 1 列）："},
      {R"({"Nation": ["汉",]})", "JSON 格式错误（第 1 行第 17 列）："},
      {R"({"Nation": "\x"})", "JSON 格式错误（第 1 行第 14 列）："},
      {"{\"Nation\": \"\xFF\"}", "JSON 格式错误（第 1 行第 13 列）："},
      {"{\"Nation\": \"汉\xE6\xB1\"}", "JSON 格式错误（第 1 行第 15 列）："},
      {R"({"Nation": "\uDC00"})", "JSON 格式错误（第 1 行第 18 列）："},
      {R"({"Nation": "\uD800x"})", "JSON 格式错误（第 1 行第 19 列）："},
      {"{\"Nation\": \"a\tb\"}", "JSON 格式错误（第 1 行第 14 列）："},
      {R"({"Nation": "汉"} {})", "JSON 格式错误（第 1 行第 17 列）："},
      {"", "JSON 格式错误（第 1 行第 1 列）："},
      // Found by fuzz_json_import: a number no double holds.
      {R"({"PASSBY": 1e999})", "JSON 格式错误（第 1 行第 12 列）：数值超出范围"},
      {R"({"PASSBY": [0, -1.5e-999999, -2e+400]})", "JSON 格式错误（第 1 行第 30 列）：数值超出范围"},
      {"[1e2513.1\":619\xD3"
       "e353.1\":619\xD3"
       "F-6",
       "JSON 格式错误（第 1 行第 2 列）：数值超出范围"},
      // Refusals of our own: the whole message.
      {"{\"Nation\": \"汉\",\n \"Nation\": \"回\"}", "JSON 格式错误（第 2 行第 2 列）：键“Nation”重复"},
      {R"({"Presider": "王", "Nation": "汉", "Presider": "李"})", "JSON 格式错误（第 1 行第 34 列）：键“Presider”重复"},
      {R"({"Nation": "汉", "a\"b": 1, "a\"b": 2})", "JSON 格式错误（第 1 行第 28 列）：键“a\"b”重复"},
      {R"({"MainActor": [["a", {"x": 1, "x": 2}]]})", "JSON 格式错误（第 1 行第 31 列）：键“x”重复"},
      {std::string(100, '[') + std::string(100, ']'), "JSON 格式错误（第 1 行第 66 列）：嵌套超过 64 层"},
      {"[\"x\"]", "JSON 格式错误（第 1 行第 1 列）：应为一个 JSON 对象"},
      {"\n  \"x\"", "JSON 格式错误（第 2 行第 3 列）：应为一个 JSON 对象"},
      {"null", "JSON 格式错误（第 1 行第 1 列）：应为一个 JSON 对象"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(rowName(c.json));
    ImportResult r = importRecordJson(c.json);
    ASSERT_EQ(r.violations.size(), 1u) << c.json;
    EXPECT_EQ(r.violations[0].key, "") << c.json;
    if (c.message.ends_with("："))
      EXPECT_EQ(r.violations[0].message.rfind(c.message, 0), 0u) << c.json << "\n" << r.violations[0].message;
    else
      EXPECT_EQ(r.violations[0].message, c.message) << c.json;
    // Whatever stopped the parser, the message is valid text: the bytes it
    // stopped at are not repeated.
    const std::string& m = r.violations[0].message;
    for (std::size_t at = 0; at < m.size();) EXPECT_NE(nextCodePoint(m, at), U'\uFFFD') << m;
  }
}

TEST(RecordImport, EscapesAndKeyOrderAreKept) {
  ImportResult r = import(R"("ProjectReasoning":["x\"y\\\/","\u00e9\u4e00"],"Sex":"Q","Nation":5)");
  ASSERT_EQ(r.violations.size(), 2u);
  // Violations come in the order of the keys in the text, not sorted.
  EXPECT_EQ(r.violations[0].key, "Sex");
  EXPECT_EQ(r.violations[1].key, "Nation");
  EXPECT_EQ(r.record.lines(Field::ProjectReasoning), (Lines{"x\"y\\/", "é一"}));
}

TEST(RecordImport, InputBeyondItsLimitsIsRefusedBeforeItIsBuilt) {
  const std::string object = "{" + kRequired + "}";
  // n empty strings under verifylist, which import accepts and ignores: the
  // root, three required values and the array are the other five values. The
  // three Chinese characters of the required values are six bytes more than
  // characters.
  auto verifylist = [&](std::size_t n) {
    std::string list = "{" + kRequired + ",\"verifylist\":[";
    for (std::size_t i = 0; i < n; ++i) list += i ? ",\"\"" : "\"\"";
    return list + "]}";
  };
  struct Case {
    std::string name;
    std::string json;
    std::string refusal;  // empty: accepted
  } cases[] = {
      {"exactly the byte limit", object + std::string(kMaxImportBytes - object.size(), ' '), ""},
      {"one byte more", object + std::string(kMaxImportBytes - object.size() + 1, ' '),
       "JSON 过大，不是申报书（超过 64 MB）"},
      {"exactly the value limit", verifylist(kMaxImportValues - 5), ""},
      // Where the parser stopped: the closing quote of the value too many,
      // the column counted in characters.
      {"one value more", verifylist(kMaxImportValues - 4),
       "JSON 格式错误（第 1 行第 " + std::to_string(verifylist(kMaxImportValues - 4).size() - 2 - 6) +
           " 列）：值超过 100000 个，不是申报书"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ImportResult r = importRecordJson(c.json);
    if (c.refusal.empty()) {
      EXPECT_TRUE(r.ok()) << c.name << ": " << (r.ok() ? "" : r.violations[0].message);
      continue;
    }
    ASSERT_EQ(r.violations.size(), 1u) << c.name;
    EXPECT_EQ(r.violations[0].key, "") << c.name;
    EXPECT_EQ(r.violations[0].message, c.refusal) << c.name;
  }
}

TEST(RecordImport, AnObjectWithMoreKeysThanARecordHasIsRefusedWhileParsed) {
  // Each key went through a search of all before it (100 000 keys of 600
  // bytes took 193 s); no record has more keys than the catalogue's fields,
  // PASSBY and verifylist.
  static_assert(kFieldCount + 2 <= static_cast<int>(kMaxImportKeys));
  auto keys = [](std::size_t n, bool nested) {
    std::string members;
    for (std::size_t i = 3; i < n; ++i) members += ",\"k" + std::to_string(i) + "\":\"\"";
    if (!nested) return "{" + kRequired + members + "}";
    return "{" + kRequired + ",\"Sex\":{\"k0\":0,\"k1\":0,\"k2\":0" + members + "}}";
  };
  const std::string over = keys(kMaxImportKeys + 1, false);
  const std::string overNested = keys(kMaxImportKeys + 1, true);
  // Where the parser stopped: the closing quote of the key too many, the
  // column counted in characters (the required values' three Chinese
  // characters are six bytes more).
  auto column = [](const std::string& json) { return std::to_string(json.rfind("\":") + 1 - 6); };
  struct Case {
    std::string name;
    std::string json;
    std::size_t violations;  // each key that is no field, when the object is taken
    std::string refusal = "";
  } cases[] = {
      {"at the limit", keys(kMaxImportKeys, false), kMaxImportKeys - 3},
      {"one more", over, 1, "JSON 格式错误（第 1 行第 " + column(over) + " 列）：对象的键超过 256 个，不是申报书"},
      {"one more, nested", overNested, 1,
       "JSON 格式错误（第 1 行第 " + column(overNested) + " 列）：对象的键超过 256 个，不是申报书"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ImportResult r = importRecordJson(c.json);
    ASSERT_EQ(r.violations.size(), c.violations) << c.name;
    if (c.refusal.empty()) {
      for (const auto& v : r.violations) EXPECT_EQ(v.message, "不是申报书的字段") << c.name << " " << v.key;
      continue;
    }
    ASSERT_EQ(r.violations.size(), 1u) << c.name;
    EXPECT_EQ(r.violations[0].key, "") << c.name;
    EXPECT_EQ(r.violations[0].message, c.refusal) << c.name;
  }
}

TEST(RecordImport, TheFullestRecordIsWithinTheValueLimit) {
  // Every long text with as many (empty) lines as its byte limit allows, a
  // line break counting two bytes; every table with all its rows and cells;
  // a long problem list. This must import, or the limit refuses real records.
  const Record fresh = Record::initial();
  std::string json = "{" + kRequired;
  std::size_t values = 4;
  auto quoted = [](const std::string& s) { return "\"" + s + "\""; };
  for (const FieldDef& d : allFields()) {
    if (d.id == Field::ProjectName || d.id == Field::Presider || d.id == Field::ContactMail) continue;
    json += ",\"" + std::string(d.name) + "\":";
    if (d.kind == Kind::LongText) {
      const int lines = d.byteLimit / 2 + 1;
      json += "[";
      for (int i = 0; i < lines; ++i) json += i ? ",\"\"" : "\"\"";
      json += "]";
      values += 1 + static_cast<std::size_t>(lines);
    } else if (d.kind == Kind::Table) {
      json += "[";
      for (int row = 0; row < d.table.storedRows; ++row) {
        json += row ? ",[" : "[";
        for (int col = 0; col < d.table.columns; ++col) json += (col ? "," : "") + quoted(fresh.cell(d.id, row, col));
        json += "]";
      }
      json += "]";
      values += 1 + static_cast<std::size_t>(d.table.storedRows * (1 + d.table.columns));
    } else {
      json += quoted("");
      ++values;
    }
  }
  json += ",\"PASSBY\":\"0\",\"verifylist\":[";
  for (int i = 0; i < 500; ++i) json += i ? ",\"01、关键词1  未填写\"" : "\"01、关键词1  未填写\"";
  json += "]}";
  values += 2 + 500;
  ImportResult r = importRecordJson(json);
  EXPECT_TRUE(r.ok()) << (r.ok() ? "" : r.violations[0].key + "：" + r.violations[0].message);
  // A wide margin: the limit is there for hostile input, not for records.
  EXPECT_LT(values * 4, kMaxImportValues) << values;
}

// A long text the window filled to its limit is stored as the lines it shows,
// wrapped or broken; held to the characters of those lines, it imports again
// (counting two bytes for every line break refused it).
TEST(RecordImport, ALongTextAtItsLimitAsTheWindowStoresIt) {
  std::string lines;
  for (int i = 0; i < 14; ++i)
    lines += std::string(i ? "," : "") + "\"" + [] {
      std::string line;
      for (int c = 0; c < 25; ++c) line += "意";
      return line;
    }() + "\"";
  ImportResult full = import(R"("danweiyijian":[)" + lines + "]");
  ASSERT_TRUE(full.ok()) << full.violations[0].message;
  EXPECT_EQ(full.record.lines(Field::UnitOpinion).size(), 14u);
  ImportResult over = import(R"("danweiyijian":[)" + lines + R"(,"a"])");
  ASSERT_FALSE(over.ok());
  EXPECT_EQ(over.violations[0].message, "超过 700 字节的长度限制（701 字节）");
}

// Not given, the derived fields are what the window would show.
TEST(RecordImport, DerivedFieldsAreComputedAsTheWindowDoes) {
  ImportResult r = import(R"("ProjectClass":"C.国家青年基金课题","OutlayGrid":[["1","资料费","100"]],)"
                          R"("OutlayGrid2":[["7","专家咨询费","0.1"],["8","劳务费","0.2"]])");
  ASSERT_TRUE(r.ok()) << r.violations[0].key << r.violations[0].message;
  EXPECT_EQ(r.record.text(Field::ApplyOutlay), "10");
  EXPECT_EQ(r.record.text(Field::BudgetTotal), "100.3");
  // Given as the window has them, they are taken.
  ImportResult same = import(R"("ProjectClass":"C.国家青年基金课题","ApplyOutlay":"10",)"
                             R"("OutlayGrid":[["1","资料费","100"]],"OutlayAccounts":"100")");
  EXPECT_TRUE(same.ok()) << same.violations[0].key << same.violations[0].message;
  // A fresh application's empty total with untouched amounts, as the window
  // saves it before any amount is entered.
  ImportResult fresh = import(R"("OutlayAccounts":"","ApplyOutlay":"")");
  EXPECT_TRUE(fresh.ok()) << fresh.violations[0].key << fresh.violations[0].message;
}
