#include "document/document_actions.h"

#include "document/messages.h"
#include "format/atomic_file.h"
#include "format/file_system.h"
#include "format/guid.h"
#include "format/xdx_reader.h"
#include "format/xdx_writer.h"

namespace velmora {

std::string withDefaultExtension(const std::string& path) {
  auto slash = path.find_last_of(kPathSeparators);
  auto name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.find('.') == std::string::npos) return path + ".xdx";
  return path;
}

OpenOutcome openDocument(FormState& s, Prompter& prompter) {
  if (s.pendingPath().empty()) {
    auto chosen = prompter.askOpenPath();
    if (!chosen) return OpenOutcome::Cancelled;
    s.setPendingPath(*chosen);
  }
  return applyReadResult(s, prompter, readXdxFile(s.pendingPath()));
}

OpenOutcome openDocumentOverEdits(FormState& s, Prompter& prompter, const std::string& path) {
  if (s.modified() && !s.formal()) {
    switch (prompter.askYesNoCancel(std::string(msg::kSaveBeforeOpen))) {
      case Answer::Cancel: return OpenOutcome::Cancelled;
      case Answer::Yes:
        if (saveDocument(s, prompter) != SaveOutcome::Written) return OpenOutcome::Cancelled;
        break;
      case Answer::No: break;
    }
  }
  if (!path.empty()) s.setPendingPath(path);
  return openDocument(s, prompter);
}

OpenOutcome applyReadResult(FormState& s, Prompter& prompter, const ReadResult& result) {
  if (auto* error = std::get_if<ReadError>(&result)) {
    // The next open asks again instead of retrying the same broken file.
    s.setPendingPath({});
    prompter.showError(msg::errorBoxText(error->message));
    return OpenOutcome::Failed;
  }
  const auto& doc = std::get<DocumentContent>(result);
  if (doc.shape == DocumentContent::Shape::WrongVersion) prompter.showInformation(std::string(msg::kForeignDocument));
  s.applyDocument(doc);
  switch (doc.shape) {
    case DocumentContent::Shape::EmptyRoot: return OpenOutcome::EmptyRoot;
    case DocumentContent::Shape::WrongVersion: return OpenOutcome::Refused;
    case DocumentContent::Shape::Complete: break;
  }
  return OpenOutcome::Opened;
}

SaveOutcome saveDocument(FormState& s, Prompter& prompter) {
  if (s.formal()) {
    prompter.showMessage(std::string(msg::kFormalDocument));
    return SaveOutcome::Refused;
  }
  s.runCheck();
  std::string id = newGuid();
  for (Field required : kRequiredToSave) {
    if (s.record().text(required).empty()) {
      prompter.showMessage(std::string(msg::kSaveRequired));
      return SaveOutcome::Refused;
    }
  }
  auto chosen = prompter.askSavePath(s.saveDialogName());
  if (!chosen) return SaveOutcome::Cancelled;
  const std::string& path = *chosen;
  s.setSaveDialogName(path);

  s.setText(Field::ProjectID, id);
  // The last line of defence: a document that could not be opened again is
  // never written, and any earlier file stays as it was.
  if (auto why = unwritableText(s.record())) {
    prompter.showError(msg::errorBoxText(*why));
    return SaveOutcome::Failed;
  }
  std::string bytes = buildXdx(s.record(), s.problems());
  // Nor one the reader would refuse for its size.
  if (auto why = unopenableDocument(s.record(), bytes)) {
    prompter.showError(msg::errorBoxText(*why));
    return SaveOutcome::Failed;
  }
  std::string error;
  if (!writeFileAtomically(path, bytes, error)) {
    prompter.showError(msg::errorBoxText(error));
    return SaveOutcome::Failed;
  }
  s.setModified(false);
  return SaveOutcome::Written;
}

}  // namespace velmora
