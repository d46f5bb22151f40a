#include "app/notice_line.h"

#include "app/page_builder.h"

namespace velmora {

NoticeLine::NoticeLine(QLabel* label) : QObject(label), label_(label), hint_(label->text()) {
  label_->setWordWrap(true);
  passingTimer_.setSingleShot(true);
  passingTimer_.setInterval(kPassingMs);
  connect(&passingTimer_, &QTimer::timeout, this, [this] {
    passing_.clear();
    show();
  });
}

void NoticeLine::showPassing(const QString& text) {
  passing_ = text;
  passingTimer_.start();
  show();
}

void NoticeLine::setLasting(const QString& text, const QString& detail) {
  lasting_ = text;
  lastingDetail_ = detail;
  show();
}

void NoticeLine::clearLasting() {
  if (lasting_.isEmpty()) return;
  lasting_.clear();
  lastingDetail_.clear();
  show();
}

QString NoticeLine::shownText() const { return !passing_.isEmpty() ? passing_ : lasting_; }

void NoticeLine::show() {
  const QString text = shownText();
  if (text.isEmpty()) {
    label_->setText(hint_);
    label_->setToolTip(QString());
    setPageText(label_, colors::kBlue);
  } else {
    // The hint's two lines of 11 pixels hold a notice too.
    label_->setText(QStringLiteral("<div style=\"line-height: 11px; -qt-line-height-type: fixed;\">%1</div>")
                        .arg(text.toHtmlEscaped()));
    label_->setToolTip(passing_.isEmpty() ? lastingDetail_ : QString());
    setPageText(label_, colors::kRed);
  }
  // Read out as it changes: the label's name is its text.
  label_->setAccessibleName(text.isEmpty() ? QStringLiteral("提示") : text);
}

}  // namespace velmora
