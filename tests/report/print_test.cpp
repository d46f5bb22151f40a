// Printing the report on a printer: the real QPrinter and Qt's CUPS support,
// through the print dialog, into a CUPS of the test's own
// (tests/cups/with_cups.sh) whose queues write every job as a PDF into
// $VELMORA_PRINT_OUT. The job is read back with poppler: its title, its
// sheets in their order, its paper and its options.
#include <gtest/gtest.h>
#include <poppler-qt6.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QSpinBox>
#include <QThread>
#include <QTimer>

#include "app/preview/preview_window.h"
#include "gui/scripted_window_services.h"
#include "report_test_support.h"

namespace velmora::preview {
namespace {

struct Job {
  QString title;
  QString options;
  QByteArray pdf;
};

QDir outDir() { return QDir(qEnvironmentVariable("VELMORA_PRINT_OUT")); }

// The next job the queues write: the backend writes job-N.txt last.
std::optional<Job> nextJob(int* seen) {
  const QDeadlineTimer deadline(60'000);
  while (!deadline.hasExpired()) {
    const int n = *seen + 1;
    QFile info(outDir().filePath(QStringLiteral("job-%1.txt").arg(n)));
    if (info.open(QIODevice::ReadOnly)) {
      Job job;
      for (const QString& line : QString::fromUtf8(info.readAll()).split(u'\n')) {
        if (line.startsWith(u"title=")) job.title = line.mid(6);
        if (line.startsWith(u"options=")) job.options = line.mid(8);
      }
      QFile pdf(outDir().filePath(QStringLiteral("job-%1.pdf").arg(n)));
      if (!pdf.open(QIODevice::ReadOnly)) return std::nullopt;
      job.pdf = pdf.readAll();
      *seen = n;
      return job;
    }
    QThread::msleep(50);
  }
  return std::nullopt;
}

template <class W>
W* control(QPrintDialog& dialog, const char* name) {
  W* w = dialog.findChild<W*>(QLatin1String(name));
  if (!w) ADD_FAILURE() << "no control " << name;
  return w;
}

class Printing : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("VELMORA_PRINT_OUT")) << "run under tests/cups/with_cups.sh";
  }
  void SetUp() override {
    sheets = test::sheetsOf(test::openedFixture("sample.xdx").record(), false);
    window = std::make_unique<PreviewWindow>(sheets, services, nullptr);
  }
  // Prints through the dialog as the print command does; `fill` sets the
  // dialog's controls while it is shown.
  void printThroughDialog(const std::function<void(QPrintDialog&)>& fill) {
    bool filled = false;
    QTimer::singleShot(0, window.get(), [&] {
      auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
      ASSERT_TRUE(dialog);
      fill(*dialog);
      filled = true;
      dialog->accept();
    });
    window->print();
    ASSERT_TRUE(filled);
  }
  std::vector<report::Sheet> sheets;
  test::ScriptedWindowServices services;
  std::unique_ptr<PreviewWindow> window;
  static inline int seen = 0;
};

TEST_F(Printing, TheTestQueuesAreThere) {
  QStringList names;
  for (const QPrinterInfo& p : QPrinterInfo::availablePrinters()) names << p.printerName();
  names.sort();
  EXPECT_EQ(names, (QStringList{QStringLiteral("velmora-a4"), QStringLiteral("velmora-letter")}));
  EXPECT_EQ(QPrinterInfo::defaultPrinter().printerName(), QStringLiteral("velmora-a4"));
}

// Each choice of the dialog arrives at the printer as chosen.
TEST_F(Printing, TheJobArrivesAsChosen) {
  struct Case {
    const char* name;
    std::function<void(QPrintDialog&)> fill;
    std::vector<int> sheets;
    QPageSize::PageSizeId paper;
    const char* option;  // a word the job's options must hold, if any
  } cases[] = {
      {"all sheets", [](QPrintDialog&) {}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, QPageSize::A4, "sides=one-sided"},
      {"typed selection",
       [](QPrintDialog& d) {
         control<QRadioButton>(d, "pagesRadioButton")->setChecked(true);
         control<QLineEdit>(d, "pagesLineEdit")->setText(QStringLiteral("1,3,5-7"));
       },
       {1, 3, 5, 6, 7}, QPageSize::A4, nullptr},
      {"from-to",
       [](QPrintDialog& d) {
         control<QRadioButton>(d, "printRange")->setChecked(true);
         control<QSpinBox>(d, "to")->setValue(6);
         control<QSpinBox>(d, "from")->setValue(4);
       },
       {4, 5, 6}, QPageSize::A4, nullptr},
      {"two copies collated",
       [](QPrintDialog& d) {
         control<QRadioButton>(d, "printRange")->setChecked(true);
         control<QSpinBox>(d, "to")->setValue(3);
         control<QSpinBox>(d, "from")->setValue(2);
         control<QSpinBox>(d, "copies")->setValue(2);
         control<QCheckBox>(d, "collate")->setChecked(true);
       },
       {2, 3, 2, 3}, QPageSize::A4, nullptr},
      {"two copies uncollated",
       [](QPrintDialog& d) {
         control<QRadioButton>(d, "printRange")->setChecked(true);
         control<QSpinBox>(d, "to")->setValue(3);
         control<QSpinBox>(d, "from")->setValue(2);
         control<QSpinBox>(d, "copies")->setValue(2);
         control<QCheckBox>(d, "collate")->setChecked(false);
       },
       {2, 2, 3, 3}, QPageSize::A4, nullptr},
      {"duplex",
       [](QPrintDialog& d) {
         control<QRadioButton>(d, "printRange")->setChecked(true);
         control<QSpinBox>(d, "to")->setValue(2);
         control<QSpinBox>(d, "from")->setValue(1);
         control<QRadioButton>(d, "duplexLong")->setChecked(true);
       },
       {1, 2}, QPageSize::A4, "sides=two-sided-long-edge"},
      {"Letter",
       [](QPrintDialog& d) {
         QComboBox* printers = control<QComboBox>(d, "printers");
         printers->setCurrentIndex(printers->findText(QStringLiteral("velmora-letter")));
         control<QRadioButton>(d, "printRange")->setChecked(true);
         control<QSpinBox>(d, "to")->setValue(1);
         control<QSpinBox>(d, "from")->setValue(1);
       },
       {1}, QPageSize::Letter, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    printThroughDialog(c.fill);
    const std::optional<Job> job = nextJob(&seen);
    ASSERT_TRUE(job) << "no job arrived";
    EXPECT_EQ(job->title, QStringLiteral("报表打印"));
    EXPECT_EQ(test::sheetNumbers(job->pdf), c.sheets);
    std::unique_ptr<Poppler::Document> doc = Poppler::Document::loadFromData(job->pdf);
    ASSERT_TRUE(doc && doc->numPages() > 0);
    const QSizeF size = doc->page(0)->pageSizeF();
    EXPECT_NEAR(size.width(), QPageSize(c.paper).sizePoints().width(), 1);
    EXPECT_NEAR(size.height(), QPageSize(c.paper).sizePoints().height(), 1);
    if (c.option) {
      EXPECT_TRUE(job->options.split(u' ').contains(QString::fromLatin1(c.option))) << job->options.toStdString();
    }
  }
}

// The preview shows the default printer's default paper, the one a print
// without changes uses.
TEST_F(Printing, ThePreviewShowsTheDefaultPrintersPaper) {
  struct Case {
    const char* printer;
    QPageSize::PageSizeId paper;
  } cases[] = {{"velmora-a4", QPageSize::A4}, {"velmora-letter", QPageSize::Letter}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.printer);
    // Qt takes a user's default destination from PRINTER, as lp does.
    qputenv("PRINTER", c.printer);
    EXPECT_EQ(QPrinterInfo::defaultPrinter().printerName(), QString::fromLatin1(c.printer));
    EXPECT_EQ(defaultPaper().id(), c.paper);
    test::ScriptedWindowServices services;
    PreviewWindow preview(sheets, services, nullptr);
    EXPECT_NEAR(preview.view()->pageInches(0).width(), QPageSize(c.paper).size(QPageSize::Millimeter).width() / 25.4,
                0.001);
  }
  qunsetenv("PRINTER");
}

}  // namespace
}  // namespace velmora::preview
