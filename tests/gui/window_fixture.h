#pragma once
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>

#include "app/main_window.h"
#include "scripted_window_services.h"

namespace velmora::test {

// Key presses carrying each character of `text` (QTest's own helper knows
// only ASCII keys).
inline void keys(QWidget* w, const QString& text) {
  for (int i = 0; i < text.size(); ++i) {
    int len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    QString ch = text.mid(i, len);
    i += len - 1;
    int key = ch.size() == 1 && ch.at(0).unicode() < 128 ? QChar(ch.at(0)).toUpper().unicode() : 0;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, ch);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, ch);
    QApplication::sendEvent(w, &release);
  }
}

// Lets the window finish what it queued after the last event: the input
// rules' message boxes open once the event that raised them is handled.
inline void settle() {
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

inline QString repeat(const QString& s, int n) {
  QString out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

// A real main window on the offscreen platform with scripted dialogs.
class WindowTest : public ::testing::Test {
 public:
  void SetUp() override {
    window = std::make_unique<MainWindow>(services);
    window->startUp({});
    window->show();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  void TearDown() override {
    window->state().setModified(false);  // no closing question in teardown
    window.reset();
  }

  template <typename T = QWidget>
  T* find(const char* name) const {
    T* w = window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  void showPageOf(QWidget* w) {
    for (QWidget* p = w; p; p = p->parentWidget()) {
      int i = window->pages()->indexOf(p);
      if (i >= 0) {
        window->pages()->setCurrentIndex(i);
        break;
      }
    }
    QApplication::processEvents();
  }
  // Puts the keyboard focus into a field and types, as a user would.
  void type(QWidget* w, const QString& text) {
    showPageOf(w);
    w->setFocus(Qt::MouseFocusReason);
    keys(w, text);
  }
  const FormState& state() { return window->state(); }

  ScriptedWindowServices services;
  std::unique_ptr<MainWindow> window;
};

}  // namespace velmora::test
