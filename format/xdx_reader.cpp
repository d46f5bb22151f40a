#include "format/xdx_reader.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>

#include "format/comma_text.h"
#include "format/file_read.h"
#include "format/xdx_gbk.h"
#include "format/xml_code_units.h"
#include "record/gbk.h"

namespace velmora {
namespace {

// A document never needs anything outside itself: every external entity, DTD
// or network resource is refused, whatever the file asks for.
xmlParserInputPtr refuseExternalEntity(const char*, const char*, xmlParserCtxtPtr) { return nullptr; }

// Labels under which GBK documents circulate. GB2312 proper (EUC-CN) maps a
// few punctuation marks differently, "·" (A1A4) and "―" (A1AA) among them,
// to characters GBK cannot write back; GBK is a superset, so decoding every
// such label with the GBK table loses nothing. The list is the one browsers
// decode as GBK, plus the code page's own names.
constexpr const char* kGbkLabels[] = {"GB2312",    "GB_2312", "GB_2312-80", "csGB2312",    "csISO58GB231280",
                                      "ISO-IR-58", "chinese", "x-gbk",      "windows-936", "CP936",
                                      "MS936",     "EUC-CN",  "EUCCN",      "EUC_CN",      "x-euc-cn"};

void initLibxml() {
  static std::once_flag once;
  std::call_once(once, [] {
    xmlInitParser();
    xmlSetExternalEntityLoader(refuseExternalEntity);
#ifdef _WIN32
    registerGbkEncodings();
#endif
    for (const char* label : kGbkLabels) xmlAddEncodingAlias("GBK", label);
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
  const CodeUnits units = codeUnitsOf(bytes);
  bytes.remove_prefix(units.markLength);
  // UTF-16 and UCS-4: the ASCII characters, where the markup is.
  if (units.width > 1) return narrowedUnits(bytes, units, '?');
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

ReadError plainError(std::string message) {
  ReadError error;
  error.message = std::move(message);
  return error;
}

// The most attributes one start tag may carry. The format has none; libxml2
// compares every attribute of a tag with all before it, so 100 000 of them
// took seconds, and more took minutes.
constexpr std::size_t kMaxAttributes = 256;

// The deepest nesting of elements a document may have; the format needs three.
constexpr int kMaxDepth = 256;

// The most elements, attributes, comments, processing instructions and
// entity references a document may hold, together. The format has a few
// hundred elements and no attributes; every node costs libxml2 about a
// hundred bytes, so 15 million "<a/>" in 64 MB took 2 GB, 9 million comments
// 1.6 GB and 25 000 elements of 256 attributes each 1.6 GB.
constexpr std::size_t kMaxNodes = 100000;

// What a scan of the markup found wrong before parsing.
struct MarkupScan {
  bool tooManyAttributes = false;
  bool tooDeep = false;
  bool tooManyNodes = false;
  std::size_t at = 0;  // where, in bytes
};

// Finds a start tag with more attributes than kMaxAttributes, counted as the
// equals signs outside quotes, elements nested deeper than kMaxDepth and more
// nodes than kMaxNodes (a byte scan: the markup characters are single bytes
// in GBK, and a document in UTF-16 or UCS-4 is narrowed first). The parser runs without its own limits
// on sizes, so that texts of many megabytes open; this keeps the limits that
// still matter.
MarkupScan scanMarkup(std::string_view bytes) {
  auto skipPast = [&](std::size_t from, std::string_view end) {
    const std::size_t at = bytes.find(end, from);
    return at == std::string_view::npos ? bytes.size() : at + end.size();
  };
  std::size_t nodes = 0;
  for (std::size_t amp = 0; (amp = bytes.find('&', amp)) != std::string_view::npos; ++amp)
    if (amp + 1 < bytes.size() && bytes[amp + 1] != '#' && ++nodes > kMaxNodes) return {false, false, true, amp};
  std::size_t p = 0;
  long depth = 0;
  while ((p = bytes.find('<', p)) != std::string_view::npos) {
    ++p;
    if (bytes.substr(p, 1) != "/" && ++nodes > kMaxNodes) return {false, false, true, p - 1};
    if (bytes.substr(p, 3) == "!--") {
      p = skipPast(p, "-->");
    } else if (bytes.substr(p, 8) == "![CDATA[") {
      p = skipPast(p, "]]>");
    } else if (p < bytes.size() && (bytes[p] == '?' || bytes[p] == '!')) {
      p = skipPast(p, ">");
    } else if (p < bytes.size() && bytes[p] == '/') {
      --depth;
      p = skipPast(p, ">");
    } else {
      const std::size_t start = p - 1;
      std::size_t attributes = 0;
      char quote = 0;
      char previous = 0;
      for (; p < bytes.size() && (quote || bytes[p] != '>'); ++p) {
        const char c = bytes[p];
        previous = c;
        if (quote) {
          if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
          quote = c;
        } else if (c == '=') {
          if (++attributes > kMaxAttributes) return {true, false, false, start};
          if (++nodes > kMaxNodes) return {false, false, true, start};
        }
      }
      if (previous != '/' && ++depth > kMaxDepth) return {false, true, false, start};
    }
  }
  return {};
}

// A document in UTF-16 or UCS-4 as one byte a character: ASCII as it is,
// anything else as "x", so that no half of a character reads as markup.
// Empty for other documents.
std::string narrowedMarkup(std::string_view bytes) {
  const CodeUnits units = codeUnitsOf(bytes);
  return units.width == 1 ? std::string() : narrowedUnits(bytes, units, 'x');
}

// The document handed to the parser a piece at a time, as a file is read:
// decoded a piece at a time too, it needs no buffer for the whole decoded
// text. Handed over at once, a 91 KB document was decoded into buffers of
// 300 KB grown by reallocation, mapped and unmapped again (3 ms of a 15 ms
// check). Read this way, a byte GBK cannot decode is reported when the
// parser reaches it: a document broken before it is reported for that.
struct PieceReader {
  std::string_view bytes;
  std::size_t at = 0;
  static int read(void* self, char* buffer, int length) {
    auto* reader = static_cast<PieceReader*>(self);
    const std::size_t n = std::min(static_cast<std::size_t>(std::max(length, 0)), reader->bytes.size() - reader->at);
    std::memcpy(buffer, reader->bytes.data() + reader->at, n);
    reader->at += n;
    return static_cast<int>(n);
  }
};

ReadError tooLarge() {
  return plainError("文件过大，不是申报文档（超过 " + std::to_string(kMaxDocumentBytes / (std::size_t{1024} * 1024)) +
                    " MB）");
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
    if (err && err->domain == XML_FROM_I18N && err->message && capture->reason_.empty())
      capture->reason_ = err->message;
  }
  std::string reason_;
};

ReadError notWellFormed(std::string reason, int line, std::string_view bytes) {
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' ')) reason.pop_back();
  ReadError error;
  error.excerpt = sourceLine(bytes, line);
  error.message = reason + "\nLine: " + std::to_string(line) + "\n" + error.excerpt;
  error.reason = std::move(reason);
  error.line = line;
  return error;
}

ReadError parseError(const xmlError* err, std::string_view bytes, const std::string& encodingReason) {
  std::string reason = !encodingReason.empty() ? encodingReason
                       : err && err->message   ? err->message
                                               : "Document is not well-formed XML";
  return notWellFormed(std::move(reason), err ? err->line : 0, bytes);
}

// libxml2 takes a NUL character for the end of its input, so a document
// followed by a NUL and anything at all parses as if the file ended there.
// NUL is no XML character anywhere: a NUL code unit left after a successful
// parse can only stand after the root element. Units are two bytes wide in
// UTF-16 and four in UCS-4.
std::optional<ReadError> trailingNul(std::string_view bytes) {
  const std::size_t unit = codeUnitsOf(bytes).width;
  const std::string_view nul("\0\0\0\0", unit);
  std::size_t at = bytes.find(nul);
  while (at != std::string_view::npos && at % unit != 0) at = bytes.find(nul, at + 1);
  if (at == std::string_view::npos) return std::nullopt;
  int line = 1;
  for (std::size_t u = 0; u < at; u += unit)
    if (bytes.substr(u, unit).find_first_not_of(std::string_view("\n\0", 2)) == std::string_view::npos) ++line;
  return notWellFormed("Extra content at the end of the document", line, bytes.substr(0, at));
}

// A document decoded with the GBK table holds only characters GBK can write
// back (the tests decode every GBK sequence to make sure), except those that
// character references name; entities are never substituted. Such a document
// needs no second conversion of every value, which would cost as much as
// the parse itself.
bool onlyGbkCharacters(const xmlDoc* doc, std::string_view bytes) {
  if (!doc->encoding || bytes.find("&#") != std::string_view::npos) return false;
  const std::string_view declared = reinterpret_cast<const char*>(doc->encoding);
  auto is = [&](std::string_view label) {
    return declared.size() == label.size() &&
           std::equal(declared.begin(), declared.end(), label.begin(), [](char a, char b) {
             return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
  };
  return is("GBK") || std::any_of(std::begin(kGbkLabels), std::end(kGbkLabels), is);
}

// The most lines a long text may hold. The longest the window lets anyone
// type has 5 551 (a line break counts two of its 11 100 bytes); a text of
// 32 million lines ("x,x,…" filling the size limit) needed 2 GB to open.
constexpr std::size_t kMaxLongTextLines = 100000;
// The most characters a long text may hold, as stored (quotes and commas
// included): eighteen times the 11 100 bytes of the longest. The window lays
// out and wraps every long text on opening; a one-word text of 64 MB kept it
// busy for a minute and took 5 GB.
constexpr std::size_t kMaxLongTextCharacters = 200000;

std::size_t characterCount(std::string_view utf8) {
  return static_cast<std::size_t>(
      std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

ReadError notSingleText(std::string_view element) {
  ReadError error;
  error.message = kNotSingleTextMessage;
  error.element = element;
  return error;
}

// What a document holds of the record, gathered while it is parsed (no tree
// of the document is built: it would hold the whole text once more): the
// text of the root's first child element of each value's name, and of each
// table's first element its first row element of each name. The format
// knows no namespaces: an element is found by its name as written, so
// <a:ver xmlns:a="…"> is no `ver`.
class ValueCollector {
 public:
  // A value's element: its text, and whether it holds anything but one text
  // (an element, a comment, a processing instruction, an entity reference).
  struct Slot {
    std::string text;
    bool taken = false;  // an element of this name was found
    bool mixed = false;
  };

  // Takes the parser's events; the parser's defaults stay for the rest
  // (the document type, whose entities must be known to be refused).
  void listenTo(xmlParserCtxt* ctxt) {
    main_ = ctxt;
    ctxt->_private = this;
    xmlSAXHandler* sax = ctxt->sax;
    sax->startElementNs = &ValueCollector::startElement;
    sax->endElementNs = &ValueCollector::endElement;
    sax->characters = &ValueCollector::characters;
    sax->ignorableWhitespace = &ValueCollector::characters;
    sax->cdataBlock = &ValueCollector::characters;
    sax->comment = &ValueCollector::comment;
    sax->processingInstruction = &ValueCollector::processingInstruction;
    sax->reference = &ValueCollector::reference;
  }

  bool sawRoot() const { return sawRoot_; }
  ReadResult content(bool gbkOnly);

 private:
  struct Open {
    Slot* slot = nullptr;  // the value the element's text is
    int table = -1;        // the table whose rows the element holds
  };

  static ValueCollector& of(void* ctx) {
    return *static_cast<ValueCollector*>(static_cast<xmlParserCtxt*>(ctx)->_private);
  }
  // The parser checks an entity's text once, in a context of its own, and
  // keeps what the tree builder makes of it; later references then cost
  // nothing. Given no tree it would parse the text again at every reference
  // (30 000 references to 60 000 characters took 16 s and 2 GB): there the
  // tree builder keeps its part.
  static bool inEntity(void* ctx) { return of(ctx).main_ != ctx; }
  static std::string_view view(const xmlChar* s) { return s ? reinterpret_cast<const char*>(s) : std::string_view(); }

  static void startElement(void* ctx, const xmlChar* localname, const xmlChar* prefix, const xmlChar* uri,
                           int nbNamespaces, const xmlChar** namespaces, int nbAttributes, int nbDefaulted,
                           const xmlChar** attributes) {
    if (inEntity(ctx))
      return xmlSAX2StartElementNs(ctx, localname, prefix, uri, nbNamespaces, namespaces, nbAttributes, nbDefaulted,
                                   attributes);
    ValueCollector& c = of(ctx);
    if (!c.sawRoot_) {
      c.sawRoot_ = true;
      c.open_.push_back({});
      return;
    }
    c.inside();
    std::string name;
    if (prefix) name.append(view(prefix)).append(":");
    name.append(view(localname));
    Open element;
    if (c.open_.size() == 1) {
      element = c.valueElement(name);
    } else if (c.open_.back().table >= 0) {
      element.slot = c.rowElement(c.open_.back().table, name);
    }
    if (element.slot) {
      element.slot->taken = true;
      c.text_.clear();
    }
    c.open_.push_back(element);
  }
  static void endElement(void* ctx, const xmlChar* localname, const xmlChar* prefix, const xmlChar* uri) {
    if (inEntity(ctx)) return xmlSAX2EndElementNs(ctx, localname, prefix, uri);
    ValueCollector& c = of(ctx);
    if (c.open_.empty()) return;
    if (Slot* slot = c.open_.back().slot; slot && !slot->mixed) slot->text = c.text_;
    c.open_.pop_back();
  }
  static void characters(void* ctx, const xmlChar* text, int length) {
    if (inEntity(ctx)) return xmlSAX2Characters(ctx, text, length);
    ValueCollector& c = of(ctx);
    if (c.open_.empty()) return;
    const std::string_view piece(reinterpret_cast<const char*>(text), static_cast<std::size_t>(std::max(length, 0)));
    if (c.open_.size() == 1 && piece.find_first_not_of(" \t\r\n") != std::string_view::npos) c.rootHolds_ = true;
    // A text that holds anything else is no value: what follows is not kept.
    if (Slot* slot = c.open_.back().slot; slot && !slot->mixed) c.text_.append(piece);
  }
  static void comment(void* ctx, const xmlChar* text) {
    if (inEntity(ctx)) return xmlSAX2Comment(ctx, text);
    of(ctx).inside();
  }
  static void processingInstruction(void* ctx, const xmlChar* target, const xmlChar* data) {
    if (inEntity(ctx)) return xmlSAX2ProcessingInstruction(ctx, target, data);
    of(ctx).inside();
  }
  static void reference(void* ctx, const xmlChar* name) {
    if (inEntity(ctx)) return xmlSAX2Reference(ctx, name);
    of(ctx).inside();
  }

  // Something other than text inside the element open now.
  void inside() {
    if (open_.empty()) return;
    if (open_.size() == 1) rootHolds_ = true;
    if (Slot* slot = open_.back().slot) slot->mixed = true;
  }

  Open valueElement(std::string_view name) {
    Open element;
    Slot* slot = nullptr;
    if (name == "ver") {
      slot = &version_;
    } else if (name == "PASSBY") {
      slot = &passby_;
    } else if (const auto f = fieldByName(name)) {
      if (fieldDef(*f).kind == Kind::Table) {
        if (!tableTaken_[index(*f)]) {
          tableTaken_[index(*f)] = true;
          element.table = static_cast<int>(index(*f));
        }
        return element;
      }
      slot = &values_[index(*f)];
    }
    if (slot && !slot->taken) element.slot = slot;
    return element;
  }

  // The row `name` of a table, named by the table and the row's number
  // ("MainActor1" for its first stored row).
  Slot* rowElement(int table, std::string_view name) {
    const FieldDef& d = allFields()[static_cast<std::size_t>(table)];
    if (!name.starts_with(d.name)) return nullptr;
    const std::string_view number = name.substr(d.name.size());
    int row = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), row);
    // The number as written for the row, nothing more or less: "MainActor01" is none.
    if (error != std::errc() || end != number.data() + number.size() || number != std::to_string(row)) return nullptr;
    const int r = row - d.table.firstRow;
    if (r < 0 || r >= d.table.storedRows) return nullptr;
    auto& rows = rows_[static_cast<std::size_t>(table)];
    if (rows.empty()) rows.resize(static_cast<std::size_t>(d.table.storedRows));
    Slot& slot = rows[static_cast<std::size_t>(r)];
    return slot.taken ? nullptr : &slot;
  }

  xmlParserCtxt* main_ = nullptr;
  bool sawRoot_ = false;
  bool rootHolds_ = false;  // the root holds anything but blanks
  std::vector<Open> open_;  // the elements open, the root first
  // The text of the value being read, which arrives in pieces: kept here, it
  // is allocated once for each value at the element's end.
  std::string text_;
  Slot version_, passby_;
  std::array<Slot, kFieldCount> values_;
  std::array<bool, kFieldCount> tableTaken_{};
  std::array<std::vector<Slot>, kFieldCount> rows_;
};

// The values in the catalogue's order; the first element holding more than
// one text, or a long text too large, makes the document no document.
ReadResult ValueCollector::content(bool gbkOnly) {
  DocumentContent content;
  if (!rootHolds_) {
    content.shape = DocumentContent::Shape::EmptyRoot;
    return content;
  }
  auto take = [&](Slot& slot, std::string& out) {
    if (slot.mixed) return false;
    out = gbkOnly ? std::move(slot.text) : toGbkRepresentable(slot.text);
    return true;
  };
  if (!take(version_, content.version)) return notSingleText("ver");
  if (content.version != kVersionTag) {
    content.shape = DocumentContent::Shape::WrongVersion;
    return content;
  }
  if (!take(passby_, content.passby)) return notSingleText("PASSBY");
  content.values.resize(kFieldCount);
  content.rows.resize(kFieldCount);
  for (const FieldDef& d : allFields()) {
    if (d.kind != Kind::Table) {
      if (!take(values_[index(d.id)], content.values[index(d.id)])) return notSingleText(d.name);
      if (d.kind != Kind::LongText) continue;
      const std::string& value = content.values[index(d.id)];
      if (characterCount(value) > kMaxLongTextCharacters)
        return plainError("“" + std::string(d.name) + "”的文字过长（超过 " + std::to_string(kMaxLongTextCharacters) +
                          " 个字符），不是申报文档");
      if (countCommaTextItems(value, kMaxLongTextLines + 1) > kMaxLongTextLines)
        return plainError("“" + std::string(d.name) + "”的行数过多（超过 " + std::to_string(kMaxLongTextLines) +
                          " 行），不是申报文档");
      continue;
    }
    auto& rows = content.rows[index(d.id)];
    rows.resize(static_cast<std::size_t>(d.table.storedRows));
    auto& slots = rows_[index(d.id)];
    for (std::size_t r = 0; r < slots.size(); ++r)
      if (!take(slots[r], rows[r]))
        return notSingleText(std::string(d.name) + std::to_string(d.table.firstRow + static_cast<int>(r)));
  }
  return content;
}

}  // namespace

ReadResult readXdxBytes(std::string_view bytes) {
  initLibxml();
  if (bytes.size() > kMaxDocumentBytes) return tooLarge();
  const std::string narrowed = narrowedMarkup(bytes);
  const std::string_view markup = narrowed.empty() ? bytes : std::string_view(narrowed);
  const MarkupScan scan = scanMarkup(markup);
  if (scan.tooManyAttributes)
    return plainError("元素的属性过多（超过 " + std::to_string(kMaxAttributes) + " 个），不是申报文档");
  if (scan.tooManyNodes)
    return plainError("元素、属性、注释或实体引用过多（超过 " + std::to_string(kMaxNodes) + " 个），不是申报文档");
  if (scan.tooDeep) {
    const int line =
        1 + static_cast<int>(std::count(markup.begin(), markup.begin() + static_cast<std::ptrdiff_t>(scan.at), '\n'));
    return notWellFormed("Excessive depth in document: " + std::to_string(kMaxDepth), line, bytes);
  }
  std::unique_ptr<xmlParserCtxt, CtxtFree> ctxt(xmlNewParserCtxt());
  if (!ctxt) return plainError("内存不足");
  // No entity substitution, no DTD loading, no network: entity references stay
  // references (and fail the single-text rule), and nothing outside the file is read.
  // libxml2 refuses a text node or a look-ahead of more than 10 MB ("Huge
  // input lookup", "Extra content at the end of the document"), though
  // documents up to kMaxDocumentBytes are accepted: a document that large is
  // parsed without those limits (XML_PARSE_HUGE). The file's size, the markup
  // scan above and the unexpanded entities bound what the option lifts;
  // smaller documents keep every limit of the library, its detection of
  // entity loops among them.
  constexpr std::size_t kLibxmlTextLimit = 10000000;
  int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOCDATA;
  if (bytes.size() > kLibxmlTextLimit) options |= XML_PARSE_HUGE;
  EncodingErrorCapture encodingError;
  PieceReader pieces{bytes};
  ValueCollector values;
  values.listenTo(ctxt.get());
  // What remains of the document: its declaration and document type.
  std::unique_ptr<xmlDoc, DocFree> doc(
      xmlCtxtReadIO(ctxt.get(), &PieceReader::read, nullptr, &pieces, nullptr, nullptr, options));
  if (!doc || !ctxt->wellFormed) return parseError(xmlCtxtGetLastError(ctxt.get()), bytes, encodingError.reason());
  if (!values.sawRoot()) return parseError(xmlCtxtGetLastError(ctxt.get()), bytes, encodingError.reason());
  if (auto error = trailingNul(bytes)) return *error;
  return values.content(onlyGbkCharacters(doc.get(), bytes));
}

ReadResult readXdxFile(const std::string& path) {
  FileRead file = readWholeFile(path, kMaxDocumentBytes);
  switch (file.outcome) {
    case FileRead::Outcome::CannotOpen: return plainError("无法打开文件“" + path + "”：" + file.reason);
    case FileRead::Outcome::CannotRead: return plainError("无法读取文件“" + path + "”：" + file.reason);
    case FileRead::Outcome::TooLarge: return tooLarge();
    case FileRead::Outcome::Read: break;
  }
  return readXdxBytes(file.bytes);
}

}  // namespace velmora
