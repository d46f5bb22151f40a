// Printing on Windows: the sheets are drawn through the printer's driver,
// which takes no PDF. The driver makes the copies, collates them and
// prints both sides as the print dialog set them; the preview picks the
// pages and their order.
#include <windows.h>

#include <QPainter>
#include <QPrinterInfo>
#include <algorithm>

#include "app/preview/preview_window.h"
#include "app/preview/status_window.h"
#include "report/report_pdf.h"

namespace velmora::preview {
namespace {

QString lastSystemError() {
  const DWORD code = ::GetLastError();
  if (code == 0) return {};
  wchar_t* text = nullptr;
  const DWORD n =
      ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  QString out = n ? QString::fromWCharArray(text, static_cast<qsizetype>(n)).trimmed() : QString();
  ::LocalFree(text);
  return out;
}

}  // namespace

void PreviewWindow::printToPrinter(QPrinter& printer, const std::vector<int>& chosen,
                                   const report::Placement& placement) {
  // No PDF file can be opened in this build, so the pages are sheets.
  std::vector<report::Sheet> part;
  for (int i : chosen) part.push_back(sheets_[static_cast<std::size_t>(i)]);
  if (printer.pageOrder() == QPrinter::LastPageFirst) std::reverse(part.begin(), part.end());
  const QString name = printer.printerName();
  if (QPrinterInfo::printerInfo(name).isNull()) {
    tell(noSuchPrinter(name));
    return;
  }
  StatusWindow status(this);
  // The sheets are placed from the paper's corner, as on the screen.
  printer.setFullPage(true);
  ::SetLastError(0);
  QPainter painter;
  if (!painter.begin(&printer)) {
    status.hide();
    tell(notReceived(name, lastSystemError()));
    return;
  }
  const bool drawn = report::drawSheets(printer, painter, part, placement, [&](std::size_t i) {
    status.show(QStringLiteral("正在打印第%p页"), part[i].absolute);
  });
  if (!drawn) printer.abort();
  const bool ended = painter.end();
  status.hide();
  if (!drawn || !ended) tell(notReceived(name, lastSystemError()));
}

bool PreviewWindow::printDialogNeedsPrinter() { return true; }

}  // namespace velmora::preview
