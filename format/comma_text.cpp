#include "format/comma_text.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace velmora {
namespace {

// Text is UTF-8: every byte of a multi-byte character is 0x80 or above, so a
// byte-wise scan never mistakes part of a Chinese character for a separator.
bool isBlankOrControl(unsigned char c) { return c >= 1 && c <= 32; }

// An unquoted item ends at a comma or at what isBlankOrControl takes. A
// table: opening a document scans every byte of its long texts this way.
constexpr std::array<bool, 256> kEndsUnquotedItem = [] {
  std::array<bool, 256> ends{};
  for (int c = 1; c <= 32; ++c) ends[c] = true;
  ends[','] = true;
  return ends;
}();
bool endsUnquotedItem(unsigned char c) { return kEndsUnquotedItem[c]; }

// Whether any of eight bytes may end an unquoted item: one below 33 or a
// comma. Exact for "none", which lets a scan skip eight bytes at a time.
bool mayEndUnquotedItem(std::uint64_t eight) {
  constexpr std::uint64_t ones = 0x0101010101010101, highs = 0x8080808080808080;
  const std::uint64_t commas = eight ^ (ones * ',');
  return (((eight - ones * 33) & ~eight) | ((commas - ones) & ~commas)) & highs;
}

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

namespace {

// The one reading of comma text, for both readCommaText and
// countCommaTextItems: `sink` takes each item as it is found, an unquoted one
// as it stands, a quoted one as the text between its quotes (doubled quotes
// still doubled).
template <typename Sink>
void scanCommaText(std::string_view t, std::size_t maxItems, Sink& sink) {
  std::size_t p = 0;
  const std::size_t n = t.size();
  auto skipBlanks = [&] {
    while (p < n && isBlankOrControl(static_cast<unsigned char>(t[p]))) ++p;
  };
  skipBlanks();
  while (p < n && sink.count() < maxItems) {
    if (t[p] == '"') {
      ++p;
      // Up to the next quote that is not doubled; an unterminated item runs
      // to the end of the text.
      const std::size_t start = p;
      std::size_t end = n;
      while (p < n) {
        const void* quote = std::memchr(t.data() + p, '"', n - p);
        if (!quote) {
          p = n;
          break;
        }
        p = static_cast<std::size_t>(static_cast<const char*>(quote) - t.data());
        if (p + 1 < n && t[p + 1] == '"') {
          p += 2;
          continue;
        }
        end = p++;
        break;
      }
      sink.quoted(t.substr(start, end - start));
    } else {
      std::size_t start = p;
      for (std::uint64_t eight; p + 8 <= n; p += 8) {
        std::memcpy(&eight, t.data() + p, 8);
        if (mayEndUnquotedItem(eight)) break;
      }
      while (p < n && !endsUnquotedItem(static_cast<unsigned char>(t[p]))) ++p;
      sink.unquoted(t.substr(start, p - start));
    }
    skipBlanks();
    if (p < n && t[p] == ',') {
      if (p == n - 1 && sink.count() < maxItems) sink.unquoted({});
      ++p;
      skipBlanks();
    }
  }
}

struct ItemCollector {
  std::vector<std::string> items;
  std::size_t count() const { return items.size(); }
  void unquoted(std::string_view item) { items.emplace_back(item); }
  void quoted(std::string_view body) {
    std::string& item = items.emplace_back();
    item.reserve(body.size());
    for (std::size_t q; (q = body.find('"')) != std::string_view::npos; body.remove_prefix(q + 2))
      item.append(body.substr(0, q + 1));  // one quote of each doubled pair
    item.append(body);
  }
};

struct ItemCounter {
  std::size_t items = 0;
  std::size_t count() const { return items; }
  void unquoted(std::string_view) { ++items; }
  void quoted(std::string_view) { ++items; }
};

}  // namespace

std::vector<std::string> readCommaText(std::string_view t, std::size_t maxItems) {
  ItemCollector collector;
  scanCommaText(t, maxItems, collector);
  return std::move(collector.items);
}

std::size_t countCommaTextItems(std::string_view t, std::size_t maxItems) {
  ItemCounter counter;
  scanCommaText(t, maxItems, counter);
  return counter.items;
}

}  // namespace velmora
