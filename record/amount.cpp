#include "record/amount.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <iterator>

namespace velmora {

std::optional<double> parseAmount(std::string_view t) {
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  std::size_t p = 0;
  auto digits = [&] {
    std::size_t start = p;
    while (p < t.size() && t[p] >= '0' && t[p] <= '9') ++p;
    return p - start;
  };
  if (p < t.size() && (t[p] == '+' || t[p] == '-')) ++p;
  std::size_t mantissaDigits = digits();
  bool point = p < t.size() && t[p] == '.';
  if (point) {
    ++p;
    mantissaDigits += digits();
  }
  if (mantissaDigits == 0 && !point) return std::nullopt;
  if (p < t.size() && (t[p] == 'e' || t[p] == 'E')) {
    ++p;
    if (p < t.size() && (t[p] == '+' || t[p] == '-')) ++p;
    if (digits() == 0) return std::nullopt;
  }
  if (p != t.size()) return std::nullopt;
  if (mantissaDigits == 0) return 0.0;  // "." alone
  // from_chars, unlike strtod, ignores the process locale's decimal point.
  bool negative = t.front() == '-';
  if (t.front() == '+' || t.front() == '-') t.remove_prefix(1);
  std::string s(t);
  if (s.front() == '.') s.insert(s.begin(), '0');
  if (s.back() == '.') s.push_back('0');
  double v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return negative ? -v : v;
}

std::string formatAmount(double value) {
  if (value == 0.0) return "0";
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  // Scientific form with 14 digits after the point: the 15 significant digits,
  // correctly rounded, and the decimal exponent; independent of the locale.
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
  std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));
  std::string digits;
  digits += sci[0];
  digits.append(sci.substr(2, 14));
  int exponent = std::atoi(std::string(sci.substr(sci.find('e') + 1)).c_str());
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = value < 0 ? "-" : "";
  if (exponent >= 15 || exponent < -5) {
    out += digits[0];
    if (digits.size() > 1) out += "." + digits.substr(1);
    out += "E" + std::to_string(exponent);
    return out;
  }
  if (exponent >= 0) {
    std::string intPart = digits.substr(0, std::min<std::size_t>(digits.size(), exponent + 1));
    intPart.append(exponent + 1 - intPart.size(), '0');
    out += intPart;
    if (digits.size() > static_cast<std::size_t>(exponent) + 1) out += "." + digits.substr(exponent + 1);
    return out;
  }
  out += "0." + std::string(-exponent - 1, '0') + digits;
  return out;
}

std::string notAFloatMessage(std::string_view text) {
  return "'" + std::string(text) + "' is not a valid floating point value";
}

BudgetTotal budgetTotal(const Record& record, Field first) {
  // The edited table first, then the other: the order of the additions is
  // part of the result in floating point.
  const Field other = first == Field::OutlayGrid ? Field::OutlayGrid2 : Field::OutlayGrid;
  double total = 0.0;
  for (Field t : {first, other}) {
    const int amountColumn = fieldDef(t).table.amountColumn;
    for (const Row& row : record.rows(t)) {
      const std::string& cell = row[static_cast<std::size_t>(amountColumn)];
      if (cell.empty()) continue;
      const auto amount = parseAmount(cell);
      if (!amount) return {std::nullopt, notAFloatMessage(cell)};
      total += *amount;
    }
  }
  // Amounts too large for a number: "INF" would be saved and counted as filled.
  if (!std::isfinite(total)) return {std::nullopt, std::string(kFloatingPointOverflow)};
  return {formatAmount(total), {}};
}

std::optional<std::string_view> classOutlay(int projectClassItem) {
  static constexpr std::string_view kOutlay[] = {"12", "10", "3", "2"};
  if (projectClassItem < 0 || projectClassItem >= static_cast<int>(std::size(kOutlay))) return std::nullopt;
  return kOutlay[projectClassItem];
}

}  // namespace velmora
