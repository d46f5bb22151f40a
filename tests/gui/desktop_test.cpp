#include <QDropEvent>
#include <QInputMethodEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include "app/translations.h"
#include "window_fixture.h"

using namespace velmora;
using namespace velmora::test;

using Desktop = WindowTest;

TEST_F(Desktop, StandardButtonsSpeakChinese) {
  ASSERT_TRUE(installChineseTranslations(*qApp));
  QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), QStringLiteral("?"),
                  QMessageBox::Yes | QMessageBox::No);
  EXPECT_TRUE(box.button(QMessageBox::Yes)->text().contains(QStringLiteral("是"))) << box.button(QMessageBox::Yes)->text().toStdString();
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
