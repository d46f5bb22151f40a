#pragma once
// The status window "报表状态" shown while sheets are generated or printed.
#include <QDialog>
#include <QLabel>

namespace velmora::preview {

// "正在生成第%p页" / "正在打印第%p页" with the absolute sheet number.
class StatusWindow : public QDialog {
 public:
  explicit StatusWindow(QWidget* parent);
  void show(const QString& pattern, int sheet);

 private:
  QLabel* label_;
};

}  // namespace velmora::preview
