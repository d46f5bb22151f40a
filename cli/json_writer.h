#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace velmora::cli {

// A JSON string literal for UTF-8 text.
std::string jsonString(std::string_view text);
// A JSON array of strings.
std::string jsonStringArray(const std::vector<std::string>& items);

}  // namespace velmora::cli
