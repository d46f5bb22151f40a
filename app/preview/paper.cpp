#include "app/preview/paper.h"

#include <QPrinterInfo>

namespace velmora::preview {

QPageSize paperForLocale(const QLocale& locale) {
  return QPageSize(locale.measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter : QPageSize::A4);
}

QPageSize defaultPaper() {
  const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
  if (!printer.isNull() && printer.defaultPageSize().isValid()) return printer.defaultPageSize();
  return paperForLocale(QLocale::system());
}

}  // namespace velmora::preview
