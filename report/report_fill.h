#pragma once
// Filling a working copy of the report from the application record: the
// formal or informal marks, then every printed field and table cell.
#include "record/record.h"
#include "report/report_model.h"

namespace velmora::report {

// Sets the marks (formal: watermark and banner shown, informal mark hidden;
// otherwise the reverse) and the text of every item that bears a field's name.
// Every item receives its text, an empty one when the field is empty.
void fillReport(Report& report, const Record& record, bool formal);

// A fresh working copy of the stored layout, filled.
Report filledReport(const Record& record, bool formal);

}  // namespace velmora::report
