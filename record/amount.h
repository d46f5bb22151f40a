#pragma once
// Amounts in yuan as the budget table holds them, and the budget total's text.
#include <optional>
#include <string>
#include <string_view>

#include "record/record.h"

namespace velmora {

// A decimal number with "." as the point: "500", "50.5", "50." and "." (zero)
// are numbers; leading and trailing blanks are allowed; anything else is not.
std::optional<double> parseAmount(std::string_view text);

// 15 significant digits, no trailing zeros, no point for whole numbers; exponent
// form ("1.5E20", "1E-6") beyond 15 integer digits or below 0.00001.
std::string formatAmount(double value);

// The error the budget total reports for a cell text that is no number.
std::string notAFloatMessage(std::string_view text);

// The error of a sum too large for a double.
inline constexpr std::string_view kFloatingPointOverflow = "Floating point overflow";

// The budget total of a record as the window computes it: the amounts of
// `first` (the table just edited), then those of the other amount table, an
// empty cell counting 0. Either the total's text or the error that stops it
// (a cell that is no number, a sum too large).
struct BudgetTotal {
  std::optional<std::string> text;
  std::string error;
};
BudgetTotal budgetTotal(const Record& record, Field first = Field::OutlayGrid);

// The amount (in ten thousand yuan) a project class fixes in ApplyOutlay:
// "12", "10", "3", "2" for its four items; nullopt for no class.
std::optional<std::string_view> classOutlay(int projectClassItem);

}  // namespace velmora
