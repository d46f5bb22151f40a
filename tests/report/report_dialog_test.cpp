// The preview's real file dialogs (QtWindowServices), offscreen: what the
// save dialog proposes, and that a name typed without ".pdf" asks before
// an existing PDF of that name is replaced.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include "app/qt_window_services.h"

namespace velmora {
namespace {

QByteArray readAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The dialog proposes the document's PDF in the document's folder and adds
// ".pdf" to a typed name before it looks for a file to replace; refusing to
// replace keeps the dialog open for another name.
TEST(ReportFileDialogs, TheSaveDialogAsksBeforeReplacingATypedName) {
  QTemporaryDir dir;
  {
    QFile victim(dir.filePath(QStringLiteral("victim.pdf")));
    ASSERT_TRUE(victim.open(QIODevice::WriteOnly));
    victim.write("%PDF- kept");
  }
  struct Case {
    const char* typed;
    bool asked;          // the dialog asks whether to replace
    bool replace;        // and is told to
    const char* chosen;  // the path returned, in the folder
  } cases[] = {
      {"victim", true, false, "other.pdf"},
      {"victim.pdf", true, false, "other.pdf"},
      {"victim", true, true, "victim.pdf"},
      {"fresh", false, false, "fresh.pdf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    QtWindowServices services;
    QString proposedName, folder, suffix, question;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_TRUE(dialog);
      EXPECT_EQ(dialog->windowTitle(), QStringLiteral("保存报表"));
      folder = dialog->directory().absolutePath();
      suffix = dialog->defaultSuffix();
      auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      ASSERT_TRUE(name);
      proposedName = name->text();
      name->setText(QString::fromLatin1(c.typed));
      QTimer::singleShot(0, dialog, [&, dialog] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
          question = box->text();
          box->button(c.replace ? QMessageBox::Yes : QMessageBox::No)->click();
        }
        // Refused, the dialog is still there for another name, once the
        // question is gone. (Timed on the dialog: an accepted dialog takes
        // the step with it.)
        QTimer::singleShot(0, dialog, [dialog] {
          if (QApplication::activeModalWidget() != dialog) return;
          // (As typed into the name field with the focus there, which
          // offscreen it does not have: the list's selection follows.)
          dialog->selectFile(QStringLiteral("other"));
          static_cast<QDialog*>(dialog)->accept();
        });
      });
      static_cast<QDialog*>(dialog)->accept();  // QFileDialog's own is protected
    });
    const std::optional<std::string> path = services.askReportPath(
        ReportFileDialog::Save, nullptr, dir.filePath(QStringLiteral("申请书.pdf")).toStdString());
    EXPECT_EQ(proposedName, QStringLiteral("申请书.pdf"));
    EXPECT_EQ(folder, QDir(dir.path()).absolutePath());
    EXPECT_EQ(suffix, QStringLiteral("pdf"));
    EXPECT_EQ(!question.isEmpty(), c.asked) << question.toStdString();
    if (c.asked) {
      EXPECT_TRUE(question.contains(QStringLiteral("victim.pdf"))) << question.toStdString();
    }
    ASSERT_TRUE(path);
    EXPECT_EQ(*path, dir.filePath(QString::fromLatin1(c.chosen)).toStdString());
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral("victim.pdf"))), QByteArray("%PDF- kept"));
  }
}

}  // namespace
}  // namespace velmora
