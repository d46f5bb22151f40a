// The preview window offscreen: navigation, zoom, drawing only what is in
// view, printing a range, saving and reopening the PDF.
#include <gtest/gtest.h>
#include <poppler-qt6.h>

#include <QApplication>
#include <QPrinter>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>

#include "app/preview/preview_window.h"
#include "report_test_support.h"

namespace velmora::preview {
namespace {

class Preview : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<PreviewWindow>(test::sheetsOf(test::openedFixture("sample.xdx").record, false), nullptr);
    window->resize(900, 700);
    window->show();
    QApplication::processEvents();
  }
  std::unique_ptr<PreviewWindow> window;
};

TEST_F(Preview, OpensModalAtActualSize) {
  EXPECT_EQ(window->windowTitle(), QStringLiteral("报表预览"));
  EXPECT_TRUE(window->isModal());
  EXPECT_EQ(window->view()->count(), 11);
  EXPECT_DOUBLE_EQ(window->view()->zoom(), 1.0);
  EXPECT_EQ(window->view()->pageRect(0).width(), static_cast<int>(8.5 * window->view()->logicalDpiX()));
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

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
