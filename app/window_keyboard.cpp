// The window without a mouse: the keyboard commands, turning pages, and the
// room left in the focused field.
#include <QApplication>
#include <QShortcut>

#include "app/main_window.h"

namespace velmora {

void MainWindow::addShortcuts() {
  auto add = [this](QKeySequence keys, std::function<void()> run) {
    auto* s = new QShortcut(keys, this);
    connect(s, &QShortcut::activated, this, std::move(run));
  };
  add(QKeySequence(Qt::CTRL | Qt::Key_O), [this] { askAndOpenDocument(); });
  add(QKeySequence(Qt::CTRL | Qt::Key_S), [this] {
    if (panel_->savexmlfile->isEnabled()) saveToFile();
  });
  add(QKeySequence(Qt::CTRL | Qt::Key_P), [this] { previewReport(); });
  add(QKeySequence(Qt::Key_F1), [this] { showHelp(); });
  for (QKeySequence check :
       {QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)})
    add(check, [this] { runCheck(); });
  add(QKeySequence(Qt::CTRL | Qt::Key_PageUp), [this] { turnToPage(pageControl_->currentIndex() - 1); });
  add(QKeySequence(Qt::CTRL | Qt::Key_PageDown), [this] { turnToPage(pageControl_->currentIndex() + 1); });
  for (int page = 0; page < 9; ++page)
    add(QKeySequence(Qt::CTRL | (Qt::Key_1 + page)), [this, page] { turnToPage(page); });
}

// Shows a page and puts the keyboard focus on its first field, where the
// user goes on; left in a hidden field, the focus would fall to the problem
// list, whose first line leads elsewhere.
void MainWindow::turnToPage(int page) {
  if (page < 0 || page >= pageControl_->count() || !fieldsCanBeLeft()) return;
  pageControl_->tabBar()->setFocus(Qt::TabFocusReason);
  pageControl_->setCurrentIndex(page);
  QWidget* shown = pageControl_->currentWidget();
  QWidget* w = pageControl_->tabBar();
  for (int guard = 0; guard < 1000; ++guard) {
    w = w->nextInFocusChain();
    if (!w || w == pageControl_->tabBar()) break;
    if (shown->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(this) && w->isEnabled()) {
      // The focus put there by a command is no edit: a table opens no editor.
      if (auto* table = qobject_cast<RecordTable*>(w))
        table->focusWithoutEditing(Qt::TabFocusReason);
      else
        w->setFocus(Qt::TabFocusReason);
      return;
    }
  }
  pageControl_->tabBar()->setFocus(Qt::TabFocusReason);
}

// The room left in a limited field while it has the focus, so that a refused
// keystroke is explained.
void MainWindow::showRoom() {
  QWidget* focus = QApplication::focusWidget();
  int limit = 0;
  std::size_t used = 0;
  if (auto* e = qobject_cast<LimitedLineEdit*>(focus); e && !e->isReadOnly()) {
    limit = e->byteLimit();
    used = fieldBytes(e->text());
  } else if (auto* t = qobject_cast<LongTextEdit*>(focus); t && !t->isReadOnly()) {
    limit = t->byteLimit();
    used = t->textBytes();
  }
  QLabel* room = panel_->room;
  // A screen reader hears the room as the focused field's description, which
  // it reads with the field and again when it changes.
  if (roomDescribed_ && roomDescribed_ != focus) roomDescribed_->setAccessibleDescription(QString());
  if (limit <= 0 || !isAncestorOf(focus)) {
    room->hide();
    roomDescribed_ = nullptr;
    return;
  }
  const auto left = used >= static_cast<std::size_t>(limit) ? 0 : static_cast<std::size_t>(limit) - used;
  const QString text = QStringLiteral("还可输入 %1 字节").arg(left);
  room->setText(text);
  setPageText(room, left == 0 ? colors::kRed : colors::kNavy);
  room->show();
  if (focus->accessibleDescription() != text) focus->setAccessibleDescription(text);
  roomDescribed_ = focus;
}

}  // namespace velmora
