#include "app/preview/sheet_view.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace velmora::preview {
namespace {

constexpr double kMinZoom = 0.1, kMaxZoom = 8.0;

}  // namespace

SheetView::SheetView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAutoFillBackground(false);
}

void SheetView::setSheets(std::vector<report::Sheet> sheets) {
  sheets_ = std::move(sheets);
  pdf_.reset();
  relayout();
}

void SheetView::setPdf(std::unique_ptr<PdfPages> pages) {
  pdf_ = std::move(pages);
  sheets_.clear();
  relayout();
}

void SheetView::setPaper(const QPageSize& paper) {
  paper_ = paper;
  relayout();
}

void SheetView::setUnprintable(const QMarginsF& margins) {
  unprintable_ = margins;
  update();
}

QRect SheetView::printableRect(int i) const {
  if (pdf_ || unprintable_.isNull() || i < 0 || i >= count()) return {};
  const QRect sheet = pageRect(i);
  const double px = pixelsPerInch() / 72.0;
  return QRectF(QPointF(sheet.left() + unprintable_.left() * px, sheet.top() + unprintable_.top() * px),
                QPointF(sheet.left() + sheet.width() - unprintable_.right() * px,
                        sheet.top() + sheet.height() - unprintable_.bottom() * px))
      .toRect();
}

int SheetView::count() const { return pdf_ ? pdf_->count() : static_cast<int>(sheets_.size()); }

QSizeF SheetView::pageInches(int i) const {
  if (pdf_) return pdf_->pageInches(i);
  // Millimetres are exact for A4 and Letter alike; Qt rounds inches to 0.01.
  return paper_.size(QPageSize::Millimeter) / 25.4;
}

// 100 per cent shows a sheet at its size on paper.
double SheetView::pixelsPerInch() const { return logicalDpiX() * zoom_; }

void SheetView::setZoom(double zoom) {
  zoom_ = std::clamp(zoom, kMinZoom, kMaxZoom);
  relayout();
}

QRect SheetView::pageRect(int i) const {
  int y = kSheetGap;
  int widest = 0;
  for (int k = 0; k < count(); ++k)
    widest = std::max(widest, static_cast<int>(pageInches(k).width() * pixelsPerInch()));
  for (int k = 0; k < count(); ++k) {
    const QSizeF in = pageInches(k);
    const QSize px(static_cast<int>(in.width() * pixelsPerInch()), static_cast<int>(in.height() * pixelsPerInch()));
    if (k == i) return QRect(QPoint(kSheetGap + (widest - px.width()) / 2, y), px);
    y += px.height() + kSheetGap;
  }
  return {};
}

void SheetView::relayout() {
  const QRect lastRect = count() ? pageRect(count() - 1) : QRect();
  int widest = 0;
  for (int k = 0; k < count(); ++k) widest = std::max(widest, pageRect(k).width());
  resize(widest + 2 * kSheetGap, lastRect.bottom() + kSheetGap);
  update();
}

void SheetView::paintEvent(QPaintEvent* e) {
  QPainter p(this);
  p.fillRect(e->rect(), QColor(128, 128, 128));
  painted_.clear();
  for (int i = 0; i < count(); ++i) {
    const QRect r = pageRect(i);
    if (!r.intersects(e->rect())) continue;  // only the sheets in view are drawn
    painted_.push_back(i);
    p.fillRect(r, Qt::white);
    if (pdf_) {
      QImage img = pdf_->render(i, pixelsPerInch() * devicePixelRatioF());
      img.setDevicePixelRatio(devicePixelRatioF());
      p.drawImage(r.topLeft(), img);
    } else {
      p.save();
      p.translate(r.topLeft());
      p.setClipRect(QRect(QPoint(0, 0), r.size()));
      report::drawSheet(p, sheets_[static_cast<std::size_t>(i)], pixelsPerInch() / report::kLayoutDpi);
      p.restore();
      if (const QRect area = printableRect(i); !area.isEmpty()) {
        // Thin and light, so that it is seen without being taken for a
        // line of the form.
        p.save();
        p.setPen(QPen(QColor(90, 140, 210), 0, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(area.adjusted(0, 0, -1, -1));
        p.restore();
      }
    }
  }
}

}  // namespace velmora::preview
