#include <gtest/gtest.h>

#include "format/comma_text.h"
#include "random_text.h"
#include "test_support.h"

using namespace velmora;
using velmora::test::rowName;
using Items = std::vector<std::string>;

namespace {
// A list as a trace names it: each item quoted, a space between.
std::string itemsName(const Items& items) {
  std::string name;
  for (const auto& item : items) name += (name.empty() ? "" : " ") + rowName(item);
  return name.empty() ? "no items" : name;
}
}  // namespace

TEST(CommaText, WritesTheDocumentedExamples) {
  struct Case {
    Items items;
    const char* text;
  } cases[] = {
      {{"1", "资料费", "0"}, "1,资料费,0"},
      {Items(9), ",,,,,,,,"},
      {{""}, "\"\""},
      {{}, ""},
      {{"a b", "0"}, "\"a b\",0"},
      {{"第一行", "", "第三行"}, "第一行,,第三行"},
      {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
      {{"a,b", "c"}, "\"a,b\",c"},
      {{" ", ""}, "\" \","},
      {{"          年", "          年"}, "\"          年\",\"          年\""},
      {{"tab\there"}, "\"tab\there\""},
      {{"x\"y"}, "\"x\"\"y\""},
      {{"01、课题名称  未填写"}, "\"01、课题名称  未填写\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(rowName(c.text));
    EXPECT_EQ(writeCommaText(c.items), c.text);
    EXPECT_EQ(readCommaText(c.text), c.items) << c.text;
  }
}

TEST(CommaText, ReadingRules) {
  struct Case {
    const char* text;
    Items items;
  } cases[] = {
      {"", {}},
      {"   ", {}},
      {"a b", {"a", "b"}},
      {"a,,b", {"a", "", "b"}},
      {"a,", {"a", ""}},
      {",", {"", ""}},
      {"  a ,  b", {"a", "b"}},
      {"\"unterminated, still read", {"unterminated, still read"}},
      {"\"a\"\"", {"a\""}},
      {"\"a\"b", {"a", "b"}},
      {"a\"b,c", {"a\"b", "c"}},
      {"课题,名称", {"课题", "名称"}},
      {"a, ", {"a"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(rowName(c.text));
    EXPECT_EQ(readCommaText(c.text), c.items) << c.text;
  }
}

TEST(CommaText, EveryWrittenListReadsBack) {
  const Items lists[] = {
      {"", "", ""},        {"", "x"},
      {"x", ""},           {" lead", "trail ", " both "},
      {"\"", ",", "\"\""}, {"中文,逗号", "引\"号"},
      {"line\r\nbreak"},
  };
  for (const auto& items : lists) {
    SCOPED_TRACE(itemsName(items));
    EXPECT_EQ(readCommaText(writeCommaText(items)), items);
  }
}

TEST(CommaText, SeparatorsAtEveryPlaceOfALongItem) {
  // Unquoted items are scanned eight bytes at a time; a separator, a control
  // character or a NUL at any place, among ASCII or Chinese text, ends (or
  // does not end) the item as it would one byte at a time.
  for (const std::string filler : {"x", "汉"}) {
    SCOPED_TRACE("filler " + filler);
    for (std::size_t before = 1; before < 20; ++before) {
      SCOPED_TRACE(testing::Message() << "before " << before);
      std::string head;
      while (head.size() < before) head += filler;
      const std::string tail = head + "尾";
      struct Case {
        std::string text;
        std::vector<std::string> items;
      } cases[] = {
          {head + "," + tail, {head, tail}},
          {head + " " + tail, {head, tail}},
          {head + "\t" + tail, {head, tail}},
          {head + "\x1F" + tail, {head, tail}},
          {head + "!" + tail, {head + "!" + tail}},
          {head + "-" + tail, {head + "-" + tail}},
          {head + std::string(1, '\0') + tail, {head + std::string(1, '\0') + tail}},
          {head + "\x7F" + tail, {head + "\x7F" + tail}},
      };
      for (const auto& c : cases) {
        SCOPED_TRACE(rowName(c.text));
        EXPECT_EQ(readCommaText(c.text), c.items) << before << " " << filler;
      }
    }
  }
}

// A table reads no more items than it has columns, whatever the row holds.
TEST(CommaText, ReadsNoMoreThanItIsAskedFor) {
  struct Case {
    std::string text;
    std::size_t most;
    std::vector<std::string> items;
  } cases[] = {
      {"a,b,c", 2, {"a", "b"}},
      {"a,", 1, {"a"}},
      {"a,", 2, {"a", ""}},
      {"\"x,y\",z", 1, {"x,y"}},
      {std::string(1000000, ','), 3, {"", "", ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << rowName(c.text) << ", at most " << c.most);
    EXPECT_EQ(readCommaText(c.text, c.most), c.items) << c.text.substr(0, 20);
  }
}

// A document's long texts are counted before they are read: the count is
// the number of items reading makes, for every text and every limit.
TEST(CommaText, CountingFindsTheItemsReadingMakes) {
  std::vector<std::string> texts = {"",
                                    "   ",
                                    ",",
                                    "a,",
                                    "a, ",
                                    "\"a\"b",
                                    "\"a\"\"",
                                    "\"unterminated, still",
                                    "\"\",\"\"",
                                    "a b\tc\x1F"
                                    "d",
                                    std::string(1000, ','),
                                    "\"x,y\",z"};
  velmora::test::RandomText random(31);
  for (int i = 0; i < 300; ++i) texts.push_back(random.text(12));
  for (int i = 0; i < 100; ++i) {
    Items items;
    for (int n = random.below(8); n > 0; --n) items.push_back(random.text(4));
    texts.push_back(writeCommaText(items));
  }
  for (const std::string& text : texts) {
    SCOPED_TRACE(rowName(text));
    for (std::size_t most : {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{5}, SIZE_MAX})
      EXPECT_EQ(countCommaTextItems(text, most), readCommaText(text, most).size()) << "at most " << most;
  }
}
