#include "format/xdx_writer.h"

#include <libxml/tree.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

#include "format/comma_text.h"
#include "format/xdx_gbk.h"
#include "format/xdx_reader.h"
#include "record/characters.h"
#include "record/gbk.h"

namespace velmora {
namespace {

const xmlChar* x(const char* s) { return reinterpret_cast<const xmlChar*>(s); }

void addValue(xmlNode* parent, std::string_view name, const std::string& value) {
  // An empty value is an element without content.
  xmlNewTextChild(parent, nullptr, x(std::string(name).c_str()), value.empty() ? nullptr : x(value.c_str()));
}

std::string fieldValue(const Record& r, const FieldDef& d) {
  switch (d.kind) {
    case Kind::Choice: return std::string(r.choiceText(d.id));
    case Kind::LongText: return writeCommaText(r.lines(d.id));
    default: return r.text(d.id);
  }
}

// The first character of `text` a document cannot carry, described.
std::optional<std::string> unwritableCharacter(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    const char32_t c = nextCodePoint(text, pos);
    if (!documentCarries(c)) {
      char code[16];
      std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
      return std::string("控制字符 ") + code;
    }
  }
  if (!canEncodeGbk(text)) return std::string("GBK 无法表示的字符");
  return std::nullopt;
}

}  // namespace

std::optional<std::string> unwritableText(const Record& record) {
  auto refuse = [](std::string_view where, const std::string& what) {
    return "无法保存：" + std::string(where) + " 含有文档不能保存的" + what;
  };
  for (const FieldDef& d : allFields()) {
    std::vector<std::string_view> texts;
    switch (d.kind) {
      case Kind::Choice: break;  // the lists' own texts
      case Kind::LongText:
        for (const std::string& line : record.lines(d.id)) texts.push_back(line);
        break;
      case Kind::Table:
        for (const Row& row : record.rows(d.id))
          for (const std::string& cell : row) texts.push_back(cell);
        break;
      default: texts.push_back(record.text(d.id));
    }
    for (std::string_view t : texts)
      if (auto what = unwritableCharacter(t)) return refuse(d.name, *what);
  }
  return std::nullopt;
}

std::optional<std::string> unopenableDocument(const Record& record, std::string_view bytes) {
  const bool tooLarge = bytes.size() > kMaxDocumentBytes;
  std::string reason;
  if (!tooLarge) {
    const ReadResult back = readXdxBytes(bytes);
    const auto* error = std::get_if<ReadError>(&back);
    if (!error) return std::nullopt;
    reason = error->message;
  }
  // The field that takes the most room (too large), or the most markup
  // escapes, each an entity reference to the reader (refused otherwise).
  auto weight = [&](std::string_view text) {
    std::size_t size = 0;
    for (char c : text) {
      const bool escaped = c == '<' || c == '>' || c == '&' || c == '\r';
      size += tooLarge ? (escaped ? (c == '<' || c == '>' ? 4 : 5) : 1) : (escaped ? 1 : 0);
    }
    return size;
  };
  std::string_view heaviest;
  std::size_t most = 0;
  for (const FieldDef& d : allFields()) {
    std::size_t w = 0;
    if (d.kind == Kind::Table) {
      for (const Row& row : record.rows(d.id)) w += weight(writeCommaText(row));
    } else {
      w = weight(fieldValue(record, d));
    }
    if (w > most) {
      heaviest = d.name;
      most = w;
    }
  }
  auto mb = [](std::size_t n) { return std::to_string((n + (1 << 20) - 1) >> 20) + " MB"; };
  if (tooLarge)
    return "无法保存：文档将有 " + mb(bytes.size()) + "，超过能够打开的 " + mb(kMaxDocumentBytes) + "；其中 " +
           std::string(heaviest) + " 约占 " + mb(most);
  return "无法保存：这样保存的文档无法再打开（" + reason + "）" +
         (heaviest.empty() ? std::string()
                           : "；" + std::string(heaviest) + " 含有 " + std::to_string(most) + " 个需转义的字符");
}

std::string buildXdx(const Record& record, const std::vector<std::string>& problems) {
  std::unique_ptr<xmlDoc, void (*)(xmlDoc*)> doc(xmlNewDoc(x("1.0")), xmlFreeDoc);
  doc->standalone = 1;
  xmlNode* root = xmlNewNode(nullptr, x("XMLPackage"));
  xmlDocSetRootElement(doc.get(), root);

  for (const FieldDef& d : allFields()) {
    if (d.kind == Kind::Table) {
      xmlNode* table = xmlNewChild(root, nullptr, x(std::string(d.name).c_str()), nullptr);
      const Rows& rows = record.rows(d.id);
      for (int i = 0; i < d.table.storedRows; ++i)
        addValue(table, std::string(d.name) + std::to_string(d.table.firstRow + i), writeCommaText(rows[i]));
    } else {
      addValue(root, d.name, fieldValue(record, d));
    }
    // The three elements that belong to the document rather than to a field.
    if (d.id == Field::ProjectID) addValue(root, "ver", std::string(kVersionTag));
    if (d.id == Field::ExpectProduction2) addValue(root, "PASSBY", "0");
    if (d.id == Field::AnonymousSheet) addValue(root, "verifylist", writeCommaText(problems));
  }

  xmlChar* mem = nullptr;
  int size = 0;
#ifdef _WIN32
  registerGbkEncodings();
#endif
  xmlDocDumpMemoryEnc(doc.get(), &mem, &size, "GBK");
  if (!mem) throw std::runtime_error("文档无法按 GBK 编码生成");
  std::string out(reinterpret_cast<const char*>(mem), static_cast<std::size_t>(size));
  xmlFree(mem);
  return out;
}

}  // namespace velmora
