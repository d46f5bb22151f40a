#include <QLabel>

#include "window_fixture.h"

using namespace velmora;
using namespace velmora::test;

using LinkedFields = WindowTest;

namespace {
// Picks an item as a user does: the drop-down's keyboard selection.
void pick(WindowTest& t, QComboBox* box, int item) {
  box->setFocus();
  if (box->currentIndex() < 0) {
    QTest::keyClick(box, Qt::Key_Down);
    if (item == 0) return;
  }
  while (box->currentIndex() < item) QTest::keyClick(box, Qt::Key_Down);
  while (box->currentIndex() > item) QTest::keyClick(box, Qt::Key_Up);
  (void)t;
}
}  // namespace

TEST_F(LinkedFields, PresiderIsMirroredAtEveryKeystroke) {
  auto* presider = find<QLineEdit>("Presider");
  auto* mirror = find<QLineEdit>("Presider1");
  type(presider, QStringLiteral("王"));
  EXPECT_EQ(mirror->text(), QStringLiteral("王"));
  keys(presider, QStringLiteral("晓燕"));
  EXPECT_EQ(mirror->text(), QStringLiteral("王晓燕"));
}

TEST_F(LinkedFields, ProjectClassDrivesResultsAndFunding) {
  auto* cls = find<QComboBox>("ProjectClass");
  auto* third = find<QComboBox>("ExpectProduction1");
  auto* fourth = find<QComboBox>("ExpectProduction2");
  auto* outlay = find<QLineEdit>("ApplyOutlay");
  pick(*this, cls, 1);  // C.国家青年基金课题
  EXPECT_EQ(outlay->text(), QStringLiteral("10"));
  EXPECT_EQ(third->currentText(), QStringLiteral("A.专著"));
  EXPECT_FALSE(third->isEnabled());
  EXPECT_TRUE(fourth->isVisible());
  EXPECT_TRUE(find("Label67")->isVisible());
  pick(*this, fourth, 2);
  pick(*this, cls, 2);  // D.教育部重点课题
  EXPECT_EQ(outlay->text(), QStringLiteral("3"));
  EXPECT_FALSE(fourth->isVisible());
  EXPECT_EQ(fourth->currentIndex(), -1);
  EXPECT_EQ(third->currentIndex(), -1);
  EXPECT_TRUE(third->isEnabled());
}

TEST_F(LinkedFields, AgeAboveFortyClearsTheYouthClass) {
  pick(*this, find<QComboBox>("ProjectClass"), 3);
  pick(*this, find<QComboBox>("Age"), 1);
  settle();
  ASSERT_EQ(services.shown().size(), 1u);
  EXPECT_EQ(services.shown()[0].kind, "message");
  EXPECT_EQ(services.shown()[0].text, "40岁以上不能申请青年专项，请重新选择课题类别！");
  EXPECT_EQ(find<QComboBox>("ProjectClass")->currentIndex(), -1);
  EXPECT_EQ(find<QLineEdit>("ApplyOutlay")->text(), QStringLiteral("2"));
}

TEST_F(LinkedFields, BasisHidesAndEmptiesTheGuideNumber) {
  type(find("GuideNum"), QStringLiteral("15"));
  pick(*this, find<QComboBox>("Basis"), 1);
  EXPECT_FALSE(find("GuideNum")->isVisible());
  EXPECT_FALSE(find("lbl8")->isVisible());
  pick(*this, find<QComboBox>("Basis"), 0);
  EXPECT_TRUE(find("GuideNum")->isVisible());
  EXPECT_EQ(find<QLineEdit>("GuideNum")->text(), QString());
}

namespace {
// Selects an amount cell (its editor opens at once) and types into it.
void typeCell(WindowTest& t, RecordTable* table, int row, int column, const QString& text, bool clear = true) {
  t.window->pages()->setCurrentIndex(8);
  table->setFocus();
  table->setCurrentItem(nullptr);
  table->setCurrentCell(row, column);
  QApplication::processEvents();
  QWidget* editor = QApplication::focusWidget();
  ASSERT_NE(editor, table) << "the cell editor did not open";
  if (clear) QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier), QTest::keyClick(editor, Qt::Key_Delete);
  keys(editor, text);
}
}  // namespace

TEST_F(LinkedFields, BudgetTotalFollowsEveryAmount) {
  auto* grid = find<RecordTable>("OutlayGrid");
  auto* grid2 = find<RecordTable>("OutlayGrid2");
  auto* total = find<QLineEdit>("OutlayAccounts");
  typeCell(*this, grid, 0, 2, QStringLiteral("100"));
  EXPECT_EQ(total->text(), QStringLiteral("100"));
  typeCell(*this, grid2, 1, 2, QStringLiteral("50.5"));
  EXPECT_EQ(total->text(), QStringLiteral("150.5"));
  typeCell(*this, grid, 0, 2, QString());
  EXPECT_EQ(total->text(), QStringLiteral("50.5"));

  // Letters do not get in; a second point is no number.
  typeCell(*this, grid, 1, 2, QStringLiteral("2a0."), true);
  EXPECT_EQ(total->text(), QStringLiteral("70.5"));
  EXPECT_TRUE(services.shown().empty());
  keys(QApplication::focusWidget(), QStringLiteral("5."));
  settle();
  ASSERT_FALSE(services.shown().empty());
  EXPECT_EQ(services.shown().back().text, "'20.5.' is not a valid floating point value.");
  EXPECT_EQ(total->text(), QStringLiteral("71"));  // as "20.5" left it
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
  settle();
  EXPECT_EQ(total->text(), QStringLiteral("70.5"));
  EXPECT_EQ(services.shown().size(), 1u) << services.shown().back().text;
  EXPECT_TRUE(state().modified());
}

TEST_F(LinkedFields, YearCellsAndTableCellsAreEdited) {
  auto* years = find<RecordTable>("OutlayGrid3");
  typeCell(*this, years, 0, 0, QStringLiteral("2011年"));
  EXPECT_EQ(state().record().cell(Field::OutlayGrid3, 0, 0), "2011年");
  auto* actors = find<RecordTable>("MainActor");
  window->pages()->setCurrentIndex(2);
  actors->setFocus();
  actors->setCurrentItem(nullptr);
  actors->setCurrentCell(0, 0);
  QApplication::processEvents();
  keys(QApplication::focusWidget(), QStringLiteral("张三"));
  EXPECT_EQ(state().record().cell(Field::MainActor, 0, 0), "张三");
  // Tab leaves the table (delivered as the window system delivers keys).
  QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
  QApplication::sendEvent(QApplication::focusWidget(), &tab);
  QApplication::processEvents();
  ASSERT_NE(QApplication::focusWidget(), nullptr);
  EXPECT_FALSE(actors->isAncestorOf(QApplication::focusWidget()) || QApplication::focusWidget() == actors)
      << QApplication::focusWidget()->objectName().toStdString();
  EXPECT_EQ(actors->item(0, 0)->text(), QStringLiteral("张三"));
}
