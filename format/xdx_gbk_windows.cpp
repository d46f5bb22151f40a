#include <libxml/encoding.h>

#include <cstring>
#include <mutex>
#include <string>
#include <string_view>

#include "format/windows_system.h"
#include "format/xdx_gbk.h"

namespace velmora {
namespace {

constexpr UINT kGbk = 936;
constexpr UINT kGb18030 = 54936;

// The length of the character starting at `at`, or 0 when the input ends
// inside it. GBK: ASCII, 0x80 (the euro sign) and 0xFF stand alone, every
// other byte leads two. GB18030 adds four-byte characters, told by a digit
// as their second byte.
std::size_t unitLength(UINT codePage, const unsigned char* in, std::size_t at, std::size_t available) {
  const unsigned char lead = in[at];
  if (lead < 0x81 || lead == 0xFF) return 1;
  if (at + 1 >= available) return 0;
  if (codePage == kGb18030 && in[at + 1] >= 0x30 && in[at + 1] <= 0x39) return at + 3 < available ? 4 : 0;
  return 2;
}

std::string decoded(UINT codePage, std::string_view bytes, bool& ok) {
  ok = true;
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int n = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  if (n <= 0) {
    ok = false;
    return {};
  }
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), n);
  return utf8FromWide(wide);
}

// libxml2's decoder: as many whole characters as the output can hold (one
// byte gives at most three UTF-8 bytes), a character cut by the end of the
// input left for the next call. At a sequence the code page does not define
// it returns -2 with `*inlen` at that sequence, as its iconv decoder does on
// Linux, so that the parser names the same bytes.
template <UINT codePage>
int decode(unsigned char* out, int* outlen, const unsigned char* in, int* inlen) {
  const std::size_t available = static_cast<std::size_t>(*inlen);
  const std::size_t budget = static_cast<std::size_t>(*outlen) / 3;
  std::size_t take = 0;
  while (take < available) {
    const std::size_t n = unitLength(codePage, in, take, available);
    if (n == 0 || take + n > budget) break;
    take += n;
  }
  const std::string_view input(reinterpret_cast<const char*>(in), take);
  auto emit = [&](const std::string& utf8, std::size_t consumed) {
    std::memcpy(out, utf8.data(), utf8.size());
    *outlen = static_cast<int>(utf8.size());
    *inlen = static_cast<int>(consumed);
  };
  bool ok = false;
  const std::string whole = decoded(codePage, input, ok);
  if (ok) {
    emit(whole, take);
    return take == 0 && available > 0 ? -1 : *outlen;
  }
  // The first character that does not decode; the text before it is
  // handed over.
  std::size_t good = 0;
  while (good < take) {
    const std::size_t n = unitLength(codePage, in, good, take);
    decoded(codePage, input.substr(good, n), ok);
    if (!ok) break;
    good += n;
  }
  emit(decoded(codePage, input.substr(0, good), ok), good);
  return -2;
}

// UTF-8 to the code page, for the writer: whole UTF-8 characters only, a
// character the code page lacks an error (-2), never a best-fit neighbour.
template <UINT codePage>
int encode(unsigned char* out, int* outlen, const unsigned char* in, int* inlen) {
  const std::size_t available = static_cast<std::size_t>(*inlen);
  // Every character takes at most as many bytes in the code page as in UTF-8.
  const std::size_t budget = static_cast<std::size_t>(*outlen);
  std::size_t take = 0;
  while (take < available) {
    const unsigned char lead = in[take];
    const std::size_t n = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    if (take + n > available || take + n > budget) break;
    take += n;
  }
  const std::wstring wide = widePath(std::string_view(reinterpret_cast<const char*>(in), take));
  BOOL lossy = FALSE;
  const int size = static_cast<int>(wide.size());
  const int n =
      size == 0 ? 0
                : ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), size, reinterpret_cast<char*>(out),
                                        *outlen, nullptr, codePage == kGbk ? &lossy : nullptr);
  if ((size > 0 && n <= 0) || lossy) {
    *outlen = 0;
    *inlen = 0;
    return -2;
  }
  *outlen = n;
  *inlen = static_cast<int>(take);
  return take == 0 && available > 0 ? -1 : n;
}

}  // namespace

void registerGbkEncodings() {
  static std::once_flag once;
  std::call_once(once, [] {
    static char gbk[] = "GBK";
    static char gb18030[] = "GB18030";
    xmlNewCharEncodingHandler(gbk, decode<kGbk>, encode<kGbk>);
    // Every Windows since 2000 has GB18030; Wine has not, and there such a
    // document is refused as in an unknown encoding.
    if (::IsValidCodePage(kGb18030)) xmlNewCharEncodingHandler(gb18030, decode<kGb18030>, encode<kGb18030>);
  });
}

}  // namespace velmora
