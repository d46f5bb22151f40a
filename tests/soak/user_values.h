#pragma once
// What the window lets a user put into the record. Typing, pasting, picking
// and the program's own reactions can only ever leave values of this shape;
// the soak holds the record to it after every step.
#include <optional>
#include <string>
#include <vector>

#include "record/record.h"

namespace velmora::soak {

struct IllegalValue {
  std::string where;  // element name, "[row][column]" added for a cell
  std::string reason;
  std::string value;  // the offending value, shortened and escaped for a terminal

  std::string describe() const { return where + ": " + reason + ": " + value; }
};

// Every value of `now` that no user could have entered. With a `baseline`
// (the record as the last opened document left it), values equal to the
// baseline's are not examined: a document may hold anything, only what the
// user's edits changed since is the window's doing.
std::vector<IllegalValue> illegalValues(const Record& now, const Record* baseline = nullptr);

// A text made readable in a report: at most `maxChars` characters, control
// characters and characters outside GBK as \u{...}, and its length.
std::string escapedForReport(const std::string& utf8, std::size_t maxChars = 60);

}  // namespace velmora::soak
