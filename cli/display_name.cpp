#include "cli/display_name.h"

#include <cstdio>

#include "format/file_system.h"
#include "record/gbk.h"

namespace velmora::cli {
namespace {

constexpr std::string_view kGbkMark = "〔GBK〕";

// A backslash is written \\, so that a name never reads as an escape. Not
// on Windows: there it separates folders, no name holds one, and messages
// quote paths, which must read as the user typed them.
#ifdef _WIN32
constexpr bool kBackslashEscaped = false;
#else
constexpr bool kBackslashEscaped = true;
#endif

// The length of the valid UTF-8 sequence at text[pos], 0 when there is none.
std::size_t utf8Length(std::string_view text, std::size_t pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  std::size_t length = lead < 0x80             ? 1
                       : (lead & 0xE0) == 0xC0 ? 2
                       : (lead & 0xF0) == 0xE0 ? 3
                       : (lead & 0xF8) == 0xF0 ? 4
                                               : 0;
  if (length == 0 || pos + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i)
    if ((byte(pos + i) & 0xC0) != 0x80) return 0;
  std::size_t at = pos;
  const char32_t cp = nextCodePoint(text, at);
  // Overlong forms, surrogates and code points beyond Unicode are no UTF-8.
  if (cp == 0xFFFD && text.substr(pos, length) != "\xEF\xBF\xBD") return 0;
  if (at != pos + length || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return 0;
  if ((length == 2 && cp < 0x80) || (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000)) return 0;
  return length;
}

bool isValidUtf8(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t length = utf8Length(text, pos);
    if (length == 0) return false;
    pos += length;
  }
  return true;
}

std::string escapedByte(unsigned char b) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "\\x%02X", b);
  return buf;
}

// One valid UTF-8 character as shown: control characters (C0, DEL, C1) and
// the characters the display itself uses are escaped.
void appendShown(std::string& out, std::string_view character) {
  std::size_t at = 0;
  const char32_t cp = nextCodePoint(character, at);
  if (cp < 0x20 || cp == 0x7F) {
    out += escapedByte(static_cast<unsigned char>(cp));
  } else if ((cp >= 0x80 && cp <= 0x9F) || cp == 0x3014 || cp == 0x2028 || cp == 0x2029) {
    char buf[12];
    std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(cp));
    out += buf;
  } else if (cp == U'\\' && kBackslashEscaped) {
    out += "\\\\";
  } else {
    out += character;
  }
}

// Valid characters shown, every other byte as \xNN; after `limit`
// characters the rest is "…".
std::string shownBytes(std::string_view text, std::size_t limit = std::string::npos) {
  std::string out;
  std::size_t characters = 0;
  for (std::size_t pos = 0; pos < text.size(); ++characters) {
    if (characters == limit) return out + "…";
    const std::size_t length = utf8Length(text, pos);
    if (length == 0) {
      out += escapedByte(static_cast<unsigned char>(text[pos++]));
    } else {
      appendShown(out, text.substr(pos, length));
      pos += length;
    }
  }
  return out;
}

std::string displayComponent(std::string_view component) {
  if (isValidUtf8(component)) return shownBytes(component);
  if (const auto decoded = gbkToUtf8(component); decoded && isValidUtf8(*decoded))
    return shownBytes(*decoded) + std::string(kGbkMark);
  return shownBytes(component);
}

}  // namespace

std::string displayPath(std::string_view path) {
  std::string out;
  std::size_t start = 0;
  for (;;) {
    // On Windows a backslash ends a folder's name, as a slash does, and is
    // shown as it is: it is no character of a name there.
    const std::size_t slash = path.find_first_of(kPathSeparators, start);
    out +=
        displayComponent(path.substr(start, slash == std::string_view::npos ? std::string_view::npos : slash - start));
    if (slash == std::string_view::npos) return out;
    out += path[slash];
    start = slash + 1;
  }
}

std::string hexBytes(std::string_view bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

std::string displayQuote(std::string_view text, std::size_t limit) { return shownBytes(text, limit); }

}  // namespace velmora::cli
