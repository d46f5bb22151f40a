// What only a real X server shows: keys and clicks arrive through the window
// system, the primary selection is pasted with the middle button, and the
// message boxes are real modal windows under a window manager.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "app/main_window.h"
#include "app/qt_window_services.h"

using namespace velmora;

namespace {

// Runs xdotool and waits for it: its events reach the window through the X
// server, as a user's would.
void xdo(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral("xdotool"), args);
  ASSERT_TRUE(p.waitForFinished(10000)) << args.join(' ').toStdString();
  ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
}

QStringList at(QPoint global) {
  return {QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y())};
}

// Answers the modal windows that open, each with the next of `answers` (the
// last one again once they run out): a key, or "type:TEXT", which types the
// text and presses Return (a file dialog's name). Notes each box's text and
// the kind of every modal window.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(QString key) : BoxAnswerer(QStringList{std::move(key)}) {}
  explicit BoxAnswerer(QStringList answers) : answers_(std::move(answers)) {
    timer_.setInterval(100);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal || modal == last_) return;
      last_ = modal;
      kinds.push_back(QString::fromLatin1(modal->metaObject()->className()));
      if (auto* box = qobject_cast<QMessageBox*>(modal)) texts.push_back(box->text());
      const QString answer = answers_[std::min<qsizetype>(next_++, answers_.size() - 1)];
      QTimer::singleShot(300, [answer] {
        if (answer.startsWith(QLatin1String("type:"))) {
          xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), answer.mid(5)});
          xdo({QStringLiteral("key"), QStringLiteral("Return")});
        } else {
          xdo({QStringLiteral("key"), answer});
        }
      });
    });
    timer_.start();
  }
  QStringList texts;
  QStringList kinds;

 private:
  QStringList answers_;
  qsizetype next_ = 0;
  QTimer timer_;
  QPointer<QWidget> last_;
};

class RealInput : public ::testing::Test {
 public:
  void SetUp() override {
    window = std::make_unique<MainWindow>(services);
    services.setOwner(window.get());
    window->startUp({});
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get(), 10000));
  }
  void TearDown() override {
    window->state().setModified(false);
    window.reset();
  }
  template <typename T = QWidget>
  T* find(const char* name) {
    T* w = window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  void showPage(int page) {
    window->pages()->setCurrentIndex(page);
    QTest::qWait(100);
  }
  void click(QWidget* w, QPoint local, int button = 1) {
    xdo(at(w->mapToGlobal(local)) + QStringList{QStringLiteral("click"), QString::number(button)});
    QTest::qWait(200);
  }
  void click(QWidget* w, int button = 1) { click(w, w->rect().center(), button); }
  void type(const QString& text) {
    xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("60"), text});
    QTest::qWait(300);
  }
  void key(const QString& name) {
    xdo({QStringLiteral("key"), name});
    QTest::qWait(200);
  }
  QPoint cellCentre(RecordTable* table, int row, int column) {
    return table->viewport()->mapTo(table, table->visualItemRect(table->item(row, column)).center());
  }
  // Waits until nothing is pending: no box open, no queued box.
  void waitForBoxes() {
    for (int i = 0; i < 50 && QApplication::activeModalWidget(); ++i) QTest::qWait(100);
    QTest::qWait(300);
  }
  const FormState& state() { return window->state(); }

  QtWindowServices services;
  std::unique_ptr<MainWindow> window;
};

}  // namespace

// The cell editor raised the error box from inside its own key handler and
// was deleted under it when the box took the focus.
TEST_F(RealInput, AnAmountThatIsNoNumberIsReportedAndTheWindowLivesOn) {
  auto* grid = find<RecordTable>("OutlayGrid");
  auto* total = find<QLineEdit>("OutlayAccounts");
  showPage(8);
  BoxAnswerer answer(QStringLiteral("Return"));
  click(grid, cellCentre(grid, 0, 2));
  key(QStringLiteral("ctrl+a"));
  type(QStringLiteral("1.2."));
  waitForBoxes();
  ASSERT_EQ(answer.texts, QStringList{QStringLiteral("'1.2.' is not a valid floating point value.")});
  EXPECT_EQ(state().record().cell(Field::OutlayGrid, 0, 2), "1.2.");
  EXPECT_EQ(total->text(), QStringLiteral("1.2"));
  EXPECT_TRUE(state().modified());
  // The editor is still open where the user was typing.
  key(QStringLiteral("BackSpace"));
  waitForBoxes();
  EXPECT_EQ(state().record().cell(Field::OutlayGrid, 0, 2), "1.2");
  EXPECT_EQ(total->text(), QStringLiteral("1.2"));
  type(QStringLiteral("5"));
  EXPECT_EQ(total->text(), QStringLiteral("1.25"));

  // The middle button pastes nothing into an amount cell, as Ctrl+V does
  // not; typed, the same text raises the box again.
  QApplication::clipboard()->setText(QStringLiteral(".7."), QClipboard::Selection);
  click(grid, cellCentre(grid, 1, 2));
  key(QStringLiteral("End"));
  click(grid, cellCentre(grid, 1, 2), 2);
  waitForBoxes();
  EXPECT_EQ(answer.texts.size(), 1);
  EXPECT_EQ(state().record().cell(Field::OutlayGrid, 1, 2), "0");
  type(QStringLiteral(".7."));
  waitForBoxes();
  EXPECT_EQ(answer.texts.size(), 2);
  EXPECT_EQ(state().record().cell(Field::OutlayGrid, 1, 2), "0.7.");
  EXPECT_EQ(total->text(), QStringLiteral("1.95"));  // as it stood at "0.7"
}

TEST_F(RealInput, MiddleClickPasteKeepsTheFieldsRules) {
  struct Case {
    const char* field;
    int page;
    QString before;  // typed first
    QString pasted;  // the primary selection
    QString kept;    // the field afterwards
  } cases[] = {
      {"ProjectName", 0, QString(), QString(QStringLiteral("课")).repeated(45),
       QString(QStringLiteral("课")).repeated(40)},
      // A filtered field takes no pasted text, by the middle button as by Ctrl+V.
      {"IDcard", 1, QStringLiteral("11"), QStringLiteral("01ab0x"), QStringLiteral("11")},
      {"InputDate", 0, QStringLiteral("2011"), QStringLiteral("0801"), QStringLiteral("2011")},
      // A form feed (a page break in a PDF) separates like a blank.
      {"Presider", 0, QStringLiteral("Li "), QStringLiteral("晓\x0c燕😀"), QStringLiteral("Li 晓 燕")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    auto* edit = find<QLineEdit>(c.field);
    showPage(c.page);
    click(edit);
    key(QStringLiteral("ctrl+a"));
    key(QStringLiteral("Delete"));
    if (!c.before.isEmpty()) type(c.before);
    QApplication::clipboard()->setText(c.pasted, QClipboard::Selection);
    click(edit, QPoint(edit->width() - 4, edit->height() / 2), 2);
    EXPECT_EQ(edit->text(), c.kept);
    EXPECT_EQ(QString::fromStdString(state().record().text(*fieldByName(c.field))), c.kept);
  }

  // An amount cell takes only the digits and points of the selection.
  auto* grid = find<RecordTable>("OutlayGrid2");
  showPage(8);
  click(grid, cellCentre(grid, 0, 2));
  QApplication::clipboard()->setText(QStringLiteral("abc"), QClipboard::Selection);
  click(grid, cellCentre(grid, 0, 2), 2);
  EXPECT_EQ(state().record().cell(Field::OutlayGrid2, 0, 2), "0");

  // A long text holds its limit on the selection too.
  auto* opinion = find<QPlainTextEdit>("tuijian1");
  showPage(9);
  click(opinion);
  QApplication::clipboard()->setText(QString(QStringLiteral("荐")).repeated(2000), QClipboard::Selection);
  click(opinion, QPoint(20, 20), 2);
  QString joined;
  for (const auto& line : state().record().lines(Field::FirstRecommendation)) joined += QString::fromStdString(line);
  EXPECT_EQ(joined.size() * 2, fieldDef(Field::FirstRecommendation).byteLimit);
}

// Boxes raised while a widget handles its own event: the EduCode leave check
// and the age rule, answered through the window manager.
TEST_F(RealInput, BoxesFromInsideAFieldLeaveItUsable) {
  BoxAnswerer answer(QStringLiteral("Return"));
  auto* code = find<MaskedEdit>("EduCode");
  showPage(0);
  click(code, QPoint(6, code->height() / 2));
  key(QStringLiteral("Home"));
  type(QStringLiteral("12345"));
  key(QStringLiteral("Tab"));
  waitForBoxes();
  ASSERT_EQ(answer.texts.size(), 1);
  EXPECT_EQ(answer.texts[0], QStringLiteral("Invalid input value.  Use escape key to abandon changes."));
  EXPECT_EQ(QApplication::focusWidget(), code);
  type(QStringLiteral("6789012"));
  key(QStringLiteral("Tab"));
  waitForBoxes();
  EXPECT_EQ(answer.texts.size(), 1);
  EXPECT_EQ(state().record().text(Field::EduCode), "123456789012");

  auto* cls = find<QComboBox>("ProjectClass");
  click(cls);
  key(QStringLiteral("End"));
  key(QStringLiteral("Return"));  // E.教育部青年专项课题
  ASSERT_EQ(cls->currentIndex(), 3);
  auto* age = find<QComboBox>("Age");
  showPage(1);
  click(age);
  key(QStringLiteral("End"));
  key(QStringLiteral("Return"));  // B.40岁以上
  waitForBoxes();
  ASSERT_EQ(answer.texts.size(), 2);
  EXPECT_EQ(answer.texts[1], QStringLiteral("40岁以上不能申请青年专项，请重新选择课题类别！"));
  EXPECT_EQ(cls->currentIndex(), -1);
  EXPECT_EQ(age->currentIndex(), 1);
}

// Escape at the question withdraws the open; nothing typed is lost.
TEST_F(RealInput, EscapeAtTheOpenQuestionKeepsTheEdits) {
  BoxAnswerer answer(QStringLiteral("Escape"));
  auto* name = find<QLineEdit>("ProjectName");
  showPage(0);
  click(name);
  type(QStringLiteral("draft"));
  click(find("openxmlfile"));
  waitForBoxes();
  ASSERT_EQ(answer.texts, QStringList{QStringLiteral("打开其他文档前先保存编辑的文档吗？")});
  EXPECT_EQ(name->text(), QStringLiteral("draft"));
  EXPECT_TRUE(state().modified());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);  // no open dialog followed
}

namespace {

std::string fixture(const char* name) { return std::string(VELMORA_FIXTURES) + "/" + name; }

QString joinedLines(const FormState& s, Field f) {
  QString joined;
  for (const auto& line : s.record().lines(f)) joined += QString::fromStdString(line);
  return joined;
}

}  // namespace

// The wheel over a choice list the user never clicked scrolls on; it turned
// 课题类别 of an opened document, and the class rule rewrote 申请经费.
TEST_F(RealInput, TheWheelChangesOnlyTheChoiceListBeingWorkedIn) {
  window->state().setPendingPath(fixture("sample.xdx"));
  window->askAndOpenDocument();
  auto* cls = find<QComboBox>("ProjectClass");
  auto* outlay = find<QLineEdit>("ApplyOutlay");
  showPage(0);
  const int before = cls->currentIndex();
  const QString amount = outlay->text();
  ASSERT_FALSE(cls->hasFocus());
  xdo(at(cls->mapToGlobal(cls->rect().center())));
  for (int notch = 0; notch < 2; ++notch) xdo({QStringLiteral("click"), QStringLiteral("5")});
  QTest::qWait(300);
  EXPECT_EQ(cls->currentIndex(), before);
  EXPECT_EQ(outlay->text(), amount);
  EXPECT_FALSE(state().modified());

  // Tabbed into, the list turns with the wheel as with the arrow keys.
  cls->setFocus(Qt::TabFocusReason);
  QTest::qWait(100);
  const bool last = before == cls->count() - 1;
  xdo({QStringLiteral("click"), last ? QStringLiteral("4") : QStringLiteral("5")});
  QTest::qWait(300);
  EXPECT_EQ(cls->currentIndex(), last ? before - 1 : before + 1);
  EXPECT_TRUE(state().modified());
}

// An incomplete identity number cannot be left by any way out of the field:
// page shortcuts, tab clicks, the problem list; a save and a print do not go
// on while it stands.
TEST_F(RealInput, TheIdentityNumberIsCheckedWhicheverWayTheFocusLeaves) {
  BoxAnswerer answer(QStringLiteral("Return"));
  auto* code = find<MaskedEdit>("EduCode");
  showPage(0);
  window->runCheck();  // lines in the problem list, leading to other pages
  click(code, QPoint(6, code->height() / 2));
  key(QStringLiteral("Home"));
  type(QStringLiteral("12345"));
  const QString refused = QStringLiteral("Invalid input value.  Use escape key to abandon changes.");
  qsizetype told = 0;
  auto backInTheField = [&](const char* how) {
    SCOPED_TRACE(how);
    waitForBoxes();
    ASSERT_EQ(answer.texts.size(), ++told);  // one box each time
    EXPECT_EQ(answer.texts.last(), refused);
    EXPECT_EQ(window->pages()->currentIndex(), 0);
    EXPECT_EQ(QApplication::focusWidget(), code);
  };
  key(QStringLiteral("ctrl+2"));
  backInTheField("Ctrl+2");
  QTabBar* tabs = window->pages()->tabBar();
  click(tabs, tabs->tabRect(2).center());
  backInTheField("a tab clicked");
  auto* list = find<QListWidget>("verifylist");
  int elsewhere = 0;  // a line that leads to another page
  while (elsewhere < list->count() && list->item(elsewhere)->text().startsWith(QLatin1String("01"))) ++elsewhere;
  ASSERT_LT(elsewhere, list->count());
  list->scrollToItem(list->item(elsewhere));
  click(list->viewport(), list->visualItemRect(list->item(elsewhere)).center());
  backInTheField("a problem line chosen");
  key(QStringLiteral("ctrl+s"));
  backInTheField("Ctrl+S");
  key(QStringLiteral("ctrl+p"));
  backInTheField("Ctrl+P");
  EXPECT_FALSE(answer.kinds.contains(QStringLiteral("QFileDialog")));
  EXPECT_EQ(state().record().text(Field::EduCode), "12345");  // shown, never written

  // Escape gives the field back its value; then it is left freely.
  key(QStringLiteral("Escape"));
  EXPECT_EQ(state().record().text(Field::EduCode), "");
  key(QStringLiteral("ctrl+2"));
  waitForBoxes();
  EXPECT_EQ(answer.texts.size(), told);
  EXPECT_EQ(window->pages()->currentIndex(), 1);
}

// Text copied from a PDF reaches the record in its plain form, by the middle
// button and by Ctrl+V alike; only what GBK cannot hold goes, and is told.
TEST_F(RealInput, PastedPdfTextKeepsItsLetters) {
  const QString pdf = QStringLiteral("A scienti\uFB01c re\uFB02ection,\u2028100\u00A0000 Na\u00EFve \u00D8");
  auto* analysis = find<QPlainTextEdit>("ProjectAnalyze");
  showPage(6);
  click(analysis, QPoint(20, 20));
  QApplication::clipboard()->setText(pdf, QClipboard::Selection);
  click(analysis, QPoint(20, 20), 2);
  EXPECT_EQ(analysis->toPlainText(), QStringLiteral("A scientific reflection,\n100 000 Nave "));
  EXPECT_EQ(joinedLines(state(), Field::ProjectAnalyze), QStringLiteral("A scientific reflection,100 000 Nave "));
  EXPECT_EQ(window->notices().shownText(), QStringLiteral("已略去 2 个无法保存的字符"));

  auto* actors = find<RecordTable>("MainActor");
  showPage(2);
  click(actors, cellCentre(actors, 0, 1));
  QApplication::clipboard()->setText(pdf);
  key(QStringLiteral("ctrl+v"));
  key(QStringLiteral("Tab"));
  EXPECT_EQ(state().record().cell(Field::MainActor, 0, 1), "A scientific reflection, 100 000 Nave ");
}

// QLineEdit's own cap of 32 767 characters cut long cells and MaskName when
// they were merely clicked into.
TEST_F(RealInput, LongTextsAreNotCutWhenTouched) {
  const std::string longText(40000, 'x');
  window->state().setText(Field::AnonymousTitle, longText);
  window->state().editCell(Field::MainActor, 0, 4, longText, services);
  window->refresh();
  auto* title = find<QLineEdit>("MaskName");
  showPage(10);
  click(title);
  key(QStringLiteral("End"));
  type(QStringLiteral("z"));
  EXPECT_EQ(state().record().text(Field::AnonymousTitle).size(), 40001u);

  auto* actors = find<RecordTable>("MainActor");
  showPage(2);
  click(actors, cellCentre(actors, 0, 4));
  key(QStringLiteral("End"));
  type(QStringLiteral("z"));
  key(QStringLiteral("Tab"));
  EXPECT_EQ(state().record().cell(Field::MainActor, 0, 4).size(), 40001u);

  auto* account = find<QLineEdit>("OutlayPromises2");
  showPage(8);
  click(account);
  QApplication::clipboard()->setText(QString(200000, QLatin1Char('7')), QClipboard::Selection);
  click(account, QPoint(account->width() - 4, account->height() / 2), 2);
  EXPECT_EQ(state().record().text(Field::BankAccount).size(), 200000u);
}

// Open, No, and a document of another program: the information box, and the
// edits on screen are still unsaved edits with their recovery copy.
TEST_F(RealInput, ARefusedOpenKeepsTheEditsUnsaved) {
  window->setRecoveryDelays(50, 200);
  BoxAnswerer answer(QStringList{QStringLiteral("n"),
                                 QStringLiteral("type:") + QString::fromStdString(fixture("wrong-version.xdx")),
                                 QStringLiteral("Return")});
  auto* name = find<QLineEdit>("ProjectName");
  showPage(0);
  click(name);
  type(QStringLiteral("draft"));
  QTest::qWait(400);
  window->recovery().flush();
  const std::string copy = window->recovery().copyPath();
  ASSERT_TRUE(QFile::exists(QString::fromStdString(copy)));
  key(QStringLiteral("ctrl+o"));
  for (int i = 0; i < 100 && answer.kinds.size() < 3; ++i) QTest::qWait(100);
  waitForBoxes();
  ASSERT_EQ(answer.kinds,
            (QStringList{QStringLiteral("QMessageBox"), QStringLiteral("QFileDialog"), QStringLiteral("QMessageBox")}));
  EXPECT_EQ(answer.texts.last(), QStringLiteral("您选择的文档不是用本申报系统生成的"));
  EXPECT_EQ(name->text(), QStringLiteral("draft"));
  EXPECT_TRUE(state().modified());
  window->recovery().flush();
  EXPECT_TRUE(QFile::exists(QString::fromStdString(copy)));
}

// Turning pages by their shortcuts puts the focus into a table's first cell:
// that is no edit. Escape in a cell gives it back the text it had.
TEST_F(RealInput, PagingIsNoEditAndEscapeRestoresACell) {
  for (const char* keys : {"ctrl+3", "ctrl+4", "ctrl+5", "ctrl+9", "ctrl+1"}) key(QString::fromLatin1(keys));
  EXPECT_FALSE(state().modified());

  auto* grid = find<RecordTable>("OutlayGrid");
  auto* total = find<QLineEdit>("OutlayAccounts");
  showPage(8);
  click(grid, cellCentre(grid, 0, 2));
  key(QStringLiteral("ctrl+a"));
  type(QStringLiteral("150"));
  EXPECT_EQ(total->text(), QStringLiteral("150"));
  key(QStringLiteral("Escape"));
  EXPECT_EQ(state().record().cell(Field::OutlayGrid, 0, 2), "0");
  EXPECT_EQ(total->text(), QStringLiteral("0"));
  EXPECT_EQ(grid->item(0, 2)->text(), QStringLiteral("0"));

  auto* actors = find<RecordTable>("MainActor");
  showPage(2);
  click(actors, cellCentre(actors, 1, 0));
  type(QStringLiteral("abc"));
  EXPECT_EQ(state().record().cell(Field::MainActor, 1, 0), "abc");
  key(QStringLiteral("Escape"));
  EXPECT_EQ(state().record().cell(Field::MainActor, 1, 0), "");
}

// A recovery copy that cannot be written (the state folder is a file) is
// told on the notice line, not passed over in silence.
TEST_F(RealInput, ARecoveryCopyThatCannotBeWrittenIsTold) {
  QTemporaryDir dir;
  QFile blocker(dir.filePath(QStringLiteral("state")));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  window->state().setModified(false);
  window.reset();
  window = std::make_unique<MainWindow>(services, nullptr, (blocker.fileName() + "/velmora/recovery").toStdString());
  services.setOwner(window.get());
  window->setRecoveryDelays(50, 200);
  window->startUp({});
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get(), 10000));
  auto* name = find<QLineEdit>("ProjectName");
  click(name);
  type(QStringLiteral("draft"));
  QTest::qWait(400);
  window->recovery().flush();
  QTest::qWait(100);
  EXPECT_EQ(window->notices().shownText(), QStringLiteral("无法保存恢复副本，程序意外退出时未保存的编辑会丢失"));
  EXPECT_TRUE(find<QLabel>("notice")->isVisible());
}
