#pragma once
// A small JSON reader for the records velmora-cli imports: objects keep their
// key order, numbers are kept as their source text.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

struct JsonMember;

struct JsonValue {
  enum class Type { Null, Bool, Number, String, Array, Object };
  Type type = Type::Null;
  bool boolean = false;
  std::string text;  // String: the UTF-8 text; Number: the source text
  std::vector<JsonValue> items;                             // Array
  std::vector<JsonMember> members;                          // Object, in source order
};

// A key with its value. Not a std::pair: a pair may not hold the still
// incomplete JsonValue inside JsonValue itself (clang's standard library
// checks refuse it).
struct JsonMember {
  std::string first;
  JsonValue second;
};

struct JsonError {
  std::string message;
  std::size_t offset = 0;
};

// Parses a complete JSON text; nesting deeper than 64 levels is refused.
std::optional<JsonValue> parseJson(std::string_view text, JsonError& error);

}  // namespace velmora
