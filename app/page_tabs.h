#pragma once
// The tab control of the eleven pages. Its tab bar can mark the tabs of pages
// that have problem lines with a red dot in the tab's corner: the captions
// and the widths of the tabs stay as they are, so the tabs still fit in one
// row whatever is marked.
#include <QTabBar>
#include <QTabWidget>
#include <vector>

namespace velmora {

class PageTabBar : public QTabBar {
  Q_OBJECT
 public:
  explicit PageTabBar(QWidget* parent) : QTabBar(parent) {}
  void setMarked(int index, bool on);
  bool isMarked(int index) const;

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  std::vector<bool> marked_;
};

class PageControl : public QTabWidget {
  Q_OBJECT
 public:
  explicit PageControl(QWidget* parent);
  PageTabBar* pageTabBar() const { return bar_; }

 private:
  PageTabBar* bar_;
};

}  // namespace velmora
