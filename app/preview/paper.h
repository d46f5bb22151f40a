#pragma once
// Which paper the preview shows and printing starts from, and where on it a
// printer can print.
#include <QLocale>
#include <QMarginsF>
#include <QPageSize>
#include <QString>

#include "report/report_pdf.h"

namespace velmora::preview {

// The paper of a system without a printer: Letter where the locale measures
// in US units, A4 everywhere else.
QPageSize paperForLocale(const QLocale& locale);

// The paper the preview shows and that printing and saving start from: the
// default printer's default paper, else the system locale's.
QPageSize defaultPaper();

// What `printer` leaves unprinted at the edges of `paper` (its imageable
// area, from its driver), in points; none for a printer the print system
// does not know (or an empty name: a file).
QMarginsF unprintableMargins(const QString& printer, const QPageSize& paper);

// The placement that fits a sheet of `paper` whole into what remains inside
// `margins` (points), scaled uniformly and centred there; unscaled from the
// corner when there are no margins.
report::Placement fitPlacement(const QPageSize& paper, const QMarginsF& margins);

}  // namespace velmora::preview
