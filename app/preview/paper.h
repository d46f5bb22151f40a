#pragma once
// Which paper the preview shows and printing starts from.
#include <QLocale>
#include <QPageSize>

namespace velmora::preview {

// The paper of a system without a printer: Letter where the locale measures
// in US units, A4 everywhere else.
QPageSize paperForLocale(const QLocale& locale);

// The paper the preview shows and that printing and saving start from: the
// default printer's default paper, else the system locale's.
QPageSize defaultPaper();

}  // namespace velmora::preview
