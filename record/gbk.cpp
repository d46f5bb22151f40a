#include "record/gbk.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace velmora {
namespace {

// One converter per direction and thread: opening iconv descriptors is far more
// expensive than converting a field's text.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (!failed()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  std::optional<std::string> convert(std::string_view in) {
    if (failed()) return std::nullopt;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    out.resize(in.size() * 2 + 8);
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0) {
      std::size_t r = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
      if (r == static_cast<std::size_t>(-1)) {
        if (errno == E2BIG) {
          std::size_t used = out.size() - outLeft;
          out.resize(out.size() * 2);
          outPtr = out.data() + used;
          outLeft = out.size() - used;
          continue;
        }
        return std::nullopt;
      }
    }
    if (iconv(cd_, nullptr, nullptr, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
  }

 private:
  // iconv_open's failure is (iconv_t)-1: an integer made a pointer, which
  // only this comparison ever looks at.
  bool failed() const { return cd_ == reinterpret_cast<iconv_t>(-1); }  // NOLINT(performance-no-int-to-ptr)
  iconv_t cd_;
};

Converter& toGbk() {
  thread_local Converter c("GBK", "UTF-8");
  return c;
}
Converter& fromGbk() {
  thread_local Converter c("UTF-8", "GBK");
  return c;
}

bool isAscii(std::string_view s) {
  for (unsigned char ch : s)
    if (ch >= 0x80) return false;
  return true;
}

}  // namespace

char32_t nextCodePoint(std::string_view t, std::size_t& pos) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(t[i]); };
  unsigned char b0 = byte(pos);
  if (b0 < 0x80) {
    ++pos;
    return b0;
  }
  int extra = (b0 & 0xE0) == 0xC0 ? 1 : (b0 & 0xF0) == 0xE0 ? 2 : (b0 & 0xF8) == 0xF0 ? 3 : -1;
  if (extra < 0 || pos + static_cast<std::size_t>(extra) >= t.size()) {
    ++pos;
    return 0xFFFD;
  }
  char32_t cp = b0 & (0x3F >> extra);
  for (int i = 1; i <= extra; ++i) {
    unsigned char b = byte(pos + i);
    if ((b & 0xC0) != 0x80) {
      ++pos;
      return 0xFFFD;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++pos;
    return 0xFFFD;
  }
  pos += extra + 1;
  return cp;
}

std::size_t gbkByteLength(std::string_view utf8) {
  std::size_t bytes = 0;
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    char32_t cp = nextCodePoint(utf8, pos);
    bytes += (cp < 0x80 || cp == 0x20AC) ? 1 : 2;
  }
  return bytes;
}

bool canEncodeGbk(std::string_view utf8) {
  if (isAscii(utf8)) return true;
  return toGbk().convert(utf8).has_value();
}

std::string toGbkRepresentable(std::string_view utf8) {
  if (canEncodeGbk(utf8)) return std::string(utf8);
  std::string out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    std::size_t start = pos;
    char32_t cp = nextCodePoint(utf8, pos);
    std::string_view ch = utf8.substr(start, pos - start);
    if (cp < 0x80 || (cp != 0xFFFD && toGbk().convert(ch).has_value()))
      out.append(ch);
    else
      out.push_back('?');
  }
  return out;
}

std::optional<std::string> utf8ToGbk(std::string_view utf8) {
  if (isAscii(utf8)) return std::string(utf8);
  return toGbk().convert(utf8);
}

std::optional<std::string> gbkToUtf8(std::string_view gbk) {
  if (isAscii(gbk)) return std::string(gbk);
  return fromGbk().convert(gbk);
}

std::string firstCharacters(std::string_view utf8, std::size_t n) {
  std::size_t pos = 0;
  for (std::size_t i = 0; i < n && pos < utf8.size(); ++i) nextCodePoint(utf8, pos);
  return std::string(utf8.substr(0, pos));
}

}  // namespace velmora
