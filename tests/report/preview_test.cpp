// The preview window offscreen: navigation, zoom, drawing only what is in
// view, printing a range, saving and reopening the PDF.
#include <gtest/gtest.h>
#include <poppler-qt6.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QWheelEvent>

#include "app/preview/preview_window.h"
#include "app/preview/report_preview.h"
#include "app/preview/status_window.h"
#include "gui/scripted_window_services.h"
#include "report_test_support.h"

namespace velmora::preview {
namespace {

class Preview : public ::testing::Test {
 protected:
  void SetUp() override {
    PreviewWindow::forgetPrintChoices();
    window = std::make_unique<PreviewWindow>(test::sheetsOf(test::openedFixture("sample.xdx").record(), false),
                                             services, nullptr);
    window->resize(900, 700);
    window->show();
    QApplication::processEvents();
  }
  test::ScriptedWindowServices services;
  std::unique_ptr<PreviewWindow> window;
};

TEST_F(Preview, OpensModalAtActualSize) {
  EXPECT_EQ(window->windowTitle(), QStringLiteral("报表预览"));
  EXPECT_TRUE(window->isModal());
  EXPECT_EQ(window->view()->count(), 11);
  EXPECT_DOUBLE_EQ(window->view()->zoom(), 1.0);
}

// The sheet is shown at the size of the paper it will be printed on.
TEST(PreviewPaper, SheetsHaveThePapersSize) {
  struct Case {
    QPageSize paper;
    double width, height;  // inches
  } cases[] = {{QPageSize(QPageSize::A4), 8.268, 11.693}, {QPageSize(QPageSize::Letter), 8.5, 11.0}};
  const auto sheets = test::sheetsOf(test::openedFixture("sample.xdx").record(), false);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.paper.name().toStdString());
    test::ScriptedWindowServices services;
    PreviewWindow window(sheets, services, nullptr, c.paper);
    SheetView* view = window.view();
    EXPECT_NEAR(view->pageInches(0).width(), c.width, 0.001);
    EXPECT_NEAR(view->pageInches(10).height(), c.height, 0.001);
    EXPECT_EQ(view->pageRect(0).width(), static_cast<int>(view->pageInches(0).width() * view->logicalDpiX()));
    EXPECT_EQ(view->pageRect(0).height(), static_cast<int>(view->pageInches(0).height() * view->logicalDpiX()));
  }
}

// Without a printer (these tests see no CUPS at all) the paper follows the
// locale: Letter where it measures in US units, A4 elsewhere.
TEST(PreviewPaper, WithoutAPrinterThePaperOfTheLocale) {
  struct Case {
    const char* locale;
    QPageSize::PageSizeId paper;
  } cases[] = {
      {"zh_CN", QPageSize::A4}, {"en_US", QPageSize::Letter}, {"de_DE", QPageSize::A4}, {"en_GB", QPageSize::A4}};
  for (const Case& c : cases)
    EXPECT_EQ(paperForLocale(QLocale(QString::fromLatin1(c.locale))).id(), c.paper) << c.locale;
  EXPECT_TRUE(QPrinterInfo::availablePrinters().isEmpty());
  EXPECT_EQ(defaultPaper().id(), paperForLocale(QLocale::system()).id());
}

// One readout of the zoom, no button that repeats it.
TEST_F(Preview, ZoomShownOnce) {
  int shown = 0;
  for (QLabel* label : window->findChildren<QLabel*>()) shown += label->text().trimmed() == u"100%";
  for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) shown += button->text().trimmed() == u"100%";
  for (QAction* action : window->findChildren<QAction*>()) shown += action->text().trimmed() == u"100%";
  EXPECT_EQ(shown, 1);
}

TEST_F(Preview, NavigationStaysWithinTheSheets) {
  struct Step {
    std::function<void(PreviewWindow&)> act;
    int expected;
  } steps[] = {
      {[](PreviewWindow& w) { w.next(); }, 1},     {[](PreviewWindow& w) { w.last(); }, 10},
      {[](PreviewWindow& w) { w.next(); }, 10},    {[](PreviewWindow& w) { w.goTo(4); }, 4},
      {[](PreviewWindow& w) { w.previous(); }, 3}, {[](PreviewWindow& w) { w.first(); }, 0},
      {[](PreviewWindow& w) { w.previous(); }, 0}, {[](PreviewWindow& w) { w.goTo(99); }, 10},
  };
  for (const auto& s : steps) {
    s.act(*window);
    EXPECT_EQ(window->current(), s.expected);
  }
}

TEST_F(Preview, KeysDriveIt) {
  QApplication::setActiveWindow(window.get());
  QWidget* focus = window->findChild<QScrollArea*>();
  focus->setFocus();
  struct Step {
    QKeySequence keys;
    int sheet;
    double zoom;
  } steps[] = {
      {QKeySequence(Qt::Key_PageDown), 1, 1.0}, {QKeySequence(Qt::Key_End), 10, 1.0},
      {QKeySequence(Qt::Key_PageUp), 9, 1.0},   {QKeySequence(Qt::Key_Home), 0, 1.0},
      {QKeySequence(Qt::Key_Plus), 0, 1.25},    {QKeySequence(Qt::Key_Minus), 0, 1.0},
      {QKeySequence(Qt::Key_Minus), 0, 0.8},
  };
  for (const Step& s : steps) {
    QTest::keySequence(focus, s.keys);
    EXPECT_EQ(window->current(), s.sheet) << s.keys.toString().toStdString();
    EXPECT_NEAR(window->view()->zoom(), s.zoom, 1e-9) << s.keys.toString().toStdString();
  }
  QTest::keyClick(focus, Qt::Key_Escape);
  EXPECT_FALSE(window->isVisible());
}

TEST_F(Preview, ZoomAndFits) {
  window->zoomIn();
  EXPECT_NEAR(window->view()->zoom(), 1.25, 1e-9);
  window->zoomOut();
  window->zoomOut();
  EXPECT_NEAR(window->view()->zoom(), 0.8, 1e-9);
  auto* viewport = window->findChild<QScrollArea*>()->viewport();
  window->fitWholeSheet();
  EXPECT_LE(window->view()->pageRect(0).height(), viewport->height());
  EXPECT_GT(window->view()->pageRect(0).height(), viewport->height() - 60);
  window->fitWidth();
  EXPECT_LE(window->view()->pageRect(0).width(), viewport->width());
  EXPECT_GT(window->view()->pageRect(0).width(), viewport->width() - 80);
}

TEST_F(Preview, DrawsOnlyTheSheetsInView) {
  SheetView* view = window->view();
  QImage img(view->size(), QImage::Format_ARGB32);
  view->render(&img, QPoint(), QRegion(view->pageRect(3).adjusted(10, 10, -10, -10)));
  EXPECT_EQ(view->lastPainted(), std::vector<int>{3});
}

TEST_F(Preview, PrintsTheChosenRange) {
  QTemporaryDir dir;
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(dir.filePath("printed.pdf"));
  printer.setPrintRange(QPrinter::PageRange);
  printer.setFromTo(3, 4);
  window->printTo(printer);
  std::unique_ptr<Poppler::Document> doc = Poppler::Document::load(dir.filePath("printed.pdf"));
  ASSERT_TRUE(doc);
  ASSERT_EQ(doc->numPages(), 2);
  EXPECT_TRUE(doc->page(0)->text(QRectF()).contains(u"一、数据表"));
  EXPECT_TRUE(doc->page(1)->text(QRectF()).contains(u"-3-"));
}

TEST_F(Preview, SavesAndOpensThePdf) {
  QTemporaryDir dir;
  QString error;
  ASSERT_TRUE(window->saveAs(dir.filePath("saved.pdf"), &error)) << error.toStdString();
  EXPECT_FALSE(window->saveAs(dir.filePath("no/such/dir/x.pdf"), &error));
  EXPECT_FALSE(window->openPdf(dir.filePath("missing.pdf")));
  EXPECT_EQ(window->view()->count(), 11);
  ASSERT_TRUE(window->openPdf(dir.filePath("saved.pdf")));
  EXPECT_EQ(window->view()->count(), 11);
  EXPECT_NEAR(window->view()->pageInches(0).width(), 8.27, 0.01);  // A4 without a printer
  window->last();
  EXPECT_EQ(window->current(), 10);
  QImage img(window->view()->size(), QImage::Format_ARGB32);
  window->view()->render(&img, QPoint(), QRegion(window->view()->pageRect(10)));
  EXPECT_EQ(window->view()->lastPainted(), std::vector<int>{10});
}

// Opens the print dialog of `window` as the print command does, lets `fill`
// set its controls while it is shown, and accepts it.
void printThroughDialog(PreviewWindow& window, const std::function<void(QPrintDialog&)>& fill) {
  QTimer::singleShot(0, &window, [&] {
    auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
    ASSERT_TRUE(dialog);
    fill(*dialog);
    dialog->accept();
  });
  window.print();
}

template <class W>
W* control(QPrintDialog& dialog, const char* name) {
  W* w = dialog.findChild<W*>(QLatin1String(name));
  if (!w) ADD_FAILURE() << "no control " << name;
  return w;
}

// Without any printer the dialog offers printing to a file only, with no
// copies, collation, duplex or printer setup, and the typed selection.
// The toolbar's 保存 and 打开 ask for the file through the window's services
// and tell a failure in an error box over the preview, under its title.
TEST_F(Preview, SaveAndOpenGoThroughTheWindowsDialogs) {
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString();
  test::writeFile(folder + "/not-a.pdf", "plain text, no PDF");
  struct Case {
    const char* name;
    const char* action;
    std::optional<std::string> answer;
    std::string error;    // the box's text; empty: no box
    const char* written;  // a file the action must have written
    int sheetsShownAfter;
  } cases[] = {
      {"save cancelled", "保存", std::nullopt, "", nullptr, 11},
      {"save without extension", "保存", folder + "/named", "", "named.pdf", 11},
      {"save into a missing folder", "保存", folder + "/no/such/x.pdf", "?", nullptr, 11},
      {"open cancelled", "打开", std::nullopt, "", nullptr, 11},
      {"open a missing file", "打开", folder + "/missing.pdf", "无法打开“" + folder + "/missing.pdf”。", nullptr, 11},
      {"open no PDF", "打开", folder + "/not-a.pdf", "无法打开“" + folder + "/not-a.pdf”。", nullptr, 11},
      {"open the saved one", "打开", folder + "/named.pdf", "", nullptr, 11},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    services.script.shown.clear();
    services.errorTitles.clear();
    services.reportDialogs.clear();
    services.reportPaths = {c.answer};
    QAction* action = nullptr;
    for (QAction* a : window->findChildren<QAction*>())
      if (a->text() == QString::fromUtf8(c.action)) action = a;
    ASSERT_TRUE(action);
    action->trigger();
    ASSERT_EQ(services.reportDialogs.size(), 1u);
    EXPECT_EQ(services.reportDialogs[0],
              std::string_view(c.action) == "保存" ? ReportFileDialog::Save : ReportFileDialog::Open);
    EXPECT_EQ(services.lastOver, window.get());
    if (c.error.empty()) {
      EXPECT_TRUE(services.shown().empty()) << services.shown().front().text;
    } else {
      ASSERT_EQ(services.shown().size(), 1u);
      EXPECT_EQ(services.shown()[0].kind, "error");
      if (c.error != "?") {
        EXPECT_EQ(services.shown()[0].text, c.error);
      }
      EXPECT_FALSE(services.shown()[0].text.empty());
      EXPECT_EQ(services.errorTitles, std::vector<std::string>{"报表预览"});
    }
    if (c.written) {
      EXPECT_TRUE(QFile::exists(dir.filePath(QString::fromLatin1(c.written))));
    }
    EXPECT_EQ(window->view()->count(), c.sheetsShownAfter);
  }
  EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("no"))));
}

// Printing to a file that cannot be written says so over the preview.
TEST_F(Preview, PrintToAnUnwritableFileShowsTheError) {
  QTemporaryDir dir;
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(dir.filePath(QStringLiteral("no/such/folder/x.pdf")));
  window->printTo(printer);
  ASSERT_EQ(services.shown().size(), 1u);
  EXPECT_EQ(services.shown()[0].kind, "error");
  EXPECT_FALSE(services.shown()[0].text.empty());
  EXPECT_EQ(services.errorTitles, std::vector<std::string>{"报表预览"});
  EXPECT_EQ(services.lastOver, window.get());
}

TEST_F(Preview, WithoutPrinterOffersWhatAFileHonours) {
  QTemporaryDir dir;
  bool checked = false;
  printThroughDialog(*window, [&](QPrintDialog& d) {
    EXPECT_EQ(control<QComboBox>(d, "printers")->count(), 1);
    for (const char* hidden : {"copies", "collate", "duplex", "properties"})
      EXPECT_FALSE(control<QWidget>(d, hidden)->isVisibleTo(&d)) << hidden;
    EXPECT_TRUE(control<QRadioButton>(d, "pagesRadioButton")->isEnabled());
    control<QLineEdit>(d, "filename")->setText(dir.filePath("typed.pdf"));
    control<QRadioButton>(d, "pagesRadioButton")->setChecked(true);
    EXPECT_TRUE(control<QLineEdit>(d, "pagesLineEdit")->isEnabled());
    control<QLineEdit>(d, "pagesLineEdit")->setText(QStringLiteral("1,3,5-7"));
    checked = true;
  });
  ASSERT_TRUE(checked);
  QFile file(dir.filePath("typed.pdf"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(test::sheetNumbers(file.readAll()), (std::vector<int>{1, 3, 5, 6, 7}));
}

// What the dialog offers for a file is honoured: the range, copies with and
// without collation, reverse order, and the paper.
TEST_F(Preview, PrintToFileHonoursTheOptions) {
  struct Case {
    const char* name;
    int from, to;
    int copies;
    bool collate, reverse;
    QPageSize::PageSizeId paper;
    std::vector<int> sheets;
  } cases[] = {
      {"all", 0, 0, 1, false, false, QPageSize::A4, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
      {"range", 3, 5, 1, false, false, QPageSize::A4, {3, 4, 5}},
      {"collated", 2, 3, 2, true, false, QPageSize::Letter, {2, 3, 2, 3}},
      {"uncollated", 2, 3, 2, false, false, QPageSize::A4, {2, 2, 3, 3}},
      {"reverse", 9, 11, 1, false, true, QPageSize::A4, {11, 10, 9}},
      {"reverse copies", 1, 2, 2, true, true, QPageSize::A4, {2, 1, 2, 1}},
  };
  QTemporaryDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QString::fromLatin1(c.name) + ".pdf"));
    printer.setPageSize(QPageSize(c.paper));
    if (c.from) {
      printer.setPrintRange(QPrinter::PageRange);
      printer.setFromTo(c.from, c.to);
    }
    printer.setCopyCount(c.copies);
    printer.setCollateCopies(c.collate);
    printer.setPageOrder(c.reverse ? QPrinter::LastPageFirst : QPrinter::FirstPageFirst);
    window->printTo(printer);
    QFile file(printer.outputFileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    EXPECT_EQ(test::sheetNumbers(pdf), c.sheets);
    std::unique_ptr<Poppler::Document> doc = Poppler::Document::loadFromData(pdf);
    ASSERT_TRUE(doc);
    const QSizeF size = doc->page(0)->pageSizeF();
    EXPECT_NEAR(size.width(), QPageSize(c.paper).sizePoints().width(), 1);
    EXPECT_NEAR(size.height(), QPageSize(c.paper).sizePoints().height(), 1);
  }
}

TEST(FileSheetOrder, CopiesCollationReverse) {
  struct Case {
    std::vector<int> chosen;
    int copies;
    bool collate, reverse;
    std::vector<int> expected;
  } cases[] = {
      {{0, 1, 2}, 1, false, false, {0, 1, 2}},
      {{0, 1, 2}, 2, true, false, {0, 1, 2, 0, 1, 2}},
      {{0, 1, 2}, 2, false, false, {0, 0, 1, 1, 2, 2}},
      {{0, 1, 2}, 1, true, true, {2, 1, 0}},
      {{4, 6}, 3, false, true, {6, 6, 6, 4, 4, 4}},
      {{}, 2, true, false, {}},
      {{1}, 0, true, false, {1}},
  };
  for (const Case& c : cases) EXPECT_EQ(fileSheetOrder(c.chosen, c.copies, c.collate, c.reverse), c.expected);
}

// The page range offers all sheets, typed sheets or from-to, never "the
// current page"; copies, collation and printer setup only with a printer.
TEST(PreviewPrintOptions, OfferTheRangesAndWhatAPrinterAllows) {
  using D = QAbstractPrintDialog;
  for (bool printer : {false, true}) {
    SCOPED_TRACE(printer);
    const D::PrintDialogOptions o = PreviewWindow::printOptions(printer);
    EXPECT_TRUE(o.testFlag(D::PrintPageRange));
    EXPECT_FALSE(o.testFlag(D::PrintCurrentPage));
    EXPECT_FALSE(o.testFlag(D::PrintSelection));
    EXPECT_EQ(o.testFlag(D::PrintCollateCopies), printer);
    EXPECT_EQ(o.testFlag(D::PrintShowPageSize), printer);
  }
}

TEST(PreviewStatus, ShowsTheSheetNumber) {
  StatusWindow status(nullptr);
  status.show(QStringLiteral("正在生成第%p页"), 5);
  EXPECT_EQ(status.windowTitle(), QStringLiteral("报表状态"));
  EXPECT_EQ(status.findChild<QLabel*>()->text(), QStringLiteral("正在生成第5页"));
  status.show(QStringLiteral("正在打印第%p页"), 12);
  EXPECT_EQ(status.findChild<QLabel*>()->text(), QStringLiteral("正在打印第12页"));
}

QAction* actionNamed(PreviewWindow& window, const char* text) {
  for (QAction* a : window.findChildren<QAction*>())
    if (a->text() == QString::fromUtf8(text)) return a;
  ADD_FAILURE() << "no action " << text;
  return nullptr;
}

QByteArray readAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every control of Qt's print dialog the preview reaches by its object name
// is there, of the class expected: a Qt that renamed one would otherwise
// lose that part of the dialog without a word.
TEST_F(Preview, TheDialogsControlsAreFoundByTheirNames) {
  QPrinter printer(QPrinter::HighResolution);
  std::unique_ptr<QPrintDialog> dialog(window->makePrintDialog(printer));
  ASSERT_FALSE(printDialogControls().empty());
  for (const DialogControl& c : printDialogControls()) {
    SCOPED_TRACE(c.name);
    const QList<QWidget*> found = dialog->findChildren<QWidget*>(QLatin1String(c.name));
    ASSERT_EQ(found.size(), 1);
    EXPECT_TRUE(found[0]->inherits(c.className)) << found[0]->metaObject()->className();
  }
}

// A typed selection that is no selection, or none of whose pages the report
// has, is refused in the dialog, which stays open; a better one prints.
TEST_F(Preview, AnEmptySelectionIsRefusedForAFile) {
  struct Case {
    const char* typed;
    std::string said;
  } cases[] = {
      {"abc", "页码“abc”无法识别。请输入页码或页码范围，以逗号分隔，例如“1,3,5-7”。"},
      {"20-30", "所选页码“20-30”不在第1至11页之内。"},
      {"7-3", "页码“7-3”无法识别。请输入页码或页码范围，以逗号分隔，例如“1,3,5-7”。"},
      {"", "页码“”无法识别。请输入页码或页码范围，以逗号分隔，例如“1,3,5-7”。"},
  };
  QTemporaryDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    services.script.shown.clear();
    const QString file = dir.filePath(QStringLiteral("typed-%1.pdf").arg(QString::fromLatin1(c.typed).size()));
    bool refused = false;
    QTimer::singleShot(0, window.get(), [&] {
      auto* d = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
      ASSERT_TRUE(d);
      control<QLineEdit>(*d, "filename")->setText(file);
      control<QRadioButton>(*d, "pagesRadioButton")->setChecked(true);
      control<QLineEdit>(*d, "pagesLineEdit")->setText(QString::fromLatin1(c.typed));
      d->accept();
      refused = d->isVisible() && services.shown().size() == 1;
      control<QLineEdit>(*d, "pagesLineEdit")->setText(QStringLiteral("3"));
      d->accept();
    });
    window->print();
    EXPECT_TRUE(refused);
    ASSERT_EQ(services.shown().size(), 1u);
    EXPECT_EQ(services.shown()[0].kind, "error");
    EXPECT_EQ(services.shown()[0].text, c.said);
    EXPECT_EQ(test::sheetNumbers(readAll(file)), std::vector<int>{3});
  }
}

// An opened PDF file prints: to a file its chosen pages, in the order and
// copies asked for (the file itself when it is all of it, once).
TEST_F(Preview, AnOpenedPdfPrintsToAFile) {
  QTemporaryDir dir;
  const QString opened = dir.filePath(QStringLiteral("opened.pdf"));
  QString error;
  ASSERT_TRUE(window->saveAs(opened, &error)) << error.toStdString();
  ASSERT_TRUE(window->openPdf(opened));
  struct Case {
    const char* name;
    QString ranges;  // empty: all
    int copies;
    bool collate, reverse;
    std::vector<int> sheets;
    bool theFileItself;
  } cases[] = {
      {"all", {}, 1, true, false, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, true},
      {"typed", QStringLiteral("2,4-5"), 1, true, false, {2, 4, 5}, false},
      {"reverse", QStringLiteral("9-11"), 1, true, true, {11, 10, 9}, false},
      {"copies uncollated", QStringLiteral("1-2"), 2, false, false, {1, 1, 2, 2}, false},
      {"copies collated reversed", QStringLiteral("1-2"), 2, true, true, {2, 1, 2, 1}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QString::fromLatin1(c.name) + QStringLiteral(".pdf")));
    if (!c.ranges.isEmpty()) {
      printer.setPrintRange(QPrinter::PageRange);
      printer.setPageRanges(QPageRanges::fromString(c.ranges));
    }
    printer.setCopyCount(c.copies);
    printer.setCollateCopies(c.collate);
    printer.setPageOrder(c.reverse ? QPrinter::LastPageFirst : QPrinter::FirstPageFirst);
    window->printTo(printer);
    EXPECT_TRUE(services.shown().empty());
    const QByteArray printed = readAll(printer.outputFileName());
    EXPECT_EQ(test::sheetNumbers(printed), c.sheets);
    EXPECT_EQ(printed == readAll(opened), c.theFileItself);
  }
}

// With a PDF file open, 打印 offers its pages (no fitting: the file is
// printed as it is), 保存 saves a copy, and 返回报表, shown only then, brings
// the generated report back.
TEST_F(Preview, AnOpenedPdfPrintsSavesAndGivesWayToTheReport) {
  QTemporaryDir dir;
  const QString opened = dir.filePath(QStringLiteral("申请书.pdf"));
  // A file of three sheets, so that what is shown is told from the report.
  ASSERT_TRUE(report::writePdf({window->view()->sheets()[2], window->view()->sheets()[4], window->view()->sheets()[6]},
                               opened, nullptr));
  QAction* back = actionNamed(*window, "返回报表");
  ASSERT_TRUE(back);
  struct Step {
    const char* name;
    std::function<void()> act;
    bool pdfShown;
    int pages;
  } steps[] = {
      {"the report", [] {}, false, 11},
      {"opened", [&] { ASSERT_TRUE(window->openPdf(opened)); }, true, 3},
      {"printed to a file",
       [&] {
         printThroughDialog(*window, [&](QPrintDialog& d) {
           EXPECT_EQ(control<QSpinBox>(d, "to")->maximum(), 3);
           auto* fit = d.findChild<QCheckBox*>(QStringLiteral("fitToPrintable"));
           ASSERT_TRUE(fit);
           EXPECT_FALSE(fit->isEnabled());
           control<QLineEdit>(d, "filename")->setText(dir.filePath(QStringLiteral("printed.pdf")));
           control<QRadioButton>(d, "pagesRadioButton")->setChecked(true);
           control<QLineEdit>(d, "pagesLineEdit")->setText(QStringLiteral("3,1"));
         });
         EXPECT_EQ(test::sheetNumbers(readAll(dir.filePath(QStringLiteral("printed.pdf")))), (std::vector<int>{3, 7}));
       },
       true, 3},
      {"saved as a copy",
       [&] {
         services.reportPaths = {dir.filePath(QStringLiteral("copy")).toStdString()};
         actionNamed(*window, "保存")->trigger();
         EXPECT_EQ(services.reportProposals.back(), dir.filePath(QStringLiteral("申请书-副本.pdf")).toStdString());
         EXPECT_EQ(readAll(dir.filePath(QStringLiteral("copy.pdf"))), readAll(opened));
       },
       true, 3},
      {"back", [&] { back->trigger(); }, false, 11},
      {"saved the report",
       [&] {
         services.reportPaths = {dir.filePath(QStringLiteral("report.pdf")).toStdString()};
         actionNamed(*window, "保存")->trigger();
         EXPECT_EQ(test::sheetNumbers(readAll(dir.filePath(QStringLiteral("report.pdf")))).size(), 11u);
       },
       false, 11},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    s.act();
    EXPECT_EQ(window->showsPdf(), s.pdfShown);
    EXPECT_EQ(back->isVisible(), s.pdfShown);
    EXPECT_EQ(window->view()->count(), s.pages);
    EXPECT_EQ(window->view()->sheets().size(), s.pdfShown ? 0u : 11u);
    EXPECT_TRUE(services.shown().empty()) << services.shown().front().text;
  }
}

// 保存 proposes the document's own name with ".pdf", in its folder; 打开
// starts there too.
TEST_F(Preview, TheFileDialogsProposeTheDocumentsPdf) {
  window->setProposedPdfPath(QStringLiteral("/data/课题/申请书.pdf"));
  struct Case {
    const char* action;
    ReportFileDialog dialog;
  } cases[] = {{"保存", ReportFileDialog::Save}, {"打开", ReportFileDialog::Open}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.action);
    services.reportProposals.clear();
    services.reportDialogs.clear();
    actionNamed(*window, c.action)->trigger();
    ASSERT_EQ(services.reportDialogs, std::vector<ReportFileDialog>{c.dialog});
    EXPECT_EQ(services.reportProposals, std::vector<std::string>{"/data/课题/申请书.pdf"});
  }
}

TEST(ProposedPdfPath, TheDocumentsNameInItsFolder) {
  struct Case {
    const char* name;
    std::string saved, pending;
    QString expected;
  } cases[] = {
      {"saved document", "/data/课题/申请书.xdx", "", QStringLiteral("/data/课题/申请书.pdf")},
      {"upper-case suffix", "/data/A.XDX", "", QStringLiteral("/data/A.pdf")},
      {"dots in the name", "/data/v1.2.final.xdx", "", QStringLiteral("/data/v1.2.final.pdf")},
      {"no suffix", "/data/plain", "", QStringLiteral("/data/plain.pdf")},
      {"about to be opened", "", "/srv/待审.xdx", QStringLiteral("/srv/待审.pdf")},
      {"the saved one first", "/data/a.xdx", "/srv/b.xdx", QStringLiteral("/data/a.pdf")},
      {"never saved", "", "", QStringLiteral("课题申请评审书.pdf")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FormState state;
    if (!c.saved.empty()) state.setSaveDialogName(c.saved);
    if (!c.pending.empty()) state.setPendingPath(c.pending);
    EXPECT_EQ(proposedPdfPath(state), c.expected);
  }
}

// Ctrl and the wheel zoom in and out a step a notch (finer wheels add up);
// the wheel alone scrolls.
TEST_F(Preview, CtrlAndTheWheelZoom) {
  QWidget* viewport = window->findChild<QScrollArea*>()->viewport();
  struct Step {
    Qt::KeyboardModifiers modifiers;
    int delta;
    double zoom;
  } steps[] = {
      {Qt::ControlModifier, 120, 1.25}, {Qt::ControlModifier, -120, 1.0}, {Qt::NoModifier, -120, 1.0},
      {Qt::ControlModifier, 60, 1.0},   {Qt::ControlModifier, 60, 1.25},  {Qt::ControlModifier, -240, 0.8},
      {Qt::NoModifier, 120, 0.8},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(::testing::Message() << s.delta << (s.modifiers ? " with Ctrl" : ""));
    const QPointF at(viewport->width() / 2.0, viewport->height() / 2.0);
    QWheelEvent wheel(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, s.delta), Qt::NoButton, s.modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
    EXPECT_NEAR(window->view()->zoom(), s.zoom, 1e-9);
  }
}

// After a page number and Enter the keys belong to the sheets again.
TEST_F(Preview, EnterInThePageBoxGivesTheKeysBackToTheSheets) {
  QApplication::setActiveWindow(window.get());
  auto* box = window->findChild<QSpinBox*>();
  ASSERT_TRUE(box);
  box->setFocus();
  box->selectAll();
  QTest::keyClicks(box, QStringLiteral("5"));
  QTest::keyClick(box, Qt::Key_Return);
  EXPECT_EQ(window->current(), 4);
  EXPECT_NE(QApplication::focusWidget(), box);
  struct Step {
    Qt::Key key;
    int sheet;
    double zoom;
  } steps[] = {{Qt::Key_Home, 0, 1.0}, {Qt::Key_End, 10, 1.0}, {Qt::Key_Plus, 10, 1.25}, {Qt::Key_Minus, 10, 1.0}};
  for (const Step& s : steps) {
    SCOPED_TRACE(QKeySequence(s.key).toString().toStdString());
    QTest::keyClick(QApplication::focusWidget(), s.key);
    EXPECT_EQ(window->current(), s.sheet);
    EXPECT_NEAR(window->view()->zoom(), s.zoom, 1e-9);
  }
}

// The zoom's readout keeps its width: the buttons after it stay in place.
TEST_F(Preview, TheToolbarsButtonsKeepTheirPlaces) {
  auto* bar = window->findChild<QToolBar*>();
  ASSERT_TRUE(bar);
  const auto places = [&] {
    QApplication::processEvents();
    std::vector<int> x;
    for (const char* text : {"打印", "保存", "打开", "关闭"})
      x.push_back(bar->widgetForAction(actionNamed(*window, text))->x());
    return x;
  };
  const std::vector<int> at100 = places();
  for (double zoom : {0.1, 0.5, 2.0, 8.0}) {
    SCOPED_TRACE(zoom);
    window->setZoom(zoom);
    EXPECT_EQ(places(), at100);
  }
}

// The printer's printable area is a thin dashed rectangle on each generated
// sheet, inside the margins the printer leaves.
TEST_F(Preview, ThePrintableAreaIsShown) {
  const QColor dash(90, 140, 210);
  struct Case {
    const char* name;
    QMarginsF margins;  // points
    bool pdf;
    bool shown;
  } cases[] = {
      {"no margins", {}, false, false},
      {"margins", {18, 30, 12, 24}, false, true},
      {"even margins", {36, 36, 36, 36}, false, true},
      {"a PDF file's pages", {18, 30, 12, 24}, true, false},
  };
  QTemporaryDir dir;
  QString error;
  ASSERT_TRUE(window->saveAs(dir.filePath(QStringLiteral("saved.pdf")), &error));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.pdf) {
      ASSERT_TRUE(window->openPdf(dir.filePath(QStringLiteral("saved.pdf"))));
    }
    SheetView* view = window->view();
    view->setUnprintable(c.margins);
    const QRect sheet = view->pageRect(1), area = view->printableRect(1);
    EXPECT_EQ(area.isEmpty(), !c.shown);
    // The sheet alone, its corner at the image's.
    QImage image(sheet.size(), QImage::Format_RGB32);
    view->render(&image, QPoint(), QRegion(sheet));
    int dashPixels = 0;
    for (int x = 0; x < image.width(); ++x)
      for (int y = 0; y < image.height(); ++y) dashPixels += image.pixelColor(x, y) == dash;
    if (!c.shown) {
      EXPECT_EQ(dashPixels, 0);
      continue;
    }
    const double px = view->logicalDpiX() / 72.0;
    EXPECT_NEAR(area.left() - sheet.left(), c.margins.left() * px, 1);
    EXPECT_NEAR(area.top() - sheet.top(), c.margins.top() * px, 1);
    EXPECT_NEAR(sheet.right() - area.right(), c.margins.right() * px, 1);
    EXPECT_NEAR(sheet.bottom() - area.bottom(), c.margins.bottom() * px, 1);
    // Dashed: about half of the rectangle's outline, and nothing else.
    const int outline = 2 * (area.width() + area.height());
    EXPECT_GT(dashPixels, outline / 4);
    EXPECT_LT(dashPixels, outline);
    EXPECT_NE(image.pixelColor(area.center() - sheet.topLeft()), dash);
    EXPECT_NE(image.pixelColor(area.left() - sheet.left() - 2, area.center().y() - sheet.top()), dash);
  }
}

}  // namespace
}  // namespace velmora::preview

namespace velmora::preview {
namespace {

// The status line names what the sheets show cut, and only then; it speaks
// of the generated report, not of an opened PDF.
TEST(PreviewIncomplete, TheStatusLineNamesWhatIsCut) {
  std::string endless;
  for (int i = 0; i < 16; ++i) endless += "教育部人文社会科学重点研究基地重大项目";
  struct Case {
    const char* name;
    std::string cell;
    QString shown;  // empty: no status line
  } cases[] = {
      {"whole", "教育部人文社会科学重点研究基地重大项目", QString()},
      {"cut", endless, QStringLiteral("打印时未能完整显示：研究课题第1行“课题类别”（第 4 页）")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Record rec = test::openedFixture("sample.xdx").record();
    rec.setCell(Field::ResearchedProject, 0, 2, c.cell);
    test::ScriptedWindowServices services;
    PreviewWindow window(test::sheetsOf(rec, false), services, nullptr);
    window.resize(900, 700);
    window.show();
    QApplication::processEvents();
    auto* line = window.findChild<QLabel*>(QStringLiteral("incomplete"));
    ASSERT_TRUE(line);
    EXPECT_EQ(line->isVisible(), !c.shown.isEmpty());
    EXPECT_EQ(line->text(), c.shown);
    EXPECT_FALSE(line->accessibleName().isEmpty());
    if (c.shown.isEmpty()) continue;
    // An opened PDF hides it; back at the report it shows again.
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("other.pdf"));
    QString error;
    ASSERT_TRUE(window.saveAs(pdf, &error)) << error.toStdString();
    ASSERT_TRUE(window.openPdf(pdf));
    EXPECT_FALSE(line->isVisible());
    window.showReport();
    EXPECT_TRUE(line->isVisible());
  }
}

}  // namespace
}  // namespace velmora::preview
