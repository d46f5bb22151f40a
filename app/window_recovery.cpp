// The window's recovery copy of unsaved edits: written when typing rests,
// dropped once nothing is unsaved, offered at start-up after a crash.
#include <QDateTime>

#include "app/main_window.h"
#include "document/messages.h"
#include "format/file_system.h"
#include "format/xdx_writer.h"

namespace velmora {

void MainWindow::noteEdit() {
  if (!state_.modified() || state_.formal()) return;
  if (!unsavedSince_.isValid()) unsavedSince_.start();
  const qint64 left = recoveryMaxDelayMs_ - unsavedSince_.elapsed();
  recoveryTimer_.start(static_cast<int>(std::clamp<qint64>(left, 0, recoveryIdleMs_)));
}

// A copy that could not be written is told once, on the notice line, and
// tried again at the next pause; a copy written again withdraws the notice.
void MainWindow::recoveryWritten(const std::string& error) {
  if (error.empty()) {
    recoveryFailing_ = false;
    notices_->clearLasting();
    return;
  }
  if (!state_.modified()) return;  // saved meanwhile: nothing is at risk
  if (!recoveryFailing_) {
    recoveryFailing_ = true;
    notices_->setLasting(QStringLiteral("无法保存恢复副本，程序意外退出时未保存的编辑会丢失"),
                         QString::fromStdString(error));
  }
  if (state_.modified() && !state_.formal() && !recoveryTimer_.isActive()) recoveryTimer_.start(recoveryMaxDelayMs_);
}

void MainWindow::writeRecoveryCopy() {
  recoveryTimer_.stop();
  unsavedSince_.invalidate();
  if (!state_.modified() || state_.formal()) return;
  // Built here, where the record lives; written and synced on the slot's thread.
  recovery_->save(buildXdx(state_.record(), state_.problems()), state_.saveDialogName());
  copyWritten_ = true;
}

bool MainWindow::offerRecovery() {
  for (const LeftCopy& copy : findLeftCopies(recoveryFolder_)) {
    ReadResult read = readXdxFile(copy.xdx);
    if (auto* error = std::get_if<ReadError>(&read)) {
      const std::string aside = setLeftCopyAside(copy);
      services_.showError(
          msg::errorBoxText("未保存编辑的恢复文件无法打开，已保留为“" + aside + "”：" + error->message));
      continue;
    }
    const QString when = QDateTime::fromSecsSinceEpoch(copy.savedAt).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const Answer answer = services_.askYesNoCancel(msg::recoverEditsQuestion(copy.origin, when.toStdString()));
    if (answer == Answer::Cancel) continue;  // kept for the next start
    if (answer == Answer::No) {
      removeLeftCopy(copy);
      continue;
    }
    recoverFrom(copy, std::get<DocumentContent>(read));
    return true;
  }
  return false;
}

// The copy is opened as a document, then made what it was: unsaved edits of
// the document they started from.
void MainWindow::recoverFrom(const LeftCopy& copy, const DocumentContent& content) {
  state_.setPendingPath(copy.xdx);
  applyReadResult(state_, services_, content);
  // Copies of earlier versions may name their document relative to a working
  // folder that is not known any more: such a name could point anywhere, so
  // the save dialog then proposes none.
  state_.setSaveDialogName(isAbsolutePath(copy.origin) ? copy.origin : std::string());
  state_.setModified(true);
  refresh();
  // This window's own copy takes over before the old one goes.
  writeRecoveryCopy();
  recovery_->flush();
  removeLeftCopy(copy);
}

}  // namespace velmora
