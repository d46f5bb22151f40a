#include "exchange/record_import.h"

#include <cstdio>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <iterator>
#include <optional>
#include <set>

#include "record/amount.h"
#include "record/characters.h"
#include "record/gbk.h"

namespace velmora {
namespace {

using Json = nlohmann::ordered_json;

// Deeper than any record needs; refusing it early keeps hostile input from
// building a tree of millions of levels.
constexpr int kMaxDepth = 64;

// A key or value quoted in a message: its first 60 characters, so that a
// key of megabytes makes no line of megabytes.
std::string quotedShort(const std::string& text) {
  std::string cut = firstCharacters(text, 60);
  return cut.size() < text.size() ? cut + "…" : cut;
}

std::string megabytes(std::size_t bytes) { return std::to_string(bytes / (std::size_t{1024} * 1024)) + " MB"; }

// Line and column (in characters) of a byte offset, for messages that an
// editor can find.
std::string positionText(std::string_view text, std::size_t offset) {
  offset = std::min(offset, text.size());
  std::size_t line = 1, column = 1;
  for (std::size_t i = 0; i < offset; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\n') {
      ++line;
      column = 1;
    } else if ((c & 0xC0) != 0x80) {
      ++column;
    }
  }
  return "第 " + std::to_string(line) + " 行第 " + std::to_string(column) + " 列";
}

// The parser hands its callback no position. Reading through this iterator
// leaves the offset of the last byte read where the callback can see it.
class CountingIterator {
 public:
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  CountingIterator(const char* p, const char** last) : p_(p), last_(last) {}
  reference operator*() const {
    *last_ = p_;
    return *p_;
  }
  CountingIterator& operator++() {
    ++p_;
    return *this;
  }
  CountingIterator operator++(int) {
    CountingIterator before = *this;
    ++p_;
    return before;
  }
  bool operator==(const CountingIterator& o) const { return p_ == o.p_; }
  bool operator!=(const CountingIterator& o) const { return p_ != o.p_; }

 private:
  const char* p_;
  const char** last_;
};

// What the parser accepts but a record may not hold: a key twice in one
// object, nesting beyond kMaxDepth, more keys in one object than
// kMaxImportKeys, or more values than kMaxImportValues.
struct Refusal {
  std::string what;
  std::size_t offset;
};

// Parses the whole text; the message (with its position) when it is no
// JSON a record can come from.
std::optional<Json> parseRecordJson(std::string_view text, std::string& error) {
  const char* last = text.data();
  std::vector<std::set<std::string>> keys;  // of each object being read
  std::size_t values = 0;
  auto refuse = [&](std::string what) { throw Refusal{std::move(what), static_cast<std::size_t>(last - text.data())}; };
  auto callback = [&](int depth, Json::parse_event_t event, Json& parsed) {
    using Event = Json::parse_event_t;
    if (depth > kMaxDepth) refuse("嵌套超过 " + std::to_string(kMaxDepth) + " 层");
    // Counted as they come, so that the tree never holds more than the limit:
    // 20 MB of empty strings built a tree of 700 MB.
    if ((event == Event::value || event == Event::object_start || event == Event::array_start) &&
        ++values > kMaxImportValues)
      refuse("值超过 " + std::to_string(kMaxImportValues) + " 个，不是申报书");
    if (event == Event::object_start) keys.emplace_back();
    if (event == Event::object_end) keys.pop_back();
    // An ordered object looks for each new key among all before it: 100 000
    // keys took minutes. No record has as many keys as the limit.
    if (event == Event::key && keys.back().size() >= kMaxImportKeys)
      refuse("对象的键超过 " + std::to_string(kMaxImportKeys) + " 个，不是申报书");
    if (event == Event::key && !keys.back().insert(parsed.get_ref<const std::string&>()).second) {
      // The last byte read is the key's closing quote; point at its opening one.
      for (auto quote = static_cast<std::size_t>(last - text.data()); quote > 0;) {
        quote = text.rfind('"', quote - 1);
        std::size_t slashes = 0;
        while (quote > slashes && text[quote - 1 - slashes] == '\\') ++slashes;
        if (slashes % 2 == 0) {
          last = text.data() + quote;
          break;
        }
      }
      refuse("键“" + quotedShort(parsed.get_ref<const std::string&>()) + "”重复");
    }
    return true;
  };
  // The parser takes a NUL byte for the end of its input and would accept
  // whatever follows ("{…}\0 ]]]"); JSON holds no raw NUL anywhere.
  if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
    error = "JSON 格式错误（" + positionText(text, nul) + "）：含有空字符（NUL）";
    return std::nullopt;
  }
  try {
    return Json::parse(CountingIterator(text.data(), &last), CountingIterator(text.data() + text.size(), &last),
                       callback);
  } catch (const Refusal& r) {
    error = "JSON 格式错误（" + positionText(text, r.offset) + "）：" + r.what;
  } catch (const Json::out_of_range&) {
    // A number beyond a double ("1e999"). The parser stops right after it,
    // having looked at the next byte; point at its first character.
    auto start = static_cast<std::size_t>(last - text.data());
    while (start > 0 && std::string_view("0123456789+-.eE").find(text[start - 1]) != std::string_view::npos) --start;
    error = "JSON 格式错误（" + positionText(text, start) + "）：数值超出范围";
  } catch (const Json::parse_error& e) {
    // "[json.exception.parse_error.101] parse error at line 1, column 8: syntax
    // error … - what; last read: '…'": the position is given in our words, and
    // the last bytes read may be the very invalid UTF-8 that stopped it.
    std::string what = e.what();
    if (auto colon = what.find(": "); colon != std::string::npos) what.erase(0, colon + 2);
    if (auto read = what.find("; last read:"); read != std::string::npos) what.erase(read);
    error = "JSON 格式错误（" + positionText(text, e.byte > 0 ? e.byte - 1 : 0) + "）：" + what;
  }
  return std::nullopt;
}

class Importer {
 public:
  ImportResult result;

  void run(const Json& root) {
    for (const auto& [key, value] : root.items()) {
      if (key == "PASSBY" || key == "verifylist" || key == "ProjectID") continue;
      auto field = fieldByName(key);
      if (!field) {
        violate(key, "不是申报书的字段");
        continue;
      }
      given_.insert(*field);
      readField(fieldDef(*field), value);
    }
    linkedFields();
    for (Field f : kRequiredToSave)
      if (r().text(f).empty() && !violated(std::string(fieldDef(f).name)))
        violate(std::string(fieldDef(f).name), "必须填写（" + std::string(kRequiredToSaveInWords) + "是保存的必填项）");
  }

  bool violated(const std::string& key) const {
    for (const auto& v : result.violations)
      if (v.key == key) return true;
    return false;
  }

  void violate(std::string key, std::string message) {
    result.violations.push_back({std::move(key), std::move(message)});
  }

 private:
  Record& r() { return result.record; }
  std::set<Field> given_;  // the fields the JSON names

  static std::string codeOf(unsigned char c) {
    char code[8];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
    return code;
  }

  bool gbkText(const std::string& key, const std::string& text) {
    // A control character XML cannot carry (NUL included) would make a
    // document that never opens again, or cut the text short.
    for (unsigned char c : text)  // every refused character is a single byte
      if (!documentCarries(c)) {
        violate(key, "含有文档不能保存的控制字符 " + codeOf(c));
        return false;
      }
    if (canEncodeGbk(text)) return true;
    violate(key, "含有 GBK 编码无法表示的字符");
    return false;
  }

  // What no field of the window takes, a line break apart (a multi-line
  // field keeps one as a line feed); in a one-line field or a cell no line
  // break at all, which the window makes a blank there.
  bool windowText(const std::string& key, const std::string& text, bool oneLine) {
    for (unsigned char c : text)
      if (c != '\r' && !fieldTakes(c)) {
        violate(key, "含有窗口不能填写的控制字符 " + codeOf(c));
        return false;
      }
    if (oneLine && text.find_first_of("\r\n") != std::string::npos) {
      violate(key, "单行栏目中不能有换行符");
      return false;
    }
    return true;
  }

  // The characters the field's rule allows, as the window's keys let through.
  bool filtered(const std::string& key, const std::string& text, Allowed allowed) {
    for (std::size_t pos = 0; pos < text.size();)
      if (!isAllowed(allowed, nextCodePoint(text, pos))) {
        violate(key, "只能填写" + std::string(allowedInWords(allowed)));
        return false;
      }
    return true;
  }

  void readField(const FieldDef& d, const Json& v) {
    const std::string key(d.name);
    switch (d.kind) {
      case Kind::Text:
      case Kind::Masked:
      case Kind::Choice: {
        if (!v.is_string()) return violate(key, "应为字符串");
        const auto& text = v.get_ref<const std::string&>();
        if (!gbkText(key, text) || !windowText(key, text, true)) return;
        if (d.kind == Kind::Choice) {
          int item = d.list->find(text);
          if (!text.empty() && item < 0) return violate(key, "“" + text + "”不是可选的项目");
          r().setChoice(d.id, item);
          return;
        }
        if (d.kind == Kind::Masked) {
          if (!text.empty() &&
              (text.size() != static_cast<std::size_t>(kEduCodeDigits) || !filtered(key, text, d.allowed)))
            return violate(key, "应为空或" + std::to_string(kEduCodeDigits) + "位数字");
          r().setText(d.id, text);
          return;
        }
        if (d.byteLimit > 0 && gbkByteLength(text) > static_cast<std::size_t>(d.byteLimit))
          return violate(key, "超过 " + std::to_string(d.byteLimit) + " 字节的长度限制（" +
                                  std::to_string(gbkByteLength(text)) + " 字节）");
        // Fields the program fills (the outlay, the total) take what it wrote.
        if (d.typed && !filtered(key, text, d.allowed)) return;
        r().setText(d.id, text);
        return;
      }
      case Kind::LongText: {
        if (!v.is_array()) return violate(key, "应为字符串数组（各行）");
        Lines lines;
        // The window stores a long text as the lines it shows, wrapped or
        // broken alike; the limit is held by the characters of the lines,
        // which every document it saves meets.
        std::size_t bytes = 0;
        for (const Json& item : v) {
          if (!item.is_string()) return violate(key, "应为字符串数组（各行）");
          const auto& line = item.get_ref<const std::string&>();
          if (line.find_first_of("\r\n") != std::string::npos) return violate(key, "一行中不能有换行符");
          if (!gbkText(key, line) || !windowText(key, line, false)) return;
          bytes += gbkByteLength(line);
          lines.push_back(line);
        }
        if (bytes > static_cast<std::size_t>(d.byteLimit))
          return violate(
              key, "超过 " + std::to_string(d.byteLimit) + " 字节的长度限制（" + std::to_string(bytes) + " 字节）");
        r().setLines(d.id, std::move(lines));
        return;
      }
      case Kind::Table: return readTable(d, v);
    }
  }

  void readTable(const FieldDef& d, const Json& v) {
    const std::string key(d.name);
    if (!v.is_array()) return violate(key, "应为行的数组");
    if (static_cast<int>(v.size()) > d.table.storedRows)
      return violate(key,
                     "最多 " + std::to_string(d.table.storedRows) + " 行（实际 " + std::to_string(v.size()) + " 行）");
    const TableShape& shape = d.table;
    Record fresh = Record::initial();
    for (std::size_t row = 0; row < v.size(); ++row) {
      const Json& cells = v[row];
      const std::string where = key + "[" + std::to_string(row) + "]";
      if (!cells.is_array()) return violate(where, "应为单元格（字符串）的数组");
      if (static_cast<int>(cells.size()) > d.table.columns)
        return violate(
            where, "最多 " + std::to_string(d.table.columns) + " 列（实际 " + std::to_string(cells.size()) + " 列）");
      for (std::size_t col = 0; col < cells.size(); ++col) {
        const Json& item = cells[col];
        const std::string at = where + "[" + std::to_string(col) + "]";
        if (!item.is_string()) return violate(at, "应为字符串");
        const auto& cell = item.get_ref<const std::string&>();
        if (!gbkText(at, cell) || !windowText(at, cell, true)) return;
        if (static_cast<int>(col) < shape.fixedColumns &&
            cell != fresh.cell(d.id, static_cast<int>(row), static_cast<int>(col)))
          return violate(at, "固定单元格应为“" + fresh.cell(d.id, static_cast<int>(row), static_cast<int>(col)) + "”");
        if (static_cast<int>(col) == shape.amountColumn && !filtered(at, cell, Allowed::Amount)) return;
        r().setCell(d.id, static_cast<int>(row), static_cast<int>(col), cell);
      }
    }
  }

  // What the window's class rule allows: the two national classes fix the
  // third result to "A.专著"; the others have no fourth result.
  void linkedFields() {
    const bool national = isNationalClass(r().choice(Field::ProjectClass));
    if (national && r().choice(Field::ExpectProduction1) > 0)
      violate("ExpectProduction1", "课题类别为国家一般课题或国家青年基金课题时应为“A.专著”");
    if (!national && r().choice(Field::ExpectProduction2) >= 0)
      violate("ExpectProduction2", "只有国家一般课题和国家青年基金课题才填写预期最终成果4");
    // Opening empties the outlay of the special teachers' plan: a record
    // holding one would not read back as it was written.
    if (r().choice(Field::Purpose) == choiceItem::kSpecialTeacherPlan && !r().text(Field::ApplyOutlay).empty())
      violate("ApplyOutlay", "研究专项为“" + std::string(vocab::Purpose.text(1)) + "”时应为空");
    else if (r().choice(Field::Purpose) != choiceItem::kSpecialTeacherPlan && r().choice(Field::ProjectClass) >= 0)
      derived(Field::ApplyOutlay, classOutlay(r().choice(Field::ProjectClass)),
              "课题类别为“" + std::string(r().choiceText(Field::ProjectClass)) + "”时应为");
    else if (r().choice(Field::Purpose) != choiceItem::kSpecialTeacherPlan &&
             !anyClassOutlay(r().text(Field::ApplyOutlay)) && !violated("ApplyOutlay"))
      // Without a class (the age rule clears it) the field keeps what a class
      // set, or nothing: the user never types into it.
      violate("ApplyOutlay", "应为空或某一课题类别的金额（12、10、3、2）");
    // The total is the window's: the sum of the amounts, never a text of its
    // own. It stays empty, as in a fresh application, until an amount is
    // entered.
    const Record fresh = Record::initial();
    const bool freshAmounts = r().rows(Field::OutlayGrid) == fresh.rows(Field::OutlayGrid) &&
                              r().rows(Field::OutlayGrid2) == fresh.rows(Field::OutlayGrid2);
    if (freshAmounts && r().text(Field::BudgetTotal) == fresh.text(Field::BudgetTotal)) return;
    // Amounts already refused make no total to hold against.
    for (const auto& v : result.violations)
      if (v.key.starts_with("OutlayGrid")) return;
    const BudgetTotal total = budgetTotal(r());
    if (!total.text) return violate("OutlayAccounts", "经费预算的金额无法合计：" + total.error);
    derived(Field::BudgetTotal, std::optional<std::string_view>(*total.text), "应为经费预算各项金额的合计");
  }

  static bool anyClassOutlay(const std::string& text) {
    if (text.empty()) return true;
    for (int item = 0; classOutlay(item); ++item)
      if (*classOutlay(item) == text) return true;
    return false;
  }

  // A field the window derives from others: taken when not given, refused
  // when given otherwise. Nothing to derive (no class): as given.
  void derived(Field f, std::optional<std::string_view> value, const std::string& rule) {
    if (!value) return;
    const std::string key(fieldDef(f).name);
    if (!given_.count(f)) {
      r().setText(f, std::string(*value));
    } else if (r().text(f) != *value && !violated(key)) {
      violate(key, rule + "“" + std::string(*value) + "”");
    }
  }
};

}  // namespace

std::string jsonTooLarge() { return "JSON 过大，不是申报书（超过 " + megabytes(kMaxImportBytes) + "）"; }

ImportResult importRecordJson(std::string_view json) {
  Importer importer;
  if (json.size() > kMaxImportBytes) {
    importer.violate("", jsonTooLarge());
    return importer.result;
  }
  std::string error;
  auto root = parseRecordJson(json, error);
  if (!root) {
    importer.violate("", error);
    return importer.result;
  }
  if (!root->is_object()) {
    const std::size_t start = std::min(json.find_first_not_of(" \t\r\n"), json.size());
    importer.violate("", "JSON 格式错误（" + positionText(json, start) + "）：应为一个 JSON 对象");
    return importer.result;
  }
  importer.run(*root);
  return importer.result;
}

}  // namespace velmora
