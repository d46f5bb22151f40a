#pragma once
// A small JSON reader for the records velmora-cli imports: objects keep their
// key order, numbers are kept as their source text.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora {

struct JsonValue {
  enum class Type { Null, Bool, Number, String, Array, Object };
  Type type = Type::Null;
  bool boolean = false;
  std::string text;  // String: the UTF-8 text; Number: the source text
  std::vector<JsonValue> items;                             // Array
  std::vector<std::pair<std::string, JsonValue>> members;  // Object, in source order
};

struct JsonError {
  std::string message;
  std::size_t offset = 0;
};

// Parses a complete JSON text; nesting deeper than 64 levels is refused.
std::optional<JsonValue> parseJson(std::string_view text, JsonError& error);

}  // namespace velmora
