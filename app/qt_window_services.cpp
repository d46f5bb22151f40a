#include "app/qt_window_services.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

#include "document/document_actions.h"
#include "document/messages.h"

namespace velmora {
namespace {

const QString kFilter = QStringLiteral("XDX数据交换文件 (*.xdx)");
QString q(const std::string& s) { return QString::fromStdString(s); }
QString appTitle() { return q(std::string(msg::kAppTitle)); }

}  // namespace

std::optional<std::string> QtWindowServices::askOpenPath() {
  QFileDialog dialog(owner_, QStringLiteral("请选择需要打开的项目文件"), openFolder_, kFilter);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  // A name typed for a file that does not exist is accepted; opening reports it.
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("xdx"));
  if (!lastOpened_.isEmpty()) dialog.selectFile(lastOpened_);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  lastOpened_ = dialog.selectedFiles().first();
  return lastOpened_.toStdString();
}

std::optional<std::string> QtWindowServices::askSavePath(const std::string& proposedName) {
  // The dialog opens in the folder of the document it proposes, so that
  // accepting it replaces that document and no namesake in the working folder.
  const QFileInfo proposed(q(proposedName));
  QFileDialog dialog(owner_, QStringLiteral("请输入要保存的文件名："),
                     proposedName.empty() ? QString() : proposed.absolutePath(), kFilter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("xdx"));
  // Replacing the proposed file is what the user asked for; no second question.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (!proposedName.empty()) dialog.selectFile(proposed.fileName());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return withDefaultExtension(dialog.selectedFiles().first().toStdString());
}

void QtWindowServices::showMessage(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, appTitle(), q(text), QMessageBox::Ok, owner_);
  box.exec();
}

void QtWindowServices::showInformation(const std::string& text) {
  QMessageBox box(QMessageBox::Information, QStringLiteral("Information"), q(text), QMessageBox::Ok, owner_);
  box.exec();
}

void QtWindowServices::showError(const std::string& text) {
  QMessageBox box(QMessageBox::Critical, appTitle(), q(text), QMessageBox::Ok, owner_);
  box.exec();
}

bool QtWindowServices::confirm(const std::string& text) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), q(text), QMessageBox::Yes | QMessageBox::No,
                  owner_);
  box.setDefaultButton(QMessageBox::Yes);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

Answer QtWindowServices::askYesNoCancel(const std::string& text) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), q(text),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, owner_);
  box.setDefaultButton(QMessageBox::Yes);
  box.setEscapeButton(QMessageBox::Cancel);
  switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
  }
}

std::optional<std::string> QtWindowServices::askReportPath(ReportFileDialog which, QWidget* over,
                                                           const std::string& proposed) {
  const bool save = which == ReportFileDialog::Save;
  const QFileInfo start(q(proposed));
  QString folder;
  if (!proposed.empty()) folder = start.isDir() ? start.absoluteFilePath() : start.absolutePath();
  QFileDialog dialog(over, save ? QStringLiteral("保存报表") : QStringLiteral("打开报表"),
                     // A bare name has no folder of its own: the dialog's usual one.
                     start.isRelative() && !start.isDir() ? QString() : folder, QStringLiteral("PDF 文件 (*.pdf)"));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  // The suffix is added before the dialog checks for a file to replace, so
  // that "victim" asks before "victim.pdf" is overwritten.
  dialog.setDefaultSuffix(QStringLiteral("pdf"));
  if (save && !proposed.empty()) dialog.selectFile(start.fileName());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first().toStdString();
}

void QtWindowServices::showErrorOver(QWidget* over, const std::string& title, const std::string& text) {
  QMessageBox box(QMessageBox::Critical, q(title), q(text), QMessageBox::Ok, over);
  box.exec();
}

void QtWindowServices::showInformationOver(QWidget* over, const std::string& title, const std::string& text) {
  QMessageBox box(QMessageBox::Information, q(title), q(text), QMessageBox::Ok, over);
  box.exec();
}

void QtWindowServices::openExternally(const std::string& urlOrPath) {
  QUrl url(q(urlOrPath));
  if (url.scheme().isEmpty()) url = QUrl::fromLocalFile(q(urlOrPath));
  QDesktopServices::openUrl(url);
}

void QtWindowServices::beep() { QApplication::beep(); }

}  // namespace velmora
