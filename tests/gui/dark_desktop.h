#pragma once
// A dark desktop theme's palette, as a desktop would hand it to every program.
#include <QColor>
#include <QPalette>

namespace velmora::test {

inline QPalette darkDesktopPalette() {
  QPalette dark(QColor(53, 53, 53));
  dark.setColor(QPalette::Window, QColor(45, 45, 45));
  dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
  dark.setColor(QPalette::Base, QColor(30, 30, 30));
  dark.setColor(QPalette::Text, QColor(230, 230, 230));
  dark.setColor(QPalette::Button, QColor(60, 60, 60));
  dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
  return dark;
}

}  // namespace velmora::test
