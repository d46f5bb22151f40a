#include "app/preview/preview_window.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <exception>
#include <functional>
#include <numeric>

#include "app/preview/status_window.h"
#include "report/report_pdf.h"

namespace velmora::preview {
namespace {

constexpr double kZoomStep = 1.25;
const QString kTitle = QStringLiteral("报表预览");

// Qt's print dialog's controls the preview works with (see
// printDialogControls()).
constexpr char kPrinters[] = "printers";
constexpr char kPagesRadio[] = "pagesRadioButton";
constexpr char kPagesEdit[] = "pagesLineEdit";
constexpr char kPageSet[] = "pageSetCombo";
constexpr char kCopies[] = "copies";
constexpr char kCollate[] = "collate";
constexpr char kOutputIcon[] = "outputIcon";
constexpr char kDuplex[] = "duplex";
constexpr char kProperties[] = "properties";
// Our own control, on the dialog's extra tab.
constexpr char kFitBox[] = "fitToPrintable";

PrintChoices& lastChoices() {
  static PrintChoices choices;
  return choices;
}
bool& choicesKept() {
  static bool kept = false;
  return kept;
}

QString selectionRefusal(const QString& typed, int pages) {
  const QPageRanges ranges = QPageRanges::fromString(typed);
  if (ranges.isEmpty())
    return QStringLiteral("页码“%1”无法识别。请输入页码或页码范围，以逗号分隔，例如“1,3,5-7”。").arg(typed);
  for (const QPageRanges::Range& r : ranges.toRangeList())
    if (r.from <= pages) return {};
  return QStringLiteral("所选页码“%1”不在第1至%2页之内。").arg(typed).arg(pages);
}

// Qt's dialog has no option to leave out the copies or duplex, and it greys
// out the typed page selection ("Pages") whenever the target is a file,
// because it leaves that selection to CUPS. The program honours a typed
// selection for a file itself, so it stays offered; without any printer,
// copies, collation, duplex and printer setup are not offered at all. A
// selection with no page of the document in it is refused here, while the
// dialog is still open: no file would be written and CUPS would fail the
// job, both without a word.
class PrintDialog : public QPrintDialog {
 public:
  PrintDialog(QPrinter* printer, QWidget* parent, bool printerInstalled, int pages, WindowServices& services,
              std::function<void(const QString&)> printerChosen, bool fitOffered, bool fitChecked)
      : QPrintDialog(printer, parent),
        printerInstalled_(printerInstalled),
        pages_(pages),
        services_(services),
        printerChosen_(std::move(printerChosen)) {
    pagesRadio_ = findChild<QRadioButton*>(QLatin1String(kPagesRadio));
    pagesEdit_ = findChild<QLineEdit*>(QLatin1String(kPagesEdit));
    if (auto* printers = findChild<QComboBox*>(QLatin1String(kPrinters))) {
      connect(printers, &QComboBox::currentIndexChanged, this, &PrintDialog::offer);
      connect(printers, &QComboBox::currentTextChanged, this, [this](const QString& name) {
        if (printerChosen_) printerChosen_(name);
      });
    }
    if (pagesRadio_ && pagesEdit_) connect(pagesRadio_, &QRadioButton::toggled, pagesEdit_, &QLineEdit::setEnabled);
    auto* tab = new QWidget;
    tab->setWindowTitle(QStringLiteral("缩放"));
    auto* fit = new QCheckBox(QStringLiteral("缩放到可打印区域"), tab);
    fit->setObjectName(QLatin1String(kFitBox));
    fit->setToolTip(QStringLiteral("按打印机能打印到的范围等比例缩小每一页，使边缘的内容不被裁掉"));
    fit->setChecked(fitOffered && fitChecked);
    fit->setEnabled(fitOffered);
    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(fit);
    layout->addStretch();
    setOptionTabs({tab});
  }

  void accept() override {
    // Before Qt's own check, whose box would speak English.
    if (refused()) return;
    QPrintDialog::accept();
  }
  void done(int result) override {
    if (result == QDialog::Accepted && refused()) return;
    QPrintDialog::done(result);
  }

 protected:
  // Qt sets its controls up again when the dialog is shown.
  void showEvent(QShowEvent* e) override {
    QPrintDialog::showEvent(e);
    offer();
    if (auto* printers = findChild<QComboBox*>(QLatin1String(kPrinters)); printers && printerChosen_)
      printerChosen_(printers->currentText());
  }

 private:
  bool refused() {
    if (!pagesRadio_ || !pagesEdit_ || !pagesRadio_->isChecked()) return false;
    const QString why = selectionRefusal(pagesEdit_->text().trimmed(), pages_);
    if (why.isEmpty()) return false;
    services_.showErrorOver(this, kTitle.toStdString(), why.toStdString());
    pagesEdit_->setFocus();
    pagesEdit_->selectAll();
    return true;
  }

  void offer() {
    if (pagesRadio_ && pagesEdit_) {
      pagesRadio_->setEnabled(true);
      pagesEdit_->setEnabled(pagesRadio_->isChecked());
    }
    if (printerInstalled_) return;
    for (const char* name : {kCopies, kCollate, kOutputIcon, kDuplex, kProperties})
      if (auto* w = findChild<QWidget*>(QLatin1String(name))) w->hide();
    // The copies' label shares its box with the spin box.
    if (auto* copies = findChild<QSpinBox*>(QLatin1String(kCopies)))
      for (auto* label : copies->parentWidget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        if (label->buddy() == copies || label->objectName() == u"label") label->hide();
  }

  bool printerInstalled_;
  int pages_;
  WindowServices& services_;
  std::function<void(const QString&)> printerChosen_;
  QRadioButton* pagesRadio_ = nullptr;
  QLineEdit* pagesEdit_ = nullptr;
};

bool writeBytes(const QString& path, const QByteArray& bytes, QString* error) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) < 0 || !file.commit()) {
    if (error) *error = file.errorString();
    return false;
  }
  return true;
}

QMarginsF minimumMarginsInPoints(const QPrinter& printer) {
  QPageLayout layout = printer.pageLayout();
  layout.setUnits(QPageLayout::Point);
  return layout.minimumMargins();
}

}  // namespace

const std::vector<DialogControl>& printDialogControls() {
  static const std::vector<DialogControl> controls = {
      {kPrinters, "QComboBox"}, {kPagesRadio, "QRadioButton"}, {kPagesEdit, "QLineEdit"},
      {kPageSet, "QComboBox"},  {kCopies, "QSpinBox"},         {kCollate, "QCheckBox"},
      {kOutputIcon, "QLabel"},  {kDuplex, "QGroupBox"},        {kProperties, "QPushButton"},
  };
  return controls;
}

QByteArray pageRangesText(std::vector<int> pages) {
  std::sort(pages.begin(), pages.end());
  pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
  QByteArray out;
  for (std::size_t i = 0; i < pages.size();) {
    std::size_t j = i;
    while (j + 1 < pages.size() && pages[j + 1] == pages[j] + 1) ++j;
    if (!out.isEmpty()) out += ',';
    out += QByteArray::number(pages[i] + 1);
    if (j > i) out += '-' + QByteArray::number(pages[j] + 1);
    i = j + 1;
  }
  return out;
}

QByteArray pickPdfPages(const QByteArray& pdf, const std::vector<int>& order, QString* error) {
  try {
    QPDF in;
    in.processMemoryFile("opened.pdf", pdf.constData(), static_cast<size_t>(pdf.size()));
    const std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(in).getAllPages();
    QPDF out;
    out.emptyPDF();
    QPDFPageDocumentHelper outPages(out);
    for (int i : order) {
      if (i < 0 || static_cast<std::size_t>(i) >= pages.size()) throw std::runtime_error("no such page");
      // A page taken twice becomes a second page object of its own.
      outPages.addPage(pages[static_cast<std::size_t>(i)], false);
    }
    QPDFWriter writer(out);
    writer.setOutputMemory();
    writer.write();
    const std::shared_ptr<Buffer> buffer = writer.getBufferSharedPointer();
    return QByteArray(reinterpret_cast<const char*>(buffer->getBuffer()), static_cast<qsizetype>(buffer->getSize()));
  } catch (const std::exception& e) {
    if (error) *error = QString::fromLocal8Bit(e.what());
    return {};
  }
}

PreviewWindow::PreviewWindow(std::vector<report::Sheet> sheets, WindowServices& services, QWidget* parent,
                             const QPageSize& paper)
    : QDialog(parent),
      services_(services),
      sheets_(std::move(sheets)),
      view_(new SheetView(nullptr)),
      scroll_(new QScrollArea(this)),
      pageBox_(new QSpinBox(this)),
      zoomLabel_(new QLabel(this)) {
  setWindowTitle(kTitle);
  setModal(true);
  setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
  const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
  view_->setPaper(paper);
  view_->setUnprintable(unprintableMargins(printer.isNull() ? QString() : printer.printerName(), paper));
  view_->setSheets(sheets_);
  scroll_->setWidget(view_);
  scroll_->setAlignment(Qt::AlignHCenter);
  scroll_->setBackgroundRole(QPalette::Dark);
  // Ctrl and the wheel zoom, over the sheets and the grey around them.
  scroll_->viewport()->installEventFilter(this);
  pageBox_->installEventFilter(this);

  auto* bar = new QToolBar(this);
  // Every command has its key, so the preview is used without a mouse too.
  auto keyed = [this, bar](const QString& text, auto slot, QList<QKeySequence> keys) {
    QAction* a = bar->addAction(text, this, slot);
    a->setShortcuts(keys);
    a->setToolTip(keys.isEmpty() ? text
                                 : text + QStringLiteral(" (") + keys.first().toString(QKeySequence::NativeText) +
                                       QLatin1Char(')'));
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
  // As wide as its widest text, so that the buttons after it stay in place
  // while the zoom changes.
  zoomLabel_->setAlignment(Qt::AlignCenter);
  zoomLabel_->setFixedWidth(zoomLabel_->fontMetrics().horizontalAdvance(QStringLiteral(" 800% ")) + 4);
  bar->addWidget(zoomLabel_);
  bar->addSeparator();
  keyed(QStringLiteral("打印"), &PreviewWindow::print, {QKeySequence(Qt::CTRL | Qt::Key_P)});
  bar->addAction(QStringLiteral("保存"), this, &PreviewWindow::saveReport);
  bar->addAction(QStringLiteral("打开"), this, &PreviewWindow::openReport)->setVisible(canShowPdf());
  backAction_ = bar->addAction(QStringLiteral("返回报表"), this, &PreviewWindow::showReport);
  backAction_->setToolTip(QStringLiteral("不再显示打开的PDF文件，回到生成的报表"));
  backAction_->setVisible(false);
  keyed(QStringLiteral("关闭"), &QDialog::accept, {QKeySequence(Qt::Key_Escape)});

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(bar);
  layout->addWidget(scroll_);
  // The status line names the texts a sheet shows cut, so that nobody
  // hands in a form without knowing.
  incomplete_ = new QLabel(report::incompleteNotice(sheets_), this);
  incomplete_->setObjectName(QStringLiteral("incomplete"));
  incomplete_->setAccessibleName(QStringLiteral("未完整显示的内容"));
  incomplete_->setWordWrap(true);
  incomplete_->setMargin(4);
  incomplete_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  incomplete_->setVisible(!incomplete_->text().isEmpty());
  layout->addWidget(incomplete_);
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

bool PreviewWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == scroll_->viewport() && event->type() == QEvent::Wheel) {
    auto* wheel = static_cast<QWheelEvent*>(event);
    if (!(wheel->modifiers() & Qt::ControlModifier)) return false;
    // A notch is 120; finer wheels add up to one.
    wheelRest_ += wheel->angleDelta().y();
    for (; wheelRest_ >= 120; wheelRest_ -= 120) zoomIn();
    for (; wheelRest_ <= -120; wheelRest_ += 120) zoomOut();
    return true;
  }
  if (watched == pageBox_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      // The number is taken and the keys go back to the sheets (Home, End,
      // + and − are the page box's own while it has the focus).
      pageBox_->interpretText();
      goTo(pageBox_->value() - 1);
      scroll_->setFocus(Qt::OtherFocusReason);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void PreviewWindow::syncControls() {
  pageBox_->setRange(1, std::max(1, view_->count()));
  pageBox_->setSuffix(QStringLiteral(" / %1").arg(view_->count()));
  pageBox_->setValue(current_ + 1);
  zoomLabel_->setText(QStringLiteral("%1%").arg(std::lround(view_->zoom() * 100)));
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

std::vector<int> PreviewWindow::chosenPages(const QPrinter& printer, DialogExtras::PageSet set) const {
  const int n = view_->count();
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
  // Odd and even count the document's pages (0-based here).
  if (set != DialogExtras::PageSet::All)
    std::erase_if(chosen, [set](int i) { return (i % 2 == 0) != (set == DialogExtras::PageSet::Odd); });
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

void PreviewWindow::tell(const PrintOutcome& outcome) {
  switch (outcome.kind) {
    case PrintOutcome::Kind::Sent: break;
    case PrintOutcome::Kind::Queued:
      services_.showInformationOver(this, kTitle.toStdString(), outcome.text.toStdString());
      break;
    case PrintOutcome::Kind::Failed:
      services_.showErrorOver(this, kTitle.toStdString(), outcome.text.toStdString());
      break;
  }
}

void PreviewWindow::printTo(QPrinter& printer, const DialogExtras& extras) {
  const std::vector<int> chosen = chosenPages(printer, extras.pageSet);
  if (chosen.empty()) {
    tell({PrintOutcome::Kind::Failed,
          QStringLiteral("没有要打印的页：所选的页不在第1至%1页之内。").arg(view_->count())});
    return;
  }
  printer.setDocName(kPrintJobTitle);
  const bool toFile = printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
  // Only generated sheets are scaled; a PDF file is printed as it is.
  const report::Placement placement =
      extras.fitToPrintable && !opened_ ? fitPlacement(printer.pageLayout().pageSize(), minimumMarginsInPoints(printer))
                                        : report::Placement{};
  if (toFile) {
    printToFile(printer, chosen, placement);
  } else {
    printToPrinter(printer, chosen, placement);
  }
}

bool PreviewWindow::printToFile(QPrinter& printer, const std::vector<int>& chosen, const report::Placement& placement) {
  // Printing to a file goes through the program's own PDF writer, whose
  // text copies out as printed. No print system stands behind a file, so
  // the copies, their collation and the reverse order the dialog offers
  // are made here.
  StatusWindow status(this);
  const std::vector<int> order = fileSheetOrder(chosen, printer.copyCount(), printer.collateCopies(),
                                                printer.pageOrder() == QPrinter::LastPageFirst);
  QString error;
  bool written = false;
  if (opened_) {
    for (int i : order) status.show(QStringLiteral("正在打印第%p页"), i + 1);
    std::vector<int> every(static_cast<std::size_t>(view_->count()));
    std::iota(every.begin(), every.end(), 0);
    // The whole file once is the file itself.
    const QByteArray bytes = order == every ? opened_->bytes : pickPdfPages(opened_->bytes, order, &error);
    written = !bytes.isEmpty() && writeBytes(printer.outputFileName(), bytes, &error);
  } else {
    std::vector<report::Sheet> part;
    for (int i : order) {
      status.show(QStringLiteral("正在打印第%p页"), sheets_[static_cast<std::size_t>(i)].absolute);
      part.push_back(sheets_[static_cast<std::size_t>(i)]);
    }
    written = report::writePdf(part, printer.outputFileName(), &error, printer.pageLayout().pageSize(), placement);
  }
  if (!written) tell({PrintOutcome::Kind::Failed, error});
  return written;
}

QAbstractPrintDialog::PrintDialogOptions PreviewWindow::printOptions(bool printerInstalled) {
  QAbstractPrintDialog::PrintDialogOptions options =
      QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintToFile;
  // Copies, collation, duplex and printer setup need a printer.
  if (printerInstalled) options |= QAbstractPrintDialog::PrintCollateCopies | QAbstractPrintDialog::PrintShowPageSize;
  return options;
}

const PrintChoices& PreviewWindow::rememberedPrintChoices() { return lastChoices(); }

void PreviewWindow::forgetPrintChoices() {
  lastChoices() = {};
  choicesKept() = false;
}

void PreviewWindow::takeTypedPages(const QPrintDialog& dialog, QPrinter& printer) {
  auto* pages = dialog.findChild<QRadioButton*>(QLatin1String(kPagesRadio));
  auto* pagesEdit = dialog.findChild<QLineEdit*>(QLatin1String(kPagesEdit));
  if (!pages || !pagesEdit || !pages->isChecked()) return;
  // The preview picks the pages for a printer too: Qt would leave them to
  // CUPS as "page-ranges", which the job's options leave out.
  const QPageRanges ranges = QPageRanges::fromString(pagesEdit->text());
  if (ranges.isEmpty()) return;
  printer.setPrintRange(QPrinter::PageRange);
  printer.setPageRanges(ranges);
}

DialogExtras PreviewWindow::extrasOf(const QPrintDialog& dialog) {
  DialogExtras extras;
  auto* fit = dialog.findChild<QCheckBox*>(QLatin1String(kFitBox));
  extras.fitToPrintable = fit && fit->isEnabled() && fit->isChecked();
  // Qt hands the page set to CUPS counted in the pages the program sends
  // (it swaps odd and even for a from-to range that starts on an even
  // page); the preview takes it from the list, counted in the document.
  auto* set = dialog.findChild<QComboBox*>(QLatin1String(kPageSet));
  // (Qt hides it where the printer has none; the pane it is on may be
  // folded away, which leaves the choice standing.)
  if (set && !set->isHidden() && set->isEnabled()) {
    // The items carry QCUPSSupport::PageSet: all, odd, even.
    bool ok = false;
    const int value = set->currentData().toInt(&ok);
    switch (ok ? value : set->currentIndex()) {
      case 1: extras.pageSet = DialogExtras::PageSet::Odd; break;
      case 2: extras.pageSet = DialogExtras::PageSet::Even; break;
      default: break;
    }
  }
  return extras;
}

void PreviewWindow::setPaper(const QPageSize& paper, const QMarginsF& unprintable) {
  if (view_->paper().isEquivalentTo(paper) && view_->unprintable() == unprintable) return;
  view_->setPaper(paper);
  view_->setUnprintable(unprintable);
  goTo(current_);
}

void PreviewWindow::showPaperOf(const QString& printer) {
  // A file entry of the list has no paper of its own: the preview keeps its.
  const QPrinterInfo info = QPrinterInfo::printerInfo(printer);
  if (info.isNull() || !info.defaultPageSize().isValid()) return;
  setPaper(info.defaultPageSize(), unprintableMargins(printer, info.defaultPageSize()));
}

QPrintDialog* PreviewWindow::makePrintDialog(QPrinter& printer) {
  const int n = view_->count();
  const bool printerInstalled = !QPrinterInfo::availablePrinters().isEmpty();
  printer.setDocName(kPrintJobTitle);
  const PrintChoices& last = lastChoices();
  if (choicesKept()) {
    if (!last.printer.isEmpty() && !QPrinterInfo::printerInfo(last.printer).isNull())
      printer.setPrinterName(last.printer);
    printer.setCopyCount(last.copies);
    printer.setCollateCopies(last.collate);
    printer.setDuplex(last.duplex);
    printer.setPageOrder(last.reverse ? QPrinter::LastPageFirst : QPrinter::FirstPageFirst);
  }
  // Without a printer the file gets the paper the preview shows.
  if (!printerInstalled) printer.setPageSize(view_->paper());
  printer.setFromTo(1, n);
  auto* dialog = new PrintDialog(
      &printer, this, printerInstalled, n, services_, [this](const QString& name) { showPaperOf(name); }, !opened_,
      last.fitToPrintable);
  dialog->setMinMax(1, n);
  dialog->setOptions(printOptions(printerInstalled));
  return dialog;
}

void PreviewWindow::print() {
  if (view_->count() == 0) return;
  if (printDialogNeedsPrinter() && QPrinterInfo::availablePrinters().isEmpty()) {
    tell({PrintOutcome::Kind::Failed,
          QStringLiteral("没有可以打印的打印机。请先在系统中添加打印机，或用“保存”把报表存为PDF文件。")});
    return;
  }
  const QPageSize paperBefore = view_->paper();
  const QMarginsF unprintableBefore = view_->unprintable();
  QPrinter printer(QPrinter::HighResolution);
  std::unique_ptr<QPrintDialog> dialog(makePrintDialog(printer));
  if (dialog->exec() != QDialog::Accepted) {
    // The preview showed the papers of the printers looked at.
    setPaper(paperBefore, unprintableBefore);
    return;
  }
  takeTypedPages(*dialog, printer);
  const DialogExtras extras = extrasOf(*dialog);
  const bool toPrinter = printer.outputFormat() == QPrinter::NativeFormat;
  PrintChoices& last = lastChoices();
  last.printer = toPrinter ? printer.printerName() : last.printer;
  last.copies = printer.copyCount();
  last.collate = printer.collateCopies();
  last.duplex = printer.duplex();
  last.reverse = printer.pageOrder() == QPrinter::LastPageFirst;
  if (!opened_) last.fitToPrintable = extras.fitToPrintable;
  choicesKept() = true;
  // From now on the preview shows (and saves on) the paper printed on.
  setPaper(printer.pageLayout().pageSize(), toPrinter ? minimumMarginsInPoints(printer) : QMarginsF());
  printTo(printer, extras);
}

bool PreviewWindow::saveAs(const QString& path, QString* error) {
  if (opened_) return writeBytes(path, opened_->bytes, error);
  return report::writePdf(sheets_, path, error, view_->paper());
}

void PreviewWindow::saveReport() {
  if (view_->count() == 0) return;
  QString proposed = proposedPdf_;
  if (opened_) {
    // A copy of the file shown, beside it.
    const QFileInfo file(opened_->path);
    proposed = file.absolutePath() + QLatin1Char('/') + file.completeBaseName() + QStringLiteral("-副本.pdf");
  }
  const auto chosen = services_.askReportPath(ReportFileDialog::Save, this, proposed.toStdString());
  if (!chosen) return;
  const QString path = QString::fromStdString(*chosen);
  QString error;
  if (!saveAs(path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive) ? path : path + QStringLiteral(".pdf"),
              &error))
    services_.showErrorOver(this, kTitle.toStdString(), error.toStdString());
}

bool PreviewWindow::openPdf(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  // The bytes shown are the ones printed and saved, whatever happens to
  // the file meanwhile.
  QByteArray bytes = file.readAll();
  std::unique_ptr<PdfPages> pages = loadPdfPages(bytes);
  if (!pages) return false;
  view_->setPdf(std::move(pages));
  opened_ = OpenedPdf{path, std::move(bytes)};
  backAction_->setVisible(true);
  incomplete_->hide();  // it speaks of the report, not of the file
  goTo(0);
  return true;
}

void PreviewWindow::showReport() {
  if (!opened_) return;
  opened_.reset();
  view_->setSheets(sheets_);
  backAction_->setVisible(false);
  incomplete_->setVisible(!incomplete_->text().isEmpty());
  goTo(0);
}

void PreviewWindow::openReport() {
  // The dialog starts in the folder of the file shown, or of the document.
  const QString start = opened_ ? opened_->path : proposedPdf_;
  const auto chosen = services_.askReportPath(ReportFileDialog::Open, this, start.toStdString());
  if (!chosen) return;
  const QString path = QString::fromStdString(*chosen);
  if (!openPdf(path))
    services_.showErrorOver(this, kTitle.toStdString(), QStringLiteral("无法打开“%1”。").arg(path).toStdString());
}

}  // namespace velmora::preview
