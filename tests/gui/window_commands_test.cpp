#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTimer>
#include <QToolButton>

#include "window_fixture.h"

using namespace velmora;
using namespace velmora::test;

using WindowCommands = WindowTest;

TEST_F(WindowCommands, ProblemListLeadsToThePages) {
  QTest::mouseClick(find("verifydata"), Qt::LeftButton);
  auto* list = find<QListWidget>("verifylist");
  ASSERT_EQ(list->count(), 52);
  EXPECT_EQ(list->currentRow(), -1);
  struct Case {
    const char* line;
    int page;
  } cases[] = {{"09、经费预算  未填写", 8},
               {"11、活页  未填写", 10},
               {"01、课题名称  未填写", 0},
               {"02、邮政编码  应该为6位", 1}};
  for (const auto& c : cases) {
    auto items = list->findItems(QString::fromUtf8(c.line), Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << c.line;
    QRect r = list->visualItemRect(items[0]);
    list->scrollToItem(items[0]);
    r = list->visualItemRect(items[0]);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(window->pages()->currentIndex(), c.page) << c.line;
    EXPECT_EQ(list->toolTip(), QString::fromUtf8(c.line));
  }
  // Arrow keys move through the list and the pages follow.
  list->setFocus();
  list->setCurrentRow(0);
  QTest::keyClick(list, Qt::Key_Down);
  EXPECT_EQ(list->currentItem()->text(), QStringLiteral("01、关键词1  未填写"));
  list->setCurrentRow(14);
  QTest::keyClick(list, Qt::Key_Down);
  EXPECT_EQ(window->pages()->currentIndex(), 1);
  // A new check keeps the tooltip until another line is chosen.
  const QString tip = list->toolTip();
  QTest::mouseClick(find("verifydata"), Qt::LeftButton);
  EXPECT_EQ(list->toolTip(), tip);
  EXPECT_EQ(list->currentRow(), -1);
}

TEST_F(WindowCommands, OpenShowsTheDocument) {
  services.script.openAnswers.push_back(fixture("sample.xdx"));
  QTest::mouseClick(find("openxmlfile"), Qt::LeftButton);
  EXPECT_EQ(find<QLineEdit>("ProjectName")->text(), QStringLiteral("区域推进中小学学习共同体建设的实践研究"));
  EXPECT_EQ(find<QComboBox>("BelongCity")->currentText(), QStringLiteral("A.北京市"));
  EXPECT_EQ(find<QLineEdit>("Presider1")->text(), QStringLiteral("王晓燕"));
  EXPECT_EQ(find<RecordTable>("MainActor")->item(1, 0)->text(), QStringLiteral("李红"));
  EXPECT_EQ(find<QLineEdit>("SN")->text(), QStringLiteral("BJA110012"));
  EXPECT_TRUE(find<QPlainTextEdit>("ProjectReasoning")->toPlainText().startsWith(QStringLiteral("一、核心概念")));
  EXPECT_EQ(find<QListWidget>("verifylist")->count(), 0);
  EXPECT_FALSE(state().modified());
  EXPECT_FALSE(find("ExpectProduction1")->isEnabled());
  EXPECT_TRUE(find("OutlayAccounts")->isEnabled());
}

TEST_F(WindowCommands, FormalDocumentIsReadOnly) {
  services.script.openAnswers.push_back(fixture("formal.xdx"));
  window->askAndOpenDocument();
  EXPECT_TRUE(find("passby")->isVisible());
  // In the words of the box that saving it shows.
  EXPECT_EQ(find<QLabel>("passby")->text(), QStringLiteral("本项目文件为正式文档，仅供打印和预览,不允许修改！"));
  EXPECT_FALSE(find("savexmlfile")->isEnabled());
  // Read-only rather than disabled: every page can be read to its end.
  for (const char* name : {"ProjectName", "EduCode", "ApplyOutlay"}) {
    EXPECT_TRUE(find(name)->isEnabled()) << name;
    EXPECT_TRUE(find<QLineEdit>(name)->isReadOnly()) << name;
  }
  for (const char* name : {"ProjectReasoning", "HuoYe"}) {
    EXPECT_TRUE(find(name)->isEnabled()) << name;
    EXPECT_TRUE(find<QPlainTextEdit>(name)->isReadOnly()) << name;
  }
  EXPECT_TRUE(find<ChoiceBox>("Sex")->isReadOnly());
  for (const char* name : {"MainActor", "OutlayGrid3"})
    EXPECT_EQ(find<RecordTable>(name)->editTriggers(), QAbstractItemView::NoEditTriggers) << name;
  for (const char* name : {"verifydata", "verifylist", "openxmlfile", "helpinfo", "printreport"})
    EXPECT_TRUE(find(name)->isEnabled()) << name;
  // Closing asks nothing.
  window->state().setModified(true);
  EXPECT_TRUE(window->close());
  EXPECT_TRUE(services.shown().empty());
}

TEST_F(WindowCommands, SaveWritesThroughTheDialog) {
  TempDir dir;
  type(find("ProjectName"), QStringLiteral("课题"));
  type(find("Presider"), QStringLiteral("王"));
  type(find("ContactMail"), QStringLiteral("w@x.cn"));
  services.script.saveAnswers.push_back(dir.path("saved.xdx"));
  QTest::mouseClick(find("savexmlfile"), Qt::LeftButton);
  EXPECT_TRUE(QFile::exists(QString::fromStdString(dir.path("saved.xdx"))));
  EXPECT_FALSE(state().modified());
  EXPECT_EQ(find<QListWidget>("verifylist")->count(), 49);
  EXPECT_EQ(find<QLabel>("ProjectID")->text().size(), 38);
}

TEST_F(WindowCommands, ClosingWithEditsAsksAndKeepsTheWindowWhenNothingWasWritten) {
  type(find("KeyWord"), QStringLiteral("未保存"));
  // Yes, but the save is refused (no title): the window stays open.
  services.script.confirmAnswers.push_back(true);
  EXPECT_FALSE(window->close());
  ASSERT_GE(services.shown().size(), 2u);
  EXPECT_EQ(services.shown()[0].kind, "confirm");
  EXPECT_EQ(services.shown()[0].text, "退出前先保存编辑的文档吗？！");
  EXPECT_EQ(services.shown()[1].text, "保存失败！“课题名称”, “主持人”和“电子邮箱”必须填写！");
  EXPECT_EQ(find<QLineEdit>("KeyWord")->text(), QStringLiteral("未保存"));

  // Yes with a cancelled dialog: still open.
  type(find("ProjectName"), QStringLiteral("课题"));
  type(find("Presider"), QStringLiteral("王"));
  type(find("ContactMail"), QStringLiteral("w@x.cn"));
  services.script.confirmAnswers.push_back(true);
  EXPECT_FALSE(window->close());

  // Yes and a written file: closes.
  TempDir dir;
  services.script.confirmAnswers.push_back(true);
  services.script.saveAnswers.push_back(dir.path("closing.xdx"));
  EXPECT_TRUE(window->close());
  EXPECT_TRUE(QFile::exists(QString::fromStdString(dir.path("closing.xdx"))));
}

TEST_F(WindowCommands, ClosingWithoutEditsAsksNothingAndNoDiscards) {
  EXPECT_TRUE(window->close());
  EXPECT_TRUE(services.shown().empty());
  window->show();
  type(find("Nation"), QStringLiteral("汉"));  // edits even with title and presider empty
  services.script.confirmAnswers.push_back(false);
  EXPECT_TRUE(window->close());
  ASSERT_EQ(services.shown().size(), 1u);
  EXPECT_EQ(services.shown()[0].kind, "confirm");
}

TEST(WindowStartUp, CommandLineArgumentsAreJoinedAndOpenedBeforeShowing) {
  TempDir dir;
  std::filesystem::create_directory(dir.path("My Docs"));
  std::filesystem::copy_file(fixture("sample.xdx"), dir.path("My Docs/a b.xdx"));
  ScriptedWindowServices services;
  MainWindow window(services);
  const QString path = QString::fromStdString(dir.path("My Docs/a b.xdx"));
  window.startUp(path.split(QLatin1Char(' ')));
  EXPECT_EQ(window.findChild<QLineEdit*>(QStringLiteral("Presider"))->text(), QStringLiteral("王晓燕"));
  EXPECT_EQ(services.script.openDialogs, 0);
  EXPECT_TRUE(window.state().pendingPath().empty());
}

TEST(WindowStartUp, FailedCommandLineDocumentLeavesAUsableWindow) {
  ScriptedWindowServices services;
  MainWindow window(services);
  window.startUp({QString::fromStdString(fixture("malformed.xdx"))});
  ASSERT_EQ(services.shown().size(), 1u);
  EXPECT_EQ(services.shown()[0].kind, "error");
  EXPECT_TRUE(window.state().record() == Record::initial());
  EXPECT_EQ(window.findChild<QListWidget*>(QStringLiteral("verifylist"))->count(), 0);
  // The next open asks with the dialog.
  window.askAndOpenDocument();
  EXPECT_EQ(services.script.openDialogs, 1);
  window.state().setModified(false);
}

TEST_F(WindowCommands, HelpAndTheIdentityNumberSite) {
  QTest::mouseClick(find("helpinfo"), Qt::LeftButton);
  const bool helpExists = QFile::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/help.doc"));
  if (helpExists) {
    ASSERT_EQ(services.opened.size(), 1u);
  } else {
    ASSERT_EQ(services.shown().size(), 1u);
    EXPECT_EQ(services.shown()[0].text, "程序目录下没有找到帮助文档help.doc，请上网下载帮助文档！");
  }
  auto* link = find<QLabel>("Label41");
  showPageOf(link);
  QTest::mouseClick(link, Qt::LeftButton);
  ASSERT_FALSE(services.opened.empty());
  EXPECT_EQ(services.opened.back(), kEduCodeSite);
  EXPECT_FALSE(state().modified());
}

// A text that would need more sheets than a page may run to is not printed
// cut short: the preview does not open and the error box names the text.
TEST_F(WindowCommands, PrintRefusesATextPastTheSheetLimit) {
  TempDir dir;
  std::string bytes = readFile(fixture("sample.xdx"));
  const std::size_t open = bytes.find("<ProjectAnalyze>") + 16;
  std::string lines;
  for (int i = 0; i < 20000; ++i) lines += "x,";
  bytes.replace(open, bytes.find("</ProjectAnalyze>") - open, lines);
  writeFile(dir.path("long.xdx"), bytes);
  services.script.openAnswers.push_back(dir.path("long.xdx"));
  QTest::mouseClick(find("openxmlfile"), Qt::LeftButton);
  ASSERT_GE(state().record().lines(Field::ProjectAnalyze).size(), 20000u);

  // A preview that opens anyway is closed again, so that the test ends.
  bool previewShown = false;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal->windowTitle() == QStringLiteral("报表预览")) {
      previewShown = true;
      modal->close();
    }
  });
  closer.start(50);
  QTest::mouseClick(find("printreport"), Qt::LeftButton);
  closer.stop();
  EXPECT_FALSE(previewShown);
  ASSERT_EQ(services.shown().size(), 1u);
  EXPECT_EQ(services.shown()[0].kind, "error");
  EXPECT_NE(services.shown()[0].text.find("“ProjectAnalyze”的文字过长：打印需要超过 300 页"), std::string::npos)
      << services.shown()[0].text;
}
