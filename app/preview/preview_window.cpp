#include "app/preview/preview_window.h"

#include <poppler-qt6.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

#include "app/preview/status_window.h"
#include "report/report_pdf.h"

namespace velmora::preview {
namespace {

constexpr double kZoomStep = 1.25;

}  // namespace

PreviewWindow::PreviewWindow(std::vector<report::Sheet> sheets, WindowServices& services, QWidget* parent,
                             const QPageSize& paper)
    : QDialog(parent), services_(services), view_(new SheetView(nullptr)), scroll_(new QScrollArea(this)), pageBox_(new QSpinBox(this)),
      zoomLabel_(new QLabel(this)) {
  setWindowTitle(QStringLiteral("报表预览"));
  setModal(true);
  setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
  view_->setPaper(paper);
  view_->setSheets(std::move(sheets));
  scroll_->setWidget(view_);
  scroll_->setAlignment(Qt::AlignHCenter);
  scroll_->setBackgroundRole(QPalette::Dark);

  auto* bar = new QToolBar(this);
  // Every command has its key, so the preview is used without a mouse too.
  auto keyed = [this, bar](const QString& text, auto slot, QList<QKeySequence> keys) {
    QAction* a = bar->addAction(text, this, slot);
    a->setShortcuts(keys);
    a->setToolTip(keys.isEmpty() ? text : text + QStringLiteral(" (") + keys.first().toString(QKeySequence::NativeText) + QLatin1Char(')'));
    return a;
  };
  keyed(QStringLiteral("首页"), &PreviewWindow::first, {QKeySequence(Qt::Key_Home)});
  keyed(QStringLiteral("上一页"), &PreviewWindow::previous, {QKeySequence(Qt::Key_PageUp)});
  keyed(QStringLiteral("下一页"), &PreviewWindow::next, {QKeySequence(Qt::Key_PageDown)});
  keyed(QStringLiteral("末页"), &PreviewWindow::last, {QKeySequence(Qt::Key_End)});
  bar->addWidget(new QLabel(QStringLiteral(" 第 "), this));
  bar->addWidget(pageBox_);
  bar->addWidget(new QLabel(QStringLiteral(" 页 "), this));
  connect(pageBox_, &QSpinBox::editingFinished, this, [this] { goTo(pageBox_->value() - 1); });
  bar->addSeparator();
  keyed(QStringLiteral("放大"), &PreviewWindow::zoomIn,
        {QKeySequence(Qt::Key_Plus), QKeySequence(Qt::Key_Equal), QKeySequence::ZoomIn});
  keyed(QStringLiteral("缩小"), &PreviewWindow::zoomOut, {QKeySequence(Qt::Key_Minus), QKeySequence::ZoomOut});
  bar->addAction(QStringLiteral("整页"), this, &PreviewWindow::fitWholeSheet);
  bar->addAction(QStringLiteral("页宽"), this, &PreviewWindow::fitWidth);
  bar->addWidget(zoomLabel_);
  bar->addSeparator();
  keyed(QStringLiteral("打印"), &PreviewWindow::print, {QKeySequence(Qt::CTRL | Qt::Key_P)});
  bar->addAction(QStringLiteral("保存"), this, &PreviewWindow::saveReport);
  bar->addAction(QStringLiteral("打开"), this, &PreviewWindow::openReport);
  keyed(QStringLiteral("关闭"), &QDialog::accept, {QKeySequence(Qt::Key_Escape)});

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(bar);
  layout->addWidget(scroll_);
  connect(scroll_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int y) {
    for (int i = 0; i < view_->count(); ++i)
      if (view_->pageRect(i).bottom() > y + scroll_->viewport()->height() / 3) {
        current_ = i;
        break;
      }
    syncControls();
  });
  syncControls();
}

PreviewWindow::~PreviewWindow() = default;

void PreviewWindow::syncControls() {
  pageBox_->setRange(1, std::max(1, view_->count()));
  pageBox_->setSuffix(QStringLiteral(" / %1").arg(view_->count()));
  pageBox_->setValue(current_ + 1);
  zoomLabel_->setText(QStringLiteral(" %1% ").arg(std::lround(view_->zoom() * 100)));
}

void PreviewWindow::goTo(int sheet) {
  current_ = std::clamp(sheet, 0, std::max(0, view_->count() - 1));
  scroll_->verticalScrollBar()->setValue(view_->pageRect(current_).top() - 8);
  syncControls();
}

void PreviewWindow::setZoom(double zoom) {
  const int keep = current_;
  view_->setZoom(zoom);
  goTo(keep);
}

void PreviewWindow::zoomIn() { setZoom(view_->zoom() * kZoomStep); }
void PreviewWindow::zoomOut() { setZoom(view_->zoom() / kZoomStep); }

void PreviewWindow::fitWholeSheet() {
  const QSizeF in = view_->pageInches(current_);
  const QSize room = scroll_->viewport()->size() - QSize(2 * kSheetGap, 2 * kSheetGap);
  setZoom(std::min(room.width() / (in.width() * logicalDpiX()), room.height() / (in.height() * logicalDpiY())));
}

void PreviewWindow::fitWidth() {
  const QSizeF in = view_->pageInches(current_);
  const int room = scroll_->viewport()->width() - 2 * kSheetGap - scroll_->verticalScrollBar()->sizeHint().width();
  setZoom(room / (in.width() * logicalDpiX()));
}

std::vector<int> PreviewWindow::chosenSheets(const QPrinter& printer) const {
  const int n = static_cast<int>(view_->sheets().size());
  std::vector<int> chosen;
  if (printer.printRange() == QPrinter::PageRange && !printer.pageRanges().isEmpty()) {
    for (int i = 1; i <= n; ++i)
      if (printer.pageRanges().contains(i)) chosen.push_back(i - 1);
  } else if (printer.printRange() == QPrinter::PageRange) {
    for (int i = std::max(1, printer.fromPage()); i <= std::min(n, printer.toPage()); ++i) chosen.push_back(i - 1);
  } else if (printer.printRange() == QPrinter::CurrentPage) {
    chosen.push_back(current_);
  } else {
    for (int i = 0; i < n; ++i) chosen.push_back(i);
  }
  return chosen;
}

std::vector<int> fileSheetOrder(std::vector<int> chosen, int copies, bool collate, bool reverse) {
  if (reverse) std::reverse(chosen.begin(), chosen.end());
  std::vector<int> out;
  copies = std::max(1, copies);
  if (collate) {
    for (int c = 0; c < copies; ++c) out.insert(out.end(), chosen.begin(), chosen.end());
  } else {
    for (int i : chosen) out.insert(out.end(), static_cast<std::size_t>(copies), i);
  }
  return out;
}

void PreviewWindow::printTo(QPrinter& printer) {
  const auto& sheets = view_->sheets();
  std::vector<int> chosen = chosenSheets(printer);
  if (chosen.empty()) return;
  printer.setDocName(QStringLiteral("报表打印"));
  printer.setFullPage(true);  // layout units are measured from the paper's corner
  StatusWindow status(this);
  if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
    // Printing to a file goes through the program's own PDF writer, whose
    // text copies out as printed. No print system stands behind a file, so
    // the copies, their collation and the reverse order the dialog offers
    // are made here.
    std::vector<report::Sheet> part;
    for (int i : fileSheetOrder(chosen, printer.copyCount(), printer.collateCopies(),
                                printer.pageOrder() == QPrinter::LastPageFirst)) {
      status.show(QStringLiteral("正在打印第%p页"), sheets[static_cast<std::size_t>(i)].absolute);
      part.push_back(sheets[static_cast<std::size_t>(i)]);
    }
    QString error;
    if (!report::writePdf(part, printer.outputFileName(), &error, printer.pageLayout().pageSize()))
      services_.showErrorOver(this, windowTitle().toStdString(), error.toStdString());
    return;
  }
  // A printer's job: CUPS makes the copies, collates them and applies a
  // typed page selection (Qt passes them as the job's options).
  QPainter painter;
  if (!painter.begin(&printer)) return;
  const double scale = printer.resolution() / report::kLayoutDpi;
  for (std::size_t k = 0; k < chosen.size(); ++k) {
    if (k) printer.newPage();
    status.show(QStringLiteral("正在打印第%p页"), sheets[static_cast<std::size_t>(chosen[k])].absolute);
    report::drawSheet(painter, sheets[static_cast<std::size_t>(chosen[k])], scale);
  }
  painter.end();
}

QAbstractPrintDialog::PrintDialogOptions PreviewWindow::printOptions(bool printerInstalled) {
  QAbstractPrintDialog::PrintDialogOptions options =
      QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintToFile;
  // Copies, collation, duplex and printer setup need a printer.
  if (printerInstalled) options |= QAbstractPrintDialog::PrintCollateCopies | QAbstractPrintDialog::PrintShowPageSize;
  return options;
}

namespace {

// Qt's dialog has no option to leave out the copies or duplex, and it greys
// out the typed page selection ("Pages") whenever the target is a file,
// because it leaves that selection to CUPS. The program honours a typed
// selection for a file itself, so it stays offered; without any printer,
// copies, collation, duplex and printer setup are not offered at all.
class PrintDialog : public QPrintDialog {
 public:
  PrintDialog(QPrinter* printer, QWidget* parent, bool printerInstalled)
      : QPrintDialog(printer, parent), printerInstalled_(printerInstalled) {
    pages_ = findChild<QRadioButton*>(QStringLiteral("pagesRadioButton"));
    pagesEdit_ = findChild<QLineEdit*>(QStringLiteral("pagesLineEdit"));
    if (auto* printers = findChild<QComboBox*>(QStringLiteral("printers")))
      connect(printers, &QComboBox::currentIndexChanged, this, &PrintDialog::offer);
    if (pages_ && pagesEdit_) connect(pages_, &QRadioButton::toggled, pagesEdit_, &QLineEdit::setEnabled);
  }

 protected:
  // Qt sets its controls up again when the dialog is shown.
  void showEvent(QShowEvent* e) override {
    QPrintDialog::showEvent(e);
    offer();
  }

 private:
  void offer() {
    if (pages_ && pagesEdit_) {
      pages_->setEnabled(true);
      pagesEdit_->setEnabled(pages_->isChecked());
    }
    if (printerInstalled_) return;
    for (const char* name : {"copies", "collate", "outputIcon", "duplex", "properties"})
      if (auto* w = findChild<QWidget*>(QLatin1String(name))) w->hide();
    // The copies' label shares its box with the spin box.
    if (auto* copies = findChild<QSpinBox*>(QStringLiteral("copies")))
      for (auto* label : copies->parentWidget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        if (label->buddy() == copies || label->objectName() == u"label") label->hide();
  }

  bool printerInstalled_;
  QRadioButton* pages_ = nullptr;
  QLineEdit* pagesEdit_ = nullptr;
};

}  // namespace

void PreviewWindow::takeTypedPages(const QPrintDialog& dialog, QPrinter& printer) {
  auto* pages = dialog.findChild<QRadioButton*>(QStringLiteral("pagesRadioButton"));
  auto* pagesEdit = dialog.findChild<QLineEdit*>(QStringLiteral("pagesLineEdit"));
  if (!pages || !pagesEdit || !pages->isChecked()) return;
  if (printer.outputFormat() == QPrinter::NativeFormat) {
    // Qt hands a typed selection to CUPS as the job's "page-ranges" and
    // also sets it as the printer's page ranges: the job carries every
    // sheet and CUPS picks them (picking here as well would make CUPS pick
    // from the picked sheets: "1,3,5-7" printed sheets 1, 5 and 7).
    printer.setPrintRange(QPrinter::AllPages);
    return;
  }
  // For a file nobody else picks.
  const QPageRanges ranges = QPageRanges::fromString(pagesEdit->text());
  if (ranges.isEmpty()) return;
  printer.setPrintRange(QPrinter::PageRange);
  printer.setPageRanges(ranges);
}

QPrintDialog* PreviewWindow::makePrintDialog(QPrinter& printer) {
  const int n = static_cast<int>(view_->sheets().size());
  const bool printerInstalled = !QPrinterInfo::availablePrinters().isEmpty();
  printer.setDocName(QStringLiteral("报表打印"));
  // Without a printer the file gets the paper the preview shows.
  if (!printerInstalled) printer.setPageSize(view_->paper());
  printer.setFromTo(1, n);
  auto* dialog = new PrintDialog(&printer, this, printerInstalled);
  dialog->setMinMax(1, n);
  dialog->setOptions(printOptions(printerInstalled));
  return dialog;
}

void PreviewWindow::print() {
  if (view_->sheets().empty()) return;  // an opened PDF is for reading
  QPrinter printer(QPrinter::HighResolution);
  std::unique_ptr<QPrintDialog> dialog(makePrintDialog(printer));
  if (dialog->exec() != QDialog::Accepted) return;
  takeTypedPages(*dialog, printer);
  printTo(printer);
}

bool PreviewWindow::saveAs(const QString& path, QString* error) {
  return report::writePdf(view_->sheets(), path, error, view_->paper());
}

void PreviewWindow::saveReport() {
  if (view_->sheets().empty()) return;
  const auto chosen = services_.askReportPath(ReportFileDialog::Save, this);
  if (!chosen) return;
  const QString path = QString::fromStdString(*chosen);
  QString error;
  if (!saveAs(path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive) ? path : path + QStringLiteral(".pdf"), &error))
    services_.showErrorOver(this, windowTitle().toStdString(), error.toStdString());
}

bool PreviewWindow::openPdf(const QString& path) {
  std::unique_ptr<Poppler::Document> doc = Poppler::Document::load(path);
  if (!doc || doc->isLocked() || doc->numPages() == 0) return false;
  view_->setPdf(std::move(doc));
  goTo(0);
  return true;
}

void PreviewWindow::openReport() {
  const auto chosen = services_.askReportPath(ReportFileDialog::Open, this);
  if (!chosen) return;
  const QString path = QString::fromStdString(*chosen);
  if (!openPdf(path))
    services_.showErrorOver(this, windowTitle().toStdString(), QStringLiteral("无法打开“%1”。").arg(path).toStdString());
}

}  // namespace velmora::preview
