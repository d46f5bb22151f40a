#include "app/preview/pdf_pages.h"

namespace velmora::preview {

bool canShowPdf() { return false; }

std::unique_ptr<PdfPages> loadPdfPages(const QByteArray&) { return nullptr; }

}  // namespace velmora::preview
