// What only a real X server shows: keys and clicks arrive through the window
// system, the primary selection is pasted with the middle button, and the
// message boxes are real modal windows under a window manager.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QMessageBox>
#include <QProcess>
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

QStringList at(QPoint global) { return {QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y())}; }

// Answers every modal box that opens with a key, noting its text.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(QString key) : key_(std::move(key)) {
    timer_.setInterval(100);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal || modal == last_) return;
      last_ = modal;
      if (auto* box = qobject_cast<QMessageBox*>(modal)) texts.push_back(box->text());
      QTimer::singleShot(200, [this] { xdo({QStringLiteral("key"), key_}); });
    });
    timer_.start();
  }
  QStringList texts;

 private:
  QString key_;
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

  // The same by middle-click paste, answered with a click on the box's button.
  QApplication::clipboard()->setText(QStringLiteral(".7."), QClipboard::Selection);
  click(grid, cellCentre(grid, 1, 2));
  key(QStringLiteral("End"));
  click(grid, cellCentre(grid, 1, 2), 2);
  waitForBoxes();
  EXPECT_EQ(answer.texts.size(), 2);
  EXPECT_EQ(state().record().cell(Field::OutlayGrid, 1, 2), "0.7.");
  EXPECT_EQ(total->text(), QStringLiteral("1.25"));
}

TEST_F(RealInput, MiddleClickPasteKeepsTheFieldsRules) {
  struct Case {
    const char* field;
    int page;
    QString before;   // typed first
    QString pasted;   // the primary selection
    QString kept;     // the field afterwards
  } cases[] = {
      {"ProjectName", 0, QString(), QString(QStringLiteral("课")).repeated(45), QString(QStringLiteral("课")).repeated(40)},
      {"IDcard", 1, QStringLiteral("11"), QStringLiteral("01ab0x"), QStringLiteral("11010x")},
      {"Presider", 0, QStringLiteral("Li "), QStringLiteral("晓\x0c燕😀"), QStringLiteral("Li 晓燕")},
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
