#pragma once
// The preview window "报表预览" and the status window "报表状态".
#include <QAbstractPrintDialog>
#include <QDialog>
#include <QLabel>
#include <QLocale>
#include <QPageSize>
#include <QScrollArea>
#include <memory>
#include <vector>

#include "report/sheet.h"

class QSpinBox;
class QAction;
class QPrinter;
class QPrintDialog;
namespace Poppler {
class Document;
}

namespace velmora::preview {

// The paper of a system without a printer: Letter where the locale measures
// in US units, A4 everywhere else.
QPageSize paperForLocale(const QLocale& locale);

// The paper the preview shows and that printing and saving start from: the
// default printer's default paper, else the system locale's.
QPageSize defaultPaper();

// "正在生成第%p页" / "正在打印第%p页" with the absolute sheet number.
class StatusWindow : public QDialog {
 public:
  explicit StatusWindow(QWidget* parent);
  void show(const QString& pattern, int sheet);

 private:
  QLabel* label_;
};

// The pages shown: generated sheets, or the pages of an opened PDF file.
class SheetView : public QWidget {
 public:
  explicit SheetView(QWidget* parent);
  void setSheets(std::vector<report::Sheet> sheets);
  void setPdf(std::unique_ptr<Poppler::Document> doc);
  // The paper the generated sheets are shown on (portrait); the sheets are
  // laid out from its top-left corner and what lies beyond its edges is
  // not shown, as it would not be printed.
  void setPaper(const QPageSize& paper);
  const QPageSize& paper() const { return paper_; }
  int count() const;
  QSizeF pageInches(int i) const;
  void setZoom(double zoom);  // 1.0 = actual size on the screen
  double zoom() const { return zoom_; }
  QRect pageRect(int i) const;
  // Sheets drawn by the last paint (only those in view are drawn).
  const std::vector<int>& lastPainted() const { return painted_; }
  const std::vector<report::Sheet>& sheets() const { return sheets_; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  void relayout();
  double pixelsPerInch() const;
  std::vector<report::Sheet> sheets_;
  std::unique_ptr<Poppler::Document> pdf_;
  QPageSize paper_{QPageSize::A4};
  double zoom_ = 1.0;
  std::vector<int> painted_;
};

// The order in which the chosen sheets go into a file: in reverse when asked,
// then `copies` times, whole sets one after the other when collated, else
// each sheet `copies` times in a row.
std::vector<int> fileSheetOrder(std::vector<int> chosen, int copies, bool collate, bool reverse);

class PreviewWindow : public QDialog {
 public:
  PreviewWindow(std::vector<report::Sheet> sheets, QWidget* parent, const QPageSize& paper = defaultPaper());
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

 private:
  std::vector<int> chosenSheets(const QPrinter& printer) const;
  void save();
  void open();
  void syncControls();

  SheetView* view_;
  QScrollArea* scroll_;
  QSpinBox* pageBox_;
  QLabel* zoomLabel_;
  int current_ = 0;
};

}  // namespace velmora::preview
