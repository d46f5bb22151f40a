// Every record velmora-cli import accepts is written as a document and read
// back as the same record. The records come from random text (a fixed seed):
// Chinese and Latin text, tabs, line breaks of every kind, control
// characters, NUL, characters GBK has no code for, long lines. Each text is
// offered as it is and as the window's input would have let it through
// (control characters and characters outside GBK dropped, cut at the field's
// byte limit); whatever import accepts must survive saving and opening.
#include <gtest/gtest.h>

#include <algorithm>

#include <nlohmann/json.hpp>

#include "check/completeness_check.h"
#include "document/document_actions.h"
#include "exchange/record_import.h"
#include "format/xdx_reader.h"
#include "format/xdx_writer.h"
#include "random_text.h"
#include "record/amount.h"
#include "record/gbk.h"
#include "test_support.h"

using namespace velmora;
using Json = nlohmann::ordered_json;

namespace {

constexpr std::uint32_t kSeed = 20261210;
constexpr int kRecords = 150;

// What the window's input lets through of a text: no control character but
// the tab (and the line feed in a long text), no carriage return, nothing
// GBK cannot write, no more than `limit` GBK bytes (a line break counts two).
std::string asTheWindowTakesIt(const std::string& text, int limit, bool multiLine) {
  std::string out;
  std::size_t bytes = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t start = pos;
    const char32_t c = nextCodePoint(text, pos);
    const std::string ch = text.substr(start, pos - start);
    if (c == U'\r' || (c == U'\n' && !multiLine)) continue;
    if ((c < 0x20 && c != U'\t' && c != U'\n') || c == 0x7F) continue;
    if (!canEncodeGbk(ch)) continue;
    const std::size_t b = limitedBytes(ch);
    if (limit > 0 && bytes + b > static_cast<std::size_t>(limit)) break;
    bytes += b;
    out += ch;
  }
  return out;
}

Json linesOf(const std::string& text) {
  Json lines = Json::array();
  std::size_t from = 0;
  for (;;) {
    const std::size_t end = text.find('\n', from);
    lines.push_back(text.substr(from, end == std::string::npos ? std::string::npos : end - from));
    if (end == std::string::npos) break;
    from = end + 1;
  }
  return lines;
}

// Digits and points as an amount cell takes them, made a number the budget
// total can add up (one point at most): the total of a record with a cell
// that is no number cannot be derived, and import refuses it.
std::string anAmount(std::string typed) {
  const auto point = typed.find('.');
  if (point != std::string::npos)
    typed.erase(std::remove(typed.begin() + static_cast<long>(point) + 1, typed.end(), '.'), typed.end());
  return typed;
}

// One random record in the shape velmora-cli dump prints; `filtered` passes
// each text through the window's rule first.
Json randomRecordJson(test::RandomText& src, bool filtered = true) {
  Json doc = Json::object();
  auto maybe = [&](const std::string& raw, int limit, bool multiLine) {
    return filtered ? asTheWindowTakesIt(raw, limit, multiLine) : raw;
  };
  for (const FieldDef& d : allFields()) {
    if (!isUserField(d.id)) continue;
    const std::string key(d.name);
    switch (d.kind) {
      case Kind::Choice: {
        const int item = src.below(d.list->size() + 1) - 1;
        doc[key] = item < 0 ? std::string() : std::string(d.list->text(item));
        break;
      }
      case Kind::Masked:
        doc[key] =
            src.below(2) ? std::string() : src.allowed(d.allowed, d.byteLimit, d.byteLimit);  // all twelve digits
        break;
      case Kind::LongText: {
        const std::string text = maybe(src.text(src.below(4) ? 12 : 200), d.byteLimit, true);
        doc[key] = linesOf(text);
        break;
      }
      case Kind::Table: {
        const Record fresh = Record::initial();
        Json rows = Json::array();
        for (int r = 0; r < d.table.storedRows; ++r) {
          Json row = Json::array();
          for (int c = 0; c < d.table.columns; ++c) {
            if (c < d.table.fixedColumns)
              row.push_back(fresh.cell(d.id, r, c));
            else if (c == d.table.amountColumn)
              row.push_back(anAmount(src.allowed(Allowed::Amount, 6)));
            else
              row.push_back(maybe(src.text(6), 0, false));
          }
          rows.push_back(std::move(row));
        }
        doc[key] = std::move(rows);
        break;
      }
      case Kind::Text:
        if (d.typed && d.allowed != Allowed::Anything)
          doc[key] = src.allowed(d.allowed, d.byteLimit);
        else
          doc[key] = maybe(src.text(8), d.byteLimit, false);
        break;
    }
  }
  // The three fields a document cannot be saved without.
  for (Field f : kRequiredToSave)
    if (doc[std::string(fieldDef(f).name)].get<std::string>().empty()) doc[std::string(fieldDef(f).name)] = "必填";
  // The special teachers' plan has no outlay to apply for.
  if (filtered && vocab::Purpose.find(doc["Purpose"].get<std::string>()) == 1) doc["ApplyOutlay"] = "";
  // The outlay a class fixes and the budget total are the window's to
  // derive: import takes them from the class and the amounts.
  doc.erase("OutlayAccounts");
  if (vocab::Purpose.find(doc["Purpose"].get<std::string>()) != 1) {
    if (vocab::ProjectClass.find(doc["ProjectClass"].get<std::string>()) >= 0)
      doc.erase("ApplyOutlay");
    else  // what a class set before the age rule cleared it, or nothing
      doc["ApplyOutlay"] = std::string(src.below(2) ? "" : *classOutlay(src.below(4)));
  }
  // The class rule: national classes fix the third result, others have no fourth.
  if (isNationalClass(vocab::ProjectClass.find(doc["ProjectClass"].get<std::string>()))) {
    doc["ExpectProduction1"] = std::string(vocab::ExpectProduction1.text(0));
  } else {
    doc["ExpectProduction2"] = "";
  }
  return doc;
}

}  // namespace

TEST(RecordRoundTrip, EveryImportedRecordReadsBackTheSame) {
  test::RandomText src(kSeed);
  int accepted = 0, refused = 0;
  for (int i = 0; i < kRecords; ++i) {
    SCOPED_TRACE(testing::Message() << "seed " << kSeed << ", record " << i);
    const Json taken = randomRecordJson(src, true);
    // The same record with one text as it came, unfiltered.
    Json raw = taken;
    const std::vector<std::string> texts = {"ProjectName", "KeyWord",        "ApplyOutlay", "Presider",
                                            "Department",  "ContactAddress", "OutlayBank",  "ProjectAnalyze",
                                            "HuoYe",       "MainActor",      "Production"};
    const std::string& key = texts[static_cast<std::size_t>(src.below(static_cast<int>(texts.size())))];
    if (raw[key].is_array() && !raw[key].empty() && raw[key][0].is_array())
      raw[key][0][0] = src.text(6);
    else if (raw[key].is_array())
      raw[key] = linesOf(src.text(12));
    else
      raw[key] = src.text(6);
    for (bool filtered : {true, false}) {
      SCOPED_TRACE(filtered ? "as the window takes it" : "as it came");
      const Json& json = filtered ? taken : raw;
      const ImportResult imported = importRecordJson(json.dump());
      if (filtered) {
        EXPECT_TRUE(imported.ok()) << "seed " << kSeed << ", record " << i << ": "
                                   << (imported.ok()
                                           ? ""
                                           : imported.violations[0].key + " " + imported.violations[0].message);
      }
      if (!imported.ok()) {
        ++refused;
        continue;
      }
      ++accepted;
      const Record& record = imported.record;
      const std::string bytes = buildXdx(record, completenessProblems(record));
      FormState opened;
      test::ScriptedPrompter p;
      opened.setPendingPath("/round-trip.xdx");
      ASSERT_EQ(applyReadResult(opened, p, readXdxBytes(bytes)), OpenOutcome::Opened)
          << "seed " << kSeed << ", record " << i << (filtered ? " (as the window takes it)" : " (as it came)") << ": "
          << (p.shown.empty() ? "" : p.shown[0].text);
      EXPECT_TRUE(opened.record() == record)
          << "seed " << kSeed << ", record " << i << (filtered ? " (as the window takes it)" : " (as it came)") << ", "
          << test::firstDifference(record, opened.record());
    }
  }
  // Both kinds of input were tried: some raw texts are refused, every filtered one is taken.
  EXPECT_GE(accepted, kRecords);
  EXPECT_GT(refused, 0);
}
