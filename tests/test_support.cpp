#include "test_support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "record/gbk.h"
#ifdef _WIN32
#include <windows.h>
#endif

namespace velmora::test {

std::optional<std::string> ScriptedPrompter::askOpenPath() {
  ++openDialogs;
  if (openAnswers.empty()) return std::nullopt;
  auto a = openAnswers.front();
  openAnswers.pop_front();
  return a;
}

std::optional<std::string> ScriptedPrompter::askSavePath(const std::string& proposed) {
  proposedSaveNames.push_back(proposed);
  if (saveAnswers.empty()) return std::nullopt;
  auto a = saveAnswers.front();
  saveAnswers.pop_front();
  return a;
}

bool ScriptedPrompter::confirm(const std::string& t) {
  shown.push_back({"confirm", t});
  if (confirmAnswers.empty()) return false;
  bool a = confirmAnswers.front();
  confirmAnswers.pop_front();
  return a;
}

Answer ScriptedPrompter::askYesNoCancel(const std::string& t) {
  shown.push_back({"question", t});
  if (choiceAnswers.empty()) return Answer::Cancel;
  Answer a = choiceAnswers.front();
  choiceAnswers.pop_front();
  return a;
}

namespace {
// A UTF-8 path as the streams take it on every system (on Windows a narrow
// path would be read in the ANSI code page).
std::filesystem::path utf8Path(const std::string& path) { return std::u8string(path.begin(), path.end()); }
}  // namespace

bool runsUnderWine() {
#ifdef _WIN32
  // Wine's ntdll exports its version; Windows' has no such function.
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
#else
  return false;
#endif
}

std::string fixture(const std::string& name) {
  std::filesystem::path path = utf8Path(std::string(VELMORA_FIXTURES) + "/" + name);
  const std::u8string utf8 = path.make_preferred().u8string();
  return std::string(utf8.begin(), utf8.end());
}

std::string readFile(const std::string& path) {
  std::ifstream in(utf8Path(path), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(utf8Path(path), std::ios::binary);
  out << bytes;
}

std::string gbk(const std::string& utf8) {
  auto b = utf8ToGbk(utf8);
  if (!b) throw std::runtime_error("not GBK: " + utf8);
  return *b;
}

TempDir::TempDir() {
#ifdef _WIN32
  // No mkdtemp: a random name, made only if it is new.
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto candidate = std::filesystem::temp_directory_path() / ("velmora-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(candidate)) {
      dir_ = candidate;
      dir_.make_preferred();
      return;
    }
  }
  throw std::runtime_error("no temporary folder");
#else
  std::string tmpl = (std::filesystem::temp_directory_path() / "velmora-test-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  dir_ = tmpl;
#endif
}

std::string TempDir::path(const std::string& name) const {
  std::filesystem::path joined = dir_ / std::filesystem::path(std::u8string(name.begin(), name.end()));
  const std::u8string utf8 = joined.make_preferred().u8string();
  return std::string(utf8.begin(), utf8.end());
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

FormState editedState() {
  FormState s;
  s.setText(Field::ProjectName, "未保存的编辑");
  s.setText(Field::PostCode, "123");
  ScriptedPrompter none;
  s.editCell(Field::MainActor, 0, 0, "张三", none);
  s.runCheck();
  s.setSaveDialogName("/earlier/choice.xdx");
  return s;
}

FormState savableState() {
  FormState s;
  s.setText(Field::ProjectName, "课题");
  s.setText(Field::Presider, "王");
  s.setText(Field::ContactMail, "w@x.cn");
  return s;
}

Record completeRecord() {
  Record r = Record::initial();
  for (const FieldDef& d : allFields()) {
    switch (d.kind) {
      case Kind::Text:
        if (isUserField(d.id)) r.setText(d.id, "填");
        break;
      case Kind::Masked: r.setText(d.id, "123456789012"); break;
      case Kind::Choice: r.setChoice(d.id, 1); break;
      case Kind::LongText: r.setLines(d.id, {"第一行", "第二行"}); break;
      case Kind::Table:
        for (int row = 0; row < d.table.storedRows; ++row)
          for (int c = 0; c < d.table.columns; ++c)
            if (r.cell(d.id, row, c).empty()) r.setCell(d.id, row, c, "格");
        break;
    }
  }
  r.setText(Field::PostCode, "100875");
  r.setText(Field::BudgetTotal, "150000");
  r.setChoice(Field::Purpose, -1);
  return r;
}

std::string document(const std::string& body, const std::string& encoding) {
  std::string text = "<?xml version=\"1.0\" encoding=\"" + encoding + "\" standalone=\"yes\"?>\n<XMLPackage>" + body +
                     "</XMLPackage>\n";
  if (encoding == "GBK" || encoding == "gbk") return gbk(text);
  return text;
}

namespace {

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F || c == '"' || c == '\\') {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out + "\"";
}

}  // namespace

std::string rowName(std::string_view text, std::size_t most) {
  std::string out = "\"";
  std::size_t pos = 0;
  for (std::size_t shown = 0; pos < text.size() && shown < most; ++shown) {
    const std::size_t start = pos;
    const char32_t c = nextCodePoint(text, pos);
    // A control character (C0, DEL or C1), or a byte that is part of no
    // UTF-8 character: each of its bytes escaped.
    const bool stray = c == 0xFFFD && pos - start == 1;
    if (stray || c < 0x20 || (c >= 0x7F && c < 0xA0)) {
      for (std::size_t i = start; i < pos; ++i) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(text[i]));
        out += hex;
      }
    } else {
      out.append(text.substr(start, pos - start));
    }
  }
  if (pos == text.size()) return out + "\"";
  return out + "…\" (" + std::to_string(text.size()) + " bytes)";
}

std::string firstDifference(const Record& a, const Record& b) {
  for (const FieldDef& d : allFields()) {
    const bool same = d.kind == Kind::Table      ? a.rows(d.id) == b.rows(d.id)
                      : d.kind == Kind::LongText ? a.lines(d.id) == b.lines(d.id)
                      : d.kind == Kind::Choice   ? a.choice(d.id) == b.choice(d.id)
                                                 : a.text(d.id) == b.text(d.id);
    if (same) continue;
    if (d.kind != Kind::Table)
      return std::string(d.name) + ": " + quoted(a.valueText(d.id)) + " became " + quoted(b.valueText(d.id));
    for (std::size_t r = 0; r < a.rows(d.id).size(); ++r)
      for (std::size_t c = 0; c < a.rows(d.id)[r].size(); ++c)
        if (a.rows(d.id)[r][c] != b.rows(d.id)[r][c])
          return std::string(d.name) + "[" + std::to_string(r) + "][" + std::to_string(c) +
                 "]: " + quoted(a.rows(d.id)[r][c]) + " became " + quoted(b.rows(d.id)[r][c]);
  }
  return "";
}

}  // namespace velmora::test
