#pragma once
// The preview window "报表预览": the sheets, their navigation and zoom,
// printing, saving as PDF and showing a PDF file.
#include <QAbstractPrintDialog>
#include <QDialog>
#include <QLabel>
#include <QPageSize>
#include <QScrollArea>
#include <vector>

#include "app/preview/paper.h"
#include "app/preview/sheet_view.h"
#include "app/window_services.h"
#include "report/sheet.h"

class QSpinBox;
class QPrinter;
class QPrintDialog;

namespace velmora::preview {

// The order in which the chosen sheets go into a file: in reverse when asked,
// then `copies` times, whole sets one after the other when collated, else
// each sheet `copies` times in a row.
std::vector<int> fileSheetOrder(std::vector<int> chosen, int copies, bool collate, bool reverse);

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

  // The choices of the print dialog: the page range (all sheets, typed
  // sheets or from-to) and printing to a file; copies, collation, duplex and
  // printer setup only when a printer is installed.
  static QAbstractPrintDialog::PrintDialogOptions printOptions(bool printerInstalled);

  // The print dialog for `printer`, offering what the target can honour
  // (owned by the caller; `print()` runs it).
  QPrintDialog* makePrintDialog(QPrinter& printer);
  // After the dialog: a typed page selection is left to CUPS for a
  // printer and becomes the page ranges for a file.
  static void takeTypedPages(const QPrintDialog& dialog, QPrinter& printer);
  // Sends the chosen sheets to a configured printer under "报表打印".
  void printTo(QPrinter& printer);
  // Runs the print dialog and prints what it chose.
  void print();
  bool saveAs(const QString& path, QString* error);
  bool openPdf(const QString& path);
  // The toolbar's 保存 and 打开: a file asked for, a failure told in a box.
  void saveReport();
  void openReport();

 private:
  std::vector<int> chosenSheets(const QPrinter& printer) const;
  void syncControls();

  WindowServices& services_;
  SheetView* view_;
  QScrollArea* scroll_;
  QSpinBox* pageBox_;
  QLabel* zoomLabel_;
  int current_ = 0;
};

}  // namespace velmora::preview
