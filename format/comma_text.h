#pragma once
// Comma text: the one encoding of a list of texts (a table row, the lines of a
// long text, the problem list) as a single text inside a document.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

std::string writeCommaText(const std::vector<std::string>& items);
// The items of `text`; with `maxItems` no more than that many are read, so
// that a row of a million commas costs a table no more than its columns.
std::vector<std::string> readCommaText(std::string_view text, std::size_t maxItems = SIZE_MAX);
// How many items readCommaText reads (no more than `maxItems`), without
// making them: a document's long texts are counted before they are read.
std::size_t countCommaTextItems(std::string_view text, std::size_t maxItems = SIZE_MAX);

}  // namespace velmora
