#pragma once
// The preview window "报表预览" and the status window "报表状态".
#include <QAbstractPrintDialog>
#include <QDialog>
#include <QLabel>
#include <QScrollArea>
#include <memory>
#include <vector>

#include "report/sheet.h"

class QSpinBox;
class QAction;
class QPrinter;
namespace Poppler {
class Document;
}

namespace velmora::preview {

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
  double zoom_ = 1.0;
  std::vector<int> painted_;
};

class PreviewWindow : public QDialog {
 public:
  PreviewWindow(std::vector<report::Sheet> sheets, QWidget* parent);
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

  // Sends the chosen sheets to a configured printer under "报表打印".
  void printTo(QPrinter& printer);
  bool saveAs(const QString& path, QString* error);
  bool openPdf(const QString& path);

 private:
  void print();
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
