#include "document/record_import.h"

#include <set>

#include "document/json_value.h"
#include "record/gbk.h"

namespace velmora {
namespace {

using Type = JsonValue::Type;

class Importer {
 public:
  ImportResult result;

  void run(const JsonValue& root) {
    if (root.type != Type::Object) return violate("", "应为一个 JSON 对象");
    std::set<std::string> seen;
    for (const auto& [key, value] : root.members) {
      if (!seen.insert(key).second) {
        violate(key, "键重复");
        continue;
      }
      if (key == "PASSBY" || key == "verifylist" || key == "ProjectID") continue;
      auto field = fieldByName(key);
      if (!field) {
        violate(key, "不是申报书的字段");
        continue;
      }
      readField(fieldDef(*field), value);
    }
    linkedFields();
    for (Field f : {Field::ProjectName, Field::Presider, Field::ContactMail})
      if (r().text(f).empty() && !violated(std::string(fieldDef(f).name))) violate(std::string(fieldDef(f).name), "必须填写（课题名称、主持人和电子邮箱是保存的必填项）");
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

  bool gbkText(const std::string& key, const std::string& text) {
    if (canEncodeGbk(text)) return true;
    violate(key, "含有 GBK 编码无法表示的字符");
    return false;
  }

  bool filtered(const std::string& key, const std::string& text, std::string_view allowed, const char* what) {
    for (char c : text)
      if (allowed.find(c) == std::string_view::npos) {
        violate(key, std::string("只能填写") + what);
        return false;
      }
    return true;
  }

  void readField(const FieldDef& d, const JsonValue& v) {
    const std::string key(d.name);
    switch (d.kind) {
      case Kind::Text:
      case Kind::Masked:
      case Kind::Choice: {
        if (v.type != Type::String) return violate(key, "应为字符串");
        const std::string& text = v.text;
        if (!gbkText(key, text)) return;
        if (d.kind == Kind::Choice) {
          int item = d.list->find(text);
          if (!text.empty() && item < 0) return violate(key, "“" + text + "”不是可选的项目");
          r().setChoice(d.id, item);
          return;
        }
        if (d.kind == Kind::Masked) {
          if (!text.empty() && (text.size() != 12 || !filtered(key, text, "0123456789", "数字")))
            return violate(key, "应为空或12位数字");
          r().setText(d.id, text);
          return;
        }
        if (d.byteLimit > 0 && gbkByteLength(text) > static_cast<std::size_t>(d.byteLimit))
          return violate(key, "超过 " + std::to_string(d.byteLimit) + " 字节的长度限制（" +
                                  std::to_string(gbkByteLength(text)) + " 字节）");
        if (d.id == Field::IDcard && !filtered(key, text, "0123456789Xx", "数字和字母X")) return;
        if ((d.id == Field::InputDate || d.id == Field::ExpectCompleteDate) && !filtered(key, text, "0123456789", "数字"))
          return;
        r().setText(d.id, text);
        return;
      }
      case Kind::LongText: {
        if (v.type != Type::Array) return violate(key, "应为字符串数组（各行）");
        Lines lines;
        std::size_t bytes = 0;
        for (const JsonValue& line : v.items) {
          if (line.type != Type::String) return violate(key, "应为字符串数组（各行）");
          if (line.text.find_first_of("\r\n") != std::string::npos) return violate(key, "一行中不能有换行符");
          if (!gbkText(key, line.text)) return;
          bytes += gbkByteLength(line.text) + (lines.empty() ? 0 : 2);
          lines.push_back(line.text);
        }
        if (bytes > static_cast<std::size_t>(d.byteLimit))
          return violate(key, "超过 " + std::to_string(d.byteLimit) + " 字节的长度限制（" + std::to_string(bytes) + " 字节）");
        r().setLines(d.id, std::move(lines));
        return;
      }
      case Kind::Table:
        return readTable(d, v);
    }
  }

  void readTable(const FieldDef& d, const JsonValue& v) {
    const std::string key(d.name);
    if (v.type != Type::Array) return violate(key, "应为行的数组");
    if (static_cast<int>(v.items.size()) > d.table.storedRows)
      return violate(key, "最多 " + std::to_string(d.table.storedRows) + " 行（实际 " + std::to_string(v.items.size()) + " 行）");
    const bool amounts = d.id == Field::OutlayGrid || d.id == Field::OutlayGrid2;
    Record fresh = Record::initial();
    for (std::size_t row = 0; row < v.items.size(); ++row) {
      const JsonValue& cells = v.items[row];
      const std::string where = key + "[" + std::to_string(row) + "]";
      if (cells.type != Type::Array) return violate(where, "应为单元格（字符串）的数组");
      if (static_cast<int>(cells.items.size()) > d.table.columns)
        return violate(where, "最多 " + std::to_string(d.table.columns) + " 列（实际 " + std::to_string(cells.items.size()) + " 列）");
      for (std::size_t col = 0; col < cells.items.size(); ++col) {
        const JsonValue& cell = cells.items[col];
        const std::string at = where + "[" + std::to_string(col) + "]";
        if (cell.type != Type::String) return violate(at, "应为字符串");
        if (!gbkText(at, cell.text)) return;
        if (amounts && col < 2 && cell.text != fresh.cell(d.id, static_cast<int>(row), static_cast<int>(col)))
          return violate(at, "固定单元格应为“" + fresh.cell(d.id, static_cast<int>(row), static_cast<int>(col)) + "”");
        if (amounts && col == 2 && !filtered(at, cell.text, "0123456789.", "数字和小数点")) return;
        r().setCell(d.id, static_cast<int>(row), static_cast<int>(col), cell.text);
      }
    }
  }

  // What the window's class rule allows: the two national classes fix the
  // third result to "A.专著"; the others have no fourth result.
  void linkedFields() {
    const int cls = r().choice(Field::ProjectClass);
    const bool national = cls == 0 || cls == 1;
    if (national && r().choice(Field::ExpectProduction1) > 0)
      violate("ExpectProduction1", "课题类别为国家一般课题或国家青年基金课题时应为“A.专著”");
    if (!national && r().choice(Field::ExpectProduction2) >= 0)
      violate("ExpectProduction2", "只有国家一般课题和国家青年基金课题才填写预期最终成果4");
  }
};

}  // namespace

ImportResult importRecordJson(std::string_view json) {
  Importer importer;
  JsonError error;
  auto root = parseJson(json, error);
  if (!root) {
    importer.violate("", "JSON 格式错误（第 " + std::to_string(error.offset) + " 个字节处）：" + error.message);
    return importer.result;
  }
  importer.run(*root);
  return importer.result;
}

}  // namespace velmora
