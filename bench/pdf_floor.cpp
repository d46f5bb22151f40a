// What `velmora-cli pdf` costs for the largest application, against a floor:
// drawing exactly the display list of the generated sheets (the same glyph
// runs in the same faces, sizes and positions, the rules, frames and
// pictures, every sheet) straight into a QPdfWriter, with no filling, layout
// or rewriting of the file at all. Most of both is Qt embedding the font
// subsets, which no program printing these glyphs avoids.
//
// Both are timed in one run, alternating, and the ratio of the medians is
// printed; it should stay at or under 1.2.
//   build/bench/pdf-floor [RUNS]
#include <QBuffer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/maximal_record.h"
#include "report/report_fill.h"
#include "report/report_pdf.h"
#include "report/report_render.h"

namespace {

using namespace velmora;

// The pdf command's work once the document is read: fill a working copy,
// generate every sheet, write the PDF.
QByteArray pdfCommand(const Record& record) {
  const auto sheets = report::generateSheets(report::filledReport(record, false));
  return report::pdfBytes(sheets);
}

// The floor: only the drawing of a finished display list.
QByteArray floorPdf(const std::vector<report::Sheet>& sheets) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(static_cast<int>(report::kLayoutDpi));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter p(&writer);
    p.setRenderHint(QPainter::LosslessImageRendering);
    for (std::size_t i = 0; i < sheets.size(); ++i) {
      if (i) writer.newPage();
      for (const report::DrawOp& op : sheets[i].ops) {
        if (const auto* t = std::get_if<report::TextOp>(&op)) {
          p.save();
          p.translate(t->origin);
          p.scale(t->condense, 1.0);
          for (const QGlyphRun& run : t->runs) p.drawGlyphRun(QPointF(0, 0), run);
          p.restore();
        } else if (const auto* l = std::get_if<report::LineOp>(&op)) {
          p.setPen(QPen(Qt::black, l->width));
          p.drawLine(l->line);
        } else if (const auto* f = std::get_if<report::FrameOp>(&op)) {
          if (f->whiteFill) p.fillRect(f->rect, Qt::white);
          p.setPen(QPen(Qt::black, f->width));
          p.drawRect(f->rect);
        } else if (const auto* img = std::get_if<report::ImageOp>(&op)) {
          p.drawImage(img->rect, img->image);
        }
      }
    }
  }
  return buffer.data();
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  const Record record = bench::maximalRecord();
  const auto sheets = report::generateSheets(report::filledReport(record, false));
  // Warm both once: fonts found, caches filled, as in any later run.
  pdfCommand(record);
  floorPdf(sheets);
  std::vector<double> ours, floor;
  QElapsedTimer timer;
  for (int i = 0; i < runs; ++i) {
    timer.start();
    const QByteArray a = pdfCommand(record);
    ours.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    timer.start();
    const QByteArray b = floorPdf(sheets);
    floor.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    if (a.isEmpty() || b.isEmpty()) return 1;
  }
  std::printf("sheets:              %zu\n", sheets.size());
  std::printf("velmora-cli pdf:     %.1f ms (median of %d)\n", median(ours), runs);
  std::printf("floor (draw only):   %.1f ms\n", median(floor));
  std::printf("ratio:               %.2f\n", median(ours) / median(floor));
  return 0;
}
