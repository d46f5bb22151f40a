#include "format/xml_code_units.h"

#include <cstdint>

namespace velmora {

CodeUnits codeUnitsOf(std::string_view bytes) {
  using namespace std::string_view_literals;
  auto startsWith = [&](std::string_view p) { return bytes.substr(0, p.size()) == p; };
  // libxml2 knows UCS-4 by its first "<" only; "\xFF\xFE\0\0" is UTF-16
  // to it, starting with a NUL.
  if (startsWith("\0\0\0<"sv)) return {4, true, 0};
  if (startsWith("<\0\0\0"sv)) return {4, false, 0};
  if (startsWith("\xFE\xFF")) return {2, true, 2};
  if (startsWith("\xFF\xFE")) return {2, false, 2};
  if (startsWith("\0<\0?"sv)) return {2, true, 0};
  if (startsWith("<\0?\0"sv)) return {2, false, 0};
  if (startsWith("\xEF\xBB\xBF")) return {1, false, 3};
  return {};
}

std::string narrowedUnits(std::string_view bytes, const CodeUnits& units, char other) {
  const std::size_t unit = units.width;
  std::string out;
  out.reserve(bytes.size() / unit);
  for (std::size_t i = 0; i + unit <= bytes.size(); i += unit) {
    std::uint32_t value = 0;
    for (std::size_t b = 0; b < unit; ++b) {
      const auto byte = static_cast<unsigned char>(bytes[i + (units.bigEndian ? b : unit - 1 - b)]);
      value = (value << 8) | byte;
    }
    out.push_back(value < 0x80 ? static_cast<char>(value) : other);
  }
  return out;
}

std::string markupAfterMark(std::string_view bytes) {
  const CodeUnits units = codeUnitsOf(bytes);
  bytes.remove_prefix(units.markLength);
  return units.width == 1 ? std::string(bytes) : narrowedUnits(bytes, units, 'x');
}

}  // namespace velmora
