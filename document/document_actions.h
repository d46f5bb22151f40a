#pragma once
// The open and save actions: one implementation for the window's buttons,
// start-up, shutdown and velmora-cli.
#include "document/form_state.h"
#include "document/prompter.h"
#include "format/xdx_reader.h"

namespace velmora {

enum class OpenOutcome {
  Cancelled,  // the dialog was cancelled: nothing changed
  Failed,     // unreadable, not well-formed, or a broken element: nothing changed
  Refused,    // not a document of this program: record unchanged, end steps ran
  EmptyRoot,  // nothing to read: record unchanged, end steps ran
  Opened
};

enum class SaveOutcome {
  Refused,    // formal document, or a required field empty
  Cancelled,  // the dialog was cancelled
  Failed,     // the file could not be written; any earlier file is intact
  Written
};

OpenOutcome openDocument(FormState& state, Prompter& prompter);

// The open button and a dropped document (`path`; empty: the open dialog
// asks). Unsaved edits of a non-formal record are offered for saving first:
// Yes saves and opens only when the file was written, No discards them,
// Cancel keeps everything as it was (Cancelled).
OpenOutcome openDocumentOverEdits(FormState& state, Prompter& prompter, const std::string& path = {});
SaveOutcome saveDocument(FormState& state, Prompter& prompter);

// The open action after its file has been read (pending path set): a read
// error is shown and changes nothing but the pending path; otherwise the
// content is written into the record and the end steps run. openDocument is
// the dialog, readXdxFile and this.
OpenOutcome applyReadResult(FormState& state, Prompter& prompter, const ReadResult& result);

// The save dialog's default extension: appends ".xdx" to a file name that has
// no extension.
std::string withDefaultExtension(const std::string& path);

}  // namespace velmora
