#pragma once
// Writing sheets as a PDF file: fonts embedded as subsets, text that copies
// out as the characters that were printed.
#include <QByteArray>
#include <QPageSize>
#include <QString>
#include <vector>

#include "report/sheet.h"

namespace velmora::report {

// The PDF of the sheets, one page each, on paper of `pageSize` (portrait),
// drawn unscaled from the top-left corner.
QByteArray pdfBytes(const std::vector<Sheet>& sheets, const QPageSize& pageSize = QPageSize(QPageSize::A4));

// Writes the PDF to `path` (replacing it only when complete); false with a
// reason in `error` when the file cannot be written.
bool writePdf(const std::vector<Sheet>& sheets, const QString& path, QString* error,
              const QPageSize& pageSize = QPageSize(QPageSize::A4));

// Qt's PDF output derives each glyph's character from the font's character
// map, taking the lowest code point that maps to the glyph. The Chinese faces
// share the glyphs of many ideographs with the Kangxi radicals and the CJK
// radical supplement, which lie lower, so 文 would copy out as ⽂. This
// rewrites the character maps of a PDF to the unified ideographs, gives the
// subset fonts their subset tags, and rebuilds the cross-reference table.
// A file it does not understand is returned unchanged.
QByteArray restoreIdeographs(const QByteArray& pdf);

// The unified ideograph a radical stands for in the program's Chinese faces
// (the code point itself when it is no radical or has none).
char32_t unifiedIdeograph(char32_t radical);

}  // namespace velmora::report
