// Unsaved edits are never replaced without a word, and survive a window that
// ends without saving them.
#include <QDropEvent>
#include <QElapsedTimer>
#include <QMimeData>
#include <QUrl>
#include <filesystem>

#include "document/recovery.h"
#include "format/xdx_reader.h"
#include "format/xdx_writer.h"
#include "window_fixture.h"

using namespace velmora;
using namespace velmora::test;
namespace fs = std::filesystem;

using UnsavedWork = WindowTest;

namespace {

// A document somewhere else on the machine, absolute as the system writes it.
#ifdef _WIN32
constexpr char kElsewhere[] = "C:\\Users\\u\\申请书.xdx";
#else
constexpr char kElsewhere[] = "/home/u/申请书.xdx";
#endif

void dropDocument(QWidget* window, const std::string& path) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window, &enter);
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window, &drop);
  settle();
}

std::string projectNameIn(const std::string& xdx) {
  auto read = readXdxFile(xdx);
  if (!std::holds_alternative<DocumentContent>(read)) return "<unreadable>";
  return std::get<DocumentContent>(read).values[index(Field::ProjectName)];
}

}  // namespace

TEST_F(UnsavedWork, OpenButtonAndDropAskBeforeReplacingEdits) {
  type(find("ProjectName"), QStringLiteral("我的课题"));
  ASSERT_TRUE(state().modified());

  // Cancel: nothing is opened, nothing is lost.
  services.script.choiceAnswers = {Answer::Cancel};
  QTest::mouseClick(find("openxmlfile"), Qt::LeftButton);
  EXPECT_EQ(services.script.openDialogs, 0);
  EXPECT_EQ(find<QLineEdit>("ProjectName")->text(), QStringLiteral("我的课题"));
  dropDocument(window.get(), fixture("sample.xdx"));
  EXPECT_EQ(find<QLineEdit>("ProjectName")->text(), QStringLiteral("我的课题"));
  EXPECT_TRUE(state().modified());
  ASSERT_EQ(services.shown().size(), 2u);
  for (const Shown& s : services.shown()) {
    EXPECT_EQ(s.kind, "question");
    EXPECT_EQ(s.text, "打开其他文档前先保存编辑的文档吗？");
  }

  // Yes saves first, then the dropped document opens.
  TempDir dir;
  type(find("Presider"), QStringLiteral("王"));
  type(find("ContactMail"), QStringLiteral("w@x.cn"));
  services.script.choiceAnswers = {Answer::Yes};
  services.script.saveAnswers = {dir.path("mine.xdx")};
  dropDocument(window.get(), fixture("sample.xdx"));
  EXPECT_EQ(projectNameIn(dir.path("mine.xdx")), "我的课题");
  EXPECT_EQ(find<QLineEdit>("Presider")->text(), QStringLiteral("王晓燕"));
  EXPECT_FALSE(state().modified());

  // No discards the edits; an unedited record asks nothing.
  type(find("ProjectName"), QStringLiteral("改"));
  services.script.choiceAnswers = {Answer::No};
  services.script.openAnswers = {fixture("sample.xdx")};
  const std::size_t asked = services.shown().size();
  QTest::mouseClick(find("openxmlfile"), Qt::LeftButton);
  EXPECT_EQ(services.shown().size(), asked + 1);
  EXPECT_EQ(find<QLineEdit>("ProjectName")->text(), QStringLiteral("区域推进中小学学习共同体建设的实践研究"));
  services.script.openAnswers = {fixture("sample.xdx")};
  QTest::mouseClick(find("openxmlfile"), Qt::LeftButton);
  EXPECT_EQ(services.shown().size(), asked + 1);
  EXPECT_EQ(services.script.openDialogs, 2);
}

class RecoveryWindow : public ::testing::Test {
 public:
  void SetUp() override { folder = dir.path("recovery"); }
  void TearDown() override {
    if (window) window->state().setModified(false);
    window.reset();
  }
  void start(const QStringList& arguments = {}) {
    window = std::make_unique<MainWindow>(services, nullptr, folder);
    window->setRecoveryDelays(20, 100);
    window->startUp(arguments);
    window->show();
    QApplication::setActiveWindow(window.get());
  }
  // Files of slots in the recovery folder that hold a copy.
  std::vector<std::string> copies() const {
    std::vector<std::string> out;
    if (fs::exists(folder))
      for (const auto& e : fs::directory_iterator(folder))
        if (e.path().extension() == ".xdx") out.push_back(e.path().string());
    return out;
  }
  void typeInto(const char* name, const QString& text) {
    auto* w = window->findChild<QWidget*>(QString::fromLatin1(name));
    ASSERT_NE(w, nullptr);
    window->pages()->setCurrentIndex(0);
    w->setFocus(Qt::MouseFocusReason);
    keys(w, text);
  }
  // Waits for the copy's timer and for its writer.
  void letTheCopyBeWritten() {
    QTest::qWait(150);
    window->recovery().flush();
  }

  TempDir dir;
  std::string folder;
  ScriptedWindowServices services;
  std::unique_ptr<MainWindow> window;
};

TEST_F(RecoveryWindow, TheCopyFollowsUnsavedEditsOnly) {
  start();
  EXPECT_TRUE(copies().empty());
  typeInto("ProjectName", QStringLiteral("第一稿"));
  letTheCopyBeWritten();
  ASSERT_EQ(copies().size(), 1u);
  EXPECT_EQ(projectNameIn(copies()[0]), "第一稿");

  // Typing that never rests long enough is still copied within the longest
  // delay.
  window->setRecoveryDelays(60000, 100);
  QElapsedTimer typing;
  typing.start();
  while (typing.elapsed() < 400) {
    typeInto("ProjectName", QStringLiteral("改"));
    QTest::qWait(10);
  }
  window->recovery().flush();
  EXPECT_TRUE(projectNameIn(copies()[0]).starts_with("第一稿改")) << projectNameIn(copies()[0]);
  window->setRecoveryDelays(20, 100);

  // A save that writes the file removes it.
  typeInto("Presider", QStringLiteral("王"));
  window->findChild<QLineEdit*>(QStringLiteral("ContactMail"))->setFocus();
  keys(QApplication::focusWidget(), QStringLiteral("w@x.cn"));
  services.script.saveAnswers = {dir.path("saved.xdx")};
  ASSERT_EQ(window->saveToFile(), SaveOutcome::Written);
  window->recovery().flush();
  EXPECT_TRUE(copies().empty());

  // A formal document is never copied.
  services.script.openAnswers = {fixture("formal.xdx")};
  window->askAndOpenDocument();
  ASSERT_TRUE(window->state().formal());
  typeInto("ProjectName", QStringLiteral("x"));
  letTheCopyBeWritten();
  EXPECT_TRUE(copies().empty());
}

TEST_F(RecoveryWindow, NoAtClosingRemovesTheCopy) {
  start();
  typeInto("ProjectName", QStringLiteral("不要了"));
  letTheCopyBeWritten();
  ASSERT_EQ(copies().size(), 1u);
  services.script.confirmAnswers = {false};
  window->close();
  window->recovery().flush();
  EXPECT_TRUE(copies().empty());
}

TEST_F(RecoveryWindow, ACopyLeftBehindIsOfferedAndRestored) {
  {
    RecoverySlot crashed(folder);  // a window that ended without saving
    Record r = Record::initial();
    r.setText(Field::ProjectName, "崩溃前的编辑");
    r.setText(Field::Presider, "王");
    crashed.save(buildXdx(r, {}), kElsewhere);
  }
  services.script.choiceAnswers = {Answer::Yes};
  start();
  ASSERT_EQ(services.shown().size(), 1u);
  EXPECT_EQ(services.shown()[0].kind, "question");
  EXPECT_TRUE(services.shown()[0].text.starts_with("发现未保存的编辑（文档：" + std::string(kElsewhere) + "，保存于 "))
      << services.shown()[0].text;
  EXPECT_TRUE(services.shown()[0].text.ends_with("），要恢复吗？"));
  EXPECT_EQ(window->findChild<QLineEdit*>(QStringLiteral("ProjectName"))->text(), QStringLiteral("崩溃前的编辑"));
  EXPECT_EQ(window->findChild<QLineEdit*>(QStringLiteral("Presider1"))->text(), QStringLiteral("王"));
  EXPECT_TRUE(window->state().modified());
  EXPECT_EQ(window->state().saveDialogName(), kElsewhere);
  // This window's own copy has taken over.
  ASSERT_EQ(copies().size(), 1u);
  EXPECT_EQ(projectNameIn(copies()[0]), "崩溃前的编辑");
  EXPECT_TRUE(findLeftCopies(folder).empty());
}

TEST_F(RecoveryWindow, NoDeletesTheCopyAndCancelKeepsIt) {
  {
    RecoverySlot crashed(folder);
    crashed.save(buildXdx(Record::initial(), {}), "");
  }
  services.script.choiceAnswers = {Answer::Cancel};
  start();
  ASSERT_EQ(services.shown().size(), 1u);
  EXPECT_TRUE(services.shown()[0].text.starts_with("发现未保存的编辑（新申请书，保存于 ")) << services.shown()[0].text;
  EXPECT_FALSE(window->state().modified());
  window.reset();
  EXPECT_EQ(copies().size(), 1u);
  services.script.choiceAnswers = {Answer::No};
  start();
  EXPECT_EQ(services.shown().size(), 2u);
  EXPECT_TRUE(copies().empty());
  EXPECT_FALSE(window->state().modified());
}

TEST_F(RecoveryWindow, ACopyThatDoesNotOpenIsKeptAsideAndReportedOnce) {
  {
    RecoverySlot crashed(folder);
    crashed.save("<?xml version=\"1.0\" encoding=\"GBK\"?>\n<XMLPackage><ver>", "");
  }
  start();
  ASSERT_EQ(services.shown().size(), 1u);
  EXPECT_EQ(services.shown()[0].kind, "error");
  EXPECT_NE(services.shown()[0].text.find(".xdx.broken"), std::string::npos) << services.shown()[0].text;
  EXPECT_FALSE(window->state().modified());
  window.reset();
  start();
  EXPECT_EQ(services.shown().size(), 1u);  // not again
  bool kept = false;
  for (const auto& e : fs::directory_iterator(folder)) kept |= e.path().string().ends_with(".xdx.broken");
  EXPECT_TRUE(kept);
}

// The question comes before the command line's document opens: Yes restores
// the edits in its place, No or Cancel opens it as asked.
TEST_F(RecoveryWindow, TheQuestionComesBeforeTheCommandLineDocument) {
  for (Answer answer : {Answer::Yes, Answer::No, Answer::Cancel}) {
    SCOPED_TRACE(static_cast<int>(answer));
    fs::remove_all(folder);
    {
      RecoverySlot crashed(folder);
      Record r = Record::initial();
      r.setText(Field::ProjectName, "崩溃前的编辑");
      crashed.save(buildXdx(r, {}), kElsewhere);
    }
    services = ScriptedWindowServices();
    services.script.choiceAnswers = {answer};
    start({QString::fromStdString(fixture("sample.xdx"))});
    ASSERT_FALSE(services.shown().empty());
    EXPECT_EQ(services.shown()[0].kind, "question");
    const std::string title = window->state().record().text(Field::ProjectName);
    if (answer == Answer::Yes) {
      EXPECT_EQ(title, "崩溃前的编辑");
      EXPECT_EQ(window->state().saveDialogName(), kElsewhere);
      EXPECT_TRUE(window->state().modified());
    } else {
      EXPECT_NE(title, "崩溃前的编辑");
      EXPECT_EQ(window->state().saveDialogName(), fixture("sample.xdx"));
      EXPECT_FALSE(window->state().modified());
    }
    window->state().setModified(false);
    window.reset();
  }
}

// A copy of an earlier version naming its document relative to a working
// folder nobody knows any more proposes no name rather than a wrong one.
TEST_F(RecoveryWindow, ARelativeOriginIsNotProposed) {
  {
    RecoverySlot crashed(folder);
    crashed.save(buildXdx(Record::initial(), {}), "docs/a.xdx");
  }
  services.script.choiceAnswers = {Answer::Yes};
  start();
  EXPECT_TRUE(window->state().modified());
  EXPECT_EQ(window->state().saveDialogName(), "");
}

// A recovery copy that cannot be written is told once on the notice line and
// tried again; once it can be written the notice goes.
TEST_F(RecoveryWindow, ACopyThatCannotBeWrittenIsToldAndTriedAgain) {
  const std::string blocker = dir.path("state");
  writeFile(blocker, "a file where the state folder should be");
  folder = blocker + "/velmora/recovery";
  start();
  NoticeLine& notices = window->notices();
  EXPECT_EQ(notices.shownText(), QString());
  typeInto("ProjectName", QStringLiteral("草稿"));
  letTheCopyBeWritten();
  QTest::qWait(50);  // the outcome comes back through the event loop
  EXPECT_EQ(notices.shownText(), QStringLiteral("无法保存恢复副本，程序意外退出时未保存的编辑会丢失"));
  // The system's reason, in its own words.
#ifdef _WIN32
  EXPECT_FALSE(window->findChild<QLabel*>(QStringLiteral("notice"))->toolTip().isEmpty());
#else
  EXPECT_NE(window->findChild<QLabel*>(QStringLiteral("notice"))->toolTip().toStdString().find("Not a directory"),
            std::string::npos);
#endif
  EXPECT_TRUE(copies().empty());

  // Made writable, the next try (without a further edit) writes the copy.
  fs::remove(blocker);
  QTest::qWait(250);
  window->recovery().flush();
  QTest::qWait(50);
  ASSERT_EQ(copies().size(), 1u);
  EXPECT_EQ(projectNameIn(copies()[0]), "草稿");
  EXPECT_EQ(notices.shownText(), QString());
}
