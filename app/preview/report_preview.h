#pragma once
// The one entry point of the printed application for the main window.
#include <QString>

class QWidget;

namespace velmora {

class FormState;
class WindowServices;

// Fills a fresh working copy of the report from the state's record and its
// formal-document state, generates every sheet under the status window
// "报表状态" and shows the modal preview "报表预览"; returns when the preview
// is closed, the working copy being discarded with it. The preview's dialogs
// go through `services`. A record that cannot be printed (a text too long
// for the sheet limit) shows no preview: the reason is returned, for the
// caller's message box.
QString showReportPreview(QWidget* parent, const FormState& state, WindowServices& services);

// The PDF file the preview's 保存 proposes for the state's document: the
// document's name with ".pdf" in its folder (the document the save dialog
// proposes, or the one about to be opened); for a document never saved, a
// name of the form's own in the dialog's usual folder.
QString proposedPdfPath(const FormState& state);

}  // namespace velmora
