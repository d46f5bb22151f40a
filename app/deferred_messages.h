#pragma once
// Messages of the input rules, shown once the event that raised them has been
// handled.
//
// A rule runs inside a widget's own key, mouse or focus handler. A modal box
// opened there runs a nested event loop in which that very widget (a table's
// cell editor above all) can be closed and deleted while its handler is still
// on the stack. Queued, the box opens from the main event loop instead, with
// nothing of the widget's handler left to return into.
#include <QObject>
#include <deque>
#include <functional>

#include "document/prompter.h"

namespace velmora {

class DeferredMessages : public Prompter {
 public:
  // `target` shows the boxes; `context` owns the queued call (nothing is
  // shown once it is gone).
  DeferredMessages(Prompter& target, QObject* context) : target_(target), context_(context) {}

  // Runs `step` after the current event, in order with the queued boxes.
  void later(std::function<void()> step);
  // True while boxes wait to be shown or are showing.
  bool busy() const { return scheduled_ || showing_; }

  void showMessage(const std::string& text) override;
  void showInformation(const std::string& text) override;
  void showError(const std::string& text) override;
  // The rules ask no questions; were one asked, it is asked at once.
  std::optional<std::string> askOpenPath() override { return target_.askOpenPath(); }
  std::optional<std::string> askSavePath(const std::string& proposed) override { return target_.askSavePath(proposed); }
  bool confirm(const std::string& text) override { return target_.confirm(text); }
  Answer askYesNoCancel(const std::string& text) override { return target_.askYesNoCancel(text); }

 private:
  void flush();
  Prompter& target_;
  QObject* context_;
  std::deque<std::function<void()>> queue_;
  bool scheduled_ = false;
  bool showing_ = false;
};

}  // namespace velmora
