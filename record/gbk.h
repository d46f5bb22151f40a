#pragma once
// Text is UTF-8 everywhere inside the program; GBK (code page 936) matters only
// at the file boundary and for the byte limits of the fields, which count GBK bytes.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// Bytes the text takes in GBK: 1 for ASCII (and the euro sign, 0x80 in code page 936),
// 2 for every other character. Only meaningful for text that canEncodeGbk accepts.
std::size_t gbkByteLength(std::string_view utf8);

// True when every character of the UTF-8 text has a GBK encoding.
bool canEncodeGbk(std::string_view utf8);

// Replaces every character GBK cannot hold (and any invalid UTF-8 byte) by '?'.
std::string toGbkRepresentable(std::string_view utf8);

// Conversions at the file boundary; nullopt when a character cannot be converted.
std::optional<std::string> utf8ToGbk(std::string_view utf8);
std::optional<std::string> gbkToUtf8(std::string_view gbk);

// Decodes one UTF-8 code point starting at text[pos]; advances pos. Returns
// U+FFFD and advances one byte on malformed input.
char32_t nextCodePoint(std::string_view text, std::size_t& pos);

// The first n characters of a UTF-8 text.
std::string firstCharacters(std::string_view utf8, std::size_t n);

}  // namespace velmora
