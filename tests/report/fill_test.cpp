// Filling a working copy from the record.
#include <gtest/gtest.h>

#include "report/report_fill.h"
#include "report_test_support.h"

namespace velmora::report {
namespace {

const Item& item(const Report& r, const char* page, const char* name) {
  const Page* p = r.findPage(QString::fromLatin1(page));
  const Item* it = p ? Report::findItem(*p, QString::fromLatin1(name)) : nullptr;
  if (!it) throw std::runtime_error(std::string("no item ") + page + "." + name);
  return *it;
}

TEST(ReportFill, MarksFollowTheFormalState) {
  for (bool formal : {false, true}) {
    SCOPED_TRACE(formal);
    const Report r = filledReport(Record::initial(), formal);
    EXPECT_EQ(item(r, "Page1", "Bitmap1").visible, formal);
    EXPECT_EQ(item(r, "Page6", "Bitmap1").visible, formal);
    EXPECT_EQ(item(r, "Page1", "informal").visible, !formal);
  }
}

TEST(ReportFill, FieldsAndCellsReachTheirItems) {
  const FormState s = test::openedFixture("sample.xdx");
  const Record& rec = s.record();
  const Report r = filledReport(rec, false);
  auto q = [](const std::string& t) { return QString::fromStdString(t); };
  struct Case {
    const char* page;
    const char* item;
    QString expected;
  } cases[] = {
      {"Page1", "ProjectID", q(rec.text(Field::SN))},
      {"Page14", "ProjectID", q(rec.text(Field::SN))},
      {"Page1", "ProjectName", q(rec.text(Field::ProjectName))},
      {"Page1", "Basis", q(std::string(rec.choiceText(Field::Basis)))},
      {"Page4", "Sex", q(std::string(rec.choiceText(Field::Sex)))},
      {"Page4", "IDcard", q(rec.text(Field::IDcard))},
      {"Page4", "MainActor11", q(rec.cell(Field::MainActor, 0, 0))},
      {"Page4", "MainActor29", q(rec.cell(Field::MainActor, 1, 8))},
      {"Page5", "Production15", q(rec.cell(Field::Production, 0, 4))},
      {"Page9", "OutlayGrid13", q(rec.cell(Field::OutlayGrid, 0, 2))},
      {"Page9", "OutlayGrid253", q(rec.cell(Field::OutlayGrid2, 4, 2))},
      // OutlayGrid3 has no header row: its first row holds the years.
      {"Page9", "OutlayGrid311", q(rec.cell(Field::OutlayGrid3, 0, 0))},
      {"Page9", "OutlayGrid324", q(rec.cell(Field::OutlayGrid3, 1, 3))},
      {"Page6", "ProjectReasoning", q(rec.valueText(Field::ProjectReasoning))},
      {"Page14", "HuoYe", q(rec.valueText(Field::AnonymousSheet))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.page) + "." + c.item);
    EXPECT_EQ(item(r, c.page, c.item).text, c.expected);
  }
  EXPECT_FALSE(item(r, "Page1", "ProjectID").text.isEmpty());
  EXPECT_TRUE(item(r, "Page9", "OutlayGrid311").text.contains(u"年"));
  EXPECT_TRUE(item(r, "Page6", "ProjectReasoning").text.contains(u'\n'));
}

TEST(ReportFill, EduCodePrintsItsDigitsOnly) {
  struct Case {
    const char* typed;
    const char* printed;
  } cases[] = {{"1234-5678-9012", "123456789012"}, {"1234-56  -    ", "123456"}, {"", ""}};
  for (const auto& c : cases) {
    Record rec = Record::initial();
    rec.setText(Field::EduCode, c.typed);
    EXPECT_EQ(item(filledReport(rec, false), "Page1", "EduCode").text, QString::fromLatin1(c.printed)) << c.typed;
  }
}

// Every click starts from the stored layout: an emptied field leaves its item
// empty, and nothing of an earlier filling survives.
TEST(ReportFill, EmptyFieldsEmptyTheirItems) {
  const FormState s = test::openedFixture("sample.xdx");
  Report r = filledReport(s.record(), true);
  fillReport(r, Record::blank(), false);
  for (const auto& [page, name] : std::vector<std::pair<const char*, const char*>>{{"Page1", "ProjectName"},
                                                                                   {"Page1", "ProjectID"},
                                                                                   {"Page4", "MainActor11"},
                                                                                   {"Page9", "OutlayGrid311"},
                                                                                   {"Page14", "HuoYe"},
                                                                                   {"Page10", "tuijian1"}})
    EXPECT_TRUE(item(r, page, name).text.isEmpty()) << page << "." << name;
  EXPECT_TRUE(item(r, "Page1", "informal").visible);
  EXPECT_EQ(item(loadReport(), "Page1", "ProjectName").text, QString());
}

}  // namespace
}  // namespace velmora::report
