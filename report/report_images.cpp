#include "report/report_images.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include "report/report_fonts.h"

namespace velmora::report {
namespace {

const QString kMark = QStringLiteral("Velmora课题");

// The outline of the words, at most `length` pixels along their baseline and
// `thickness` pixels across it, centred on the origin.
QPainterPath markOutline(double length, double thickness) {
  FontSpec style{QStringLiteral("黑体"), 48, true, false};
  QPainterPath path;
  path.addText(0, 0, reportFont(style), kMark);
  const QRectF r = path.boundingRect();
  QTransform t;
  const double k = qMin(length / r.width(), thickness / r.height());
  t.scale(k, k);
  t.translate(-r.center().x(), -r.center().y());
  return t.map(path);
}

QImage drawMark(int width, int height, double angle, double length, double thickness, int grey, double pen) {
  QImage img(width, height, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.translate(width / 2.0, height / 2.0);
  p.rotate(angle);
  p.setPen(QPen(QColor(grey, grey, grey), pen));
  p.setBrush(Qt::NoBrush);
  p.drawPath(markOutline(length, thickness));
  return img;
}

}  // namespace

const QImage& watermarkImage() {
  // Along the diagonal, with room to spare at both corners.
  static const QImage img = drawMark(313, 320, -qRadiansToDegrees(qAtan2(320.0, 313.0)), 390, 90, 200, 1.6);
  return img;
}

const QImage& bannerImage() {
  static const QImage img = drawMark(926, 85, 0, 900, 70, 170, 1.4);
  return img;
}

}  // namespace velmora::report
