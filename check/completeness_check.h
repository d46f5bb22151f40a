#pragma once
// The completeness check: the ordered rules that list every missing or
// malformed item. Each line starts with its page number "01".."11" and "、".
#include <string>
#include <vector>

#include "record/record.h"

namespace velmora {

std::vector<std::string> completenessProblems(const Record& record);

// The page a problem line leads to (1..11), read from its first two characters;
// 0 when the line does not start with a page number.
int problemPage(std::string_view line);

}  // namespace velmora
