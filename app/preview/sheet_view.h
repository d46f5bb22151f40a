#pragma once
// The sheets of the preview, drawn at the zoom chosen, one below the other.
#include <QMarginsF>
#include <QPageSize>
#include <QWidget>
#include <memory>
#include <vector>

#include "app/preview/pdf_pages.h"
#include "report/sheet.h"

namespace velmora::preview {

// Pixels between sheets and around them.
inline constexpr int kSheetGap = 16;

// The pages shown: generated sheets, or the pages of an opened PDF file.
class SheetView : public QWidget {
 public:
  explicit SheetView(QWidget* parent);
  void setSheets(std::vector<report::Sheet> sheets);
  void setPdf(std::unique_ptr<PdfPages> pages);
  // The paper the generated sheets are shown on (portrait); the sheets are
  // laid out from its top-left corner and what lies beyond its edges is
  // not shown, as it would not be printed.
  void setPaper(const QPageSize& paper);
  const QPageSize& paper() const { return paper_; }
  // What the printer leaves unprinted at the paper's edges (points): the
  // generated sheets show the rest, the printable area, as a thin dashed
  // rectangle. None: no rectangle.
  void setUnprintable(const QMarginsF& margins);
  const QMarginsF& unprintable() const { return unprintable_; }
  // The printable area of sheet `i` as drawn, in the view's pixels; empty
  // when none is shown (no margins, or a PDF file's page).
  QRect printableRect(int i) const;
  int count() const;
  QSizeF pageInches(int i) const;
  void setZoom(double zoom);  // 1.0 = actual size on the screen
  double zoom() const { return zoom_; }
  QRect pageRect(int i) const;
  // Sheets drawn by the last paint (only those in view are drawn).
  const std::vector<int>& lastPainted() const { return painted_; }
  const std::vector<report::Sheet>& sheets() const { return sheets_; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  void relayout();
  double pixelsPerInch() const;
  std::vector<report::Sheet> sheets_;
  std::unique_ptr<PdfPages> pdf_;
  QPageSize paper_{QPageSize::A4};
  QMarginsF unprintable_;
  double zoom_ = 1.0;
  std::vector<int> painted_;
};

}  // namespace velmora::preview
