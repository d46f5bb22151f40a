#include <poppler-qt6.h>

#include "app/preview/pdf_pages.h"

namespace velmora::preview {
namespace {

class PopplerPages : public PdfPages {
 public:
  explicit PopplerPages(std::unique_ptr<Poppler::Document> doc) : doc_(std::move(doc)) {
    doc_->setRenderHint(Poppler::Document::Antialiasing);
    doc_->setRenderHint(Poppler::Document::TextAntialiasing);
  }
  int count() const override { return doc_->numPages(); }
  QSizeF pageInches(int i) const override {
    const std::unique_ptr<Poppler::Page> page = doc_->page(i);
    return page ? page->pageSizeF() / 72.0 : QSizeF(8.27, 11.69);
  }
  QImage render(int i, double dpi) const override {
    const std::unique_ptr<Poppler::Page> page = doc_->page(i);
    return page ? page->renderToImage(dpi, dpi) : QImage();
  }

 private:
  std::unique_ptr<Poppler::Document> doc_;
};

}  // namespace

bool canShowPdf() { return true; }

std::unique_ptr<PdfPages> loadPdfPages(const QByteArray& bytes) {
  std::unique_ptr<Poppler::Document> doc = Poppler::Document::loadFromData(bytes);
  if (!doc || doc->isLocked() || doc->numPages() == 0) return nullptr;
  return std::make_unique<PopplerPages>(std::move(doc));
}

}  // namespace velmora::preview
