// What a screen reader hears besides the labels: a cell editor's name and
// the room left in the field being typed into.
#include <QAccessible>

#include "app/choice_box.h"
#include "app/masked_edit.h"
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

// On Linux Qt gives a choice list's current text as its name; a screen
// reader names the list by its labelling label. Every list, once it shows a
// choice, still has a label that carries its name, the two results lists
// beside their numbers too.
TEST_F(ScreenReader, EveryChoiceListIsLabelledByItsName) {
  services.script.openAnswers = {fixture("sample.xdx")};
  window->askAndOpenDocument();
  auto labelsOf = [](QWidget* w) {
    QStringList out;
    for (const auto& [label, relation] : QAccessible::queryAccessibleInterface(w)->relations(QAccessible::Label))
      out << label->text(QAccessible::Name);
    return out;
  };
  int lists = 0;
  for (ChoiceBox* c : window->findChildren<ChoiceBox*>()) {
    const QString name = c->accessibleName();
    ASSERT_FALSE(name.isEmpty()) << c->objectName().toStdString();
    const QStringList labels = labelsOf(c);
    EXPECT_TRUE(labels.filter(name).size() > 0)
        << c->objectName().toStdString() << " " << name.toStdString() << ": " << labels.join(u'|').toStdString();
    ++lists;
  }
  int choiceFields = 0;
  for (const FieldDef& d : allFields()) choiceFields += d.kind == Kind::Choice;
  EXPECT_EQ(lists, choiceFields);
  const struct {
    const char* list;
    QString label;
  } results[] = {{"ExpectProduction1", QStringLiteral("预期最终成果3")},
                 {"ExpectProduction2", QStringLiteral("预期最终成果4")}};
  for (const auto& r : results) {
    auto* list = find<ChoiceBox>(r.list);
    EXPECT_FALSE(list->currentText().isEmpty()) << r.list;
    EXPECT_TRUE(labelsOf(list).contains(r.label)) << r.list << ": " << labelsOf(list).join(u'|').toStdString();
  }
}

// The identity number is read as its digits: nothing while it is empty
// (QLineEdit's own text is the mask's "--"), the groups begun so far, the
// whole number; in the field and in its mirror on page 02.
TEST_F(ScreenReader, TheIdentityNumberIsReadAsItsDigits) {
  auto* code = find<MaskedEdit>("EduCode");
  auto* mirror = find<MaskedEdit>("EduCode1");
  auto read = [](QWidget* w) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
    QAccessibleTextInterface* text = face->textInterface();
    EXPECT_NE(text, nullptr);
    const QString value = face->text(QAccessible::Value);
    if (text) {
      EXPECT_EQ(text->text(0, text->characterCount()).toStdString(), value.toStdString());
    }
    return value.toStdString();
  };
  EXPECT_EQ(read(code), "");
  EXPECT_EQ(read(mirror), "");
  EXPECT_EQ(QAccessible::queryAccessibleInterface(code)->role(), QAccessible::EditableText);
  EXPECT_TRUE(QAccessible::queryAccessibleInterface(code)->state().editable);

  const struct {
    const char* typed;
    const char* value;
    int cursor;
  } cases[] = {
      {"1", "1", 1},
      {"12345", "1234-5", 6},
      {"12345678", "1234-5678", 9},
      {"123456789012", "1234-5678-9012", 14},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    type(code, QString());
    code->selectAll();
    QTest::keyClick(code, Qt::Key_Backspace);
    code->setCursorPosition(0);
    keys(code, QString::fromLatin1(c.typed));
    EXPECT_EQ(code->digits().toStdString(), c.typed);  // typing is untouched
    EXPECT_EQ(read(code), c.value);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(code)->textInterface()->cursorPosition(), c.cursor);
  }
  EXPECT_EQ(state().record().text(Field::EduCode), "123456789012");
  EXPECT_EQ(read(mirror), "1234-5678-9012");
  // Digits begun in the second group are read without the dash before them.
  code->setDigits(QString());
  code->setCursorPosition(5);
  keys(code, QStringLiteral("56"));
  EXPECT_EQ(read(code), "56");
  QTest::keyClick(code, Qt::Key_Escape);
}
