#include <gtest/gtest.h>

#include <functional>

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

namespace {

// What a view shows of one field: its value and whether it is enabled.
bool fieldShownAlike(const FormState& a, const FormState& b, const FieldDef& d) {
  if (a.isEnabled(d.id) != b.isEnabled(d.id)) return false;
  switch (d.kind) {
    case Kind::Choice: return a.record().choice(d.id) == b.record().choice(d.id);
    case Kind::LongText: return a.record().lines(d.id) == b.record().lines(d.id);
    case Kind::Table: return a.record().rows(d.id) == b.record().rows(d.id);
    default: return a.record().text(d.id) == b.record().text(d.id);
  }
}

}  // namespace

// The window shows again only the fields an operation tells it changed: every
// field whose value or enabled flag an operation changes (its rules included)
// must be told, and each is told once.
TEST(FormRules, EveryFieldAnOperationChangesIsTold) {
  using Op = std::function<void(FormState&, Prompter&)>;
  struct Case {
    const char* what;
    Op prepare;  // before the operation, not part of it
    Op operation;
    std::vector<Field> atLeast;  // told even where the value stays
  } cases[] = {
      {"a text", {}, [](FormState& s, Prompter&) { s.setText(Field::Presider, "王"); }, {Field::Presider}},
      {"the same text", {}, [](FormState& s, Prompter&) { s.setText(Field::Presider, ""); }, {Field::Presider}},
      {"the post code", {}, [](FormState& s, Prompter&) { s.setText(Field::PostCode, "100000"); }, {Field::PostCode}},
      {"lines",
       {},
       [](FormState& s, Prompter&) {
         s.setLines(Field::AnonymousSheet, {"a", "b"});
       },
       {Field::AnonymousSheet}},
      {"the special teachers' plan",
       [](FormState& s, Prompter& p) { s.pickChoice(Field::ProjectClass, 2, p); },
       [](FormState& s, Prompter& p) { s.pickChoice(Field::Purpose, 1, p); },
       {Field::Purpose}},
      {"a national class",
       [](FormState& s, Prompter& p) {
         s.pickChoice(Field::ExpectProduction1, 4, p);
         s.pickChoice(Field::ExpectProduction2, 2, p);
       },
       [](FormState& s, Prompter& p) { s.pickChoice(Field::ProjectClass, 0, p); },
       {Field::ProjectClass}},
      {"another class after a national one",
       [](FormState& s, Prompter& p) { s.pickChoice(Field::ProjectClass, 0, p); },
       [](FormState& s, Prompter& p) { s.pickChoice(Field::ProjectClass, 3, p); },
       {Field::ProjectClass}},
      {"the age above the youth class",
       [](FormState& s, Prompter& p) { s.pickChoice(Field::ProjectClass, 3, p); },
       [](FormState& s, Prompter& p) { s.pickChoice(Field::Age, 1, p); },
       {Field::Age}},
      {"no guide",
       [](FormState& s, Prompter&) { s.setText(Field::GuideNum, "12"); },
       [](FormState& s, Prompter& p) { s.pickChoice(Field::Basis, 1, p); },
       {Field::Basis}},
      {"an amount",
       {},
       [](FormState& s, Prompter& p) { s.editCell(Field::OutlayGrid, 1, 2, "500", p); },
       {Field::OutlayGrid}},
      {"an amount that is no number",
       {},
       [](FormState& s, Prompter& p) { s.editCell(Field::OutlayGrid2, 0, 2, "x", p); },
       {Field::OutlayGrid2}},
      // A fixed cell refuses the edit: the table is shown again, undoing it.
      {"a fixed cell",
       {},
       [](FormState& s, Prompter& p) { s.editCell(Field::OutlayGrid, 0, 1, "x", p); },
       {Field::OutlayGrid}},
      {"a cell kept as shown",
       {},
       [](FormState& s, Prompter&) { s.keepCellAsShown(Field::MainActor, 0, 0, "x"); },
       {Field::MainActor}},
      {"the formal state", {}, [](FormState& s, Prompter&) { s.setFormal(true); }, {}},
      {"a record replaced", {}, [](FormState& s, Prompter&) { s.replaceRecord(Record::blank()); }, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FormState s;
    ScriptedPrompter p;
    if (c.prepare) c.prepare(s, p);
    s.takeChangedFields();
    const FormState before = s;
    c.operation(s, p);
    const auto told = s.takeChangedFields();
    for (const FieldDef& d : allFields()) {
      if (!told.test(index(d.id))) {
        EXPECT_TRUE(fieldShownAlike(before, s, d)) << d.name << " changed, untold";
      }
    }
    for (Field f : c.atLeast) EXPECT_TRUE(told.test(index(f))) << fieldDef(f).name;
    if (before.formal() != s.formal()) {
      EXPECT_TRUE(told.all());
    }
    EXPECT_TRUE(s.takeChangedFields().none()) << "told twice";
  }
  // A fresh state has everything to show; the user's edit of lines the field
  // shows already, and the field's own wrapping, nothing.
  FormState s;
  EXPECT_TRUE(s.takeChangedFields().all());
  s.editShownLines(Field::AnonymousSheet, 0, 0, {"行"});
  s.rewrapLines(Field::ProjectAnalyze, {"a"});
  EXPECT_TRUE(s.takeChangedFields().none());
  EXPECT_EQ(s.record().lines(Field::AnonymousSheet), Lines{"行"});
  EXPECT_TRUE(s.modified());
}

// An edit of some lines of a long text replaces them in place, growing,
// shrinking or keeping the text's length.
TEST(FormRules, AnEditReplacesTheLinesItTouched) {
  struct Case {
    Lines before;
    std::size_t first, removed;
    Lines inserted, after;
  } cases[] = {
      {{"a", "b", "c"}, 1, 1, {"B"}, {"a", "B", "c"}},
      {{"a", "b", "c"}, 1, 1, {"B", "b2"}, {"a", "B", "b2", "c"}},
      {{"a", "b", "c"}, 0, 2, {"ab"}, {"ab", "c"}},
      {{"a", "b", "c"}, 3, 0, {"d"}, {"a", "b", "c", "d"}},
      {{"a", "b", "c"}, 1, 2, {}, {"a"}},
      {{}, 0, 0, {"x", ""}, {"x", ""}},
      {{"a", "b"}, 2, 5, {"c"}, {"a", "b", "c"}},  // what lies beyond the end is not there to remove
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.first << "+" << c.removed << " of " << c.before.size());
    FormState s;
    s.setLines(Field::AnonymousSheet, c.before);
    s.editShownLines(Field::AnonymousSheet, c.first, c.removed, c.inserted);
    EXPECT_EQ(s.record().lines(Field::AnonymousSheet), c.after);
  }
}
