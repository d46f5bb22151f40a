// The window's recovery copy of unsaved edits: written when typing rests,
// dropped once nothing is unsaved, offered at start-up after a crash.
#include <QDateTime>

#include "app/main_window.h"
#include "document/messages.h"
#include "format/xdx_writer.h"

namespace velmora {

void MainWindow::noteEdit() {
  if (!state_.modified() || state_.formal()) return;
  if (!unsavedSince_.isValid()) unsavedSince_.start();
  const qint64 left = recoveryMaxDelayMs_ - unsavedSince_.elapsed();
  recoveryTimer_.start(static_cast<int>(std::clamp<qint64>(left, 0, recoveryIdleMs_)));
}

void MainWindow::writeRecoveryCopy() {
  recoveryTimer_.stop();
  unsavedSince_.invalidate();
  if (!state_.modified() || state_.formal()) return;
  // Built here, where the record lives; written and synced on the slot's thread.
  recovery_->save(buildXdx(state_.record(), state_.problems()), state_.saveDialogName());
  copyWritten_ = true;
}

void MainWindow::offerRecovery() {
  for (const LeftCopy& copy : findLeftCopies(recoveryFolder_)) {
    ReadResult read = readXdxFile(copy.xdx);
    if (auto* error = std::get_if<ReadError>(&read)) {
      const std::string aside = setLeftCopyAside(copy);
      services_.showError(msg::errorBoxText("未保存编辑的恢复文件无法打开，已保留为“" + aside + "”：" + error->message));
      continue;
    }
    const QString when = QDateTime::fromSecsSinceEpoch(copy.savedAt).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const Answer answer = services_.askYesNoCancel(std::string(msg::kRecoverEdits.first) + when.toStdString() +
                                                   std::string(msg::kRecoverEdits.second));
    if (answer == Answer::Cancel) continue;  // kept for the next start
    if (answer == Answer::No) {
      removeLeftCopy(copy);
      continue;
    }
    recoverFrom(copy, std::get<DocumentContent>(read));
    return;
  }
}

// The copy is opened as a document, then made what it was: unsaved edits of
// the document they started from.
void MainWindow::recoverFrom(const LeftCopy& copy, const DocumentContent& content) {
  state_.setPendingPath(copy.xdx);
  applyReadResult(state_, services_, content);
  state_.setSaveDialogName(copy.origin);
  state_.setModified(true);
  refresh();
  // This window's own copy takes over before the old one goes.
  writeRecoveryCopy();
  recovery_->flush();
  removeLeftCopy(copy);
}

}  // namespace velmora
