#include "app/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace velmora::icons {
namespace {

// Draws at several sizes from one 24-unit drawing so the icon stays sharp.
QIcon drawn(const std::function<void(QPainter&)>& draw) {
  QIcon icon;
  for (int size : {24, 32, 48, 64}) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 24.0, size / 24.0);
    draw(p);
    p.end();
    icon.addPixmap(pm);
  }
  return icon;
}

const QColor kNavy(0, 0, 128);
const QColor kRed(200, 30, 30);

}  // namespace

QIcon application() {
  return drawn([](QPainter& p) {
    // A sheet of the application form with a red seal.
    p.setPen(QPen(kNavy, 1.2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4, 2, 14, 19));
    for (double y : {6.0, 9.0, 12.0}) p.drawLine(QPointF(7, y), QPointF(15, y));
    p.setPen(Qt::NoPen);
    p.setBrush(kRed);
    p.drawEllipse(QPointF(16, 17), 5, 5);
    p.setPen(QPen(Qt::white, 1.4));
    p.drawLine(QPointF(13.8, 17), QPointF(15.5, 18.8));
    p.drawLine(QPointF(15.5, 18.8), QPointF(18.5, 15.2));
  });
}

QIcon check() {
  return drawn([](QPainter& p) {
    p.setPen(QPen(kRed, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath tick;
    tick.moveTo(4, 12);
    tick.lineTo(10, 18);
    tick.lineTo(20, 5);
    p.drawPath(tick);
  });
}

QIcon open() {
  return drawn([](QPainter& p) {
    p.setPen(QPen(QColor(150, 110, 20), 1));
    p.setBrush(QColor(240, 200, 80));
    QPainterPath folder;
    folder.moveTo(2, 6);
    folder.lineTo(9, 6);
    folder.lineTo(11, 8);
    folder.lineTo(21, 8);
    folder.lineTo(21, 19);
    folder.lineTo(2, 19);
    folder.closeSubpath();
    p.drawPath(folder);
    p.setBrush(QColor(252, 225, 120));
    QPainterPath flap;
    flap.moveTo(5, 11);
    flap.lineTo(23, 11);
    flap.lineTo(20, 19);
    flap.lineTo(2, 19);
    flap.closeSubpath();
    p.drawPath(flap);
  });
}

QIcon save() {
  return drawn([](QPainter& p) {
    p.setPen(QPen(kNavy, 1));
    p.setBrush(QColor(60, 90, 170));
    p.drawRoundedRect(QRectF(3, 3, 18, 18), 1.5, 1.5);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6, 3, 12, 7));
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(QRectF(7, 14, 10, 7));
    p.setBrush(kNavy);
    p.drawRect(QRectF(14, 4, 2.5, 5));
  });
}

QIcon help() {
  return drawn([](QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 110, 200));
    p.drawEllipse(QRectF(2, 2, 20, 20));
    p.setPen(Qt::white);
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(16);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(2, 2, 20, 20), Qt::AlignCenter, QStringLiteral("?"));
  });
}

QIcon print() {
  return drawn([](QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6, 2, 12, 8));
    p.setBrush(QColor(150, 150, 160));
    p.drawRoundedRect(QRectF(2, 9, 20, 9), 1.5, 1.5);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6, 14, 12, 8));
    p.setPen(QPen(kNavy, 0.8));
    for (double y : {17.0, 19.5}) p.drawLine(QPointF(8, y), QPointF(16, y));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 200, 60));
    p.drawEllipse(QPointF(19, 12), 1, 1);
  });
}

}  // namespace velmora::icons
