#include "document/xdx_reader.h"

#include <fcntl.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>

#include "record/gbk.h"

namespace velmora {
namespace {

// A document never needs anything outside itself: every external entity, DTD
// or network resource is refused, whatever the file asks for.
xmlParserInputPtr refuseExternalEntity(const char*, const char*, xmlParserCtxtPtr) { return nullptr; }

void initLibxml() {
  static std::once_flag once;
  std::call_once(once, [] {
    xmlInitParser();
    xmlSetExternalEntityLoader(refuseExternalEntity);
  });
}

struct DocFree {
  void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};
struct CtxtFree {
  void operator()(xmlParserCtxt* c) const { xmlFreeParserCtxt(c); }
};

bool isValidUtf8(std::string_view s) {
  std::size_t pos = 0;
  while (pos < s.size()) {
    std::size_t before = pos;
    char32_t cp = nextCodePoint(s, pos);
    if (cp == 0xFFFD && !(pos - before == 3 && s.substr(before, 3) == "\xEF\xBF\xBD")) return false;
  }
  return true;
}

// The source text as readable UTF-8, for quoting the line where parsing stopped.
std::string displayableSource(std::string_view bytes) {
  auto startsWith = [&](std::string_view p) { return bytes.substr(0, p.size()) == p; };
  if (startsWith("\xFF\xFE") || startsWith("\xFE\xFF")) {
    // UTF-16: keep the low (or high) byte of each unit where it is ASCII.
    bool le = startsWith("\xFF\xFE");
    std::string out;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      unsigned char lo = bytes[le ? i : i + 1], hi = bytes[le ? i + 1 : i];
      out.push_back(hi == 0 && lo < 0x80 ? static_cast<char>(lo) : '?');
    }
    return out;
  }
  if (startsWith("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  if (isValidUtf8(bytes)) return std::string(bytes);
  if (auto u = gbkToUtf8(bytes)) return *u;
  std::string out(bytes);
  for (auto& c : out)
    if (static_cast<unsigned char>(c) >= 0x80) c = '?';
  return out;
}

std::string sourceLine(std::string_view bytes, int line) {
  if (line < 1) return {};
  std::string text = displayableSource(bytes);
  std::size_t start = 0;
  for (int i = 1; i < line; ++i) {
    start = text.find('\n', start);
    if (start == std::string::npos) return {};
    ++start;
  }
  std::size_t end = text.find('\n', start);
  std::string_view l = std::string_view(text).substr(start, end == std::string::npos ? std::string::npos : end - start);
  if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
  return firstCharacters(l, 40);
}

ReadError tooLarge() {
  return ReadError{"文件过大，不是申报文档（超过 " + std::to_string(kMaxDocumentBytes / (1024 * 1024)) + " MB）"};
}

// libxml2 reports a byte sequence that the declared encoding cannot decode
// outside the parser context (and prints it unless a handler takes it); the
// parser itself then only sees the text end early. This keeps that first
// reason for the error box and keeps the library quiet.
class EncodingErrorCapture {
 public:
  EncodingErrorCapture() { xmlSetStructuredErrorFunc(this, &EncodingErrorCapture::take); }
  ~EncodingErrorCapture() { xmlSetStructuredErrorFunc(nullptr, nullptr); }
  EncodingErrorCapture(const EncodingErrorCapture&) = delete;
  EncodingErrorCapture& operator=(const EncodingErrorCapture&) = delete;
  const std::string& reason() const { return reason_; }

 private:
  static void take(void* self, xmlErrorPtr err) {
    auto* capture = static_cast<EncodingErrorCapture*>(self);
    if (err && err->domain == XML_FROM_I18N && err->message && capture->reason_.empty()) capture->reason_ = err->message;
  }
  std::string reason_;
};

ReadError parseError(const xmlError* err, std::string_view bytes, const std::string& encodingReason) {
  std::string reason = !encodingReason.empty() ? encodingReason
                       : err && err->message   ? err->message
                                               : "Document is not well-formed XML";
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' ')) reason.pop_back();
  int line = err ? err->line : 0;
  return ReadError{reason + "\nLine: " + std::to_string(line) + "\n" + sourceLine(bytes, line)};
}

bool isWhitespaceText(const xmlNode* n) {
  if (n->type != XML_TEXT_NODE || !n->content) return false;
  for (const xmlChar* p = n->content; *p; ++p)
    if (*p != ' ' && *p != '\t' && *p != '\r' && *p != '\n') return false;
  return true;
}

const xmlNode* firstChildElement(const xmlNode* parent, std::string_view name) {
  if (!parent) return nullptr;
  for (const xmlNode* c = parent->children; c; c = c->next)
    if (c->type == XML_ELEMENT_NODE && name == reinterpret_cast<const char*>(c->name)) return c;
  return nullptr;
}

// The text of a value or row element: empty, or exactly one text node.
std::optional<std::string> singleText(const xmlNode* el) {
  if (!el || !el->children) return std::string();
  const xmlNode* c = el->children;
  if (c->next || (c->type != XML_TEXT_NODE && c->type != XML_CDATA_SECTION_NODE)) return std::nullopt;
  return toGbkRepresentable(c->content ? reinterpret_cast<const char*>(c->content) : "");
}

ReadResult readTree(const xmlNode* root) {
  DocumentContent content;
  bool hasChild = false;
  for (const xmlNode* c = root->children; c && !hasChild; c = c->next) hasChild = !isWhitespaceText(c);
  if (!hasChild) {
    content.shape = DocumentContent::Shape::EmptyRoot;
    return content;
  }
  auto text = [&](const xmlNode* parent, std::string_view name, std::string& out) {
    auto t = singleText(firstChildElement(parent, name));
    if (!t) return false;
    out = std::move(*t);
    return true;
  };
  if (!text(root, "ver", content.version)) return ReadError{std::string(kNotSingleTextMessage)};
  if (content.version != kVersionTag) {
    content.shape = DocumentContent::Shape::WrongVersion;
    return content;
  }
  if (!text(root, "PASSBY", content.passby)) return ReadError{std::string(kNotSingleTextMessage)};
  content.values.resize(kFieldCount);
  content.rows.resize(kFieldCount);
  for (const FieldDef& d : allFields()) {
    if (d.kind != Kind::Table) {
      if (!text(root, d.name, content.values[index(d.id)])) return ReadError{std::string(kNotSingleTextMessage)};
      continue;
    }
    const xmlNode* table = firstChildElement(root, d.name);
    auto& rows = content.rows[index(d.id)];
    rows.resize(d.table.storedRows);
    for (int r = 0; r < d.table.storedRows; ++r) {
      std::string rowName = std::string(d.name) + std::to_string(d.table.firstRow + r);
      if (!text(table, rowName, rows[r])) return ReadError{std::string(kNotSingleTextMessage)};
    }
  }
  return content;
}

}  // namespace

ReadResult readXdxBytes(std::string_view bytes) {
  initLibxml();
  if (bytes.size() > kMaxDocumentBytes) return tooLarge();
  std::unique_ptr<xmlParserCtxt, CtxtFree> ctxt(xmlNewParserCtxt());
  if (!ctxt) return ReadError{"Out of memory"};
  // No entity substitution, no DTD loading, no network: entity references stay
  // references (and fail the single-text rule), and nothing outside the file is read.
  const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOCDATA;
  EncodingErrorCapture encodingError;
  std::unique_ptr<xmlDoc, DocFree> doc(
      xmlCtxtReadMemory(ctxt.get(), bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr, options));
  if (!doc || !ctxt->wellFormed) return parseError(xmlCtxtGetLastError(ctxt.get()), bytes, encodingError.reason());
  const xmlNode* root = xmlDocGetRootElement(doc.get());
  if (!root) return parseError(xmlCtxtGetLastError(ctxt.get()), bytes, encodingError.reason());
  return readTree(root);
}

ReadResult readXdxFile(const std::string& path) {
  // Non-blocking only for the open itself: a named pipe without a writer
  // would otherwise hang the program; read to its end, it is simply empty.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return ReadError{"无法打开文件“" + path + "”：" + std::strerror(errno)};
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0) return ReadError{"无法打开文件“" + path + "”：" + std::strerror(errno)};
  if (S_ISDIR(st.st_mode)) return ReadError{"无法打开文件“" + path + "”：" + std::strerror(EISDIR)};
  if (static_cast<std::size_t>(st.st_size) > kMaxDocumentBytes) return tooLarge();
  std::string bytes;
  bytes.resize(static_cast<std::size_t>(st.st_size));
  std::size_t got = 0;
  for (;;) {
    if (got == bytes.size()) bytes.resize(bytes.size() + 65536);
    ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      return ReadError{"无法读取文件“" + path + "”：" + std::strerror(errno)};
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
    if (got > kMaxDocumentBytes) return tooLarge();
  }
  bytes.resize(got);
  return readXdxBytes(bytes);
}

}  // namespace velmora
