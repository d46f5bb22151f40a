// Every record the window lets a user make is saved and opened as the same
// record. Random text (a fixed seed: Chinese and Latin text, tabs, every kind
// of line break, control characters, NUL, characters outside GBK, long
// lines) is pasted and dropped into the text fields, long texts and table
// cells of the real window; the window's own gate decides what enters. The
// document saved by the save button is opened again and compared with the
// record the window held.
#include <QClipboard>
#include <QMimeData>
#include <QPlainTextEdit>

#include "app/record_table.h"
#include "document/document_actions.h"
#include "exchange/record_import.h"
#include "exchange/record_json.h"
#include "random_text.h"
#include "record/gbk.h"
#include "window_fixture.h"

using namespace velmora;
using namespace velmora::test;

namespace {

constexpr std::uint32_t kSeed = 61210;
constexpr int kRounds = 12;

class WindowRoundTrip : public WindowTest {
 public:
  // Replaces the field's text by what the user brings in: pasted with Ctrl+V
  // or dropped, half the time each.
  void bringIn(QWidget* w, const QString& text, bool drop) {
    QApplication::setActiveWindow(window.get());
    showPageOf(w);
    w->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(w, Qt::Key_Delete);
    if (drop) {
      QWidget* target = w;
      if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) target = area->viewport();
      QMimeData data;
      data.setText(text);
      const QPoint at(4, 4);
      QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(target, &enter);
      if (enter.isAccepted()) {
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &dropped);
      }
    } else {
      QApplication::clipboard()->setText(text);
      QTest::keySequence(w, QKeySequence::Paste);
    }
    settle();
  }

  void intoCell(RecordTable* table, int row, int column, const QString& text) {
    QApplication::setActiveWindow(window.get());
    showPageOf(table);
    table->setFocus();
    table->setCurrentItem(nullptr);
    table->setCurrentCell(row, column);
    settle();
    QWidget* editor = QApplication::focusWidget();
    if (!editor || editor == table) return;
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Delete);
    QApplication::clipboard()->setText(text);
    QTest::keySequence(editor, QKeySequence::Paste);
    QTest::keyClick(editor, Qt::Key_Return);
    settle();
  }
};

}  // namespace

TEST_F(WindowRoundTrip, WhatTheWindowTakesIsSavedAndOpenedTheSame) {
  RandomText random(kSeed);
  const char* lineFields[] = {"ProjectName",    "KeyWord", "Presider",   "Department",    "ContactMail",
                              "ContactAddress", "Tutor",   "OutlayBank", "OutlayAddress", "ApplyOutlay"};
  const char* longTexts[] = {"ProjectReasoning", "ProjectAnalyze", "HuoYe", "tuijian1", "danweiyijian"};
  const char* tables[] = {"MainActor", "Production", "ResearchedProject"};
  TempDir dir;
  int filled = 0;  // texts and cells that took something in
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("seed " + std::to_string(kSeed) + ", round " + std::to_string(round));
    for (const char* name : lineFields)
      bringIn(find(name), QString::fromStdString(random.text(6)), random.below(2) == 1);
    for (const char* name : longTexts)
      bringIn(find(name), QString::fromStdString(random.text(random.below(4) ? 10 : 120)), random.below(2) == 1);
    for (const char* name : tables) {
      auto* table = find<RecordTable>(name);
      intoCell(table, 1 + random.below(2), random.below(3), QString::fromStdString(random.text(5)));
    }
    // The three fields a document cannot be saved without.
    for (const char* name : {"ProjectName", "Presider", "ContactMail"})
      if (find<QLineEdit>(name)->text().isEmpty()) bringIn(find(name), QStringLiteral("必填"), false);

    for (const char* name : longTexts) filled += !state().record().longTextEmpty(*fieldByName(name));
    for (const char* name : tables)
      for (const Row& row : state().record().rows(*fieldByName(name)))
        for (const std::string& cell : row) filled += !cell.empty();

    const std::string path = dir.path("round" + std::to_string(round) + ".xdx");
    services.script.saveAnswers.push_back(path);
    QTest::mouseClick(find("savexmlfile"), Qt::LeftButton);
    settle();
    ASSERT_FALSE(state().modified()) << "not saved: " << (services.shown().empty() ? "" : services.shown().back().text);

    FormState opened;
    ScriptedPrompter p;
    opened.setPendingPath(path);
    ASSERT_EQ(openDocument(opened, p), OpenOutcome::Opened) << (p.shown.empty() ? "" : p.shown[0].text);
    EXPECT_TRUE(opened.record() == state().record()) << firstDifference(state().record(), opened.record());
  }
  // The random text did reach the record.
  EXPECT_GT(filled, 3 * kRounds);
}

namespace {

// A piece of text as it comes out of a PDF or a word processor, and what the
// window keeps of it: in a long text, and in a one-line field or a cell.
struct PdfPiece {
  const char* source;
  const char* multiLine;
  const char* oneLine;
  int dropped;  // characters no document can hold
};

const PdfPiece kPdfPieces[] = {
    {"教育", "教育", "教育", 0},
    {"scienti", "scienti", "scienti", 0},
    {"\xEF\xAC\x81", "fi", "fi", 0},    // U+FB01 ligature fi
    {"\xEF\xAC\x82", "fl", "fl", 0},    // U+FB02 ligature fl
    {"\xEF\xAC\x83", "ffi", "ffi", 0},  // U+FB03 ligature ffi
    {"\xC2\xA0", " ", " ", 0},          // no-break space
    {"\xE2\x80\x89", " ", " ", 0},      // thin space
    {"\xE2\x80\xAF", " ", " ", 0},      // narrow no-break space
    {"\xE2\x80\xA8", "\n", " ", 0},     // line separator
    {"\xE2\x80\xA9", "\n", " ", 0},     // paragraph separator
    {"\x0C", "\n", " ", 0},             // form feed
    {"\r\n", "\n", " ", 0},
    {"\xE2\x84\xA2", "TM", "TM", 0},                      // trade mark sign
    {"\xC2\xB2", "2", "2", 0},                            // superscript two
    {"\xEF\xBD\x98", "\xEF\xBD\x98", "\xEF\xBD\x98", 0},  // full-width x: GBK has it
    {"\xE2\x91\xA0", "\xE2\x91\xA0", "\xE2\x91\xA0", 0},  // circled one: GBK has it
    {"\xE3\x80\x80", "\xE3\x80\x80", "\xE3\x80\x80", 0},  // ideographic space: GBK has it
    {"\xC3\xAF", "", "", 1},                              // i with diaeresis: neither it nor a plain form
    {"\xC3\x98", "", "", 1},                              // O with stroke
    {"\xE2\x80\xA2", "", "", 1},                          // bullet
    {"\xF0\x9F\x98\x80", "", "", 1},                      // emoji
};

}  // namespace

// Text from PDF-like sources, pasted into a long text, a one-line field and
// a cell, is saved as its plain (NFKC) form minus only what GBK cannot hold,
// and the notice line counts what went.
TEST_F(WindowRoundTrip, PdfTextIsSavedInItsPlainForm) {
  RandomText random(kSeed + 1);
  TempDir dir;
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("seed " + std::to_string(kSeed + 1) + ", round " + std::to_string(round));
    struct Target {
      const char* name;
      bool multiLine;
      std::string source, expected;
      int dropped = 0;
    } targets[] = {{"ProjectAnalyze", true, {}, {}}, {"MaskName", false, {}, {}}, {"MainActor", false, {}, {}}};
    for (Target& t : targets) {
      const int pieces = 1 + random.below(20);
      for (int i = 0; i < pieces; ++i) {
        const PdfPiece& p = kPdfPieces[random.below(static_cast<int>(std::size(kPdfPieces)))];
        t.source += p.source;
        const bool last = i == pieces - 1;
        // A one-line field joins lines with a blank; the break that ends the
        // text goes.
        const bool endingBreak =
            !t.multiLine && last && std::string_view(p.oneLine) == " " && std::string_view(p.multiLine) == "\n";
        t.expected += endingBreak ? "" : t.multiLine ? p.multiLine : p.oneLine;
        t.dropped += p.dropped;
      }
      window->notices().showPassing(QString());
      if (std::string_view(t.name) == "MainActor")
        intoCell(find<RecordTable>(t.name), 0, 1, QString::fromStdString(t.source));
      else
        bringIn(find(t.name), QString::fromStdString(t.source), random.below(2) == 1);
      EXPECT_EQ(window->notices().shownText(),
                t.dropped ? QStringLiteral("已略去 %1 个无法保存的字符").arg(t.dropped) : QString())
          << t.name;
    }
    for (const char* name : {"ProjectName", "Presider", "ContactMail"})
      if (find<QLineEdit>(name)->text().isEmpty()) bringIn(find(name), QStringLiteral("必填"), false);
    const std::string path = dir.path("pdf" + std::to_string(round) + ".xdx");
    services.script.saveAnswers.push_back(path);
    QTest::mouseClick(find("savexmlfile"), Qt::LeftButton);
    settle();
    ASSERT_FALSE(state().modified());
    FormState opened;
    ScriptedPrompter p;
    opened.setPendingPath(path);
    ASSERT_EQ(openDocument(opened, p), OpenOutcome::Opened);

    // A long text is saved as the lines it shows: its breaks and its wraps.
    std::string joined, expectedJoined;
    for (const std::string& line : opened.record().lines(Field::ProjectAnalyze)) joined += line;
    for (char c : targets[0].expected)
      if (c != '\n') expectedJoined += c;
    EXPECT_EQ(joined, expectedJoined) << "source: " << targets[0].source;
    EXPECT_EQ(find<QPlainTextEdit>("ProjectAnalyze")->toPlainText().toStdString(), targets[0].expected);
    EXPECT_EQ(opened.record().text(Field::AnonymousTitle), targets[1].expected) << "source: " << targets[1].source;
    EXPECT_EQ(opened.record().cell(Field::MainActor, 0, 1), targets[2].expected) << "source: " << targets[2].source;
  }
}

// A long text the window fills to its limit is saved as the lines it shows;
// `velmora-cli dump | import` of that document takes it as it is.
TEST_F(WindowRoundTrip, ALongTextFilledToItsLimitImportsAgain) {
  TempDir dir;
  bringIn(find("danweiyijian"), QString(400, QChar(0x610F)), false);  // 意, more than fits
  for (const char* name : {"ProjectName", "Presider", "ContactMail"})
    bringIn(find(name), QStringLiteral("必填"), false);
  const Lines& shown = state().record().lines(Field::UnitOpinion);
  ASSERT_GT(shown.size(), 5u);  // wrapped into lines
  std::size_t bytes = 0;
  for (const std::string& line : shown) bytes += gbkByteLength(line);
  ASSERT_EQ(bytes, 700u);  // the limit, to the byte
  services.script.saveAnswers.push_back(dir.path("full.xdx"));
  QTest::mouseClick(find("savexmlfile"), Qt::LeftButton);
  settle();
  ASSERT_FALSE(state().modified());
  const ReadResult read = readXdxFile(dir.path("full.xdx"));
  const auto& content = std::get<DocumentContent>(read);
  FormState opened;
  opened.applyDocument(content);
  const ImportResult again = importRecordJson(recordJson(opened.record(), opened.formal(), opened.problems()));
  ASSERT_TRUE(again.ok()) << again.violations[0].key << "：" << again.violations[0].message;
  EXPECT_EQ(again.record.lines(Field::UnitOpinion), shown);
}
