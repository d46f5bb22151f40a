#include "cli/output_guard.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <string_view>

namespace velmora::cli {
namespace {

std::optional<std::pair<dev_t, ino_t>> identity(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return std::make_pair(st.st_dev, st.st_ino);
}

bool hasDocumentName(const std::filesystem::path& p) {
  std::string ext = p.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext == ".xdx";
}

// The root element's opening tag, as the desktop's type detection finds it:
// after a byte-order mark, blanks, the declaration, comments and a doctype.
// The zero bytes of UTF-16 are dropped first; the markup is ASCII in every
// encoding a document is written in.
bool startsWithPackageRoot(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  char buffer[4096];
  struct stat st {};
  ssize_t n = -1;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
    while ((n = ::read(fd, buffer, sizeof buffer)) < 0 && errno == EINTR) {
    }
  ::close(fd);
  if (n <= 0) return false;
  std::string head;
  for (ssize_t i = 0; i < n; ++i)
    if (buffer[i] != '\0') head += buffer[i];
  std::string_view s = head;
  for (std::string_view bom : {"\xEF\xBB\xBF", "\xFE\xFF", "\xFF\xFE"})
    if (s.substr(0, bom.size()) == bom) s.remove_prefix(bom.size());
  for (;;) {
    const std::size_t start = s.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) return false;
    s.remove_prefix(start);
    std::string_view end;
    if (s.substr(0, 2) == "<?")
      end = "?>";
    else if (s.substr(0, 4) == "<!--")
      end = "-->";
    else if (s.substr(0, 2) == "<!")
      end = ">";
    else
      break;
    const std::size_t at = s.find(end);
    if (at == std::string_view::npos) return false;
    s.remove_prefix(at + end.size());
  }
  constexpr std::string_view tag = "<XMLPackage";
  return s.substr(0, tag.size()) == tag && s.size() > tag.size() &&
         std::string_view(" \t\r\n/>").find(s[tag.size()]) != std::string_view::npos;
}

}  // namespace

OutputGuard::OutputGuard(const std::vector<std::string>& inputs) {
  for (const auto& input : inputs)
    if (auto id = identity(input)) inputs_.emplace(*id, input);
}

std::optional<std::string> OutputGuard::refusal(const std::string& out, bool documentsToo) const {
  if (auto id = identity(out)) {
    if (auto input = inputs_.find(*id); input != inputs_.end())
      return "就是要读的文件“" + input->second + "”，不能覆盖";
    if (documentsToo && isXdxDocument(out)) return std::string("是申报文档，不能覆盖");
  }
  return std::nullopt;
}

bool isXdxDocument(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  std::error_code ec;
  const std::filesystem::path resolved = std::filesystem::canonical(path, ec);
  return hasDocumentName(path) || (!ec && hasDocumentName(resolved)) || startsWithPackageRoot(path);
}

}  // namespace velmora::cli
