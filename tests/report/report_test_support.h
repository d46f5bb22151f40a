#pragma once
// Helpers of the report tests: records from the fixtures, sheets and PDF of a
// record, and the text of a PDF read back with poppler.
#include <QByteArray>
#include <QRectF>
#include <QString>
#include <optional>
#include <vector>

#include "document/form_state.h"
#include "report/sheet.h"

namespace velmora::test {

// The state after opening a fixture document as the window would.
FormState openedFixture(const std::string& name);

std::vector<report::Sheet> sheetsOf(const Record& record, bool formal);
QByteArray pdfOf(const Record& record, bool formal);

// The text of one PDF page as poppler extracts it: every character (NFKC,
// blanks left out) with its box in inches from the page's top-left corner.
struct PageText {
  QString chars;
  std::vector<QRectF> boxes;
  // The box of the first character of `text` (blanks ignored), if present.
  std::optional<QRectF> find(QStringView text, qsizetype from = 0) const;
  bool contains(QStringView text) const { return find(text).has_value(); }
};
std::vector<PageText> pdfText(const QByteArray& pdf);

// The absolute sheet number each page of a PDF of sample.xdx's eleven
// sheets shows: 1 the cover, 2 the commitment, then the printed page number
// plus one; 0 for a page that shows none of them.
std::vector<int> sheetNumbers(const QByteArray& pdf);

// Lines of a long text, "第1行……" to "第N行……", each short enough for one line.
std::vector<std::string> numberedLines(int count);

}  // namespace velmora::test
