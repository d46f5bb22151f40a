#pragma once
// The application as the window presents it: the record plus the states the
// window shows of it (mirrors, visible and enabled flags, the formal-document
// state), the modified flag, the pending document path and the problem list.
// The rules that tie fields together live here, so the window only binds
// widgets to this object and the command line shares every rule.
#include <array>
#include <string>
#include <vector>

#include "record/record.h"

namespace velmora {

class Prompter;

class FormState {
 public:
  FormState();

  Record record = Record::initial();

  // Mirrors on page 02 of Presider and EduCode.
  std::string presider1;
  std::string eduCode1;

  // Formal-document state: `passby` shown, the locked set disabled.
  bool formal = false;
  // Enabled state per field; the save button separately.
  std::array<bool, kFieldCount> enabled{};
  bool saveEnabled = true;
  // `Label67` with ExpectProduction2, and `lbl8` with GuideNum.
  bool expectProduction2Shown = false;
  bool guideNumShown = true;

  bool modified = false;
  std::string pendingPath;     // the document the next open action loads without asking
  std::string saveDialogName;  // the name the save dialog proposes
  std::vector<std::string> problems;
  // Counts the checks run, so a view knows the list was refilled even when
  // the lines are the same.
  unsigned checksRun = 0;

  bool isEnabled(Field f) const { return enabled[index(f)]; }

  // A text written into a text, masked or long-text field, by the user or by
  // the program. When it differs from the current one the field's text
  // reactions run: the modified flag, the mirrors, the purpose rule of PostCode.
  void setText(Field f, std::string text);
  void setLines(Field f, Lines lines);

  // The user's pick of an item in a choice field (its choice reactions run).
  void pickChoice(Field f, int item, Prompter& prompter);

  // The user's edit of a table cell (`storedRow` counts the value's rows).
  // Sets the modified flag; in the two amount tables recomputes the budget
  // total, reporting a cell that is no number through the prompter. Returns
  // false for a fixed cell, which cannot be edited.
  bool editCell(Field table, int storedRow, int column, std::string text, Prompter& prompter);

  // Replaces the problem list by the lines of the completeness check.
  void runCheck();

  // Applies the formal-document state to the locked set.
  void setFormal(bool on);

 private:
  void purposeRule();
  void budgetTotalRule(Field editedTable, Prompter& prompter);
};

// Masked digits: the twelve digit positions of EduCode, filled in order.
std::string eduCodeDigits(std::string_view text);

}  // namespace velmora
