#include "app/preview/status_window.h"

#include <QApplication>
#include <QVBoxLayout>

namespace velmora::preview {

StatusWindow::StatusWindow(QWidget* parent) : QDialog(parent), label_(new QLabel(this)) {
  setWindowTitle(QStringLiteral("报表状态"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label_);
  label_->setMinimumWidth(220);
  label_->setAlignment(Qt::AlignCenter);
}

void StatusWindow::show(const QString& pattern, int sheet) {
  label_->setText(QString(pattern).replace(QStringLiteral("%p"), QString::number(sheet)));
  if (!isVisible()) QDialog::show();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace velmora::preview
