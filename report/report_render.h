#pragma once
// Turning a filled working copy into sheets: the sheet sequence, continuation
// of texts that run over, flow areas, cut cells, page numbers and copies.
#include <QString>
#include <functional>
#include <vector>

#include "report/report_model.h"
#include "report/sheet.h"

namespace velmora::report {

// Line pitch and baseline of texts, in font sizes: one line per 1.1 font
// heights keeps every text inside the boxes of the layout.
inline constexpr double kLinePitch = 1.1;
inline constexpr double kBaseline = 0.88;

// The most sheets one page of the layout runs to. The longest texts the
// window lets an applicant type (a long text of nothing but line breaks)
// need fewer than half of them; more would only be a document made to be
// unprintable, and cost minutes and gigabytes to lay out.
inline constexpr int kMaxSheetsPerPage = 300;

// Generates every sheet of the printed sequence, from the report's first page
// along the next-page chain; a page is rendered again while one of its uncut
// texts is unfinished. `onSheet` is told the absolute number of each sheet as
// it is generated. A text that would run past kMaxSheetsPerPage sheets is
// never cut: nothing is returned and `error` says which text it is.
std::vector<Sheet> generateSheets(const Report& report, const std::function<void(int)>& onSheet = {},
                                  QString* error = nullptr);

}  // namespace velmora::report
