#include "record/record.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "record/gbk.h"

namespace velmora {
namespace {
using namespace std::string_view_literals;
constexpr std::array<OutlayItem, 6> kOutlay1{{{"1"sv, "资料费"sv},
                                              {"2"sv, "数据采集费"sv},
                                              {"3"sv, "差旅费"sv},
                                              {"4"sv, "会议费"sv},
                                              {"5"sv, "国际合作与交流"sv},
                                              {"6"sv, "设备费"sv}}};
constexpr std::array<OutlayItem, 5> kOutlay2{
    {{"7"sv, "专家咨询费"sv}, {"8"sv, "劳务费"sv}, {"9"sv, "印刷费"sv}, {"10"sv, "管理费"sv}, {"11"sv, "其他"sv}}};
}  // namespace

std::span<const OutlayItem> outlayItems(Field table) {
  if (table == Field::OutlayGrid) return kOutlay1;
  if (table == Field::OutlayGrid2) return kOutlay2;
  return {};
}

Record Record::blank() {
  Record r;
  for (const auto& d : allFields())
    if (d.kind == Kind::Table) r.values_[index(d.id)].rows.assign(d.table.storedRows, Row(d.table.columns));
  return r;
}

Record Record::initial() {
  Record r = blank();
  r.setText(Field::ProjectID, std::string(kInitialProjectId));
  for (Field t : {Field::OutlayGrid, Field::OutlayGrid2}) {
    auto items = outlayItems(t);
    for (std::size_t i = 0; i < items.size(); ++i) {
      r.setCell(t, static_cast<int>(i), 0, std::string(items[i].number));
      r.setCell(t, static_cast<int>(i), 1, std::string(items[i].name));
      r.setCell(t, static_cast<int>(i), 2, "0");
    }
  }
  for (int c = 0; c < 4; ++c) r.setCell(Field::OutlayGrid3, 0, c, std::string(kYearCell));
  return r;
}

void Record::setChoiceText(Field f, std::string_view itemText) {
  values_[index(f)].choice = fieldDef(f).list->find(itemText);
}

std::string_view Record::choiceText(Field f) const { return fieldDef(f).list->text(values_[index(f)].choice); }

void Record::replaceLines(Field f, std::size_t first, std::size_t removed, Lines inserted) {
  Lines& lines = values_[index(f)].lines;
  first = std::min(first, lines.size());
  removed = std::min(removed, lines.size() - first);
  const auto at = lines.begin() + static_cast<std::ptrdiff_t>(first);
  const std::size_t kept = std::min(removed, inserted.size());
  std::move(inserted.begin(), inserted.begin() + static_cast<std::ptrdiff_t>(kept), at);
  if (removed > kept)
    lines.erase(at + static_cast<std::ptrdiff_t>(kept), at + static_cast<std::ptrdiff_t>(removed));
  else
    lines.insert(at + static_cast<std::ptrdiff_t>(kept),
                 std::make_move_iterator(inserted.begin() + static_cast<std::ptrdiff_t>(kept)),
                 std::make_move_iterator(inserted.end()));
}

bool Record::longTextEmpty(Field f) const {
  // Any line at all means at least one character or line break.
  return lines(f).empty();
}

std::size_t limitedBytes(std::string_view text) {
  return gbkByteLength(text) + static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

std::string eduCodeDigits(std::string_view text) {
  std::string digits;
  for (char c : text)
    if (c >= '0' && c <= '9' && digits.size() < static_cast<std::size_t>(kEduCodeDigits)) digits += c;
  return digits;
}

std::string textFromLines(const Lines& lines) {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) out += '\n';
    out += lines[i];
  }
  // An empty last line exists only because a line break follows it.
  if (!lines.empty() && lines.back().empty()) out += '\n';
  return out;
}

void Record::clearRow(Field f, int storedRow) {
  for (auto& c : values_[index(f)].rows[storedRow]) c.clear();
}

std::string Record::valueText(Field f) const {
  switch (fieldDef(f).kind) {
    case Kind::Choice: return std::string(choiceText(f));
    case Kind::LongText: return textFromLines(lines(f));
    case Kind::Table: return {};
    default: return text(f);
  }
}

}  // namespace velmora
