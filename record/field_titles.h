#pragma once
// What a person calls each field and table column: the title the window's
// label and the printed form give it, for messages that name a field.
#include <string>
#include <string_view>

#include "record/fields.h"

namespace velmora {

// "课题名称", "主要参加者"; the element name's owner never shows it to a user.
std::string_view fieldTitle(Field f);

// A table column's heading, `column` from 0 ("工作单位"); empty for a
// column the table shows without one (the yearly budget's).
std::string_view columnTitle(Field table, int column);

// A cell as a message names it: "主要参加者第2行“工作单位”", rows and
// columns counted from 1 as printed ("年度预算第1行第3列" without a heading).
std::string cellTitle(Field table, int row, int column);

}  // namespace velmora
