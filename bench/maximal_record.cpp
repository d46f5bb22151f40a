#include "bench/maximal_record.h"

#include "record/amount.h"

namespace velmora::bench {
namespace {

// Chinese text of exactly `bytes` GBK bytes (an odd count ends in a digit).
std::string chinese(int bytes) {
  static const char* kChars[] = {"教", "育", "科", "学", "研", "究", "课", "题", "申", "报"};
  std::string s;
  for (int i = 0; i + 2 <= bytes; i += 2) s += kChars[(i / 2) % 10];
  if (bytes % 2) s += '7';
  return s;
}

Lines fullLongText(int limit) {
  // Lines of 80 bytes, each line break counted as two bytes as in the saved form.
  Lines lines;
  int used = 0;
  while (used + 80 <= limit) {
    lines.push_back(chinese(80));
    used += 82;
  }
  if (used < limit) lines.push_back(chinese(limit - used));
  return lines;
}

}  // namespace

Record maximalRecord() {
  Record r = Record::initial();
  for (const FieldDef& d : allFields()) {
    switch (d.kind) {
      case Kind::Text:
        if (isUserField(d.id)) r.setText(d.id, chinese(d.byteLimit ? d.byteLimit : 400));
        break;
      case Kind::Masked: r.setText(d.id, "123456789012"); break;
      case Kind::Choice: r.setChoice(d.id, d.list->size() - 1); break;
      case Kind::LongText: r.setLines(d.id, fullLongText(d.byteLimit)); break;
      case Kind::Table:
        for (int row = 0; row < d.table.storedRows; ++row)
          for (int c = 0; c < d.table.columns; ++c) r.setCell(d.id, row, c, chinese(40));
        break;
    }
  }
  r.setText(Field::SN, "BJA110012");
  r.setText(Field::ProjectID, "{6F9619FF-8B86-4011-B42D-00C04FC964FF}");
  return r;
}

Record largestLegalRecord() {
  constexpr int kUnlimited = 200;
  Record r = Record::initial();
  const Record fresh = Record::initial();
  for (const FieldDef& d : allFields()) {
    switch (d.kind) {
      case Kind::Text:
        if (!isUserField(d.id) || !d.typed) break;  // the outlay and the total are derived below
        if (d.allowed == Allowed::Anything)
          r.setText(d.id, chinese(d.byteLimit ? d.byteLimit : kUnlimited));
        else
          r.setText(d.id, std::string(static_cast<std::size_t>(d.byteLimit ? d.byteLimit : kUnlimited), '7'));
        break;
      case Kind::Masked: r.setText(d.id, "123456789012"); break;
      case Kind::Choice: r.setChoice(d.id, d.list->size() - 1); break;
      case Kind::LongText: r.setLines(d.id, fullLongText(d.byteLimit)); break;
      case Kind::Table:
        for (int row = 0; row < d.table.storedRows; ++row)
          for (int c = 0; c < d.table.columns; ++c)
            r.setCell(d.id, row, c,
                      c < d.table.fixedColumns ? fresh.cell(d.id, row, c)
                      : d.table.holdsAmounts() ? std::string("12345678.90")
                                               : chinese(kUnlimited));
        break;
    }
  }
  // What the import holds to stricter shapes than any text: dates, the
  // identity number, the national class and its outlay, the total.
  r.setText(Field::InputDate, "20110101");
  r.setText(Field::ExpectCompleteDate, "201312");
  r.setText(Field::IDcard, "11010819800101123X");
  r.setChoice(Field::ProjectClass, 0);
  r.setChoice(Field::ExpectProduction1, 0);
  r.setText(Field::ApplyOutlay, std::string(*classOutlay(0)));
  r.setText(Field::BudgetTotal, *budgetTotal(r).text);
  r.setText(Field::SN, "BJA110012");
  r.setText(Field::ProjectID, "{6F9619FF-8B86-4011-B42D-00C04FC964FF}");
  return r;
}

}  // namespace velmora::bench
