#include <QClipboard>
#include <QInputMethodEvent>
#include <QListWidget>

#include "window_fixture.h"

using namespace velmora;
using namespace velmora::test;

using FieldInput = WindowTest;

TEST_F(FieldInput, ByteLimitsCountGbkBytes) {
  struct Case {
    const char* field;
    QString typed;
    QString kept;
  } cases[] = {
      {"ProjectName", repeat(QStringLiteral("课"), 41), repeat(QStringLiteral("课"), 40)},
      {"ProjectName", repeat(QStringLiteral("a"), 81), repeat(QStringLiteral("a"), 80)},
      {"Presider", QStringLiteral("欧阳一二三四五六七八九十"), QStringLiteral("欧阳一二三四五六七八")},
      {"PostCode", QStringLiteral("ab1234xyz"), QStringLiteral("ab1234")},
      {"PostCode", QStringLiteral("邮政编码"), QStringLiteral("邮政编")},
      {"ContactTelArea", QStringLiteral("0101234"), QStringLiteral("010123")},
      {"MaskName", repeat(QStringLiteral("长"), 200), repeat(QStringLiteral("长"), 200)},
  };
  for (const auto& c : cases) {
    auto* e = find<QLineEdit>(c.field);
    e->clear();
    type(e, c.typed);
    EXPECT_EQ(e->text(), c.kept) << c.field;
    EXPECT_EQ(QString::fromStdString(state().record().text(*fieldByName(c.field))), c.kept) << c.field;
  }
}

TEST_F(FieldInput, KeyFiltersDiscardOtherCharacters) {
  struct Case {
    const char* field;
    QString typed;
    QString kept;
  } cases[] = {
      {"IDcard", QStringLiteral("12a3x"), QStringLiteral("123x")},
      {"IDcard", QStringLiteral("11010X-"), QStringLiteral("11010X")},
      {"InputDate", QStringLiteral("2011/08-01"), QStringLiteral("20110801")},
      {"ExpectCompleteDate", QStringLiteral("2012年08"), QStringLiteral("201208")},
  };
  for (const auto& c : cases) {
    auto* e = find<QLineEdit>(c.field);
    e->clear();
    type(e, c.typed);
    EXPECT_EQ(e->text(), c.kept) << c.field;
  }
  EXPECT_FALSE(find("InputDate")->testAttribute(Qt::WA_InputMethodEnabled));
  EXPECT_TRUE(find("ProjectName")->testAttribute(Qt::WA_InputMethodEnabled));
}

TEST_F(FieldInput, PasteAndInputMethodStopAtTheLimit) {
  auto* name = find<QLineEdit>("ProjectName");
  type(name, repeat(QStringLiteral("课"), 38));
  QApplication::clipboard()->setText(QStringLiteral("题目很长"));
  QTest::keySequence(name, QKeySequence::Paste);
  EXPECT_EQ(name->text(), repeat(QStringLiteral("课"), 38) + QStringLiteral("题目"));

  auto* nation = find<QLineEdit>("Nation");
  type(nation, QStringLiteral("维吾尔族人民"));
  QInputMethodEvent commit;
  commit.setCommitString(QStringLiteral("朋友们好"));
  QApplication::sendEvent(nation, &commit);
  EXPECT_EQ(nation->text(), QStringLiteral("维吾尔族人民朋友们好"));
  QInputMethodEvent more;
  more.setCommitString(QStringLiteral("啊"));
  QApplication::sendEvent(nation, &more);
  EXPECT_EQ(nation->text(), QStringLiteral("维吾尔族人民朋友们好"));

  // Filtered fields take nothing from an input method or the clipboard.
  auto* id = find<QLineEdit>("IDcard");
  type(id, QStringLiteral("12"));
  QInputMethodEvent chinese;
  chinese.setCommitString(QStringLiteral("三"));
  QApplication::sendEvent(id, &chinese);
  QApplication::clipboard()->setText(QStringLiteral("345"));
  QTest::keySequence(id, QKeySequence::Paste);
  EXPECT_EQ(id->text(), QStringLiteral("12"));
}

TEST_F(FieldInput, CharactersGbkCannotHoldAreRefused) {
  auto* e = find<QLineEdit>("Department");
  type(e, QStringLiteral("大学"));
  QKeyEvent emoji(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("😀"));
  QApplication::sendEvent(e, &emoji);
  QInputMethodEvent commit;
  commit.setCommitString(QStringLiteral("\U00020000系"));
  QApplication::sendEvent(e, &commit);
  EXPECT_EQ(e->text(), QStringLiteral("大学系"));
}

TEST_F(FieldInput, EduCodeMaskRefusesLeavingIncomplete) {
  auto* code = find<MaskedEdit>("EduCode");
  EXPECT_EQ(code->displayText(), QStringLiteral("____-____-____"));
  // Untouched and empty: leaves freely.
  code->setFocus(Qt::TabFocusReason);
  QTest::keyClick(code, Qt::Key_Tab);
  settle();
  EXPECT_TRUE(services.shown().empty());

  code->setFocus(Qt::TabFocusReason);
  QTest::keyClick(code, Qt::Key_Home);
  keys(code, QStringLiteral("12345678901"));
  EXPECT_EQ(code->displayText(), QStringLiteral("1234-5678-901_"));
  QTest::keyClick(code, Qt::Key_Tab);
  settle();
  ASSERT_EQ(services.shown().size(), 1u);
  EXPECT_EQ(services.shown()[0].kind, "error");
  EXPECT_EQ(services.shown()[0].text, "Invalid input value.  Use escape key to abandon changes.");
  EXPECT_EQ(services.beeps, 1);
  EXPECT_EQ(QApplication::focusWidget(), code);

  // Enter tests too; Escape restores the value it had on entry.
  QTest::keyClick(code, Qt::Key_Return);
  settle();
  EXPECT_EQ(services.shown().size(), 2u);
  QTest::keyClick(code, Qt::Key_Escape);
  EXPECT_EQ(code->digits(), QString());
  EXPECT_EQ(state().record().text(Field::EduCode), "");
  QTest::keyClick(code, Qt::Key_Tab);
  settle();
  EXPECT_EQ(services.shown().size(), 2u);

  // Twelve digits leave and are mirrored on page 02.
  code->setFocus(Qt::TabFocusReason);
  QTest::keyClick(code, Qt::Key_Home);
  keys(code, QStringLiteral("a123456789012"));
  QTest::keyClick(code, Qt::Key_Tab);
  settle();
  EXPECT_EQ(services.shown().size(), 2u);
  EXPECT_EQ(state().record().text(Field::EduCode), "123456789012");
  EXPECT_EQ(find<MaskedEdit>("EduCode1")->displayText(), QStringLiteral("1234-5678-9012"));
}

TEST_F(FieldInput, LongTextValueIsItsDisplayedLines) {
  auto* text = find<LongTextEdit>("ProjectReasoning");
  type(text, QStringLiteral("第一段"));
  QTest::keyClick(text, Qt::Key_Return);
  QTest::keyClick(text, Qt::Key_Return);
  keys(text, repeat(QStringLiteral("很长的段落"), 60));
  const Lines& lines = state().record().lines(Field::ProjectReasoning);
  ASSERT_GE(lines.size(), 4u);  // the long paragraph wraps into several lines
  EXPECT_EQ(lines[0], "第一段");
  EXPECT_EQ(lines[1], "");
  std::string joined;
  for (std::size_t i = 2; i < lines.size(); ++i) joined += lines[i];
  EXPECT_EQ(QString::fromStdString(joined), repeat(QStringLiteral("很长的段落"), 60));
  EXPECT_TRUE(state().modified());
}

TEST_F(FieldInput, LongTextByteLimit) {
  auto* text = find<LongTextEdit>("danweiyijian");  // 700 bytes
  type(text, repeat(QStringLiteral("意"), 349));
  QTest::keyClick(text, Qt::Key_Return);  // a line break counts two bytes: exactly 700
  keys(text, QStringLiteral("见a"));
  EXPECT_EQ(text->toPlainText(), repeat(QStringLiteral("意"), 349) + QStringLiteral("\n"));
  QTest::keyClick(text, Qt::Key_Backspace);
  QTest::keyClick(text, Qt::Key_Backspace);
  QTest::keyClick(text, Qt::Key_Return);  // 696 bytes: the break fits, the character after it no longer
  keys(text, QStringLiteral("见a"));
  EXPECT_EQ(text->toPlainText(), repeat(QStringLiteral("意"), 348) + QStringLiteral("\n见"));
}

TEST_F(FieldInput, EveryEditSetsTheModifiedFlag) {
  for (const char* name : {"GuideNum", "MaskName", "OutlayPromises2", "OutlayPostcode"}) {
    window->state().setModified(false);
    type(find(name), QStringLiteral("1"));
    EXPECT_TRUE(state().modified()) << name;
  }
  window->state().setModified(false);
  auto* degree = find<QComboBox>("LastDegree");
  showPageOf(degree);
  degree->setFocus();
  QTest::keyClick(degree, Qt::Key_Down);
  EXPECT_TRUE(state().modified());
}

// A loaded text with a word longer than any line is broken anywhere, so that
// the lines still hold every character once and each fits the field; words
// of ordinary length keep breaking at their ends.
TEST_F(FieldInput, AnUnbrokenWordIsBrokenAnywhere) {
  auto* text = find<LongTextEdit>("ProjectAnalyze");
  const std::string word(20000, 'x');
  window->state().setLines(Field::ProjectAnalyze, {"short words stay whole", word});
  window->refresh();
  EXPECT_EQ(text->wordWrapMode(), QTextOption::WrapAnywhere);
  const Lines& lines = state().record().lines(Field::ProjectAnalyze);
  ASSERT_GT(lines.size(), 20u);
  std::string joined;
  for (std::size_t i = 1; i < lines.size(); ++i) joined += lines[i];
  EXPECT_EQ(joined, word);
  const QFontMetrics metrics(text->font());
  for (const auto& line : lines) EXPECT_LE(metrics.horizontalAdvance(QString::fromStdString(line)), text->width());

  window->state().setLines(Field::ProjectAnalyze, {std::string(300, 'y') + " " + std::string(300, 'z')});
  window->refresh();
  EXPECT_EQ(text->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
}
