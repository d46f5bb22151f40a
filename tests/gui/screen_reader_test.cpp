// What a screen reader hears besides the labels: a cell editor's name and
// the room left in the field being typed into.
#include <QAccessible>

#include "app/record_table.h"
#include "window_fixture.h"

using namespace velmora;
using namespace velmora::test;

namespace {

using ScreenReader = WindowTest;

QString accessible(QWidget* w, QAccessible::Text what) {
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
  return face ? face->text(what) : QString();
}

}  // namespace

// The editor of a cell is named by its row and its column's header; a table
// without a header row names the column by its number.
TEST_F(ScreenReader, ACellEditorIsNamedByItsRowAndColumn) {
  struct Case {
    const char* table;
    int row, column;
    QString name;
  } cases[] = {
      {"MainActor", 0, 0, QStringLiteral("行 1 列 姓名")},
      {"MainActor", 2, 3, QStringLiteral("行 3 列 出生年月")},
      {"OutlayGrid", 1, 2, QStringLiteral("行 2 列 金额（元）")},
      {"OutlayGrid3", 0, 1, QStringLiteral("行 1 列 2")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.table);
    auto* table = find<RecordTable>(c.table);
    showPageOf(table);
    table->setFocus();
    table->setCurrentCell(c.row, c.column);
    settle();
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, table);
    ASSERT_TRUE(table->isAncestorOf(editor));
    EXPECT_EQ(accessible(editor, QAccessible::Name), c.name);
  }
}

// "还可输入 N 字节" is shown beside the form for the eye; the focused field's
// description carries it for the ear, kept current while typing and dropped
// when the focus moves on.
TEST_F(ScreenReader, TheRoomLeftIsTheFocusedFieldsDescription) {
  auto* title = find<QLineEdit>("ProjectName");
  type(title, QStringLiteral("教育"));
  settle();
  EXPECT_EQ(accessible(title, QAccessible::Description), QStringLiteral("还可输入 76 字节"));
  keys(title, QStringLiteral("ab"));
  settle();
  EXPECT_EQ(accessible(title, QAccessible::Description), QStringLiteral("还可输入 74 字节"));
  auto* keyword = find<QLineEdit>("KeyWord");
  keyword->setFocus(Qt::TabFocusReason);
  settle();
  EXPECT_EQ(accessible(title, QAccessible::Description), QString());
  EXPECT_TRUE(accessible(keyword, QAccessible::Description).startsWith(QStringLiteral("还可输入 ")));
}
