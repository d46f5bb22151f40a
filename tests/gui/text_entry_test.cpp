// Every way text can enter a field goes through the same rule as typing: the
// byte limit, GBK, the key filter and no control characters. Fields with a key
// filter discard Ctrl+V and input-method text altogether, as the filter sees
// them as typed characters.
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTimer>

#include "window_fixture.h"

using namespace velmora;
using namespace velmora::test;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace {

enum class Path { Typing, InputMethod, CtrlV, ContextMenu, Drop };

const char* nameOf(Path p) {
  switch (p) {
    case Path::Typing: return "typing";
    case Path::InputMethod: return "input method";
    case Path::CtrlV: return "Ctrl+V";
    case Path::ContextMenu: return "context menu";
    case Path::Drop: return "drop";
  }
  return "";
}

// The widget that takes the text: a table's cell editor, or the field itself.
QWidget* receiver(QWidget* field) {
  QWidget* focus = QApplication::focusWidget();
  return focus ? focus : field;
}

void contextMenuPaste(QWidget* w) {
  // The menu may run its own loop (QLineEdit's, QPlainTextEdit's): choose
  // "Paste" from inside it, as the user would.
  bool chosen = false;
  QTimer::singleShot(0, [&chosen] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return;
    // The standard menu names its entries after their shortcut.
    const QString paste = QLatin1Char('\t') + QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
    for (QAction* a : menu->actions())
      if (a->text().endsWith(paste) && a->isEnabled()) {
        a->trigger();
        chosen = true;
      }
    menu->close();
  });
  QWidget* target = w;
  if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) target = area->viewport();
  const QPoint inside(target->width() - 4, target->height() / 2);
  QContextMenuEvent event(QContextMenuEvent::Mouse, inside, target->mapToGlobal(inside));
  QApplication::sendEvent(target, &event);
  settle();
  if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) menu->close();
}

void drop(QWidget* w, const QString& text) {
  QWidget* target = w;
  if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) target = area->viewport();
  QMimeData data;
  data.setText(text);
  // Dropped where the cursor stands, as the other paths insert there.
  QRect cursor;
  if (auto* line = qobject_cast<QLineEdit*>(w)) cursor = line->inputMethodQuery(Qt::ImCursorRectangle).toRect();
  if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) cursor = plain->cursorRect();
  const QPointF at = QPointF(cursor.center()) + QPointF(1, 0);
  QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  if (!enter.isAccepted()) return;  // the field refuses drops
  QDragMoveEvent move(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &move);
  QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &dropped);
}

void enter(Path path, QWidget* w, const QString& text) {
  switch (path) {
    case Path::Typing: keys(w, text); break;
    case Path::InputMethod: {
      QInputMethodEvent commit;
      commit.setCommitString(text);
      QApplication::sendEvent(w, &commit);
      break;
    }
    case Path::CtrlV:
      QApplication::clipboard()->setText(text);
      QTest::keySequence(w, QKeySequence::Paste);
      break;
    case Path::ContextMenu:
      QApplication::clipboard()->setText(text);
      contextMenuPaste(w);
      break;
    case Path::Drop: drop(w, text); break;
  }
  settle();
}

struct FieldCase {
  const char* name;    // the field (or table)
  int row, column;     // a table's cell; -1 for other fields
  QString before;      // already in the field
  QString offered;     // what the user brings in
  QString typedKeeps;  // what typing keeps of it, and a drop or the context menu
  bool filtered;       // a key filter: Ctrl+V, a drop and the input method bring nothing
  bool emptyMenu;      // the context menu has no entries
};

const QString kLong = repeat(QStringLiteral("课"), 38);      // 76 of 80 bytes
const QString kOpinion = repeat(QStringLiteral("意"), 348);  // 696 of 700 bytes

const FieldCase kFields[] = {
    {"ProjectName", -1, -1, kLong, QStringLiteral("题目\x01很长"), QStringLiteral("题目"), false, false},
    {"InputDate", -1, -1, QStringLiteral("2011"), QStringLiteral("08a-01"), QStringLiteral("0801"), true, true},
    {"EduCode", -1, -1, QString(), QStringLiteral("1234ab56789012"), QStringLiteral("123456789012"), false, false},
    {"OutlayGrid", 0, 2, QString(), QStringLiteral("1a2.5"), QStringLiteral("12.5"), true, false},
    {"MainActor", 0, 0, QString(), QStringLiteral("张三😀\x01李"), QStringLiteral("张三李"), false, false},
    {"danweiyijian", -1, -1, kOpinion, QStringLiteral("见") + QChar(0) + QStringLiteral("解深刻"),
     QStringLiteral("见解"), false, false},
};

class TextEntry : public WindowTest {
 public:
  QWidget* field(const FieldCase& c) { return find(c.name); }

  // Brings the field (or the cell's editor) to the keyboard focus, holding
  // `before`, with the modified flag clear.
  QWidget* prepare(const FieldCase& c) {
    QWidget* w = field(c);
    // A context menu takes the activation with it on the offscreen platform.
    QApplication::setActiveWindow(window.get());
    showPageOf(w);
    if (auto* table = qobject_cast<RecordTable*>(w)) {
      table->setFocus();
      table->setCurrentItem(nullptr);
      table->setCurrentCell(c.row, c.column);
      settle();
      QWidget* editor = QApplication::focusWidget();
      EXPECT_NE(editor, table) << "the cell editor did not open";
      QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
      QTest::keyClick(editor, Qt::Key_Delete);
      keys(editor, c.before);
    } else if (auto* masked = qobject_cast<MaskedEdit*>(w)) {
      masked->setFocus(Qt::TabFocusReason);
      QTest::keyClick(masked, Qt::Key_A, Qt::ControlModifier);
      QTest::keyClick(masked, Qt::Key_Delete);
      QTest::keyClick(masked, Qt::Key_Home);
    } else {
      w->setFocus(Qt::MouseFocusReason);
      QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
      QTest::keyClick(w, Qt::Key_Delete);
      keys(w, c.before);
      QTest::keyClick(w, Qt::Key_End, Qt::ControlModifier);
    }
    settle();
    window->state().setModified(false);
    return receiver(w);
  }

  // The value as the widget shows it, as one text.
  static QString shown(QWidget* w) {
    if (auto* masked = qobject_cast<MaskedEdit*>(w)) return masked->digits();
    if (auto* line = qobject_cast<QLineEdit*>(w)) return line->text();
    return static_cast<QPlainTextEdit*>(w)->toPlainText().remove(QLatin1Char('\n'));
  }

  // The value as the record holds it, as one text.
  QString stored(const FieldCase& c) {
    const Field f = *fieldByName(c.name);
    const FormState& s = state();
    switch (fieldDef(f).kind) {
      case Kind::Table: return QString::fromStdString(s.record().cell(f, c.row, c.column));
      case Kind::LongText: {
        QString joined;
        for (const auto& line : s.record().lines(f)) joined += QString::fromStdString(line);
        return joined;
      }
      default: return QString::fromStdString(s.record().text(f));
    }
  }
};

}  // namespace

TEST_F(TextEntry, EveryPathKeepsWhatTheRuleLetsIn) {
  for (const FieldCase& c : kFields) {
    for (Path path : {Path::Typing, Path::InputMethod, Path::CtrlV, Path::ContextMenu, Path::Drop}) {
      SCOPED_TRACE(std::string(c.name) + " by " + nameOf(path));
      QWidget* w = prepare(c);
      const QString base = stored(c);
      enter(path, w, c.offered);
      QString kept = c.typedKeeps;
      if (c.filtered && (path == Path::CtrlV || path == Path::InputMethod || path == Path::Drop)) kept.clear();
      if (c.emptyMenu && path == Path::ContextMenu) kept.clear();
      EXPECT_EQ(stored(c), base + kept);
      EXPECT_EQ(state().modified(), !kept.isEmpty());
    }
  }
}

TEST_F(TextEntry, UndoAndRedoStayWithinTheRule) {
  for (const FieldCase& c : kFields) {
    SCOPED_TRACE(c.name);
    QWidget* w = prepare(c);
    const QString base = stored(c);
    keys(w, c.offered);
    settle();
    const QString typed = stored(c);
    EXPECT_EQ(typed, base + c.typedKeeps);
    QTest::keySequence(w, QKeySequence::Undo);
    settle();
    // The record follows the field back to a text it held before.
    const QString undone = stored(c);
    EXPECT_NE(undone, typed);
    EXPECT_EQ(undone, shown(w));
    QTest::keySequence(w, QKeySequence::Redo);
    settle();
    EXPECT_EQ(stored(c), typed);
    EXPECT_TRUE(state().modified());
  }
}

// Text that reaches a line field behind the typing and paste handlers (here
// QLineEdit's own insert(), as middle-click paste and drops use it) is held
// to the same rule.
TEST_F(TextEntry, TheGateHoldsBehindEveryHandler) {
  auto* name = find<LimitedLineEdit>("ProjectName");
  prepare(kFields[0]);
  name->insert(QStringLiteral("题目很长"));
  settle();
  EXPECT_EQ(name->text(), kLong + QStringLiteral("题目"));
  EXPECT_EQ(stored(kFields[0]), kLong + QStringLiteral("题目"));

  auto* id = find<LimitedLineEdit>("IDcard");
  showPageOf(id);
  id->setFocus();
  id->insert(QStringLiteral("12ab3x\x07"));
  settle();
  EXPECT_EQ(id->text(), QStringLiteral("123x"));
  EXPECT_EQ(state().record().text(Field::IDcard), "123x");

  // A loaded document's text is shown as it is.
  window->state().setText(Field::IDcard, "12-ab");
  window->refresh();
  EXPECT_EQ(id->text(), QStringLiteral("12-ab"));
  QTest::keyClick(id, Qt::Key_End);
  keys(id, QStringLiteral("9"));
  EXPECT_EQ(state().record().text(Field::IDcard), "12-ab9");
}

// Text copied from a PDF or a word processor: ligatures, no-break spaces and
// line or paragraph separators reach the record in their plain form, only
// what GBK cannot hold at all is dropped, and the notice line says how much.
TEST_F(TextEntry, TextFromAPdfKeepsItsLetters) {
  const QString pdf = QStringLiteral("A scienti\uFB01c re\uFB02ection, 100\u00A0000 Na\u00EFve \u00D8");
  const QString pdfPlain = QStringLiteral("A scientific reflection, 100 000 Nave ");  // ï and Ø dropped
  const QString lines = QStringLiteral("第一行\u2028第二行\u2029第三行\r\n第四行\f第五\u2003行\r第六行™\n");
  struct Case {
    const char* field;
    QString offered;
    QString kept;  // as the field shows it (a long text with its breaks)
    int dropped;
  } cases[] = {
      {"ProjectName", pdf, pdfPlain, 2},
      {"MaskName", pdf, pdfPlain, 2},
      {"MainActor", pdf, pdfPlain, 2},
      {"ProjectAnalyze", pdf, pdfPlain, 2},
      // Lines joined with a blank in a one-line field, the break that ends
      // the text dropped; kept as lines in a long text.
      {"MaskName", lines, QStringLiteral("第一行 第二行 第三行 第四行 第五 行 第六行TM"), 0},
      {"MainActor", lines, QStringLiteral("第一行 第二行 第三行 第四行 第五 行 第六行TM"), 0},
      {"ProjectAnalyze", lines, QStringLiteral("第一行\n第二行\n第三行\n第四行\n第五 行\n第六行TM\n"), 0},
  };
  for (const Case& c : cases) {
    for (Path path : {Path::InputMethod, Path::CtrlV, Path::ContextMenu, Path::Drop}) {
      SCOPED_TRACE(std::string(c.field) + " by " + nameOf(path) + ": " + c.offered.toStdString());
      const FieldCase field{c.field, 0, 0, QString(), QString(), QString(), false, false};
      QWidget* w = prepare(field);
      enter(path, w, c.offered);
      if (auto* long_text = qobject_cast<QPlainTextEdit*>(w)) {
        EXPECT_EQ(long_text->toPlainText(), c.kept);
      } else {
        EXPECT_EQ(static_cast<QLineEdit*>(w)->text(), c.kept);
      }
      EXPECT_EQ(stored(field), QString(c.kept).remove(QLatin1Char('\n')));
      EXPECT_EQ(window->notices().shownText(),
                c.dropped ? QStringLiteral("已略去 %1 个无法保存的字符").arg(c.dropped) : QString());
      window->notices().showPassing(QString());  // the next case starts without a notice
    }
  }
}

// QLineEdit cuts its text at 32 767 characters unless told otherwise; fields
// without a byte limit (MaskName, OutlayPromises2, every cell) hold any length.
TEST_F(TextEntry, NoFieldHasACapTheRecordLacks) {
  for (QLineEdit* line : window->findChildren<QLineEdit*>()) {
    if (!fieldByName(line->objectName().toStdString()) || !line->inputMask().isEmpty()) continue;
    SCOPED_TRACE(line->objectName().toStdString());
    EXPECT_EQ(line->maxLength(), std::numeric_limits<int>::max());
  }
  const std::string longText(40000, 'x');
  window->state().setText(Field::AnonymousTitle, longText);
  window->state().editCell(Field::MainActor, 0, 1, longText, services);
  window->refresh();
  struct Case {
    FieldCase field;
    QString pasted;
  } cases[] = {
      {{"MaskName", -1, -1, QString(), QString(), QString(), false, false}, QString()},
      {{"MainActor", 0, 1, QString(), QString(), QString(), false, false}, QString()},
      {{"OutlayPromises2", -1, -1, QString(), QString(), QString(), false, false}, QString(200000, QLatin1Char('y'))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field.name);
    QWidget* w = field(c.field);
    showPageOf(w);
    if (auto* table = qobject_cast<RecordTable*>(w)) {
      table->setFocus();
      table->setCurrentCell(c.field.row, c.field.column);
    } else {
      w->setFocus(Qt::MouseFocusReason);
    }
    settle();
    QWidget* editor = QApplication::focusWidget();
    QTest::keyClick(editor, Qt::Key_End);
    if (c.pasted.isEmpty()) {
      keys(editor, QStringLiteral("z"));
      EXPECT_EQ(stored(c.field).size(), 40001);
    } else {
      QApplication::clipboard()->setText(c.pasted);
      QTest::keySequence(editor, QKeySequence::Paste);
      settle();
      EXPECT_EQ(stored(c.field).size(), 200000);
    }
  }
}
