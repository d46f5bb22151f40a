// Printing on a system with CUPS: the sheets go to the printer as a PDF of
// the program's own, with the print dialog's choices as the job's options.
#include <QPrintEngine>

#include "app/preview/preview_window.h"
#include "app/preview/status_window.h"
#include "report/report_pdf.h"

namespace velmora::preview {
namespace {

// Where Qt's print dialog leaves the CUPS options of its printer properties
// (job options, the driver's advanced options) on the printer's engine: a
// list of names and values (QCUPSSupport's key, not public).
constexpr auto kCupsOptionsKey = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// The options Qt's dialog left for CUPS, less those the preview decides.
JobOptions dialogsCupsOptions(QPrinter& printer) {
  static const QStringList decided = {
      QStringLiteral("copies"),
      QStringLiteral("collate"),
      QStringLiteral("Collate"),
      QStringLiteral("multiple-document-handling"),
      QStringLiteral("outputorder"),
      QStringLiteral("OutputOrder"),
      QStringLiteral("sides"),
      QStringLiteral("Duplex"),
      QStringLiteral("media"),
      QStringLiteral("PageSize"),
      QStringLiteral("PageRegion"),
      QStringLiteral("page-ranges"),
      QStringLiteral("page-set"),
      QStringLiteral("landscape"),
      QStringLiteral("orientation-requested"),
  };
  JobOptions out;
  const QStringList list = printer.printEngine()->property(kCupsOptionsKey).toStringList();
  for (qsizetype i = 0; i + 1 < list.size(); i += 2)
    // An empty value (an unset billing code) asks for nothing.
    if (!decided.contains(list[i]) && !list[i + 1].isEmpty()) out.emplace_back(list[i].toUtf8(), list[i + 1].toUtf8());
  return out;
}

}  // namespace

void PreviewWindow::printToPrinter(QPrinter& printer, const std::vector<int>& chosen,
                                   const report::Placement& placement) {
  // A job of our own PDF: Qt's print path would write its own PDF, whose
  // Chinese text copies out as radicals ("⾮正式⽂档"). CUPS makes the
  // copies, collates them and reverses the order; the pages are picked
  // here for the sheets, and by CUPS in a PDF file sent whole.
  StatusWindow status(this);
  JobChoices choices;
  choices.copies = printer.copyCount();
  choices.collate = printer.collateCopies();
  choices.reverse = printer.pageOrder() == QPrinter::LastPageFirst;
  switch (printer.duplex()) {
    case QPrinter::DuplexNone: choices.sides = JobChoices::Sides::One; break;
    // The sheets are portrait: "auto" binds on the long edge.
    case QPrinter::DuplexAuto:
    case QPrinter::DuplexLongSide: choices.sides = JobChoices::Sides::LongEdge; break;
    case QPrinter::DuplexShortSide: choices.sides = JobChoices::Sides::ShortEdge; break;
  }
  const QPageSize paper = printer.pageLayout().pageSize();
  choices.media = paper.key().toUtf8();
  choices.further = dialogsCupsOptions(printer);
  QByteArray pdf;
  if (opened_) {
    for (int i : chosen) status.show(QStringLiteral("正在打印第%p页"), i + 1);
    if (chosen.size() != static_cast<std::size_t>(view_->count())) choices.pageRanges = pageRangesText(chosen);
    pdf = opened_->bytes;
  } else {
    std::vector<report::Sheet> part;
    for (int i : chosen) {
      status.show(QStringLiteral("正在打印第%p页"), sheets_[static_cast<std::size_t>(i)].absolute);
      part.push_back(sheets_[static_cast<std::size_t>(i)]);
    }
    pdf = report::pdfBytes(part, paper, placement);
  }
  const PrintOutcome outcome = sendToPrinter(printSystem_ ? *printSystem_ : cupsPrintSystem(), printer.printerName(),
                                             kPrintJobTitle, pdf, cupsOptions(choices));
  status.hide();
  tell(outcome);
}

bool PreviewWindow::printDialogNeedsPrinter() { return false; }

}  // namespace velmora::preview
