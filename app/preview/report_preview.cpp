#include "app/preview/report_preview.h"

#include "app/preview/preview_window.h"
#include "app/preview/status_window.h"
#include "document/form_state.h"
#include "report/report_fill.h"
#include "report/report_render.h"

namespace velmora {

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
  window.setWindowState(window.windowState() | Qt::WindowMaximized);
  window.exec();
  return {};
}

}  // namespace velmora
