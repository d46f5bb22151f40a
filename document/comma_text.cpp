#include "document/comma_text.h"

namespace velmora {
namespace {

// Text is UTF-8: every byte of a multi-byte character is 0x80 or above, so a
// byte-wise scan never mistakes part of a Chinese character for a separator.
bool isBlankOrControl(unsigned char c) { return c >= 1 && c <= 32; }

bool needsQuotes(std::string_view item) {
  for (unsigned char c : item)
    if (c <= 32 || c == '"' || c == ',') return true;
  return false;
}

}  // namespace

std::string writeCommaText(const std::vector<std::string>& items) {
  if (items.empty()) return {};
  if (items.size() == 1 && items[0].empty()) return "\"\"";
  std::string out;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i) out += ',';
    const std::string& item = items[i];
    if (!needsQuotes(item)) {
      out += item;
      continue;
    }
    out += '"';
    for (char c : item) {
      if (c == '"') out += '"';
      out += c;
    }
    out += '"';
  }
  return out;
}

std::vector<std::string> readCommaText(std::string_view t, std::size_t maxItems) {
  std::vector<std::string> items;
  std::size_t p = 0;
  const std::size_t n = t.size();
  auto skipBlanks = [&] {
    while (p < n && isBlankOrControl(static_cast<unsigned char>(t[p]))) ++p;
  };
  skipBlanks();
  while (p < n && items.size() < maxItems) {
    std::string item;
    if (t[p] == '"') {
      ++p;
      // Up to the next quote that is not doubled; an unterminated item runs
      // to the end of the text.
      while (p < n) {
        if (t[p] == '"') {
          if (p + 1 < n && t[p + 1] == '"') {
            item += '"';
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        item += t[p++];
      }
    } else {
      std::size_t start = p;
      while (p < n && t[p] != ',' && !isBlankOrControl(static_cast<unsigned char>(t[p]))) ++p;
      item.assign(t.substr(start, p - start));
    }
    items.push_back(std::move(item));
    skipBlanks();
    if (p < n && t[p] == ',') {
      if (p == n - 1 && items.size() < maxItems) items.emplace_back();
      ++p;
      skipBlanks();
    }
  }
  return items;
}

}  // namespace velmora
