#pragma once
// Comma text: the one encoding of a list of texts (a table row, the lines of a
// long text, the problem list) as a single text inside a document.
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

std::string writeCommaText(const std::vector<std::string>& items);
std::vector<std::string> readCommaText(std::string_view text);

}  // namespace velmora
