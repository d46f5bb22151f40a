#pragma once
// The application as the window presents it: the record plus what the window
// shows of it (FormView). The rules that tie fields together, those of the
// user's edits and those applied when a document is opened, live here, so
// the window only binds widgets to this object and velmora-cli shares every
// rule. Nothing outside changes the state but through these operations.
#include <array>
#include <bitset>
#include <cstddef>
#include <string>
#include <vector>

#include "record/record.h"

namespace velmora {

class Prompter;

// `path` made absolute against the working folder ("" stays "", and a path
// stays as it is when the working folder cannot be read).
std::string absolutePath(std::string path);
struct DocumentContent;

// Everything the window shows besides the record's values.
struct FormView {
  // Mirrors on page 02 of Presider and EduCode.
  std::string presider1;
  std::string eduCode1;

  // Formal-document state: `passby` shown, the locked set disabled.
  bool formal = false;
  // Enabled state per field.
  std::array<bool, kFieldCount> enabled{};
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

  // A formal document is never saved again.
  bool saveEnabled() const { return !formal; }

  bool operator==(const FormView&) const = default;
};

class FormState {
 public:
  FormState();

  const Record& record() const { return record_; }
  const FormView& view() const { return view_; }
  bool isEnabled(Field f) const { return view_.enabled[index(f)]; }
  bool formal() const { return view_.formal; }
  bool modified() const { return view_.modified; }
  const std::vector<std::string>& problems() const { return view_.problems; }
  const std::string& pendingPath() const { return view_.pendingPath; }
  const std::string& saveDialogName() const { return view_.saveDialogName; }

  // A text written into a text, masked or long-text field, by the user or by
  // the program. When it differs from the current one the field's text
  // reactions run: the modified flag, the mirrors, the purpose rule of PostCode.
  // A hidden item (ProjectID, SN) just takes the text.
  void setText(Field f, std::string text);
  void setLines(Field f, Lines lines);
  // The user's edit of a long text, which its field shows already: lines
  // [first, first + removed) become `inserted`. An edit that leaves the lines
  // as they were (a blank typed at a wrap) is still an edit.
  void editShownLines(Field f, std::size_t first, std::size_t removed, Lines inserted);
  // The same text broken into lines where the window's field breaks it: not
  // an edit, the modified flag stays.
  void rewrapLines(Field f, Lines lines);

  // The user's pick of an item in a choice field (its choice reactions run).
  void pickChoice(Field f, int item, Prompter& prompter);

  // The user's edit of a table cell (`storedRow` counts the value's rows).
  // Sets the modified flag; in the two amount tables recomputes the budget
  // total, reporting a cell that is no number through the prompter. Returns
  // false for a fixed cell, which cannot be edited.
  bool editCell(Field table, int storedRow, int column, std::string text, Prompter& prompter);
  // A cell's text as the table shows it after a program write: no rule runs.
  void keepCellAsShown(Field table, int storedRow, int column, std::string text);

  // A record made elsewhere (an import) replaces the whole record, as unsaved
  // edits.
  void replaceRecord(Record record);

  // Replaces the problem list by the lines of the completeness check.
  void runCheck();

  // Applies the formal-document state to the locked set.
  void setFormal(bool on);

  // A document that was read whole: its values are written in the documented
  // order with the open-time rules (the class display, the formal state),
  // then the end steps run (check, the save dialog's name, flag cleared). A
  // document with an empty root or of another program changes no value and
  // runs the end steps only; the flag then stays as it was, since the edits
  // on screen are as unsaved as before.
  void applyDocument(const DocumentContent& doc);

  // Paths are kept absolute, taken against the working folder when they
  // arrive: a document opened as "docs/a.xdx" is saved back there even after
  // the working folder has changed (a recovery copy restored elsewhere, a
  // dialog that moved it).
  void setPendingPath(std::string path) { view_.pendingPath = absolutePath(std::move(path)); }
  void setSaveDialogName(std::string name) { view_.saveDialogName = absolutePath(std::move(name)); }
  void setModified(bool on) { view_.modified = on; }

  // The fields whose value, enabled flag or formal state an operation may
  // have changed since the last call (all of them at first): what a view
  // must show again. The field a user's edit came from is among them, so
  // that whatever a rule made of the edit replaces what was typed.
  std::bitset<kFieldCount> takeChangedFields();

  // The record and the view; which fields are still to be shown is no part
  // of the state.
  bool operator==(const FormState& other) const { return record_ == other.record_ && view_ == other.view_; }

 private:
  void purposeRule();
  void classDisplay();
  void budgetTotalRule(Field editedTable, Prompter& prompter);
  void writeDocumentField(const DocumentContent& doc, const FieldDef& d);
  void endSteps();

  void changed(Field f) { changed_.set(index(f)); }

  Record record_ = Record::initial();
  FormView view_;
  std::bitset<kFieldCount> changed_;
};

}  // namespace velmora
