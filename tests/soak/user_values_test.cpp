// The soak's judgement of a record: these tests show it accepts what a user
// can enter and names each kind of value a user cannot.
#include "user_values.h"

#include <gtest/gtest.h>

namespace velmora::soak {
namespace {

std::vector<std::string> places(const Record& r, const Record* baseline = nullptr) {
  std::vector<std::string> out;
  for (const IllegalValue& v : illegalValues(r, baseline)) out.push_back(v.where + " | " + v.reason);
  return out;
}

std::string only(const Record& r) {
  auto found = illegalValues(r);
  if (found.size() != 1) return "found " + std::to_string(found.size());
  return found[0].where + " | " + found[0].reason;
}

TEST(UserValues, FreshAndBlankRecordsAreLegal) {
  EXPECT_EQ(places(Record::initial()), std::vector<std::string>{});
  // A blank record (a document holding only its version tag) lacks the fixed
  // cells of the amount tables: no user empties them, but a document may.
  Record blank = Record::blank();
  EXPECT_EQ(places(blank).front(),
            "OutlayGrid[0][0] | a fixed cell changed from \"" + Record::initial().cell(Field::OutlayGrid, 0, 0) + "\"");
  EXPECT_EQ(places(blank, &blank), std::vector<std::string>{});
}

TEST(UserValues, ByteLimitCountsGbkBytes) {
  Record r = Record::initial();
  r.setText(Field::ProjectName, std::string(80, 'a'));
  EXPECT_EQ(places(r), std::vector<std::string>{});
  r.setText(Field::ProjectName, std::string(81, 'a'));
  EXPECT_EQ(only(r), "ProjectName | over its limit of 80 GBK bytes (81)");

  std::string forty;
  for (int i = 0; i < 40; ++i) forty += "课";
  r.setText(Field::ProjectName, forty);
  EXPECT_EQ(places(r), std::vector<std::string>{});
  r.setText(Field::ProjectName, forty + "题");
  EXPECT_EQ(only(r), "ProjectName | over its limit of 80 GBK bytes (82)");
}

TEST(UserValues, CharactersOutsideGbkAndControlCharacters) {
  Record r = Record::initial();
  r.setText(Field::KeyWord, "研究\xF0\x9F\x98\x80");  // an emoji
  EXPECT_EQ(only(r), "KeyWord | character outside GBK U+1F600");

  r = Record::initial();
  r.setText(Field::Nation, "汉\x01");
  EXPECT_EQ(only(r), "Nation | control character U+0001");
  r.setText(Field::Nation, "汉\x7F");
  EXPECT_EQ(only(r), "Nation | control character U+007F");
  r.setText(Field::Nation, "汉\n族");
  EXPECT_EQ(only(r), "Nation | control character U+000A");  // a single line holds no line break
  r.setText(Field::Nation, "汉\t族€");
  EXPECT_EQ(places(r), std::vector<std::string>{});

  r.setText(Field::Nation, "\xC3");  // broken UTF-8
  EXPECT_EQ(only(r), "Nation | character outside GBK U+FFFD");
}

TEST(UserValues, FilteredFields) {
  Record r = Record::initial();
  r.setText(Field::IDcard, "11010519491231002X");
  r.setText(Field::InputDate, "20240101");
  r.setText(Field::ExpectCompleteDate, "202612");
  r.setText(Field::EduCode, "123456789012");
  EXPECT_EQ(places(r), std::vector<std::string>{});

  r.setText(Field::IDcard, "1101a");
  EXPECT_EQ(only(r), "IDcard | holds 'a' where only digits and X go");
  r.setText(Field::IDcard, "110x");

  r.setText(Field::InputDate, "2024.01");
  EXPECT_EQ(only(r), "InputDate | holds '.' where only digits go");
  r.setText(Field::InputDate, "");
  r.setText(Field::ExpectCompleteDate, "2026X");
  EXPECT_EQ(only(r), "ExpectCompleteDate | holds 'X' where only digits go");
  r.setText(Field::ExpectCompleteDate, "");

  r.setText(Field::EduCode, "1234567890123");
  EXPECT_EQ(only(r), "EduCode | more than twelve digits");
  r.setText(Field::EduCode, "12-34");
  EXPECT_EQ(only(r), "EduCode | holds '-' where only digits go");
}

TEST(UserValues, LongTextCountsTheCharactersOfItsLines) {
  Record r = Record::initial();
  r.setLines(Field::FundingStatement, {std::string(1100, 'a')});
  EXPECT_EQ(places(r), std::vector<std::string>{});
  r.setLines(Field::FundingStatement, {std::string(550, 'a'), std::string(550, 'b')});
  EXPECT_EQ(places(r), std::vector<std::string>{});  // a line that wraps adds no break
  r.setLines(Field::FundingStatement, {std::string(550, 'a'), std::string(549, 'b'), "一"});
  EXPECT_EQ(only(r), "OutlayPromises | over its limit of 1100 GBK bytes (1101 in the characters of 3 lines)");
  r.setLines(Field::FundingStatement, {"一", "二\x02"});
  EXPECT_EQ(only(r), "OutlayPromises line 2 | control character U+0002");
}

TEST(UserValues, TablesAndAmounts) {
  Record r = Record::initial();
  r.setCell(Field::OutlayGrid, 0, 2, "1250.5");
  r.setCell(Field::MainActor, 3, 1, "张三\t李四");
  EXPECT_EQ(places(r), std::vector<std::string>{});

  r.setCell(Field::OutlayGrid2, 1, 2, "1e5");
  EXPECT_EQ(only(r), "OutlayGrid2[1][2] | holds 'e' where only digits and the point go");
  r.setCell(Field::OutlayGrid2, 1, 2, "");
  r.setCell(Field::OutlayGrid, 2, 1, "改过的名称");
  EXPECT_EQ(only(r),
            "OutlayGrid[2][1] | a fixed cell changed from \"" + Record::initial().cell(Field::OutlayGrid, 2, 1) + "\"");
  r = Record::initial();
  r.setCell(Field::Production, 9, 4, "a\nb");
  EXPECT_EQ(only(r), "Production[9][4] | control character U+000A");
}

TEST(UserValues, ChoiceOutsideItsList) {
  Record r = Record::initial();
  r.setChoice(Field::Sex, 1);
  EXPECT_EQ(places(r), std::vector<std::string>{});
  r.setChoice(Field::Sex, vocab::Sex.size());
  EXPECT_EQ(only(r),
            "Sex | item " + std::to_string(vocab::Sex.size()) + " of a list of " + std::to_string(vocab::Sex.size()));
}

TEST(UserValues, BaselineValuesAreNotExamined) {
  Record opened = Record::initial();
  opened.setText(Field::ProjectName, std::string(100, 'a'));  // a document may hold anything
  opened.setCell(Field::OutlayGrid, 0, 2, "abc");
  Record now = opened;
  EXPECT_EQ(places(now, &opened), std::vector<std::string>{});
  EXPECT_EQ(places(now).size(), 2u);

  now.setText(Field::ProjectName, std::string(99, 'a'));  // the user's edit
  now.setCell(Field::OutlayGrid, 1, 2, "x");
  EXPECT_EQ(places(now, &opened),
            (std::vector<std::string>{"ProjectName | over its limit of 80 GBK bytes (99)",
                                      "OutlayGrid[1][2] | holds 'x' where only digits and the point go"}));
}

TEST(UserValues, ReportEscapesWhatATerminalCannotShow) {
  EXPECT_EQ(escapedForReport("a\x01\"课\xF0\x9F\x98\x80"), "\"a\\u{1}\\\"课\\u{1F600}\" (10 bytes of UTF-8)");
  EXPECT_EQ(escapedForReport("abcdef", 3), "\"abc\"... (6 bytes of UTF-8)");
}

}  // namespace
}  // namespace velmora::soak
