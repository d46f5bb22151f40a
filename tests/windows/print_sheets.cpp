// print_sheets DOCUMENT PRINTER [PAGES] [COPIES]: prints the form of DOCUMENT
// on PRINTER through the preview, as 打印 does once the print dialog is
// accepted; PAGES ("2-3") are the pages chosen in the dialog, COPIES its
// copies. Writes what the user would be told, if anything, on standard
// output, and exits 1 when that is a failure. tests/windows/print_under_wine.sh
// runs it under Wine against a CUPS of its own, whose jobs Wine's printer
// driver sends there.
#include <QApplication>
#include <QPrinter>
#include <cstdio>
#include <string>

#include "app/null_window_services.h"
#include "app/preview/preview_window.h"
#include "cli/cli_messages.h"
#include "report/report_fill.h"
#include "report/report_render.h"

namespace {

class TellingServices : public velmora::NullWindowServices {
 public:
  void showErrorOver(QWidget*, const std::string&, const std::string& text) override {
    std::printf("error: %s\n", text.c_str());
    failed = true;
  }
  void showInformationOver(QWidget*, const std::string&, const std::string& text) override {
    std::printf("information: %s\n", text.c_str());
  }
  bool failed = false;
};

}  // namespace

int main(int argc, char** argv) {
  using namespace velmora;
  QApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  if (args.size() < 3) {
    std::fprintf(stderr, "usage: print_sheets DOCUMENT PRINTER [PAGES] [COPIES]\n");
    return 2;
  }
  const std::optional<FormState> state = cli::openReporting(args[1].toStdString());
  if (!state) return 2;
  TellingServices services;
  preview::PreviewWindow preview(report::generateSheets(report::filledReport(state->record(), state->formal())),
                                 services, nullptr, QPageSize(QPageSize::A4));
  QPrinter printer(QPrinter::HighResolution);
  printer.setPrinterName(args[2]);
  if (args.size() > 3 && !args[3].isEmpty()) {
    printer.setPrintRange(QPrinter::PageRange);
    printer.setPageRanges(QPageRanges::fromString(args[3]));
  }
  if (args.size() > 4) printer.setCopyCount(args[4].toInt());
  preview.printTo(printer);
  return services.failed ? 1 : 0;
}
