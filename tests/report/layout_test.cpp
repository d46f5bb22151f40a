// The stored layout: pages, chain, lookups, item kinds and the sheet bounds.
#include <gtest/gtest.h>

#include <QPointF>
#include <QStringList>
#include <cmath>

#include "record/fields.h"
#include "report/report_model.h"

namespace velmora::report {
namespace {

TEST(ReportLayout, PrintedChainRunsFromCoverToLooseLeaf) {
  const Report r = loadReport();
  EXPECT_EQ(r.name, "Report1");
  QStringList chain;
  for (const Page* p = r.findPage(r.first); p; p = p->next.isEmpty() ? nullptr : r.findPage(p->next)) chain << p->name;
  EXPECT_EQ(chain, (QStringList{"Page1", "Page2", "Page4", "Page5", "Page6", "Page7", "Page8", "Page9", "Page10",
                                "Page11", "Page14"}));
}

TEST(ReportLayout, LookupsIgnoreCase) {
  Report r = loadReport();
  struct Case {
    const char* page;
    const char* item;
    const char* found;
  } cases[] = {
      {"Report1.Page1", "educode", "EduCode"},
      {"report1.page4", "MAINACTOR159", "MainActor159"},
      {"Page14", "projectid", "ProjectID"},  // inside the flow area's block
      {"Report1.Page6", "projectreasoning", "ProjectReasoning"},
  };
  for (const auto& c : cases) {
    Page* p = r.findPage(QString::fromUtf8(c.page));
    ASSERT_NE(p, nullptr) << c.page;
    const Item* it = Report::findItem(*p, QString::fromUtf8(c.item));
    ASSERT_NE(it, nullptr) << c.item;
    EXPECT_EQ(it->name, QString::fromUtf8(c.found));
  }
  EXPECT_EQ(r.findPage(u"Report2.Page1"), nullptr);
  EXPECT_EQ(r.findPage(u"Page16"), nullptr);
  EXPECT_EQ(Report::findItem(*r.findPage(u"Page1"), u"NoSuchItem"), nullptr);
}

TEST(ReportLayout, FieldItemsHaveTheirKindPositionAndFont) {
  const Report r = loadReport();
  struct Case {
    const char* page;
    const char* item;
    ItemKind kind;
    double x, y, w;
    const char* face;
    double size;
    bool cut;
  } cases[] = {
      {"Page1", "ProjectID", ItemKind::Text, 1.1, 1.28, 2.5, "Times New Roman", 10, false},
      {"Page1", "ProjectName", ItemKind::Memo, 3.1, 3.8, 4.4, "宋体", 15, true},
      {"Page1", "InputDate", ItemKind::Text, 3.1, 8.05, 4.4, "宋体", 15, false},
      {"Page4", "DutyAdmin", ItemKind::Text, 1.85, 2.05, 0.6, "宋体", 10, false},
      {"Page4", "MainActor11", ItemKind::Text, 1.3, 4.9, 0.5, "宋体", 11, false},
      {"Page4", "MainActor159", ItemKind::Text, 6.05, 9.8, 1.8, "宋体", 10, false},
      {"Page5", "Production105", ItemKind::Text, 6.85, 5.5, 1.0, "Times New Roman", 11, false},
      {"Page5", "Production12", ItemKind::Text, 3.0, 1.80, 0.7, "宋体", 11, false},
      {"Page5", "ResearchedProject56", ItemKind::Memo, 7.15, 9.45, 0.7, "宋体", 11, true},
      {"Page8", "ExpectProduction15", ItemKind::Memo, 7.2, 1.85, 0.7, "宋体", 11, true},
      {"Page9", "OutlayGrid63", ItemKind::Memo, 3.1, 4.1, 1.0, "Times New Roman", 11, true},
      {"Page9", "OutlayGrid253", ItemKind::Memo, 6.4, 3.6, 1.0, "Times New Roman", 11, true},
      {"Page9", "OutlayGrid312", ItemKind::Memo, 3.1, 4.6, 0.9, "Times New Roman", 11, true},
      {"Page9", "OutlayGrid322", ItemKind::Memo, 3.1, 5.1, 1.0, "Times New Roman", 11, true},
      {"Page9", "OutlayPromises", ItemKind::Memo, 1.2, 7.9, 6.2, "Arial", 10, true},
      {"Page10", "tuijian2", ItemKind::Memo, 1.0, 6.4, 6.5, "Arial", 10, false},
      {"Page11", "jiaoyujuyijian", ItemKind::Memo, 1.0, 6.6, 6.4, "Arial", 10, true},
      {"Page14", "MaskName", ItemKind::Text, 0.8, 0.9, 6.4, "宋体", 12, false},
      {"Page14", "HuoYe", ItemKind::Memo, 0.1, 1.9, 6.6, "宋体", 11, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.page) + "." + c.item);
    const Page* p = r.findPage(QString::fromUtf8(c.page));
    ASSERT_NE(p, nullptr);
    const Item* it = Report::findItem(*p, QString::fromUtf8(c.item));
    ASSERT_NE(it, nullptr);
    EXPECT_EQ(it->kind, c.kind);
    EXPECT_NEAR(it->left, c.x, 1e-9);
    EXPECT_NEAR(it->top, c.y, 1e-9);
    EXPECT_NEAR(it->width, c.w, 1e-9);
    EXPECT_EQ(it->font.face, QString::fromUtf8(c.face));
    EXPECT_EQ(it->font.size, c.size);
    EXPECT_EQ(it->cut, c.cut);
  }
}

// Every printed field of the record has an item of its name on some page.
TEST(ReportLayout, EveryPrintedFieldHasAnItem) {
  const Report r = loadReport();
  auto anywhere = [&](const QString& name) {
    for (const Page& p : r.pages)
      if (Report::findItem(p, name)) return true;
    return false;
  };
  for (const FieldDef& d : allFields()) {
    const QString name = QString::fromUtf8(d.name.data(), static_cast<qsizetype>(d.name.size()));
    if (d.id == Field::GuideNum || d.id == Field::Age || d.id == Field::Purpose || d.id == Field::SN) continue;
    if (d.kind == Kind::Table) {
      const int firstColumn = (d.id == Field::OutlayGrid || d.id == Field::OutlayGrid2) ? 3 : 1;
      const int lastColumn = firstColumn == 3 ? 3 : d.table.columns;
      for (int row = 1; row <= d.table.storedRows; ++row)
        for (int col = firstColumn; col <= lastColumn; ++col)
          EXPECT_TRUE(anywhere(name + QString::number(row) + QString::number(col))) << d.name << row << col;
      EXPECT_FALSE(anywhere(name + QString::number(d.table.storedRows + 1) + "1")) << d.name;
    } else {
      EXPECT_TRUE(anywhere(name)) << d.name;
    }
  }
}

// Rules whose extent the form fixes: each is one line item of exactly this
// position and length (block items relative to their flow area).
TEST(ReportLayout, RulesStandWhereTheFormPutsThem) {
  const Report r = loadReport();
  struct Case {
    const char* page;
    bool vertical;
    double x, y, length;
    bool onePoint;
  } cases[] = {
      {"Page1", true, 1.0, 1.2, 0.3, true},     // across the number box
      {"Page1", false, 5.7, 1.15, 2.2, false},  // across the identity box
      {"Page1", false, 3.0, 4.48, 4.5, true},   // under the project name
      {"Page1", false, 3.0, 8.35, 4.5, true},   // under the date
      {"Page4", true, 1.65, 0.5, 0.7, false},   // the first two rows
      {"Page4", true, 1.8, 1.2, 1.7, false},    // from y 1.2 to 2.9
      {"Page4", true, 3.3, 1.2, 0.4, false},   {"Page4", true, 4.1, 1.2, 0.4, false},
      {"Page4", true, 6.4, 1.2, 0.4, false},   {"Page4", true, 7.1, 1.2, 0.4, false},
      {"Page4", true, 6.0, 4.55, 5.5, false},  // participants, full height
      {"Page4", false, 1.2, 9.7, 6.8, false},  // the last data row
      {"Page8", true, 7.1, 8.2, 2.4, false},   // down to the frame's foot
      {"Page9", false, 1.5, 5.0, 6.1, false},  {"Page9", true, 6.3, 1.0, 3.0, false},
      {"Page14", true, 4.25, 0.2, 0.3, true},  // in the block's number box
  };
  auto near = [](double a, double b) { return std::abs(a - b) < 1e-9; };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.page) + (c.vertical ? " x " : " y ") + std::to_string(c.vertical ? c.x : c.y));
    const Page* p = r.findPage(QString::fromLatin1(c.page));
    ASSERT_NE(p, nullptr);
    std::vector<const Item*> all;
    for (const Item& it : p->items) {
      all.push_back(&it);
      for (const Item& b : it.block) all.push_back(&b);
    }
    const Item* found = nullptr;
    for (const Item* it : all)
      if (it->kind == ItemKind::Line && it->vertical == c.vertical && near(it->left, c.x) && near(it->top, c.y))
        found = it;
    ASSERT_NE(found, nullptr);
    EXPECT_NEAR(c.vertical ? found->height : found->width, c.length, 1e-9);
    EXPECT_EQ(found->onePoint, c.onePoint);
  }
}

// Frames and rules stay inside the part of the sheet that A4 and Letter share.
TEST(ReportLayout, FramesAndRulesFitA4AndLetter) {
  const Report r = loadReport();
  for (const Page& p : r.pages) {
    std::vector<std::pair<const Item*, QPointF>> all;
    for (const Item& it : p.items) {
      all.push_back({&it, {0, 0}});
      for (const Item& b : it.block) all.push_back({&b, {it.left, it.top}});
    }
    for (const auto& [it, off] : all) {
      SCOPED_TRACE((p.name + "." + it->name).toStdString());
      const double x = off.x() + it->left, y = off.y() + it->top;
      if (it->kind == ItemKind::Frame || it->kind == ItemKind::Line) {
        EXPECT_GE(x, 0.6 - 1e-9);
        EXPECT_GE(y, 0.3 - 1e-9);
        EXPECT_LE(x + it->width, 8.0 + 1e-9);
        EXPECT_LE(y + it->height, 10.7 + 1e-9);
      }
      EXPECT_LE(x + it->width, 8.4 + 1e-9);
      EXPECT_LE(y + it->height, 11.0 + 1e-9);
    }
  }
}

TEST(ReportLayout, MarksAndTheirCopies) {
  const Report r = loadReport();
  const Page* p1 = r.findPage(u"Page1");
  EXPECT_FALSE(Report::findItem(*p1, u"Bitmap1")->visible);
  EXPECT_TRUE(Report::findItem(*p1, u"informal")->visible);
  EXPECT_TRUE(Report::findItem(*r.findPage(u"Page6"), u"Bitmap1")->visible);
  // The watermark copies lie beneath everything: first item of their page,
  // second on Page9 after the frame of the fund management.
  for (const char* page : {"Page4", "Page5", "Page8", "Page9", "Page10", "Page11"}) {
    const Page* p = r.findPage(QString::fromLatin1(page));
    const std::size_t at = QString::fromLatin1(page) == u"Page9" ? 1 : 0;
    ASSERT_GT(p->items.size(), at);
    EXPECT_EQ(p->items[at].kind, ItemKind::Copy) << page;
    EXPECT_EQ(p->items[at].source, "Page1.Bitmap1") << page;
  }
  // Page2 has neither mark nor page number.
  for (const Item& it : r.findPage(u"Page2")->items) {
    EXPECT_NE(it.kind, ItemKind::Copy);
    EXPECT_NE(it.kind, ItemKind::PageNumber);
  }
}

TEST(ReportLayout, BrokenDefinitionsAreRefused) {
  const char* broken[] = {
      R"(<report name="R" first="P1"><page name="P1"><copy name="c" source="P1.none"/></page></report>)",
      R"(<report name="R" first="P9"><page name="P1"/></report>)",
      R"(<report name="R" first="P1"><page name="P1"><blob/></page></report>)",
      R"(<report name="R" first="P1"><page name="P1"><text x="a1"/></page></report>)",
      R"(<report name="R" first="P1"><page name="P1">)",
  };
  for (const char* xml : broken) EXPECT_THROW(parseReport(xml), std::runtime_error) << xml;
}

}  // namespace
}  // namespace velmora::report
