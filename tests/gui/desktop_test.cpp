#include <QDropEvent>
#include <QFile>
#include <QInputMethodEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QUrl>
#include <set>

#include "app/translations.h"
#include "window_fixture.h"

using namespace velmora;
using namespace velmora::test;

using Desktop = WindowTest;

TEST_F(Desktop, StandardButtonsSpeakChinese) {
  ASSERT_TRUE(installChineseTranslations(*qApp));
  QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), QStringLiteral("?"),
                  QMessageBox::Yes | QMessageBox::No);
  EXPECT_TRUE(box.button(QMessageBox::Yes)->text().contains(QStringLiteral("是")))
      << box.button(QMessageBox::Yes)->text().toStdString();
  EXPECT_TRUE(box.button(QMessageBox::No)->text().contains(QStringLiteral("否")));
}

TEST_F(Desktop, DroppedDocumentIsOpened) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(fixture("notes.txt"))),
                QUrl::fromLocalFile(QString::fromStdString(fixture("sample.xdx")))});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window.get(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window.get(), &drop);
  settle();
  EXPECT_EQ(find<QLineEdit>("Presider")->text(), QStringLiteral("王晓燕"));
  EXPECT_EQ(services.script.openDialogs, 0);
  EXPECT_TRUE(state().pendingPath().empty());
  EXPECT_EQ(state().saveDialogName(), fixture("sample.xdx"));

  QMimeData other;
  other.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/picture.png"))});
  QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &other, Qt::LeftButton, Qt::NoModifier);
  refused.ignore();
  QApplication::sendEvent(window.get(), &refused);
  EXPECT_FALSE(refused.isAccepted());
}

TEST_F(Desktop, InputMethodTextInLongTextsObeysTheLimit) {
  auto* opinion = find<LongTextEdit>("jiaoyujuyijian");  // 700 bytes
  type(opinion, repeat(QStringLiteral("同"), 345));
  QInputMethodEvent commit;
  commit.setCommitString(QStringLiteral("意推荐上报😀"));
  QApplication::sendEvent(opinion, &commit);
  EXPECT_EQ(opinion->toPlainText(), repeat(QStringLiteral("同"), 345) + QStringLiteral("意推荐上报"));
  QInputMethodEvent more;
  more.setCommitString(QStringLiteral("啊"));
  QApplication::sendEvent(opinion, &more);
  EXPECT_EQ(opinion->toPlainText().size(), 350);
  EXPECT_EQ(state().record().lines(Field::PlanningOfficeOpinion).empty(), false);
}

namespace {

QString sourceFile(const char* path) {
  QFile f(QStringLiteral(VELMORA_SOURCE_DIR "/") + QString::fromLatin1(path));
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path;
  return QString::fromUtf8(f.readAll());
}

// The text from `from` to the first `to` after it.
QString section(const QString& text, const QString& from, const QString& to) {
  const qsizetype start = text.indexOf(from);
  EXPECT_GE(start, 0) << from.toStdString();
  if (start < 0) return {};
  const qsizetype end = text.indexOf(to, start + from.size());
  return text.mid(start, end < 0 ? -1 : end - start);
}

// A key as the documents and the window compare it: Qt's portable text,
// Enter for both Enter keys (the documents' "Enter" names the main key,
// which Qt calls Return, and the keypad's).
QString keyName(const QKeySequence& keys) {
  return keys.toString(QKeySequence::PortableText).replace(QStringLiteral("Return"), QStringLiteral("Enter"));
}

// The keys a document's text names: "Ctrl+S", "F5", "Tab"; "Ctrl+1 至
// Ctrl+9" (or "to") names the nine between.
std::set<QString> keysNamedIn(QString text) {
  text.remove(QRegularExpression(QStringLiteral("<[^>]*>|[*`]")));
  static const QRegularExpression key(
      QStringLiteral("(?<![A-Za-z0-9+])((?:(?:Ctrl|Shift|Alt)\\+)+(?:F\\d{1,2}|PageUp|PageDown|Enter|Tab|Esc|[A-Z0-9])"
                     "|F\\d{1,2}|Tab|Esc)(?![A-Za-z0-9])"));
  std::set<QString> out;
  auto add = [&](QString name) {
    name.replace(QStringLiteral("PageUp"), QStringLiteral("PgUp"))
        .replace(QStringLiteral("PageDown"), QStringLiteral("PgDown"));
    const QKeySequence keys = QKeySequence::fromString(name, QKeySequence::PortableText);
    EXPECT_FALSE(keys.isEmpty()) << name.toStdString();
    out.insert(keyName(keys));
  };
  QString previous;
  qsizetype previousEnd = -1;
  for (const QRegularExpressionMatch& m : key.globalMatch(text)) {
    const QString name = m.captured(1);
    const QString between = text.mid(previousEnd, m.capturedStart(1) - previousEnd).trimmed();
    if (previousEnd >= 0 && (between == u"至" || between == u"to") && previous.back().isDigit() &&
        name.back().isDigit() && previous.chopped(1) == name.chopped(1)) {
      for (char16_t d = previous.back().unicode() + 1; d < name.back().unicode(); ++d) add(name.chopped(1) + QChar(d));
    }
    add(name);
    previous = name;
    previousEnd = m.capturedEnd(1);
  }
  return out;
}

}  // namespace

// The guide, the manual page and the README name exactly the shortcuts the
// window has, and the keys the fields take themselves (Tab, Shift+Tab, Esc):
// a shortcut added, changed or dropped shows here until they say so.
TEST_F(Desktop, TheDocumentsNameTheWindowsShortcuts) {
  std::set<QString> expected{QStringLiteral("Tab"), QStringLiteral("Shift+Tab"), QStringLiteral("Esc")};
  int shortcuts = 0;
  for (QShortcut* s : window->findChildren<QShortcut*>(QString(), Qt::FindDirectChildrenOnly))
    for (const QKeySequence& keys : s->keys()) {
      expected.insert(keyName(keys));
      ++shortcuts;
    }
  ASSERT_GE(shortcuts, 10);
  const struct {
    const char* file;
    QString from, to;
  } documents[] = {
      {"docs/help.html", QStringLiteral("<h2 id=\"keys\">"), QStringLiteral("<h2")},
      {"man/velmora.1.scd", QStringLiteral("# KEYBOARD"), QStringLiteral("\n# ")},
      {"README.md", QStringLiteral("| Keys |"), QStringLiteral("\n\n")},
  };
  auto joined = [](const std::set<QString>& keys) {
    QStringList out(keys.begin(), keys.end());
    return out.join(u' ').toStdString();
  };
  for (const auto& d : documents) {
    const std::set<QString> named = keysNamedIn(section(sourceFile(d.file), d.from, d.to));
    EXPECT_EQ(joined(named), joined(expected)) << d.file;
  }
}
