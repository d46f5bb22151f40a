// A long text keeps its displayed lines and its byte count as it changes,
// paragraph by paragraph, instead of wrapping and counting its whole text
// at every key. Whatever the edits (typing, pastes, deletions across
// paragraphs, undo and redo, input methods, program writes, a new width or
// font), both must stay what the whole text gives when computed afresh, and
// the record's lines what the field shows.
#include <QClipboard>
#include <QInputMethodEvent>
#include <QTextBlock>
#include <algorithm>
#include <random>

#include "app/long_text_edit.h"
#include "app/text_fit.h"
#include "random_text.h"
#include "window_fixture.h"

using namespace velmora;
using namespace velmora::test;

namespace {

// The displayed lines as wrapLines makes them of the whole text.
Lines linesAfresh(const LongTextEdit& edit) {
  return wrapLines(edit.toPlainText(), edit.font(), edit.wrapWidth(), edit.wordWrapMode());
}

// A user at a long text, drawn from a seed: keys, pastes, selections
// deleted or typed over, undo and redo, input-method text.
class RandomUser {
 public:
  RandomUser(LongTextEdit& edit, std::uint32_t seed) : edit_(edit), text_(seed), rng_(seed) {}

  int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

  // One action; what it was, for the report of a failure.
  std::string act() {
    switch (below(9)) {
      case 0:
      case 1: return typeKeys();
      case 2:
        moveCursor(below(3) == 0);
        return "cursor moved to " + std::to_string(edit_.textCursor().position()) + " (anchor " +
               std::to_string(edit_.textCursor().anchor()) + ")";
      case 3: {
        const std::string pasted = pasteText();
        QApplication::clipboard()->setText(QString::fromStdString(pasted));
        QTest::keyClick(&edit_, Qt::Key_V, Qt::ControlModifier);
        return "pasted \"" + pasted + "\"";
      }
      case 4:
        moveCursor(true);
        QTest::keyClick(&edit_, below(2) ? Qt::Key_Delete : Qt::Key_Backspace);
        return "selection deleted";
      case 5:
        if (below(3) == 0) {
          QTest::keyClick(&edit_, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
          return "redo";
        }
        QTest::keyClick(&edit_, Qt::Key_Z, Qt::ControlModifier);
        return "undo";
      case 6: {
        // Input-method text, sometimes replacing the characters before the cursor.
        const QString commit = QString::fromStdString(pasteText());
        QInputMethodEvent event;
        const int before = std::min(2, edit_.textCursor().positionInBlock());
        if (below(2))
          event.setCommitString(commit, -before, before);
        else
          event.setCommitString(commit);
        QApplication::sendEvent(&edit_, &event);
        return "input method committed \"" + commit.toStdString() + "\"";
      }
      case 7: edit_.selectAll(); return typeKeys() + " over everything";
      default: moveCursor(true); return typeKeys() + " over a selection";
    }
  }

  // Text from outside: words, blanks, line breaks of every kind, control
  // characters and what GBK cannot hold, now and then a long paragraph.
  std::string pasteText() {
    if (below(6) == 0) {
      std::string paragraph;
      for (int i = below(300); i > 0; --i) paragraph += below(4) ? "论" : "word ";
      return paragraph;
    }
    return text_.text(8);
  }

 private:
  std::string typeKeys() {
    static const char* const kKeys[] = {"a", "Z", "7", " ", "中", "文", "，", "\t", "\r", "\r", "\b", "del"};
    std::string typed;
    for (int n = 1 + below(5); n > 0; --n) {
      const std::string key = kKeys[below(static_cast<int>(std::size(kKeys)))];
      if (key == "\r")
        QTest::keyClick(&edit_, Qt::Key_Return);
      else if (key == "\b")
        QTest::keyClick(&edit_, Qt::Key_Backspace);
      else if (key == "del")
        QTest::keyClick(&edit_, Qt::Key_Delete);
      else if (key == "\t")
        velmora::test::keys(&edit_, QStringLiteral("\t"));  // a tab typed by a key other than Tab is text
      else
        velmora::test::keys(&edit_, QString::fromStdString(key));
      typed += key == "\r" ? "<Return>" : key == "\b" ? "<Backspace>" : key == "del" ? "<Delete>" : key;
    }
    return "typed " + typed;
  }

  void moveCursor(bool select) {
    const int length = edit_.document()->characterCount() - 1;
    QTextCursor c = edit_.textCursor();
    c.setPosition(below(length + 1));
    if (select) c.setPosition(below(length + 1), QTextCursor::KeepAnchor);
    edit_.setTextCursor(c);
  }

  LongTextEdit& edit_;
  RandomText text_;
  std::mt19937 rng_;
};

// Lines as a program write brings them: from a document, with the breaks,
// no-break spaces and separators a document may hold.
Lines documentLines(RandomUser& user) {
  Lines lines;
  for (int n = user.below(12); n > 0; --n) lines.push_back(user.below(3) ? user.pasteText() : std::string());
  return lines;
}

void applyChange(Lines& lines, LinesChange change) {
  ASSERT_LE(change.first, lines.size());
  ASSERT_LE(change.first + change.removed, lines.size());
  const auto at = lines.begin() + static_cast<std::ptrdiff_t>(change.first);
  lines.erase(at, at + static_cast<std::ptrdiff_t>(change.removed));
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(change.first), change.inserted.begin(),
               change.inserted.end());
}

using LongTextLines = WindowTest;

}  // namespace

// The byte count is what the limit counts of the plain text: a no-break
// space is the blank plain text has, a separator a line break of two bytes,
// a character beyond the BMP one character.
TEST(PlainTextBytes, CountsAsTheLimitCountsThePlainText) {
  struct Case {
    QString text;
    std::size_t bytes;
  } cases[] = {
      {QString(), 0},
      {QStringLiteral("abc"), 3},
      {QStringLiteral("教育"), 4},
      {QStringLiteral("a\nb"), 4},
      {QStringLiteral("€"), 1},
      {QStringLiteral("a") + QChar(QChar::Nbsp) + QStringLiteral("b"), 3},
      {QStringLiteral("a") + QChar(QChar::ParagraphSeparator) + QStringLiteral("b"), 4},
      {QStringLiteral("a") + QChar(QChar::LineSeparator), 3},
      {QString::fromUtf8("😀x"), 3},
      {QStringLiteral("\t·"), 3},
      // A surrogate alone (an input method's replacement can split a pair)
      // is the '?' it becomes in UTF-8.
      {QString(QChar(0xD83D)) + QStringLiteral("a"), 2},
      {QStringLiteral("a") + QChar(0xDE00), 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    EXPECT_EQ(plainTextBytes(c.text), c.bytes);
    QString plain = c.text;
    plain.replace(QChar(QChar::Nbsp), QLatin1Char(' '));
    plain.replace(QChar(QChar::ParagraphSeparator), QLatin1Char('\n'));
    plain.replace(QChar(QChar::LineSeparator), QLatin1Char('\n'));
    EXPECT_EQ(plainTextBytes(c.text), fieldBytes(plain));
  }
}

// In the window: after every action the field's lines and bytes are those of
// its whole text, and the record holds the lines the field shows.
TEST_F(LongTextLines, RandomEditsKeepTheLinesTheBytesAndTheRecord) {
  struct Case {
    const char* field;
    Field id;
  } cases[] = {{"HuoYe", Field::AnonymousSheet},
               {"ProjectReasoning", Field::ProjectReasoning},
               {"danweiyijian", Field::UnitOpinion}};  // 700 bytes: the limit is met often
  for (const Case& c : cases) {
    for (std::uint32_t seed = 1; seed <= 4; ++seed) {
      SCOPED_TRACE(std::string(c.field) + ", seed " + std::to_string(seed));
      auto* edit = find<LongTextEdit>(c.field);
      window->state().setLines(c.id, {});
      window->refresh();
      type(edit, QString());
      RandomUser user(*edit, seed);
      std::vector<std::string> done;
      for (int step = 0; step < 120; ++step) {
        if (user.below(25) == 0) {
          window->state().setLines(c.id, documentLines(user));
          window->refresh();
          done.push_back("program write");
        } else {
          done.push_back(user.act());
        }
        const std::string trail = "after " + done.back() + " (step " + std::to_string(step) + ")";
        ASSERT_EQ(edit->textBytes(), fieldBytes(edit->toPlainText())) << trail;
        ASSERT_EQ(edit->displayedLines(), linesAfresh(*edit)) << trail;
        ASSERT_EQ(state().record().lines(c.id), edit->displayedLines()) << trail;
      }
    }
  }
}

// A field on its own: the changes it reports, applied one after the other to
// the lines taken before, give its lines, also across a new width or font,
// which break every paragraph anew, and across program writes.
TEST(LongTextChanges, ReportedChangesAddUpToTheLines) {
  for (std::uint32_t seed = 11; seed <= 16; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    QWidget page;
    LongTextEdit edit(Field::AnonymousSheet, &page);
    edit.setGeometry(0, 0, 300 + static_cast<int>(seed) * 20, 200);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    edit.setFocus();
    RandomUser user(edit, seed);
    Lines taken = edit.displayedLines();
    for (int step = 0; step < 150; ++step) {
      std::string what;
      switch (user.below(20)) {
        case 0:
          edit.resize(120 + user.below(500), edit.height());
          what = "resized to " + std::to_string(edit.width());
          break;
        case 1: {
          QFont font = edit.font();
          font.setPixelSize(10 + user.below(12));
          edit.setFont(font);
          what = "font of " + std::to_string(font.pixelSize()) + " px";
          break;
        }
        case 2:
          edit.showLines(documentLines(user));
          taken = edit.displayedLines();
          what = "program write";
          break;
        default: what = user.act();
      }
      const std::string trail = "after " + what + " (step " + std::to_string(step) + ")";
      applyChange(taken, edit.takeLinesChange());
      ASSERT_EQ(taken, linesAfresh(edit)) << trail;
      ASSERT_EQ(edit.textBytes(), fieldBytes(edit.toPlainText())) << trail;
      // Taken twice, the second change is none.
      const LinesChange none = edit.takeLinesChange();
      ASSERT_EQ(none.removed, 0u) << trail;
      ASSERT_TRUE(none.inserted.empty()) << trail;
    }
  }
}

// Only the paragraph typed into is wrapped again: the change a key reports
// covers that paragraph's lines, whatever the length of the text.
TEST(LongTextChanges, AKeyReportsOnlyItsParagraph) {
  QWidget page;
  LongTextEdit edit(Field::AnonymousSheet, &page);
  edit.setGeometry(0, 0, 601, 454);
  page.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
  edit.showLines(Lines(3000, "a"));
  edit.setFocus();
  struct Case {
    int block;
    Qt::Key key;
    QString text;
    std::size_t first, removed;
    Lines inserted;
  } cases[] = {
      {1500, Qt::Key_B, QStringLiteral("b"), 1500, 1, {"ab"}}, {1500, Qt::Key_Backspace, QString(), 1500, 1, {"a"}},
      {10, Qt::Key_Return, QString(), 10, 1, {"a", ""}},       {11, Qt::Key_Backspace, QString(), 10, 2, {"a"}},
      {2999, Qt::Key_Return, QString(), 2999, 1, {"a"}},  // the text now ends in a break
      {3000, Qt::Key_C, QStringLiteral("c"), 3000, 0, {"c"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.block);
    QTextCursor cursor(edit.document()->findBlockByNumber(c.block));
    cursor.movePosition(QTextCursor::EndOfBlock);
    edit.setTextCursor(cursor);
    if (c.text.isEmpty())
      QTest::keyClick(&edit, c.key);
    else
      keys(&edit, c.text);
    const LinesChange change = edit.takeLinesChange();
    EXPECT_EQ(change.first, c.first);
    EXPECT_EQ(change.removed, c.removed);
    EXPECT_EQ(change.inserted, c.inserted);
  }
  EXPECT_EQ(edit.displayedLines().size(), 3001u);
}
