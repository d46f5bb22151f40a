#pragma once
// Writing sheets as a PDF file: fonts embedded as subsets, text that copies
// out as the characters that were printed.
#include <QByteArray>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPointF>
#include <QString>
#include <functional>
#include <vector>

#include "report/sheet.h"

namespace velmora::report {

// Where each sheet lies on the paper: scaled uniformly by `scale` about its
// top-left corner, which is then put at `offset` (inches from the paper's
// top-left corner). The default is the sheet unscaled from the corner, as
// it was laid out; a smaller scale fits it into what a printer can print.
struct Placement {
  double scale = 1.0;
  QPointF offset;
  bool operator==(const Placement&) const = default;
};

// Draws the sheets one page each on `device` through `painter` (begun on
// it), as `placement` puts them; `onSheet` is told each sheet's index before
// it is drawn. The device's logical resolution converts inches to its
// units. False when the device refused a new page.
bool drawSheets(QPagedPaintDevice& device, QPainter& painter, const std::vector<Sheet>& sheets,
                const Placement& placement, const std::function<void(std::size_t)>& onSheet = {});

// The PDF of the sheets, one page each, on paper of `pageSize` (portrait),
// each sheet drawn as `placement` puts it.
QByteArray pdfBytes(const std::vector<Sheet>& sheets, const QPageSize& pageSize = QPageSize(QPageSize::A4),
                    const Placement& placement = {});

// Writes the PDF to `path` (replacing it only when complete); false with a
// reason in `error` when the file cannot be written.
bool writePdf(const std::vector<Sheet>& sheets, const QString& path, QString* error,
              const QPageSize& pageSize = QPageSize(QPageSize::A4), const Placement& placement = {});

// Qt's PDF output derives each glyph's character from the font's character
// map, taking the lowest code point that maps to the glyph. The Chinese faces
// share the glyphs of many ideographs with the Kangxi radicals and the CJK
// radical supplement, which lie lower, so 文 would copy out as ⽂. This
// rewrites the character maps of a PDF (compressed or not) to the unified
// ideographs and gives the subset fonts their subset tags; `rewritten` counts
// the maps and font names it changed. A file it cannot read is returned
// unchanged.
QByteArray restoreIdeographs(const QByteArray& pdf, int* rewritten = nullptr);

// The unified ideograph a radical stands for in the program's Chinese faces
// (the code point itself when it is no radical or has none).
char32_t unifiedIdeograph(char32_t radical);

}  // namespace velmora::report
