#include "app/page_tabs.h"

#include <QPainter>

namespace velmora {

void PageTabBar::setMarked(int index, bool on) {
  if (index < 0 || index >= count()) return;
  if (marked_.size() < static_cast<std::size_t>(count())) marked_.resize(static_cast<std::size_t>(count()), false);
  if (marked_[static_cast<std::size_t>(index)] == on) return;
  marked_[static_cast<std::size_t>(index)] = on;
  // Screen readers hear the mark that the eye sees.
  setAccessibleTabName(index, on ? tabText(index) + QStringLiteral("（有问题）") : tabText(index));
  update();
}

bool PageTabBar::isMarked(int index) const {
  return index >= 0 && static_cast<std::size_t>(index) < marked_.size() && marked_[static_cast<std::size_t>(index)];
}

void PageTabBar::paintEvent(QPaintEvent* e) {
  QTabBar::paintEvent(e);
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(220, 0, 0));
  for (int i = 0; i < count(); ++i)
    if (isMarked(i)) {
      const QRect tab = tabRect(i);
      p.drawEllipse(QRectF(tab.right() - 6.5, tab.top() + 3.5, 5, 5));
    }
}

PageControl::PageControl(QWidget* parent) : QTabWidget(parent), bar_(new PageTabBar(this)) { setTabBar(bar_); }

}  // namespace velmora
