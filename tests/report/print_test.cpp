// Printing the report on a printer: the real QPrinter and print dialog, and
// the preview's own jobs through libcups, into a CUPS of the test's own
// (tests/cups/with_cups.sh) whose queues write every job as a PDF into
// $VELMORA_PRINT_OUT. The job is read back with poppler: its title, its
// sheets in their order, its paper, its options and its text.
#include <gtest/gtest.h>
#include <poppler-qt6.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

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
#include <QProcess>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <cstring>

#include "app/preview/preview_window.h"
#include "gui/scripted_window_services.h"
#include "report_test_support.h"
#include "scripted_print_system.h"

namespace velmora::preview {
namespace {

struct Job {
  QString title;
  QString options;
  QByteArray pdf;
  QString path;  // of the PDF
  bool hasOption(const QString& option) const { return options.split(u' ').contains(option); }
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
      job.path = outDir().filePath(QStringLiteral("job-%1.pdf").arg(n));
      QFile pdf(job.path);
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

// A CUPS command (cupsreject, cupsenable, ...) against the test's cupsd.
void cups(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral("/usr/sbin/") + program, args);
  ASSERT_TRUE(p.waitForFinished(30'000)) << program.toStdString();
  ASSERT_EQ(p.exitCode(), 0) << program.toStdString() << ": " << p.readAllStandardError().toStdString();
}

void choosePrinter(QPrintDialog& d, const char* name) {
  QComboBox* printers = control<QComboBox>(d, "printers");
  printers->setCurrentIndex(printers->findText(QString::fromLatin1(name)));
  ASSERT_EQ(printers->currentText(), QString::fromLatin1(name));
}

void chooseFromTo(QPrintDialog& d, int from, int to) {
  control<QRadioButton>(d, "printRange")->setChecked(true);
  control<QSpinBox>(d, "to")->setValue(to);
  control<QSpinBox>(d, "from")->setValue(from);
}

void typePages(QPrintDialog& d, const QString& pages) {
  control<QRadioButton>(d, "pagesRadioButton")->setChecked(true);
  control<QLineEdit>(d, "pagesLineEdit")->setText(pages);
}

class Printing : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("VELMORA_PRINT_OUT")) << "run under tests/cups/with_cups.sh";
  }
  void SetUp() override {
    PreviewWindow::forgetPrintChoices();
    sheets = test::sheetsOf(test::openedFixture("sample.xdx").record(), false);
    window = std::make_unique<PreviewWindow>(sheets, services, nullptr);
  }
  // Runs the print command; `drive` handles its dialog while it is shown
  // and closes it.
  void withDialog(const std::function<void(QPrintDialog&)>& drive) {
    bool driven = false;
    QTimer::singleShot(0, window.get(), [&] {
      auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
      ASSERT_TRUE(dialog);
      drive(*dialog);
      driven = true;
    });
    window->print();
    ASSERT_TRUE(driven);
  }
  // Prints through the dialog as the print command does; `fill` sets the
  // dialog's controls while it is shown.
  void printThroughDialog(const std::function<void(QPrintDialog&)>& fill) {
    withDialog([&](QPrintDialog& d) {
      fill(d);
      d.accept();
    });
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
       [](QPrintDialog& d) { typePages(d, QStringLiteral("1,3,5-7")); },
       {1, 3, 5, 6, 7},
       QPageSize::A4,
       nullptr},
      {"from-to", [](QPrintDialog& d) { chooseFromTo(d, 4, 6); }, {4, 5, 6}, QPageSize::A4, nullptr},
      {"two copies collated",
       [](QPrintDialog& d) {
         chooseFromTo(d, 2, 3);
         control<QSpinBox>(d, "copies")->setValue(2);
         control<QCheckBox>(d, "collate")->setChecked(true);
       },
       {2, 3, 2, 3},
       QPageSize::A4,
       nullptr},
      {"two copies uncollated",
       [](QPrintDialog& d) {
         chooseFromTo(d, 2, 3);
         control<QSpinBox>(d, "copies")->setValue(2);
         control<QCheckBox>(d, "collate")->setChecked(false);
       },
       {2, 2, 3, 3},
       QPageSize::A4,
       nullptr},
      {"duplex",
       [](QPrintDialog& d) {
         chooseFromTo(d, 1, 2);
         control<QRadioButton>(d, "duplexLong")->setChecked(true);
       },
       {1, 2},
       QPageSize::A4,
       "sides=two-sided-long-edge"},
      {"Letter",
       [](QPrintDialog& d) {
         choosePrinter(d, "velmora-letter");
         chooseFromTo(d, 1, 1);
       },
       {1},
       QPageSize::Letter,
       "media=Letter"},
      {"reverse order",
       [](QPrintDialog& d) { control<QCheckBox>(d, "reverse")->setChecked(true); },
       {11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1},
       QPageSize::A4,
       "outputorder=reverse"},
      {"reverse order of two collated copies",
       [](QPrintDialog& d) {
         chooseFromTo(d, 2, 3);
         control<QSpinBox>(d, "copies")->setValue(2);
         control<QCheckBox>(d, "collate")->setChecked(true);
         control<QCheckBox>(d, "reverse")->setChecked(true);
       },
       {3, 2, 3, 2},
       QPageSize::A4,
       "outputorder=reverse"},
      {"odd sheets of a typed selection",
       [](QPrintDialog& d) {
         typePages(d, QStringLiteral("2-7"));
         QComboBox* set = control<QComboBox>(d, "pageSetCombo");
         ASSERT_EQ(set->count(), 3);
         set->setCurrentIndex(1);
       },
       {3, 5, 7},
       QPageSize::A4,
       nullptr},
      {"even sheets from an even sheet on",
       [](QPrintDialog& d) {
         chooseFromTo(d, 2, 6);
         control<QComboBox>(d, "pageSetCombo")->setCurrentIndex(2);
       },
       {2, 4, 6},
       QPageSize::A4,
       nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Each row starts from the dialog's defaults, not from the row before.
    PreviewWindow::forgetPrintChoices();
    printThroughDialog(c.fill);
    EXPECT_TRUE(services.shown().empty()) << services.shown().front().text;
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
      EXPECT_TRUE(job->hasOption(QString::fromLatin1(c.option))) << job->options.toStdString();
    }
  }
}

// What reaches the printer is the program's own PDF: its Chinese text copies
// out as the characters printed, not as Kangxi radicals (Qt's own PDF
// writes "⾮正式⽂档" for "非正式文档").
TEST_F(Printing, TheJobsTextCopiesOutAsPrinted) {
  struct Case {
    const char* printer;
    const char* pages;
    const char* text;  // printed on those sheets
  } cases[] = {
      {"velmora-a4", "1", "非正式文档"},
      {"velmora-letter", "1-3", "非正式文档"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.printer);
    printThroughDialog([&](QPrintDialog& d) {
      choosePrinter(d, c.printer);
      typePages(d, QString::fromLatin1(c.pages));
    });
    const std::optional<Job> job = nextJob(&seen);
    ASSERT_TRUE(job) << "no job arrived";
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-enc"), QStringLiteral("UTF-8"), job->path, QStringLiteral("-")});
    ASSERT_TRUE(pdftotext.waitForFinished(30'000));
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    EXPECT_TRUE(text.contains(QString::fromUtf8(c.text))) << text.left(400).toStdString();
    for (char32_t ch : text.toUcs4()) {
      EXPECT_FALSE(ch >= 0x2E80 && ch <= 0x2FDF) << "a radical: U+" << std::hex << static_cast<unsigned>(ch);
    }
  }
}

// A printer that cannot print the job says so over the preview, naming the
// printer and the reason: one that refuses jobs, and one that is paused
// (the job waits in its queue and comes out once it is resumed).
TEST_F(Printing, APrintersTroubleIsTold) {
  struct Case {
    const char* name;
    QString before;  // the command that makes the trouble, with -r reason
    QString after;   // the command that ends it
    QString reason;
    const char* kind;
    std::vector<std::string> said;  // the box's text holds each
    bool printsAfter;               // the job comes out once the trouble ends
  } cases[] = {
      {"refusing jobs",
       QStringLiteral("cupsreject"),
       QStringLiteral("cupsaccept"),
       QStringLiteral("纸盒已取出"),
       "error",
       {"打印机“velmora-letter”不接受作业：纸盒已取出"},
       false},
      {"paused",
       QStringLiteral("cupsdisable"),
       QStringLiteral("cupsenable"),
       QStringLiteral("卡纸"),
       "information",
       {"打印机已暂停，作业已排队", "打印机“velmora-letter”", "卡纸"},
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    services.script.shown.clear();
    services.errorTitles.clear();
    services.informationTitles.clear();
    cups(c.before, {QStringLiteral("-r"), c.reason, QStringLiteral("velmora-letter")});
    printThroughDialog([](QPrintDialog& d) {
      choosePrinter(d, "velmora-letter");
      chooseFromTo(d, 2, 2);
    });
    cups(c.after, {QStringLiteral("velmora-letter")});
    ASSERT_EQ(services.shown().size(), 1u);
    EXPECT_EQ(services.shown()[0].kind, c.kind);
    for (const std::string& part : c.said) {
      EXPECT_NE(services.shown()[0].text.find(part), std::string::npos) << services.shown()[0].text;
    }
    EXPECT_EQ(services.lastOver, window.get());
    const auto& titles = std::string_view(c.kind) == "error" ? services.errorTitles : services.informationTitles;
    EXPECT_EQ(titles, std::vector<std::string>{"报表预览"});
    if (c.printsAfter) {
      const std::optional<Job> job = nextJob(&seen);
      ASSERT_TRUE(job) << "the queued job did not come out";
      EXPECT_EQ(test::sheetNumbers(job->pdf), std::vector<int>{2});
    }
  }
  // The refused job was never created: the next job is the one after the
  // paused printer's.
  printThroughDialog([](QPrintDialog& d) { chooseFromTo(d, 3, 3); });
  const std::optional<Job> job = nextJob(&seen);
  ASSERT_TRUE(job);
  EXPECT_EQ(test::sheetNumbers(job->pdf), std::vector<int>{3});
}

// A typed selection that is no selection, or has no sheet of the report in
// it, is refused in the dialog, which stays open for a better one.
TEST_F(Printing, AnEmptySelectionIsRefusedInTheDialog) {
  struct Case {
    const char* typed;
    const char* said;  // the refusal holds it
  } cases[] = {
      {"abc", "页码“abc”无法识别"},
      {"20-30", "所选页码“20-30”不在第1至11页之内"},
      {"0", "页码“0”无法识别"},
      {"12", "所选页码“12”不在第1至11页之内"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    services.script.shown.clear();
    services.errorTitles.clear();
    withDialog([&](QPrintDialog& d) {
      typePages(d, QString::fromLatin1(c.typed));
      d.accept();
      EXPECT_TRUE(d.isVisible());
      ASSERT_EQ(services.shown().size(), 1u);
      EXPECT_EQ(services.shown()[0].kind, "error");
      EXPECT_NE(services.shown()[0].text.find(c.said), std::string::npos) << services.shown()[0].text;
      EXPECT_EQ(services.errorTitles, std::vector<std::string>{"报表预览"});
      EXPECT_EQ(services.lastOver, &d);
      // The dialog goes on: a selection that holds a sheet prints.
      typePages(d, QStringLiteral("5,20-30"));
      d.accept();
      EXPECT_FALSE(d.isVisible());
    });
    EXPECT_EQ(services.shown().size(), 1u);
    const std::optional<Job> job = nextJob(&seen);
    ASSERT_TRUE(job);
    EXPECT_EQ(test::sheetNumbers(job->pdf), std::vector<int>{5});
  }
}

// The preview shows the paper of the printer chosen, as soon as it is chosen
// in the dialog, with the printer's printable area; cancelling returns to
// the paper before, printing keeps the printer's, and saving uses it.
TEST_F(Printing, ThePreviewFollowsThePrintersPaper) {
  const QMarginsF letterMargins(18, 30, 12, 24);  // the test driver's imageable area
  struct Case {
    const char* printer;
    bool print;
    QPageSize::PageSizeId whileOpen, after;
    QMarginsF marginsWhileOpen, marginsAfter;
  } cases[] = {
      {"velmora-letter", false, QPageSize::Letter, QPageSize::A4, letterMargins, QMarginsF()},
      {"velmora-letter", true, QPageSize::Letter, QPageSize::Letter, letterMargins, letterMargins},
      {"velmora-a4", true, QPageSize::A4, QPageSize::A4, QMarginsF(), QMarginsF()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.printer) + (c.print ? " printed" : " cancelled"));
    window = std::make_unique<PreviewWindow>(sheets, services, nullptr);
    ASSERT_EQ(window->view()->paper().id(), QPageSize::A4);
    withDialog([&](QPrintDialog& d) {
      choosePrinter(d, c.printer);
      EXPECT_EQ(window->view()->paper().id(), c.whileOpen);
      EXPECT_EQ(window->view()->unprintable(), c.marginsWhileOpen);
      if (!c.print) return d.reject();
      chooseFromTo(d, 1, 1);
      d.accept();
    });
    EXPECT_EQ(window->view()->paper().id(), c.after);
    EXPECT_EQ(window->view()->unprintable(), c.marginsAfter);
    EXPECT_EQ(window->view()->printableRect(0).isEmpty(), c.marginsAfter.isNull());
    if (c.print) {
      ASSERT_TRUE(nextJob(&seen));
    }
    QTemporaryDir dir;
    QString error;
    ASSERT_TRUE(window->saveAs(dir.filePath(QStringLiteral("saved.pdf")), &error)) << error.toStdString();
    QFile saved(dir.filePath(QStringLiteral("saved.pdf")));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    std::unique_ptr<Poppler::Document> doc = Poppler::Document::loadFromData(saved.readAll());
    ASSERT_TRUE(doc);
    EXPECT_NEAR(doc->page(0)->pageSizeF().width(), QPageSize(c.after).sizePoints().width(), 1);
  }
}

// "缩放到可打印区域" scales each sheet uniformly into the printer's printable
// area; without it, or on a printer that prints to the edge, the sheet is
// printed as laid out.
TEST_F(Printing, FittingScalesIntoThePrintableArea) {
  const auto at = [](const QByteArray& pdf) {
    const std::optional<QRectF> box = test::pdfText(pdf).at(0).find(u"课题申请");
    EXPECT_TRUE(box);
    return box.value_or(QRectF());
  };
  const QRectF asLaidOut = at(report::pdfBytes({sheets[0]}, QPageSize(QPageSize::Letter)));
  struct Case {
    const char* printer;
    bool fit;
    report::Placement expected;
  } cases[] = {
      {"velmora-letter", false, {}},
      {"velmora-letter", true, fitPlacement(QPageSize(QPageSize::Letter), QMarginsF(18, 30, 12, 24))},
      {"velmora-a4", true, {}},
  };
  ASSERT_LT(cases[1].expected.scale, 0.95);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.printer) + (c.fit ? " fitted" : ""));
    PreviewWindow::forgetPrintChoices();
    printThroughDialog([&](QPrintDialog& d) {
      choosePrinter(d, c.printer);
      chooseFromTo(d, 1, 1);
      auto* fit = d.findChild<QCheckBox*>(QStringLiteral("fitToPrintable"));
      ASSERT_TRUE(fit);
      EXPECT_EQ(fit->text(), QStringLiteral("缩放到可打印区域"));
      EXPECT_FALSE(fit->isChecked());  // off by default
      fit->setChecked(c.fit);
    });
    const std::optional<Job> job = nextJob(&seen);
    ASSERT_TRUE(job);
    const QRectF box = at(job->pdf);
    // On A4 the sheet's place differs from Letter's only by nothing: both
    // are laid out from the top-left corner.
    EXPECT_NEAR(box.left(), c.expected.offset.x() + c.expected.scale * asLaidOut.left(), 0.02);
    EXPECT_NEAR(box.top(), c.expected.offset.y() + c.expected.scale * asLaidOut.top(), 0.02);
    EXPECT_NEAR(box.height(), c.expected.scale * asLaidOut.height(), 0.02);
  }
}

// Within a run the dialog starts from the choices made last: printer,
// copies, collation, duplex, reverse order and fitting; not the pages.
TEST_F(Printing, TheDialogKeepsTheLastChoices) {
  printThroughDialog([](QPrintDialog& d) {
    choosePrinter(d, "velmora-letter");
    chooseFromTo(d, 1, 1);
    control<QSpinBox>(d, "copies")->setValue(2);
    control<QCheckBox>(d, "collate")->setChecked(false);
    control<QRadioButton>(d, "duplexShort")->setChecked(true);
    control<QCheckBox>(d, "reverse")->setChecked(true);
    control<QCheckBox>(d, "fitToPrintable")->setChecked(true);
  });
  ASSERT_TRUE(nextJob(&seen));
  struct Case {
    const char* name;
    bool forget;
    const char* printer;
    int copies;
    bool collate, duplexShort, reverse, fit;
  } cases[] = {
      {"kept", false, "velmora-letter", 2, false, true, true, true},
      {"kept by another preview", false, "velmora-letter", 2, false, true, true, true},
      {"forgotten", true, "velmora-a4", 1, true, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.forget) PreviewWindow::forgetPrintChoices();
    window = std::make_unique<PreviewWindow>(sheets, services, nullptr);
    withDialog([&](QPrintDialog& d) {
      EXPECT_EQ(control<QComboBox>(d, "printers")->currentText(), QString::fromLatin1(c.printer));
      EXPECT_EQ(control<QSpinBox>(d, "copies")->value(), c.copies);
      EXPECT_EQ(control<QCheckBox>(d, "collate")->isChecked(), c.collate);
      EXPECT_EQ(control<QRadioButton>(d, "duplexShort")->isChecked(), c.duplexShort);
      EXPECT_EQ(control<QCheckBox>(d, "reverse")->isChecked(), c.reverse);
      EXPECT_EQ(control<QCheckBox>(d, "fitToPrintable")->isChecked(), c.fit);
      EXPECT_TRUE(control<QRadioButton>(d, "printAll")->isChecked());
      d.reject();
    });
  }
}

// An opened PDF file goes to the printer as it is, CUPS picking the pages
// asked for; it is not fitted.
TEST_F(Printing, AnOpenedPdfGoesToThePrinterAsItIs) {
  QTemporaryDir dir;
  const QString opened = dir.filePath(QStringLiteral("opened.pdf"));
  ASSERT_TRUE(report::writePdf({sheets[2], sheets[4], sheets[6]}, opened, nullptr));
  ASSERT_TRUE(window->openPdf(opened));
  struct Case {
    const char* name;
    std::function<void(QPrintDialog&)> fill;
    std::vector<int> sheets;
    std::vector<const char*> options;
  } cases[] = {
      {"all", [](QPrintDialog&) {}, {3, 5, 7}, {}},
      {"typed", [](QPrintDialog& d) { typePages(d, QStringLiteral("3,1")); }, {3, 7}, {"page-ranges=1,3"}},
      {"reverse copies of a range",
       [](QPrintDialog& d) {
         chooseFromTo(d, 2, 3);
         control<QSpinBox>(d, "copies")->setValue(2);
         control<QCheckBox>(d, "collate")->setChecked(true);
         control<QCheckBox>(d, "reverse")->setChecked(true);
       },
       {7, 5, 7, 5},
       {"page-ranges=2-3", "outputorder=reverse"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PreviewWindow::forgetPrintChoices();
    printThroughDialog([&](QPrintDialog& d) {
      EXPECT_FALSE(d.findChild<QCheckBox*>(QStringLiteral("fitToPrintable"))->isEnabled());
      c.fill(d);
    });
    EXPECT_TRUE(services.shown().empty()) << services.shown().front().text;
    const std::optional<Job> job = nextJob(&seen);
    ASSERT_TRUE(job) << "no job arrived";
    EXPECT_EQ(job->title, QStringLiteral("报表打印"));
    EXPECT_EQ(test::sheetNumbers(job->pdf), c.sheets);
    EXPECT_EQ(job->options.contains(u"page-ranges="), !c.options.empty()) << job->options.toStdString();
    for (const char* option : c.options) {
      EXPECT_TRUE(job->hasOption(QString::fromLatin1(option))) << job->options.toStdString();
    }
  }
}

// What the print system says of a job reaches the user over the preview,
// and the job carries the document and options the dialog asked for: the
// chosen sheets as our own PDF, or an opened file byte for byte.
TEST_F(Printing, ThePreviewSendsAndTellsThroughItsPrintSystem) {
  QTemporaryDir dir;
  const QString opened = dir.filePath(QStringLiteral("opened.pdf"));
  ASSERT_TRUE(report::writePdf({sheets[0], sheets[1]}, opened, nullptr));
  QFile openedFile(opened);
  ASSERT_TRUE(openedFile.open(QIODevice::ReadOnly));
  const QByteArray openedBytes = openedFile.readAll();
  struct Case {
    const char* name;
    bool pdfOpen;
    test::ScriptedPrintSystem system;
    const char* kind;  // of the box; nullptr: none
    std::vector<int> sheets;
    JobOptions options;
  } cases[] = {
      {"printed",
       false,
       {},
       nullptr,
       {4, 5},
       {{"copies", "3"},
        {"collate", "false"},
        {"multiple-document-handling", "separate-documents-uncollated-copies"},
        {"outputorder", "reverse"},
        {"sides", "two-sided-short-edge"},
        {"media", "Letter"}}},
      {"refused", false, {}, "error", {4, 5}, {}},
      {"paused", false, {}, "information", {4, 5}, {}},
      {"an opened file",
       true,
       {},
       nullptr,
       {1, 2},
       {{"copies", "3"},
        {"collate", "false"},
        {"multiple-document-handling", "separate-documents-uncollated-copies"},
        {"outputorder", "reverse"},
        {"sides", "two-sided-short-edge"},
        {"media", "Letter"},
        {"page-ranges", "2"}}},
  };
  cases[0].system.states = {JobState::Completed};
  cases[1].system.states = {JobState::Aborted};
  cases[1].system.jobMessage = QStringLiteral("Filter failed");
  cases[2].system.status.stopped = true;
  cases[3].system.states = {JobState::Completed};
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    PreviewWindow::forgetPrintChoices();
    services.script.shown.clear();
    services.errorTitles.clear();
    services.informationTitles.clear();
    window = std::make_unique<PreviewWindow>(sheets, services, nullptr);
    window->setPrintSystem(c.system);
    if (c.pdfOpen) {
      ASSERT_TRUE(window->openPdf(opened));
    }
    printThroughDialog([&](QPrintDialog& d) {
      choosePrinter(d, "velmora-letter");
      chooseFromTo(d, c.pdfOpen ? 2 : 4, c.pdfOpen ? 2 : 5);
      control<QSpinBox>(d, "copies")->setValue(3);
      control<QCheckBox>(d, "collate")->setChecked(false);
      control<QCheckBox>(d, "reverse")->setChecked(true);
      control<QRadioButton>(d, "duplexShort")->setChecked(true);
    });
    ASSERT_EQ(c.system.sent.size(), 1u);
    const auto& sent = c.system.sent[0];
    EXPECT_EQ(sent.printer, QStringLiteral("velmora-letter"));
    EXPECT_EQ(sent.title, QStringLiteral("报表打印"));
    if (c.pdfOpen) {
      EXPECT_EQ(sent.pdf, openedBytes);
    } else {
      EXPECT_EQ(test::sheetNumbers(sent.pdf), c.sheets);
    }
    if (!c.options.empty()) {
      // The preview's own choices first, then what the printer's properties
      // (its job options) asked for, passed along.
      ASSERT_GE(sent.options.size(), c.options.size());
      EXPECT_EQ(JobOptions(sent.options.begin(), sent.options.begin() + static_cast<long>(c.options.size())),
                c.options);
      const JobOptions further(sent.options.begin() + static_cast<long>(c.options.size()), sent.options.end());
      for (const auto& option : JobOptions{{"job-sheets", "none,none"}, {"number-up", "1"}}) {
        EXPECT_NE(std::find(further.begin(), further.end(), option), further.end()) << option.first.toStdString();
      }
      for (const auto& [name, value] : further) {
        EXPECT_FALSE(value.isEmpty()) << name.toStdString();
      }
    }
    if (!c.kind) {
      EXPECT_TRUE(services.shown().empty()) << services.shown().front().text;
      continue;
    }
    ASSERT_EQ(services.shown().size(), 1u);
    EXPECT_EQ(services.shown()[0].kind, c.kind);
    EXPECT_NE(services.shown()[0].text.find("velmora-letter"), std::string::npos);
    EXPECT_EQ(services.lastOver, window.get());
    const auto& titles = std::string_view(c.kind) == "error" ? services.errorTitles : services.informationTitles;
    EXPECT_EQ(titles, std::vector<std::string>{"报表预览"});
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
    PreviewWindow preview(sheets, services, nullptr);
    EXPECT_NEAR(preview.view()->pageInches(0).width(), QPageSize(c.paper).size(QPageSize::Millimeter).width() / 25.4,
                0.001);
  }
  qunsetenv("PRINTER");
}

// Whether anything listens on the print system's socket.
bool cupsAnswers() {
  const QByteArray path = qgetenv("CUPS_SERVER");
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
  const int s = socket(AF_UNIX, SOCK_STREAM, 0);
  const bool answered = ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(s);
  return answered;
}

// The print system goes away while the dialog is open: printing says so,
// naming the printer. The suite runs on a cupsd of its own, which it stops.
class PrintSystemGone : public Printing {};

TEST_F(PrintSystemGone, PrintingSaysSo) {
  const pid_t cupsd = static_cast<pid_t>(qEnvironmentVariableIntValue("VELMORA_CUPSD_PID"));
  ASSERT_GT(cupsd, 0);
  printThroughDialog([&](QPrintDialog& d) {
    choosePrinter(d, "velmora-letter");
    ASSERT_EQ(kill(cupsd, SIGTERM), 0);
    const QDeadlineTimer deadline(30'000);
    while (cupsAnswers() && !deadline.hasExpired()) QThread::msleep(50);
    ASSERT_FALSE(cupsAnswers());
  });
  ASSERT_EQ(services.shown().size(), 1u);
  EXPECT_EQ(services.shown()[0].kind, "error");
  EXPECT_NE(services.shown()[0].text.find("无法连接打印系统，打印机“velmora-letter”没有收到作业"), std::string::npos)
      << services.shown()[0].text;
  EXPECT_EQ(services.errorTitles, std::vector<std::string>{"报表预览"});
}

}  // namespace
}  // namespace velmora::preview
