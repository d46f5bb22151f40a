#include "record/gbk.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <cerrno>
#include <vector>

namespace velmora {
namespace {

#ifdef _WIN32
// Code page 936 as Windows itself reads and writes it: the table of every
// other program on the applicant's machine.
constexpr UINT kGbkCodePage = 936;

std::optional<std::wstring> toWide(UINT codePage, std::string_view in) {
  if (in.empty()) return std::wstring();
  const int size = static_cast<int>(in.size());
  const int n = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), size, nullptr, 0);
  if (n <= 0) return std::nullopt;
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), size, out.data(), n);
  return out;
}

// A character the code page lacks is an error, never a best-fit neighbour
// or a question mark.
std::optional<std::string> fromWide(UINT codePage, const std::wstring& in) {
  if (in.empty()) return std::string();
  const int size = static_cast<int>(in.size());
  BOOL usedDefault = FALSE;
  BOOL* lossy = codePage == CP_UTF8 ? nullptr : &usedDefault;
  const DWORD flags = codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  const int n = ::WideCharToMultiByte(codePage, flags, in.data(), size, nullptr, 0, nullptr, lossy);
  if (n <= 0 || usedDefault) return std::nullopt;
  std::string out(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(codePage, flags, in.data(), size, out.data(), n, nullptr, lossy);
  return out;
}

// Code page 936 also maps its user-defined areas (AAA1–AFFE, F8A1–FEFE,
// A140–A7A0) to the private-use characters; the GBK table of Linux
// defines none of them. Neither side takes them, so that a document opens,
// and a text fits, alike on both systems.
bool hasPrivateUse(const std::wstring& wide) {
  for (wchar_t c : wide)
    if (c >= 0xE000 && c <= 0xF8FF) return true;
  return false;
}

class Converter {
 public:
  Converter(UINT to, UINT from) : to_(to), from_(from) {}
  std::optional<std::string> convert(std::string_view in) const {
    const auto wide = toWide(from_, in);
    if (!wide || hasPrivateUse(*wide)) return std::nullopt;
    return fromWide(to_, *wide);
  }

 private:
  UINT to_, from_;
};

Converter& toGbk() {
  static Converter c(kGbkCodePage, CP_UTF8);
  return c;
}
Converter& fromGbk() {
  static Converter c(CP_UTF8, kGbkCodePage);
  return c;
}
#else
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
#endif

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
