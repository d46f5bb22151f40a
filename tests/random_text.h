#pragma once
// Random text for the round-trip property tests: Chinese and Latin words,
// the characters XML and comma text treat specially, every kind of line
// break, control characters and NUL, characters GBK cannot hold, and long
// unbroken runs. A fixed seed gives the same texts on every run.
#include <cstdint>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

#include "record/fields.h"

namespace velmora::test {

class RandomText {
 public:
  explicit RandomText(std::uint32_t seed) : rng_(seed) {}

  int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

  // Up to `maxPieces` pieces, UTF-8.
  std::string text(int maxPieces) {
    static const char* const pieces[] = {
        "课题",   "教育科学", "研究", "a",    "Z",    "9",    " ",        "  ",           ",",
        "\"",     "'",        "&",    "<",    ">",    "]]>",  "\t",       "\n",           "\r",
        "\r\n",   "\n\n",     "\x01", "\x08", "\x0B", "\x0C", "\x1F",     "\x7F",         "😀",
        "한국어", "€",        "·",    "―",    "〇",   "ｘ",   "\xC2\xA0", "\xE2\x80\xA8", "\xEF\xBB\xBF",
        "-",      "."};
    constexpr int kPieces = static_cast<int>(std::size(pieces));
    std::string out;
    for (int i = below(maxPieces + 1); i > 0; --i) {
      const int pick = below(kPieces + 2);
      if (pick == kPieces)
        out += std::string(static_cast<std::size_t>(below(300)), 'x');  // a long unbroken run
      else if (pick == kPieces + 1)
        out.push_back('\0');
      else
        out += pieces[pick];
    }
    return out;
  }

  // Between `minLength` and `maxLength` characters the rule allows (ASCII
  // rules only), each drawn from the rule's characters.
  std::string allowed(Allowed rule, int maxLength, int minLength = 0) {
    std::string set;
    for (char c = ' '; c < 0x7F; ++c)
      if (isAllowed(rule, static_cast<char32_t>(c))) set.push_back(c);
    std::string out;
    const int length = minLength == maxLength ? maxLength : minLength + below(maxLength - minLength + 1);
    for (int i = 0; i < length; ++i) out.push_back(set[static_cast<std::size_t>(below(static_cast<int>(set.size())))]);
    return out;
  }

 private:
  std::mt19937 rng_;
};

}  // namespace velmora::test
