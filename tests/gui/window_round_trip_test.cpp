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
#include "random_text.h"
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
  const char* lineFields[] = {"ProjectName", "KeyWord", "Presider", "Department", "ContactMail", "ContactAddress",
                              "Tutor", "OutlayBank", "OutlayAddress", "ApplyOutlay"};
  const char* longTexts[] = {"ProjectReasoning", "ProjectAnalyze", "HuoYe", "tuijian1", "danweiyijian"};
  const char* tables[] = {"MainActor", "Production", "ResearchedProject"};
  TempDir dir;
  int filled = 0;  // texts and cells that took something in
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("seed " + std::to_string(kSeed) + ", round " + std::to_string(round));
    for (const char* name : lineFields) bringIn(find(name), QString::fromStdString(random.text(6)), random.below(2) == 1);
    for (const char* name : longTexts) bringIn(find(name), QString::fromStdString(random.text(random.below(4) ? 10 : 120)), random.below(2) == 1);
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
