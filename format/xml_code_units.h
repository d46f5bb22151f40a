#pragma once
// The code units of an XML document, told by its first bytes as the parser
// tells them: a byte-order mark, or the first "<" of a wide encoding. The
// reader, its error excerpts and the command line's look at a file's start
// all read a document's bytes through this.
#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

struct CodeUnits {
  std::size_t width = 1;  // 1 (UTF-8, GBK and the like), 2 (UTF-16) or 4 (UCS-4)
  bool bigEndian = false;
  std::size_t markLength = 0;  // the byte-order mark's bytes; 0 without one
};

CodeUnits codeUnitsOf(std::string_view bytes);

// One byte a code unit, ASCII as it is and any other unit as `other`, so
// that no half of a wide character reads as markup. A trailing part of a
// unit is dropped.
std::string narrowedUnits(std::string_view bytes, const CodeUnits& units, char other);

// What follows the byte-order mark, with the markup as ASCII in any encoding
// a document is written in: wide units narrowed (any other as "x"), narrow
// bytes as they are.
std::string markupAfterMark(std::string_view bytes);

}  // namespace velmora
