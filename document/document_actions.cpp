#include "document/document_actions.h"

#include <array>

#include "document/atomic_file.h"
#include "document/comma_text.h"
#include "document/guid.h"
#include "document/messages.h"
#include "document/xdx_reader.h"
#include "document/xdx_writer.h"

namespace velmora {
namespace {

using F = Field;
// Read before the project class display and the formal-document state; every
// other field is read after them.
constexpr std::array kReadFirst{F::ProjectID,     F::ProjectName,  F::KeyWord,
                                F::KeyWord2,      F::KeyWord3,     F::Basis,
                                F::GuideNum,      F::ResearchClass, F::ProjectClass,
                                F::SubjectClass,  F::Purpose,      F::InputDate,
                                F::ExpectCompleteDate, F::ApplyOutlay, F::ExpectProduction1,
                                F::ExpectProduction2};

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

void writeField(FormState& s, const DocumentContent& doc, const FieldDef& d) {
  const std::string& value = doc.values[index(d.id)];
  switch (d.kind) {
    case Kind::Text:
    case Kind::Masked:
      if (isUserField(d.id))
        s.setText(d.id, value);
      else
        s.record.setText(d.id, value);  // hidden items: the text replaces the old one
      break;
    case Kind::Choice:
      s.record.setChoiceText(d.id, value);  // no choice reaction runs
      break;
    case Kind::LongText:
      s.setLines(d.id, readCommaText(value));
      break;
    case Kind::Table:
      for (int r = 0; r < d.table.storedRows; ++r) readTableRow(s.record, d.id, r, doc.rows[index(d.id)][r]);
      break;
  }
}

void projectClassDisplay(FormState& s) {
  const int cls = s.record.choice(Field::ProjectClass);
  const bool national = cls == 0 || cls == 1;
  s.expectProduction2Shown = national;
  if (national)
    s.record.setChoice(Field::ExpectProduction1, 0);
  else
    s.record.setChoice(Field::ExpectProduction2, -1);
  s.enabled[index(Field::ExpectProduction1)] = !national;
}

void formalDocumentState(FormState& s, bool formal) {
  const bool expectProduction1Locked = !s.isEnabled(Field::ExpectProduction1);
  s.setFormal(formal);
  if (!formal && expectProduction1Locked) s.enabled[index(Field::ExpectProduction1)] = false;
}

void endSteps(FormState& s) {
  s.runCheck();
  s.saveDialogName = s.pendingPath;
  s.pendingPath.clear();
  s.modified = false;
}

}  // namespace

std::string withDefaultExtension(const std::string& path) {
  auto slash = path.find_last_of('/');
  auto name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.find('.') == std::string::npos) return path + ".xdx";
  return path;
}

OpenOutcome openDocument(FormState& s, Prompter& prompter) {
  if (s.pendingPath.empty()) {
    auto chosen = prompter.askOpenPath();
    if (!chosen) return OpenOutcome::Cancelled;
    s.pendingPath = *chosen;
  }
  return applyReadResult(s, prompter, readXdxFile(s.pendingPath));
}

OpenOutcome openDocumentOverEdits(FormState& s, Prompter& prompter, const std::string& path) {
  if (s.modified && !s.formal) {
    switch (prompter.askYesNoCancel(std::string(msg::kSaveBeforeOpen))) {
      case Answer::Cancel:
        return OpenOutcome::Cancelled;
      case Answer::Yes:
        if (saveDocument(s, prompter) != SaveOutcome::Written) return OpenOutcome::Cancelled;
        break;
      case Answer::No:
        break;
    }
  }
  if (!path.empty()) s.pendingPath = path;
  return openDocument(s, prompter);
}

OpenOutcome applyReadResult(FormState& s, Prompter& prompter, const ReadResult& result) {
  if (auto* error = std::get_if<ReadError>(&result)) {
    // The next open asks again instead of retrying the same broken file.
    s.pendingPath.clear();
    prompter.showError(msg::errorBoxText(error->message));
    return OpenOutcome::Failed;
  }
  const DocumentContent& doc = std::get<DocumentContent>(result);
  if (doc.shape == DocumentContent::Shape::EmptyRoot) {
    endSteps(s);
    return OpenOutcome::EmptyRoot;
  }
  if (doc.shape == DocumentContent::Shape::WrongVersion) {
    prompter.showInformation(std::string(msg::kForeignDocument));
    endSteps(s);
    return OpenOutcome::Refused;
  }

  for (Field f : kReadFirst) writeField(s, doc, fieldDef(f));
  projectClassDisplay(s);
  formalDocumentState(s, doc.passby == "1");
  for (const FieldDef& d : allFields())
    if (!readFirst(d.id)) writeField(s, doc, d);
  endSteps(s);
  return OpenOutcome::Opened;
}

SaveOutcome saveDocument(FormState& s, Prompter& prompter) {
  if (s.formal) {
    prompter.showMessage(std::string(msg::kFormalDocument));
    return SaveOutcome::Refused;
  }
  s.runCheck();
  std::string id = newGuid();
  for (Field required : {Field::ProjectName, Field::Presider, Field::ContactMail}) {
    if (s.record.text(required).empty()) {
      prompter.showMessage(std::string(msg::kSaveRequired));
      return SaveOutcome::Refused;
    }
  }
  auto chosen = prompter.askSavePath(s.saveDialogName);
  if (!chosen) return SaveOutcome::Cancelled;
  const std::string& path = *chosen;
  s.saveDialogName = path;

  s.record.setText(Field::ProjectID, id);
  // The last line of defence: a document that could not be opened again is
  // never written, and any earlier file stays as it was.
  if (auto why = unwritableText(s.record)) {
    prompter.showError(msg::errorBoxText(*why));
    return SaveOutcome::Failed;
  }
  std::string bytes = buildXdx(s.record, s.problems);
  std::string error;
  if (!writeFileAtomically(path, bytes, error)) {
    prompter.showError(msg::errorBoxText(error));
    return SaveOutcome::Failed;
  }
  s.modified = false;
  return SaveOutcome::Written;
}

}  // namespace velmora
