#pragma once
// The preview window "报表预览": the sheets, their navigation and zoom,
// printing, saving as PDF and showing a PDF file.
#include <QAbstractPrintDialog>
#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QPageSize>
#include <QPrinter>
#include <QScrollArea>
#include <optional>
#include <vector>

#include "app/preview/cups_job.h"
#include "app/preview/paper.h"
#include "app/preview/sheet_view.h"
#include "app/window_services.h"
#include "report/sheet.h"

class QSpinBox;
class QPrintDialog;

namespace velmora::preview {

// The name of the print job the preview sends.
inline const QString kPrintJobTitle = QStringLiteral("报表打印");

// The order in which the chosen sheets go into a file: in reverse when asked,
// then `copies` times, whole sets one after the other when collated, else
// each sheet `copies` times in a row.
std::vector<int> fileSheetOrder(std::vector<int> chosen, int copies, bool collate, bool reverse);

// The pages of a PDF document in `order` (0-based, a page may come more than
// once), as a new PDF document; empty with a reason in `error` when the
// document cannot be read.
QByteArray pickPdfPages(const QByteArray& pdf, const std::vector<int>& order, QString* error);

// The 1-based page ranges of 0-based pages, as CUPS takes them ("1-3,5").
QByteArray pageRangesText(std::vector<int> pages);

// The controls of Qt's print dialog the preview reaches by their object
// names, which are Qt's own and not part of its interface: the name and the
// class each must have.
struct DialogControl {
  const char* name;
  const char* className;
};
const std::vector<DialogControl>& printDialogControls();

// The choices of the print dialog kept for the next time within a run.
struct PrintChoices {
  QString printer;  // empty: the default printer
  int copies = 1;
  bool collate = true;
  QPrinter::DuplexMode duplex = QPrinter::DuplexNone;
  bool reverse = false;
  bool fitToPrintable = false;
  bool operator==(const PrintChoices&) const = default;
};

// What the print dialog chose that QPrinter does not hold.
struct DialogExtras {
  enum class PageSet { All, Odd, Even };
  PageSet pageSet = PageSet::All;  // odd or even pages, counted in the document
  bool fitToPrintable = false;     // "缩放到可打印区域"
};

class PreviewWindow : public QDialog {
 public:
  // Dialogs and error boxes go through `services`, as the main window's do.
  PreviewWindow(std::vector<report::Sheet> sheets, WindowServices& services, QWidget* parent,
                const QPageSize& paper = defaultPaper());
  ~PreviewWindow() override;

  int current() const { return current_; }  // 0-based
  void goTo(int sheet);
  void first() { goTo(0); }
  void previous() { goTo(current_ - 1); }
  void next() { goTo(current_ + 1); }
  void last() { goTo(view_->count() - 1); }
  void zoomIn();
  void zoomOut();
  void fitWholeSheet();
  void fitWidth();
  void setZoom(double zoom);
  SheetView* view() const { return view_; }

  // The file the save dialog proposes for the report (the document's own
  // name with ".pdf", in its folder).
  void setProposedPdfPath(const QString& path) { proposedPdf_ = path; }
  // The print system printing goes to (the machine's CUPS unless set).
  void setPrintSystem(PrintSystem& system) { printSystem_ = &system; }

  // The choices of the print dialog: the page range (all sheets, typed
  // sheets or from-to) and printing to a file; copies, collation, duplex and
  // printer setup only when a printer is installed.
  static QAbstractPrintDialog::PrintDialogOptions printOptions(bool printerInstalled);
  // What the print dialog starts from: its choices of the last time in this
  // run, until forgotten (a test starts afresh).
  static const PrintChoices& rememberedPrintChoices();
  static void forgetPrintChoices();

  // The print dialog for `printer`, offering what the target can honour and
  // refusing a page selection with no page of the document in it (owned by
  // the caller; `print()` runs it). While it is open the preview shows the
  // paper of the printer chosen in it.
  QPrintDialog* makePrintDialog(QPrinter& printer);
  // After the dialog: a typed page selection becomes the page ranges the
  // preview prints from, for a printer and a file alike.
  static void takeTypedPages(const QPrintDialog& dialog, QPrinter& printer);
  static DialogExtras extrasOf(const QPrintDialog& dialog);
  // Prints the chosen pages (sheets, or the pages of an opened PDF) under
  // "报表打印": to a file as a PDF of our own, to a printer as a PDF job
  // with the dialog's options; what went wrong is told in a box. Fitting
  // scales each sheet into the printer's printable area.
  void printTo(QPrinter& printer, const DialogExtras& extras = {});
  // Runs the print dialog and prints what it chose.
  void print();
  // Whether the system's print dialog needs a printer to open at all
  // (Windows' own does; Qt's offers a PDF file without one).
  static bool printDialogNeedsPrinter();
  bool saveAs(const QString& path, QString* error);
  bool openPdf(const QString& path);
  // Shows the generated report again after a PDF file.
  void showReport();
  bool showsPdf() const { return opened_.has_value(); }
  // The toolbar's 保存 and 打开: a file asked for, a failure told in a box.
  void saveReport();
  void openReport();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::vector<int> chosenPages(const QPrinter& printer, DialogExtras::PageSet set) const;
  void syncControls();
  void showPaperOf(const QString& printer);
  void setPaper(const QPageSize& paper, const QMarginsF& unprintable);
  void tell(const PrintOutcome& outcome);
  bool printToFile(QPrinter& printer, const std::vector<int>& chosen, const report::Placement& placement);
  void printToPrinter(QPrinter& printer, const std::vector<int>& chosen, const report::Placement& placement);

  // An opened PDF file: its path and the bytes shown, printed and saved.
  struct OpenedPdf {
    QString path;
    QByteArray bytes;
  };

  WindowServices& services_;
  PrintSystem* printSystem_ = nullptr;
  std::vector<report::Sheet> sheets_;  // the generated report
  std::optional<OpenedPdf> opened_;
  QString proposedPdf_;
  SheetView* view_;
  QScrollArea* scroll_;
  QSpinBox* pageBox_;
  QLabel* zoomLabel_;
  QLabel* incomplete_ = nullptr;  // "打印时未能完整显示：…", shown only when something is cut
  QAction* backAction_ = nullptr;
  int current_ = 0;
  int wheelRest_ = 0;  // a wheel's turn not yet made into a zoom step
};

}  // namespace velmora::preview
