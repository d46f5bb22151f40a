// The parts of printing that need no print system: what the user is told
// about a job (against a print system of the test's own), the options a job
// carries, page ranges, picking the pages of a PDF file, and where a sheet
// lies on the paper.
#include <gtest/gtest.h>
#include <poppler-qt6.h>

#include "app/preview/cups_job.h"
#include "app/preview/paper.h"
#include "app/preview/preview_window.h"
#include "report/report_pdf.h"
#include "report_test_support.h"
#include "scripted_print_system.h"

namespace velmora::preview {
namespace {

using Kind = PrintOutcome::Kind;
using Reach = PrinterStatus::Reach;

TEST(SendToPrinter, TellsWhatBecameOfTheJob) {
  constexpr int kWholeWatch = kJobWatchMilliseconds;
  struct Case {
    const char* name;
    PrinterStatus status;
    std::optional<PrinterStatus> statusLater;
    Submission submission;
    std::deque<JobState> states;
    QString jobMessage;
    Kind kind;
    QString text;  // the whole text; for Sent empty
    bool submitted;
    int waited;
  } cases[] = {
      {"no print system",
       {Reach::NoConnection, false, false, QStringLiteral("No such file or directory")},
       {},
       {42, {}},
       {},
       {},
       Kind::Failed,
       QStringLiteral("无法连接打印系统，打印机“P1”没有收到作业：No such file or directory"),
       false,
       0},
      {"no such printer",
       {Reach::NoPrinter, false, false, {}},
       {},
       {42, {}},
       {},
       {},
       Kind::Failed,
       QStringLiteral("打印系统中没有打印机“P1”，它可能已被删除。"),
       false,
       0},
      {"refusing with a reason",
       {Reach::Reached, false, false, QStringLiteral("维修中")},
       {},
       {42, {}},
       {},
       {},
       Kind::Failed,
       QStringLiteral("打印机“P1”不接受作业：维修中"),
       false,
       0},
      {"refusing without a reason",
       {Reach::Reached, false, false, {}},
       {},
       {42, {}},
       {},
       {},
       Kind::Failed,
       QStringLiteral("打印机“P1”不接受作业：未说明原因"),
       false,
       0},
      {"job not created",
       {},
       {},
       {0, QStringLiteral("Bad request")},
       {},
       {},
       Kind::Failed,
       QStringLiteral("打印机“P1”没有接收作业：Bad request"),
       true,
       0},
      {"paused printer",
       {Reach::Reached, true, true, QStringLiteral("卡纸")},
       {},
       {42, {}},
       {},
       {},
       Kind::Queued,
       QStringLiteral("打印机已暂停，作业已排队：打印机“P1”恢复后才会打印。\n打印机的状态：卡纸"),
       true,
       0},
      {"paused printer without a reason",
       {Reach::Reached, true, true, {}},
       {},
       {42, {}},
       {},
       {},
       Kind::Queued,
       QStringLiteral("打印机已暂停，作业已排队：打印机“P1”恢复后才会打印。"),
       true,
       0},
      {"printed at once", {}, {}, {42, {}}, {JobState::Completed}, {}, Kind::Sent, {}, true, 0},
      {"printed after a while",
       {},
       {},
       {42, {}},
       {JobState::Pending, JobState::Processing, JobState::Completed},
       {},
       Kind::Sent,
       {},
       true,
       2 * kJobWatchStep},
      {"aborted",
       {},
       {},
       {42, {}},
       {JobState::Processing, JobState::Aborted},
       QStringLiteral("Filter failed"),
       Kind::Failed,
       QStringLiteral("打印机“P1”未能完成作业（已中止）：Filter failed"),
       true,
       kJobWatchStep},
      {"cancelled without a reason",
       {},
       {},
       {42, {}},
       {JobState::Canceled},
       {},
       Kind::Failed,
       QStringLiteral("打印机“P1”未能完成作业（已取消）：未说明原因"),
       true,
       0},
      {"job stopped",
       {},
       {},
       {42, {}},
       {JobState::Processing, JobState::Stopped},
       QStringLiteral("backend stopped"),
       Kind::Queued,
       QStringLiteral("打印机已暂停，作业已排队：打印机“P1”恢复后才会打印。\n打印机的状态：backend stopped"),
       true,
       kJobWatchStep},
      {"still printing when the watch ends",
       {},
       {},
       {42, {}},
       {JobState::Processing},
       {},
       Kind::Sent,
       {},
       true,
       kWholeWatch},
      {"held", {}, {}, {42, {}}, {JobState::Held}, {}, Kind::Sent, {}, true, kWholeWatch},
      {"paused meanwhile",
       {},
       PrinterStatus{Reach::Reached, true, true, QStringLiteral("backend failed")},
       {42, {}},
       {JobState::Pending},
       {},
       Kind::Queued,
       QStringLiteral("打印机已暂停，作业已排队：打印机“P1”恢复后才会打印。\n打印机的状态：backend failed"),
       true,
       kWholeWatch},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::ScriptedPrintSystem system;
    system.status = c.status;
    system.statusLater = c.statusLater;
    system.submission = c.submission;
    system.states = c.states;
    system.jobMessage = c.jobMessage;
    const JobOptions options = {{"copies", "2"}};
    const PrintOutcome outcome =
        sendToPrinter(system, QStringLiteral("P1"), QStringLiteral("报表打印"), QByteArray("%PDF-"), options);
    EXPECT_EQ(outcome.kind, c.kind);
    EXPECT_EQ(outcome.text, c.text);
    ASSERT_EQ(system.sent.size(), c.submitted ? 1u : 0u);
    if (c.submitted) {
      EXPECT_EQ(system.sent[0].printer, QStringLiteral("P1"));
      EXPECT_EQ(system.sent[0].title, QStringLiteral("报表打印"));
      EXPECT_EQ(system.sent[0].pdf, QByteArray("%PDF-"));
      EXPECT_EQ(system.sent[0].options, options);
    }
    EXPECT_EQ(system.waited, c.waited);
    for (int id : system.jobsLookedAt) EXPECT_EQ(id, 42);
  }
}

TEST(CupsOptions, AskForWhatWasChosen) {
  using Sides = JobChoices::Sides;
  struct Case {
    const char* name;
    JobChoices choices;
    JobOptions expected;
  } cases[] = {
      {"defaults",
       {},
       {{"copies", "1"},
        {"collate", "true"},
        {"multiple-document-handling", "separate-documents-collated-copies"},
        {"sides", "one-sided"}}},
      {"copies uncollated, reversed, long edge, paper",
       {3, false, true, Sides::LongEdge, "Letter", {}, {}},
       {{"copies", "3"},
        {"collate", "false"},
        {"multiple-document-handling", "separate-documents-uncollated-copies"},
        {"outputorder", "reverse"},
        {"sides", "two-sided-long-edge"},
        {"media", "Letter"}}},
      {"short edge, pages, further options",
       {1, true, false, Sides::ShortEdge, "A4", "2-4,7", {{"job-priority", "80"}, {"job-hold-until", "night"}}},
       {{"copies", "1"},
        {"collate", "true"},
        {"multiple-document-handling", "separate-documents-collated-copies"},
        {"sides", "two-sided-short-edge"},
        {"media", "A4"},
        {"page-ranges", "2-4,7"},
        {"job-priority", "80"},
        {"job-hold-until", "night"}}},
      {"a further option does not override a choice",
       {0, true, false, Sides::One, {}, {}, {{"copies", "9"}, {"sides", "two-sided-long-edge"}}},
       {{"copies", "1"},
        {"collate", "true"},
        {"multiple-document-handling", "separate-documents-collated-copies"},
        {"sides", "one-sided"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(cupsOptions(c.choices), c.expected);
  }
}

TEST(PageRangesText, OneBasedCompactRanges) {
  struct Case {
    std::vector<int> pages;
    QByteArray expected;
  } cases[] = {
      {{0}, "1"},         {{0, 1, 2}, "1-3"}, {{0, 2, 4, 5, 6}, "1,3,5-7"}, {{6, 5, 4, 0, 2, 2}, "1,3,5-7"},
      {{9, 10}, "10-11"}, {{}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected.toStdString());
    EXPECT_EQ(pageRangesText(c.pages), c.expected);
  }
}

// The pages of a PDF file in any order, a page more than once.
TEST(PickPdfPages, PicksReordersAndRepeats) {
  const std::vector<report::Sheet> sheets = test::sheetsOf(test::openedFixture("sample.xdx").record(), false);
  const QByteArray pdf = report::pdfBytes(sheets);
  struct Case {
    std::vector<int> order;
    std::vector<int> sheetNumbers;  // empty: refused
  } cases[] = {
      {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
      {{10, 9, 8}, {11, 10, 9}},
      {{3, 3, 5, 5}, {4, 4, 6, 6}},
      {{2, 4, 2, 4}, {3, 5, 3, 5}},
      {{0, 11}, {}},
      {{-1}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.order));
    QString error;
    const QByteArray picked = pickPdfPages(pdf, c.order, &error);
    if (c.sheetNumbers.empty()) {
      EXPECT_TRUE(picked.isEmpty());
      EXPECT_FALSE(error.isEmpty());
      continue;
    }
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_EQ(test::sheetNumbers(picked), c.sheetNumbers);
  }
  QString error;
  EXPECT_TRUE(pickPdfPages("plain text, no PDF", {0}, &error).isEmpty());
  EXPECT_FALSE(error.isEmpty());
}

TEST(FitPlacement, FitsTheSheetIntoThePrintableArea) {
  struct Case {
    const char* name;
    QPageSize paper;
    QMarginsF margins;  // points
    double scale;
    QPointF offset;  // inches
  } cases[] = {
      {"no margins", QPageSize(QPageSize::A4), {}, 1.0, {}},
      // 612 x 792 pt less 18+12 and 30+24: 582 x 738; 738/792 binds.
      {"Letter, the height binds",
       QPageSize(QPageSize::Letter),
       {18, 30, 12, 24},
       738.0 / 792,
       {(18 + (582 - 612 * 738.0 / 792) / 2) / 72, 30.0 / 72}},
      // 612 x 792 less 100+100 and 10+10: 412 x 772; 412/612 binds.
      {"Letter, the width binds",
       QPageSize(QPageSize::Letter),
       {100, 10, 100, 10},
       412.0 / 612,
       {100.0 / 72, (10 + (772 - 792 * 412.0 / 612) / 2) / 72}},
      {"margins larger than the paper", QPageSize(QPageSize::A4), {400, 0, 400, 0}, 1.0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const report::Placement p = fitPlacement(c.paper, c.margins);
    EXPECT_NEAR(p.scale, c.scale, 1e-9);
    EXPECT_NEAR(p.offset.x(), c.offset.x(), 1e-9);
    EXPECT_NEAR(p.offset.y(), c.offset.y(), 1e-9);
  }
}

// The PDF writer puts each sheet where the placement says: scaled about the
// sheet's corner, then moved.
TEST(PdfPlacement, SheetsLieWhereThePlacementPutsThem) {
  const std::vector<report::Sheet> sheets = test::sheetsOf(test::openedFixture("sample.xdx").record(), false);
  const std::vector<report::Sheet> two = {sheets[0], sheets[3]};
  const auto boxes = [](const QByteArray& pdf, int page) {
    const test::PageText text = test::pdfText(pdf).at(static_cast<std::size_t>(page));
    return std::vector<QRectF>{text.boxes.front(), text.boxes.back()};
  };
  const QByteArray plain = report::pdfBytes(two, QPageSize(QPageSize::A4));
  struct Case {
    const char* name;
    report::Placement placement;
  } cases[] = {
      {"as laid out", {}},
      {"moved", {1.0, {0.5, 0.25}}},
      {"scaled", {0.8, {}}},
      {"scaled and moved", {0.9, {0.3, 0.6}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QByteArray placed = report::pdfBytes(two, QPageSize(QPageSize::A4), c.placement);
    ASSERT_EQ(test::pdfText(placed).size(), 2u);
    for (int page : {0, 1}) {
      const std::vector<QRectF> before = boxes(plain, page), after = boxes(placed, page);
      for (std::size_t k = 0; k < before.size(); ++k) {
        EXPECT_NEAR(after[k].left(), c.placement.offset.x() + c.placement.scale * before[k].left(), 0.01);
        EXPECT_NEAR(after[k].top(), c.placement.offset.y() + c.placement.scale * before[k].top(), 0.01);
        EXPECT_NEAR(after[k].height(), c.placement.scale * before[k].height(), 0.01);
      }
    }
  }
}

}  // namespace
}  // namespace velmora::preview
