#include "user_values.h"

#include <cstdio>

#include "record/characters.h"
#include "record/gbk.h"

namespace velmora::soak {
namespace {

std::string codePointName(char32_t cp) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
  return buf;
}

// What no field takes (DEL, carriage returns and the C0 controls but tab),
// a line feed where the field has no lines, and the C1 controls: GBK has
// none of those, but they are named here as what they are.
bool isControl(char32_t cp, bool lineBreaks) {
  if (cp == U'\n') return !lineBreaks;
  return !fieldTakes(cp) || (cp >= 0x80 && cp <= 0x9F);
}

// The first character of `text` that a field of the window refuses whatever
// path it arrives by: outside GBK, or a control character.
std::optional<std::string> characterProblem(std::string_view text, bool lineBreaks) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    const char32_t cp = nextCodePoint(text, pos);
    if (isControl(cp, lineBreaks)) return "control character " + codePointName(cp);
  }
  // One conversion of the whole text; only a refused text is taken apart.
  if (canEncodeGbk(text)) return std::nullopt;
  pos = 0;
  while (pos < text.size()) {
    const std::size_t start = pos;
    const char32_t cp = nextCodePoint(text, pos);
    if (!canEncodeGbk(text.substr(start, pos - start))) return "character outside GBK " + codePointName(cp);
  }
  return "text GBK cannot hold";  // every character alone fits: the sequence does not
}

std::optional<std::string> onlyCharacters(std::string_view text, std::string_view allowed, const char* what) {
  for (char c : text)
    if (allowed.find(c) == std::string_view::npos) return std::string("holds '") + c + "' where only " + what + " go";
  return std::nullopt;
}

// The field's limit counts its text, where a typed line break is two bytes
// but a line that only wraps has none; the record cannot tell the two apart,
// so the lines' characters alone must fit.
std::size_t longTextBytes(const Lines& lines) {
  std::size_t bytes = 0;
  for (const std::string& line : lines) bytes += gbkByteLength(line);
  return bytes;
}

class Examiner {
 public:
  Examiner(const Record& now, const Record* baseline) : now_(now), baseline_(baseline) {}

  std::vector<IllegalValue> run() {
    for (const FieldDef& d : allFields()) field(d);
    return std::move(found_);
  }

 private:
  void report(std::string where, std::string reason, const std::string& value) {
    found_.push_back({std::move(where), std::move(reason), escapedForReport(value)});
  }

  void field(const FieldDef& d) {
    const std::string name(d.name);
    switch (d.kind) {
      case Kind::Text:
        if (baseline_ && baseline_->text(d.id) == now_.text(d.id)) return;
        return text(d, name, now_.text(d.id));
      case Kind::Masked: {
        const std::string& t = now_.text(d.id);
        if (baseline_ && baseline_->text(d.id) == t) return;
        if (auto p = onlyCharacters(t, "0123456789", "digits")) return report(name, *p, t);
        if (t.size() > 12) return report(name, "more than twelve digits", t);
        return;
      }
      case Kind::Choice: {
        const int item = now_.choice(d.id);
        if (baseline_ && baseline_->choice(d.id) == item) return;
        if (item < -1 || item >= d.list->size())
          report(name, "item " + std::to_string(item) + " of a list of " + std::to_string(d.list->size()), {});
        return;
      }
      case Kind::LongText: return longText(d, name);
      case Kind::Table: return table(d, name);
    }
  }

  void text(const FieldDef& d, const std::string& where, const std::string& t) {
    if (auto p = characterProblem(t, false)) return report(where, *p, t);
    if (d.byteLimit > 0 && gbkByteLength(t) > static_cast<std::size_t>(d.byteLimit))
      return report(
          where,
          "over its limit of " + std::to_string(d.byteLimit) + " GBK bytes (" + std::to_string(gbkByteLength(t)) + ")",
          t);
    std::optional<std::string> p;
    if (d.id == Field::IDcard) p = onlyCharacters(t, "0123456789Xx", "digits and X");
    if (d.id == Field::InputDate || d.id == Field::ExpectCompleteDate) p = onlyCharacters(t, "0123456789", "digits");
    if (p) report(where, *p, t);
  }

  void longText(const FieldDef& d, const std::string& name) {
    const Lines& lines = now_.lines(d.id);
    if (baseline_ && baseline_->lines(d.id) == lines) return;
    for (std::size_t i = 0; i < lines.size(); ++i)
      if (auto p = characterProblem(lines[i], false))
        return report(name + " line " + std::to_string(i + 1), *p, lines[i]);
    const std::size_t bytes = longTextBytes(lines);
    if (bytes > static_cast<std::size_t>(d.byteLimit))
      report(name,
             "over its limit of " + std::to_string(d.byteLimit) + " GBK bytes (" + std::to_string(bytes) +
                 " in the characters of " + std::to_string(lines.size()) + " lines)",
             textFromLines(lines));
  }

  void table(const FieldDef& d, const std::string& name) {
    const Rows& rows = now_.rows(d.id);
    if (static_cast<int>(rows.size()) != d.table.storedRows)
      return report(name, std::to_string(rows.size()) + " rows instead of " + std::to_string(d.table.storedRows), {});
    const bool amounts = d.id == Field::OutlayGrid || d.id == Field::OutlayGrid2;
    for (int r = 0; r < d.table.storedRows; ++r) {
      const std::string rowName = name + "[" + std::to_string(r) + "]";
      if (static_cast<int>(rows[r].size()) != d.table.columns)
        return report(rowName, std::to_string(rows[r].size()) + " cells instead of " + std::to_string(d.table.columns),
                      {});
      for (int c = 0; c < d.table.columns; ++c) {
        const std::string& cell = rows[r][c];
        if (baseline_ && baseline_->rows(d.id).size() == rows.size() &&
            baseline_->rows(d.id)[r].size() == rows[r].size() && baseline_->cell(d.id, r, c) == cell)
          continue;
        const std::string where = rowName + "[" + std::to_string(c) + "]";
        if (auto p = characterProblem(cell, false)) {
          report(where, *p, cell);
        } else if (amounts && c < 2 && cell != initial_.cell(d.id, r, c)) {
          report(where, "a fixed cell changed from \"" + initial_.cell(d.id, r, c) + "\"", cell);
        } else if (amounts && c == 2) {
          if (auto q = onlyCharacters(cell, "0123456789.", "digits and the point")) report(where, *q, cell);
        }
      }
    }
  }

  const Record& now_;
  const Record* baseline_;
  const Record initial_ = Record::initial();
  std::vector<IllegalValue> found_;
};

}  // namespace

std::vector<IllegalValue> illegalValues(const Record& now, const Record* baseline) {
  return Examiner(now, baseline).run();
}

std::string escapedForReport(const std::string& utf8, std::size_t maxChars) {
  std::string out = "\"";
  std::size_t pos = 0, chars = 0;
  while (pos < utf8.size() && chars < maxChars) {
    const std::size_t start = pos;
    const char32_t cp = nextCodePoint(utf8, pos);
    ++chars;
    const std::string_view ch(utf8.data() + start, pos - start);
    if (cp == U'\\' || cp == U'"') {
      out += '\\';
      out += static_cast<char>(cp);
    } else if (isControl(cp, false) || cp == U'\n' || (cp >= 0x80 && !canEncodeGbk(ch))) {
      char buf[24];
      std::snprintf(buf, sizeof buf, "\\u{%X}", static_cast<unsigned>(cp));
      out += buf;
    } else {
      out += ch;
    }
  }
  out += '"';
  if (pos < utf8.size()) out += "...";
  out += " (" + std::to_string(utf8.size()) + " bytes of UTF-8)";
  return out;
}

}  // namespace velmora::soak
