#include "report/sheet.h"

#include <QStringList>

#include <QPainter>
#include <QRawFont>

namespace velmora::report {
namespace {

template <class... F>
struct Overload : F... {
  using F::operator()...;
};
template <class... F>
Overload(F...) -> Overload<F...>;

}  // namespace

void drawSheet(QPainter& p, const Sheet& sheet, double scale) {
  p.save();
  p.scale(scale, scale);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  // Pictures keep every pixel, also in PDF files.
  p.setRenderHint(QPainter::LosslessImageRendering);
  p.setBrush(Qt::NoBrush);
  for (const DrawOp& op : sheet.ops) {
    std::visit(Overload{
                   [&](const TextOp& t) {
                     p.setPen(Qt::black);
                     if (t.condense == 1.0) {
                       for (const QGlyphRun& run : t.runs) p.drawGlyphRun(t.origin, run);
                       return;
                     }
                     p.save();
                     p.translate(t.origin);
                     p.scale(t.condense, 1.0);
                     for (const QGlyphRun& run : t.runs) p.drawGlyphRun(QPointF(0, 0), run);
                     p.restore();
                   },
                   [&](const LineOp& l) {
                     QPen pen(Qt::black, l.width, Qt::SolidLine, Qt::FlatCap);
                     pen.setCosmetic(l.width == 0);
                     p.setPen(pen);
                     p.drawLine(l.line);
                   },
                   [&](const FrameOp& f) {
                     if (f.whiteFill) p.fillRect(f.rect, Qt::white);
                     p.setPen(QPen(Qt::black, f.width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
                     p.setBrush(Qt::NoBrush);
                     p.drawRect(f.rect);
                   },
                   [&](const ImageOp& i) { p.drawImage(i.rect, i.image); },
               },
               op);
  }
  p.restore();
}

QString describeSheet(const Sheet& sheet) {
  QString out = QStringLiteral("sheet %1 %2 -%3-\n").arg(sheet.page).arg(sheet.absolute).arg(sheet.relative);
  auto num = [](double v) { return QString::number(v, 'f', 3); };
  for (const DrawOp& op : sheet.ops) {
    std::visit(
        Overload{
            [&](const TextOp& t) {
              out += QStringLiteral("text %1 %2 %3 [%4]").arg(num(t.origin.x()), num(t.origin.y()), t.item, t.text);
              if (t.condense != 1.0) out += QStringLiteral(" x%1").arg(num(t.condense));
              for (const QGlyphRun& r : t.runs) {
                out += QStringLiteral(" {%1 %2:").arg(r.rawFont().familyName(), num(r.rawFont().pixelSize()));
                const auto idx = r.glyphIndexes();
                const auto pos = r.positions();
                for (qsizetype i = 0; i < idx.size(); ++i)
                  out += QStringLiteral(" %1@%2,%3").arg(idx[i]).arg(num(pos[i].x()), num(pos[i].y()));
                out += u'}';
              }
              out += u'\n';
            },
            [&](const LineOp& l) {
              out += QStringLiteral("line %1 %2 %3 %4 w%5\n")
                         .arg(num(l.line.x1()), num(l.line.y1()), num(l.line.x2()), num(l.line.y2()), num(l.width));
            },
            [&](const FrameOp& f) {
              out += QStringLiteral("frame %1 %2 %3 %4%5\n")
                         .arg(num(f.rect.x()), num(f.rect.y()), num(f.rect.width()), num(f.rect.height()),
                              f.whiteFill ? QStringLiteral(" white") : QString());
            },
            [&](const ImageOp& i) {
              out += QStringLiteral("image %1 %2 %3 %4 %5\n")
                         .arg(num(i.rect.x()), num(i.rect.y()), num(i.rect.width()), num(i.rect.height()), i.item);
            },
        },
        op);
  }
  return out;
}

QString incompleteNotice(const std::vector<Sheet>& sheets) {
  QStringList named;
  for (const Sheet& sheet : sheets) {
    QStringList seen;
    for (const QString& title : sheet.incomplete) {
      if (seen.contains(title)) continue;
      seen.append(title);
      named.append(QStringLiteral("%1（第 %2 页）").arg(title).arg(sheet.absolute));
    }
  }
  if (named.isEmpty()) return {};
  return QStringLiteral("打印时未能完整显示：") + named.join(QStringLiteral("、"));
}

}  // namespace velmora::report
