#include "cli/output_guard.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string_view>

#include "format/file_system.h"
#include "format/xml_code_units.h"

namespace velmora::cli {
namespace {

bool hasDocumentName(const std::filesystem::path& p) {
  std::string ext = utf8Path(p.extension());
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext == ".xdx";
}

// The root element's opening tag, as the desktop's type detection finds it:
// after a byte-order mark, blanks, the declaration, comments and a doctype.
// The markup is ASCII in every encoding a document is written in; zero
// bytes left (a wide text that starts with a blank) are dropped.
bool startsWithPackageRoot(const std::string& path) {
  const std::optional<std::string> buffer = regularFileHead(path, 4096);
  if (!buffer || buffer->empty()) return false;
  std::string head = markupAfterMark(*buffer);
  std::erase(head, '\0');
  std::string_view s = head;
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
    if (auto id = fileIdentity(input)) inputs_.emplace(*id, input);
}

std::optional<std::string> OutputGuard::refusal(const std::string& out, bool documentsToo) const {
  if (auto id = fileIdentity(out)) {
    if (auto input = inputs_.find(*id); input != inputs_.end())
      return "就是要读的文件“" + input->second + "”，不能覆盖";
    if (documentsToo && isXdxDocument(out)) return std::string("是申报文档，不能覆盖");
  }
  return std::nullopt;
}

bool isXdxDocument(const std::string& path) {
  if (!isRegularFile(path)) return false;
  std::error_code ec;
  const std::filesystem::path resolved = std::filesystem::canonical(systemPath(path), ec);
  return hasDocumentName(systemPath(path)) || (!ec && hasDocumentName(resolved)) || startsWithPackageRoot(path);
}

}  // namespace velmora::cli
