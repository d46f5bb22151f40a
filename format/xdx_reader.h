#pragma once
// Reading an XDX document: the whole file is parsed and every element the
// record needs is validated before anything is handed out, so a broken
// document can never leave a half-loaded record behind.
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "record/fields.h"

namespace velmora {

struct DocumentContent {
  enum class Shape {
    EmptyRoot,     // the root has no child nodes: nothing is read
    WrongVersion,  // `ver` is missing or not the version tag: nothing else is read
    Complete
  };
  Shape shape = Shape::Complete;
  std::string version;  // text of `ver`
  std::string passby;   // text of `PASSBY`
  // Per field in catalogue order: the element's text (UTF-8, every character
  // representable in GBK) for value fields; empty for tables.
  std::vector<std::string> values;
  // Per field: for tables the text of each stored row element (empty when the
  // row element or the table element is missing).
  std::vector<std::vector<std::string>> rows;
};

struct ReadError {
  std::string message;  // as the error box shows it, before the closing full stop
  // For a document that is not well-formed: the parser's reason, the line
  // where it stopped (1 and up) and the start of that line, which `message`
  // joins over three lines. Line 0 for every other error.
  std::string reason;
  int line = 0;
  std::string excerpt;
  // For the single-text error: the element that holds something else.
  std::string element;
};

using ReadResult = std::variant<DocumentContent, ReadError>;

inline constexpr std::string_view kNotSingleTextMessage = "Element does not contain a single text node";
// Documents are a few hundred kilobytes at most; anything far larger is refused
// before it is read into memory.
inline constexpr std::size_t kMaxDocumentBytes = std::size_t{64} * 1024 * 1024;

ReadResult readXdxFile(const std::string& path);
ReadResult readXdxBytes(std::string_view bytes);

}  // namespace velmora
