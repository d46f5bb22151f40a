// The preview window offscreen: navigation, zoom, drawing only what is in
// view, printing a range, saving and reopening the PDF.
#include <gtest/gtest.h>
#include <poppler-qt6.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QTimer>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>

#include "app/preview/preview_window.h"
#include "app/preview/status_window.h"
#include "gui/scripted_window_services.h"
#include "report_test_support.h"

namespace velmora::preview {
namespace {

class Preview : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<PreviewWindow>(test::sheetsOf(test::openedFixture("sample.xdx").record(), false), services, nullptr);
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
  } cases[] = {{"zh_CN", QPageSize::A4}, {"en_US", QPageSize::Letter}, {"de_DE", QPageSize::A4}, {"en_GB", QPageSize::A4}};
  for (const Case& c : cases) EXPECT_EQ(paperForLocale(QLocale(QString::fromLatin1(c.locale))).id(), c.paper) << c.locale;
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
    std::string error;         // the box's text; empty: no box
    const char* written;       // a file the action must have written
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
      {{0, 1, 2}, 1, false, false, {0, 1, 2}},      {{0, 1, 2}, 2, true, false, {0, 1, 2, 0, 1, 2}},
      {{0, 1, 2}, 2, false, false, {0, 0, 1, 1, 2, 2}}, {{0, 1, 2}, 1, true, true, {2, 1, 0}},
      {{4, 6}, 3, false, true, {6, 6, 6, 4, 4, 4}},  {{}, 2, true, false, {}},
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

}  // namespace
}  // namespace velmora::preview
