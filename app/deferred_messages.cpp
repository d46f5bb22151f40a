#include "app/deferred_messages.h"

#include <QMetaObject>

namespace velmora {

void DeferredMessages::later(std::function<void()> step) {
  queue_.push_back(std::move(step));
  if (scheduled_ || showing_) return;
  scheduled_ = true;
  QMetaObject::invokeMethod(
      context_, [this] { flush(); }, Qt::QueuedConnection);
}

void DeferredMessages::flush() {
  scheduled_ = false;
  showing_ = true;
  // Boxes queued while one is showing follow it, in order.
  while (!queue_.empty()) {
    auto step = std::move(queue_.front());
    queue_.pop_front();
    step();
  }
  showing_ = false;
}

void DeferredMessages::showMessage(const std::string& text) {
  later([this, text] { target_.showMessage(text); });
}

void DeferredMessages::showInformation(const std::string& text) {
  later([this, text] { target_.showInformation(text); });
}

void DeferredMessages::showError(const std::string& text) {
  later([this, text] { target_.showError(text); });
}

}  // namespace velmora
