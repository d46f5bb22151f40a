#pragma once
// Amounts in yuan as the budget table holds them, and the budget total's text.
#include <optional>
#include <string>
#include <string_view>

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

}  // namespace velmora
