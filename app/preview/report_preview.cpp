#include "app/preview/report_preview.h"

#include <QFileInfo>

#include "app/preview/preview_window.h"
#include "app/preview/status_window.h"
#include "document/form_state.h"
#include "report/report_fill.h"
#include "report/report_render.h"

namespace velmora {

QString proposedPdfPath(const FormState& state) {
  const std::string& document = !state.saveDialogName().empty() ? state.saveDialogName() : state.pendingPath();
  if (document.empty()) return QStringLiteral("课题申请评审书.pdf");
  const QFileInfo file(QString::fromStdString(document));
  return file.absolutePath() + QLatin1Char('/') + file.completeBaseName() + QStringLiteral(".pdf");
}

QString showReportPreview(QWidget* parent, const FormState& state, WindowServices& services) {
  std::vector<report::Sheet> sheets;
  QString error;
  {
    // The working copy lives only while the sheets are made; every call
    // starts again from the stored layout.
    const report::Report working = report::filledReport(state.record(), state.formal());
    preview::StatusWindow status(parent);
    sheets = report::generateSheets(
        working, [&](int sheet) { status.show(QStringLiteral("正在生成第%p页"), sheet); }, &error);
  }
  if (!error.isEmpty()) return error;
  preview::PreviewWindow window(std::move(sheets), services, parent);
  window.setProposedPdfPath(proposedPdfPath(state));
  window.setWindowState(window.windowState() | Qt::WindowMaximized);
  window.exec();
  return {};
}

}  // namespace velmora
