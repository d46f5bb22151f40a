#pragma once
// The pages of a PDF file opened in the preview, drawn by a PDF library.
// Builds without one (Windows: poppler is not built for it) cannot open a
// PDF file; the preview then does not offer to.
#include <QByteArray>
#include <QImage>
#include <QSizeF>
#include <memory>

namespace velmora::preview {

class PdfPages {
 public:
  virtual ~PdfPages() = default;
  virtual int count() const = 0;
  virtual QSizeF pageInches(int i) const = 0;
  // Page `i` at `dpi` dots per inch.
  virtual QImage render(int i, double dpi) const = 0;
};

// Whether this build can show a PDF file.
bool canShowPdf();

// The pages of `bytes`; none when they are no PDF the library reads, a
// locked one, one without pages, or when the build cannot show PDF files.
std::unique_ptr<PdfPages> loadPdfPages(const QByteArray& bytes);

}  // namespace velmora::preview
