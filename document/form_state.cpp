#include "document/form_state.h"

#include <cmath>

#include "check/completeness_check.h"
#include "document/amount.h"
#include "document/messages.h"
#include "document/prompter.h"

namespace velmora {

std::string eduCodeDigits(std::string_view text) {
  std::string digits;
  for (char c : text)
    if (c >= '0' && c <= '9' && digits.size() < 12) digits += c;
  return digits;
}

FormState::FormState() {
  enabled.fill(true);
  enabled[index(Field::ProjectID)] = false;
  enabled[index(Field::SN)] = false;
  // The budget total is shown disabled until a document is opened.
  enabled[index(Field::OutlayAccounts)] = false;
}

void FormState::setText(Field f, std::string text) {
  if (f == Field::EduCode) text = eduCodeDigits(text);
  if (record.text(f) == text) return;
  record.setText(f, std::move(text));
  if (!isUserField(f)) return;  // the hidden items have no reactions
  modified = true;
  if (f == Field::Presider) presider1 = record.text(f);
  if (f == Field::EduCode) eduCode1 = record.text(f);
  if (f == Field::PostCode) purposeRule();
}

void FormState::setLines(Field f, Lines lines) {
  if (record.lines(f) == lines) return;
  record.setLines(f, std::move(lines));
  modified = true;
}

void FormState::purposeRule() {
  const bool specialTeacherPlan = record.choice(Field::Purpose) == 1;
  if (specialTeacherPlan) record.setText(Field::ApplyOutlay, {});
  enabled[index(Field::ApplyOutlay)] = !specialTeacherPlan;
}

void FormState::pickChoice(Field f, int item, Prompter& prompter) {
  record.setChoice(f, item);
  modified = true;
  switch (f) {
    case Field::ProjectClass: {
      const bool national = item == 0 || item == 1;
      expectProduction2Shown = national;
      if (national) {
        record.setChoice(Field::ExpectProduction1, 0);  // "A.专著", fixed
        enabled[index(Field::ExpectProduction1)] = false;
      } else {
        record.setChoice(Field::ExpectProduction2, -1);
        record.setChoice(Field::ExpectProduction1, -1);
        enabled[index(Field::ExpectProduction1)] = true;
      }
      static constexpr const char* kOutlay[] = {"12", "10", "3", "2"};
      if (item >= 0 && item < 4) record.setText(Field::ApplyOutlay, kOutlay[item]);
      break;
    }
    case Field::Age:
      if (item == 1 && record.choice(Field::ProjectClass) == 3) {
        record.setChoice(Field::ProjectClass, -1);
        prompter.showMessage(std::string(msg::kAgeTooOld));
      }
      break;
    case Field::Basis:
      if (item == 0) guideNumShown = true;
      if (item == 1) {
        guideNumShown = false;
        record.setText(Field::GuideNum, {});
      }
      break;
    case Field::Purpose:
      purposeRule();
      break;
    default:
      break;
  }
}

bool FormState::editCell(Field table, int storedRow, int column, std::string text, Prompter& prompter) {
  const bool amounts = table == Field::OutlayGrid || table == Field::OutlayGrid2;
  if (amounts && column != 2) return false;
  record.setCell(table, storedRow, column, std::move(text));
  modified = true;
  if (amounts) budgetTotalRule(table, prompter);
  return true;
}

void FormState::budgetTotalRule(Field editedTable, Prompter& prompter) {
  // The edited table first, then the other: the order of the additions is part
  // of the result in floating point.
  const Field other = editedTable == Field::OutlayGrid ? Field::OutlayGrid2 : Field::OutlayGrid;
  double total = 0.0;
  for (Field t : {editedTable, other}) {
    for (const Row& row : record.rows(t)) {
      const std::string& cell = row[2];
      if (cell.empty()) continue;
      auto amount = parseAmount(cell);
      if (!amount) {
        prompter.showError(msg::errorBoxText(notAFloatMessage(cell)));
        return;
      }
      total += *amount;
    }
  }
  // Amounts too large for a number leave the total as it was, as an amount
  // that is no number does: "INF" would be saved and counted as filled.
  if (!std::isfinite(total)) {
    prompter.showError(msg::errorBoxText(kFloatingPointOverflow));
    return;
  }
  record.setText(Field::OutlayAccounts, formatAmount(total));
}

void FormState::runCheck() {
  problems = completenessProblems(record);
  ++checksRun;
}

void FormState::setFormal(bool on) {
  formal = on;
  for (const FieldDef& d : allFields())
    if (isUserField(d.id)) enabled[index(d.id)] = !on;
  saveEnabled = !on;
}

}  // namespace velmora
