#include <gtest/gtest.h>

#include <cstdio>

#include "check/completeness_check.h"
#include "format/xdx_reader.h"
#include "format/xdx_writer.h"
#include "record/characters.h"
#include "test_support.h"

using namespace velmora;
using namespace velmora::test;

namespace {
Record requiredOnly() {
  Record r = Record::initial();
  r.setText(Field::ProjectName, "教育公平研究");
  r.setText(Field::Presider, "李明");
  r.setText(Field::ContactMail, "liming@example.cn");
  return r;
}
}  // namespace

TEST(XdxWriter, FreshRecordWithRequiredFieldsGivesExactBytes) {
  Record r = requiredOnly();
  EXPECT_EQ(buildXdx(r, completenessProblems(r)), readFile(fixture("fresh-required.xdx")));
}

TEST(XdxWriter, EscapesMarkupAndKeepsBlanks) {
  Record r = requiredOnly();
  r.setText(Field::KeyWord, " <a & b> ");
  r.setCell(Field::MainActor, 0, 0, "x,\"y\"");
  std::string bytes = buildXdx(r, {});
  EXPECT_NE(bytes.find("<KeyWord> &lt;a &amp; b&gt; </KeyWord>"), std::string::npos);
  EXPECT_NE(bytes.find("<MainActor1>\"x,\"\"y\"\"\",,,,,,,,</MainActor1>"), std::string::npos);
  EXPECT_NE(bytes.find("<verifylist/>"), std::string::npos);
}

// A save refuses exactly the characters a document cannot carry, named by
// their code; a value holding any other one is written and read back whole.
TEST(XdxWriter, RefusesWhatADocumentCannotCarry) {
  for (char32_t c = 0; c <= 0x7f; c = c < 0x20 ? c + 1 : 0x7f) {
    char code[8];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
    SCOPED_TRACE(code);
    Record r = requiredOnly();
    r.setText(Field::Nation, std::string("a") + static_cast<char>(c) + "b");
    const std::optional<std::string> refused = unwritableText(r);
    if (!documentCarries(c)) {
      ASSERT_TRUE(refused.has_value());
      EXPECT_EQ(*refused, std::string("无法保存：Nation 含有文档不能保存的控制字符 ") + code);
    } else {
      EXPECT_EQ(refused, std::nullopt);
      const auto result = readXdxBytes(buildXdx(r, completenessProblems(r)));
      ASSERT_TRUE(std::holds_alternative<DocumentContent>(result));
      EXPECT_EQ(std::get<DocumentContent>(result).values[index(Field::Nation)], r.text(Field::Nation));
    }
    if (c == 0x7f) break;
  }
}

TEST(XdxWriter, LongTextsAreCommaTextOfTheirLines) {
  Record r = requiredOnly();
  r.setLines(Field::ProjectReasoning, {"第一行", "", "第 三 行"});
  r.setLines(Field::ProjectAnalyze, {""});
  std::string bytes = buildXdx(r, {});
  EXPECT_NE(bytes.find(gbk("<ProjectReasoning>第一行,,\"第 三 行\"</ProjectReasoning>")), std::string::npos);
  EXPECT_NE(bytes.find("<ProjectAnalyze>\"\"</ProjectAnalyze>"), std::string::npos);
}

TEST(XdxWriter, RoundTripKeepsEveryValue) {
  Record r = completeRecord();
  r.setText(Field::KeyWord, " 前后空格 ");
  r.setCell(Field::Production, 2, 3, "含,逗号\"引号\"");
  r.setLines(Field::AnonymousSheet, {"a", "", " b "});
  r.setText(Field::SN, "SN-001");
  r.setText(Field::ProjectID, "{00000000-0000-4000-8000-000000000000}");
  auto result = readXdxBytes(buildXdx(r, completenessProblems(r)));
  ASSERT_TRUE(std::holds_alternative<DocumentContent>(result));
  const auto& doc = std::get<DocumentContent>(result);
  EXPECT_EQ(doc.passby, "0");
  EXPECT_EQ(doc.values[index(Field::KeyWord)], " 前后空格 ");
  EXPECT_EQ(doc.values[index(Field::SN)], "SN-001");
  EXPECT_EQ(doc.rows[index(Field::Production)][2], "格,格,格,\"含,逗号\"\"引号\"\"\",格");
  EXPECT_EQ(doc.values[index(Field::AnonymousSheet)], "a,,\" b \"");
}
