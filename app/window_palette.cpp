#include "app/window_palette.h"

#include <QApplication>
#include <QStyleFactory>

namespace velmora {

QPalette lightWindowPalette() {
  const QColor face(240, 240, 240), text(0, 0, 0), grey(120, 120, 120);
  QPalette p(face);
  for (auto group : {QPalette::Active, QPalette::Inactive}) {
    p.setColor(group, QPalette::Window, face);
    p.setColor(group, QPalette::WindowText, text);
    p.setColor(group, QPalette::Base, Qt::white);
    p.setColor(group, QPalette::AlternateBase, QColor(245, 245, 245));
    p.setColor(group, QPalette::Text, text);
    p.setColor(group, QPalette::Button, face);
    p.setColor(group, QPalette::ButtonText, text);
    p.setColor(group, QPalette::ToolTipBase, QColor(255, 255, 225));
    p.setColor(group, QPalette::ToolTipText, text);
    p.setColor(group, QPalette::Highlight, QColor(48, 140, 198));
    p.setColor(group, QPalette::HighlightedText, Qt::white);
    p.setColor(group, QPalette::PlaceholderText, grey);
    p.setColor(group, QPalette::Light, Qt::white);
    p.setColor(group, QPalette::Midlight, QColor(227, 227, 227));
    p.setColor(group, QPalette::Mid, QColor(160, 160, 160));
    p.setColor(group, QPalette::Dark, QColor(160, 160, 160));
    p.setColor(group, QPalette::Shadow, QColor(105, 105, 105));
  }
  // Disabled controls look disabled: grey text on the face colour.
  p.setColor(QPalette::Disabled, QPalette::Window, face);
  p.setColor(QPalette::Disabled, QPalette::WindowText, grey);
  p.setColor(QPalette::Disabled, QPalette::Text, grey);
  p.setColor(QPalette::Disabled, QPalette::ButtonText, grey);
  p.setColor(QPalette::Disabled, QPalette::Base, face);
  p.setColor(QPalette::Disabled, QPalette::Button, face);
  return p;
}

void useWindowStyle() { QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion"))); }

}  // namespace velmora
