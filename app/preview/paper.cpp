#include "app/preview/paper.h"

#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>

namespace velmora::preview {

QPageSize paperForLocale(const QLocale& locale) {
  return QPageSize(locale.measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter : QPageSize::A4);
}

QPageSize defaultPaper() {
  const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
  if (!printer.isNull() && printer.defaultPageSize().isValid()) return printer.defaultPageSize();
  return paperForLocale(QLocale::system());
}

QMarginsF unprintableMargins(const QString& printer, const QPageSize& paper) {
  if (printer.isEmpty()) return {};
  const QPrinterInfo info = QPrinterInfo::printerInfo(printer);
  if (info.isNull()) return {};
  // Qt's print device reads the driver's imageable area and gives it as the
  // layout's minimum margins for the paper set.
  QPrinter device(info, QPrinter::HighResolution);
  device.setPageSize(paper);
  QPageLayout layout = device.pageLayout();
  layout.setUnits(QPageLayout::Point);
  return layout.minimumMargins();
}

report::Placement fitPlacement(const QPageSize& paper, const QMarginsF& margins) {
  const QSizeF size = paper.size(QPageSize::Point);
  const QSizeF room(size.width() - margins.left() - margins.right(), size.height() - margins.top() - margins.bottom());
  if (margins.isNull() || size.isEmpty() || room.width() <= 0 || room.height() <= 0) return {};
  const double scale = std::min(room.width() / size.width(), room.height() / size.height());
  const QPointF corner(margins.left() + (room.width() - size.width() * scale) / 2,
                       margins.top() + (room.height() - size.height() * scale) / 2);
  return {scale, corner / 72.0};
}

}  // namespace velmora::preview
