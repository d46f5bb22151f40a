#include "document/form_state.h"

#include <cmath>
#include <filesystem>

#include "check/completeness_check.h"
#include "document/messages.h"
#include "document/prompter.h"
#include "format/comma_text.h"
#include "format/file_system.h"
#include "format/xdx_reader.h"
#include "record/amount.h"

namespace velmora {
namespace {

using F = Field;
// Read before the project class display and the formal-document state; every
// other field is read after them.
constexpr std::array kReadFirst{F::ProjectID,          F::ProjectName,  F::KeyWord,           F::KeyWord2,
                                F::KeyWord3,           F::Basis,        F::GuideNum,          F::ResearchClass,
                                F::ProjectClass,       F::SubjectClass, F::Purpose,           F::InputDate,
                                F::ExpectCompleteDate, F::ApplyOutlay,  F::ExpectProduction1, F::ExpectProduction2};

bool readFirst(Field f) {
  for (Field g : kReadFirst)
    if (g == f) return true;
  return false;
}

void readTableRow(Record& r, Field table, int storedRow, const std::string& rowText) {
  r.clearRow(table, storedRow);
  const int columns = fieldDef(table).table.columns;
  auto items = readCommaText(rowText, static_cast<std::size_t>(columns));
  // An empty item stays an empty cell; items beyond the last column are dropped.
  for (int c = 0; c < columns && c < static_cast<int>(items.size()); ++c)
    r.setCell(table, storedRow, c, std::move(items[c]));
}

}  // namespace

std::string absolutePath(std::string path) {
  if (path.empty()) return path;
  const std::filesystem::path given = systemPath(path);
  // Windows: "\\a.xdx" and "D:a.xdx" are relative to a drive, and either
  // slash separates; the path is kept in the system's own form.
  if (given.is_absolute()) return utf8Path(std::filesystem::path(given).make_preferred());
  std::error_code error;
  std::filesystem::path made = std::filesystem::absolute(given, error);
  return error ? path : utf8Path(made.make_preferred());
}

FormState::FormState() {
  view_.enabled.fill(true);
  view_.enabled[index(Field::ProjectID)] = false;
  view_.enabled[index(Field::SN)] = false;
  // The budget total is shown disabled until a document is opened.
  view_.enabled[index(Field::BudgetTotal)] = false;
  changed_.set();
}

std::bitset<kFieldCount> FormState::takeChangedFields() {
  const std::bitset<kFieldCount> taken = changed_;
  changed_.reset();
  return taken;
}

void FormState::setText(Field f, std::string text) {
  if (f == Field::EduCode) text = eduCodeDigits(text);
  changed(f);
  if (record_.text(f) == text) return;
  record_.setText(f, std::move(text));
  if (!isUserField(f)) return;  // the hidden items have no reactions
  view_.modified = true;
  if (f == Field::Presider) view_.presider1 = record_.text(f);
  if (f == Field::EduCode) view_.eduCode1 = record_.text(f);
  if (f == Field::PostCode) purposeRule();
}

void FormState::setLines(Field f, Lines lines) {
  changed(f);
  if (record_.lines(f) == lines) return;
  record_.setLines(f, std::move(lines));
  view_.modified = true;
}

void FormState::editShownLines(Field f, std::size_t first, std::size_t removed, Lines inserted) {
  record_.replaceLines(f, first, removed, std::move(inserted));
  view_.modified = true;
}

void FormState::rewrapLines(Field f, Lines lines) { record_.setLines(f, std::move(lines)); }

void FormState::purposeRule() {
  const bool specialTeacherPlan = record_.choice(Field::Purpose) == choiceItem::kSpecialTeacherPlan;
  if (specialTeacherPlan) record_.setText(Field::ApplyOutlay, {});
  view_.enabled[index(Field::ApplyOutlay)] = !specialTeacherPlan;
  changed(Field::ApplyOutlay);
}

// What the project class shows, picked or opened: a national class fixes the
// third expected result to "A.专著" and shows the fourth; any other class has
// no fourth.
void FormState::classDisplay() {
  const bool national = isNationalClass(record_.choice(Field::ProjectClass));
  view_.expectProduction2Shown = national;
  if (national)
    record_.setChoice(Field::ExpectProduction1, 0);
  else
    record_.setChoice(Field::ExpectProduction2, -1);
  view_.enabled[index(Field::ExpectProduction1)] = !national;
  changed(Field::ExpectProduction1);
  changed(Field::ExpectProduction2);
}

void FormState::pickChoice(Field f, int item, Prompter& prompter) {
  record_.setChoice(f, item);
  view_.modified = true;
  changed(f);
  switch (f) {
    case Field::ProjectClass: {
      changed(Field::ApplyOutlay);
      classDisplay();
      // A picked class other than the national ones also clears the third
      // result that a national class had fixed.
      if (!isNationalClass(item)) record_.setChoice(Field::ExpectProduction1, -1);
      if (auto outlay = classOutlay(item)) record_.setText(Field::ApplyOutlay, std::string(*outlay));
      break;
    }
    case Field::Age:
      if (item == choiceItem::kFortyOrOver && record_.choice(Field::ProjectClass) == choiceItem::kMinistryYouth) {
        record_.setChoice(Field::ProjectClass, -1);
        changed(Field::ProjectClass);
        prompter.showMessage(std::string(msg::kAgeTooOld));
      }
      break;
    case Field::Basis:
      if (item == choiceItem::kFollowsGuide) view_.guideNumShown = true;
      if (item == choiceItem::kOwnTopic) {
        view_.guideNumShown = false;
        record_.setText(Field::GuideNum, {});
        changed(Field::GuideNum);
      }
      break;
    case Field::Purpose: purposeRule(); break;
    default: break;
  }
}

bool FormState::editCell(Field table, int storedRow, int column, std::string text, Prompter& prompter) {
  const TableShape& shape = fieldDef(table).table;
  changed(table);  // a refused edit is shown undone
  if (column < shape.fixedColumns) return false;
  record_.setCell(table, storedRow, column, std::move(text));
  view_.modified = true;
  if (shape.holdsAmounts()) budgetTotalRule(table, prompter);
  return true;
}

void FormState::keepCellAsShown(Field table, int storedRow, int column, std::string text) {
  changed(table);
  record_.setCell(table, storedRow, column, std::move(text));
}

void FormState::budgetTotalRule(Field editedTable, Prompter& prompter) {
  // A cell that is no number, or a sum too large, leaves the total as it was.
  const BudgetTotal total = budgetTotal(record_, editedTable);
  if (!total.text) {
    prompter.showError(msg::errorBoxText(total.error));
    return;
  }
  record_.setText(Field::BudgetTotal, *total.text);
  changed(Field::BudgetTotal);
}

void FormState::replaceRecord(Record record) {
  record_ = std::move(record);
  view_.modified = true;
  changed_.set();
}

void FormState::runCheck() {
  view_.problems = completenessProblems(record_);
  ++view_.checksRun;
}

void FormState::setFormal(bool on) {
  view_.formal = on;
  changed_.set();
  for (const FieldDef& d : allFields())
    if (isUserField(d.id)) view_.enabled[index(d.id)] = !on;
}

void FormState::writeDocumentField(const DocumentContent& doc, const FieldDef& d) {
  const std::string& value = doc.values[index(d.id)];
  switch (d.kind) {
    case Kind::Text:
    case Kind::Masked:
      setText(d.id, value);  // the hidden items: the text replaces the old one
      break;
    case Kind::Choice:
      record_.setChoiceText(d.id, value);  // no choice reaction runs
      break;
    case Kind::LongText: setLines(d.id, readCommaText(value)); break;
    case Kind::Table:
      for (int r = 0; r < d.table.storedRows; ++r) readTableRow(record_, d.id, r, doc.rows[index(d.id)][r]);
      break;
  }
}

void FormState::applyDocument(const DocumentContent& doc) {
  changed_.set();
  if (doc.shape == DocumentContent::Shape::Complete) {
    for (Field f : kReadFirst) writeDocumentField(doc, fieldDef(f));
    classDisplay();
    // The formal state unlocks the locked set when it is off, except the
    // third result that a national class keeps fixed.
    const bool expectProduction1Locked = !isEnabled(Field::ExpectProduction1);
    const bool formal = doc.passby == "1";
    setFormal(formal);
    if (!formal && expectProduction1Locked) view_.enabled[index(Field::ExpectProduction1)] = false;
    for (const FieldDef& d : allFields())
      if (!readFirst(d.id)) writeDocumentField(doc, d);
  }
  const bool keptEdits = view_.modified && doc.shape != DocumentContent::Shape::Complete;
  endSteps();
  // Nothing was read: whatever was unsaved before still is.
  if (keptEdits) view_.modified = true;
}

void FormState::endSteps() {
  runCheck();
  view_.saveDialogName = view_.pendingPath;
  view_.pendingPath.clear();
  view_.modified = false;
}

}  // namespace velmora
