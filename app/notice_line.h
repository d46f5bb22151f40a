#pragma once
// The side panel's notice line: the fixed hint, or what the program has to
// tell without a box (characters an input could not keep, a recovery copy
// that cannot be written).
#include <QLabel>
#include <QString>
#include <QTimer>

namespace velmora {

class NoticeLine : public QObject {
  Q_OBJECT
 public:
  // `label` is the panel's notice label; its text at this moment is the hint.
  explicit NoticeLine(QLabel* label);

  // Shown for a while, then the line returns to what it showed before.
  void showPassing(const QString& text);
  // Shown until withdrawn (a passing notice goes over it meanwhile);
  // `detail` is its tooltip.
  void setLasting(const QString& text, const QString& detail);
  void clearLasting();

  QString shownText() const;  // the notice as plain text ("" for the hint)

  static constexpr int kPassingMs = 8000;

 private:
  void show();
  QLabel* label_;
  QString hint_;
  QString passing_, lasting_, lastingDetail_;
  QTimer passingTimer_;
};

}  // namespace velmora
