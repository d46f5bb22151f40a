#include <gtest/gtest.h>

#include <string>

#include "record/gbk.h"
#include "test_support.h"

using namespace velmora;
using velmora::test::rowName;

TEST(Gbk, ByteLengthCountsChineseAsTwo) {
  struct Case {
    const char* text;
    std::size_t bytes;
  } cases[] = {
      {"", 0}, {"abc", 3}, {"课题", 4}, {"a课b", 4}, {"€", 1}, {"（全角）", 8}, {"    ", 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(rowName(c.text));
    EXPECT_EQ(gbkByteLength(c.text), c.bytes) << c.text;
  }
}

TEST(Gbk, FortyChineseCharactersFillEightyBytes) {
  std::string forty;
  for (int i = 0; i < 40; ++i) forty += "课";
  EXPECT_EQ(gbkByteLength(forty), 80u);
  EXPECT_EQ(gbkByteLength(std::string(80, 'a')), 80u);
}

TEST(Gbk, TellsWhichTextsGbkCanHold) {
  EXPECT_TRUE(canEncodeGbk("申报书 ABC 123"));
  EXPECT_TRUE(canEncodeGbk("ⅹⅹ省"));
  EXPECT_FALSE(canEncodeGbk("笑😀"));
  EXPECT_FALSE(canEncodeGbk("\xF0\xA0\x80\x80"));  // U+20000, only in GB18030
  EXPECT_FALSE(canEncodeGbk("\xFF"));              // not UTF-8 at all
}

TEST(Gbk, UnrepresentableCharactersBecomeQuestionMarks) {
  EXPECT_EQ(toGbkRepresentable("a😀b课"), "a?b课");
  EXPECT_EQ(toGbkRepresentable("\xF0\xA0\x80\x80\xE8\xAF\xBE"), "?课");
  EXPECT_EQ(toGbkRepresentable("plain"), "plain");
}

TEST(Gbk, ConvertsBothWays) {
  auto g = utf8ToGbk("课题");
  ASSERT_TRUE(g);
  EXPECT_EQ(*g, "\xBF\xCE\xCC\xE2");
  EXPECT_EQ(gbkToUtf8(*g).value(), "课题");
  EXPECT_FALSE(utf8ToGbk("😀"));
}

TEST(Gbk, FirstCharactersCountsCharactersNotBytes) {
  EXPECT_EQ(firstCharacters("课题名称abc", 3), "课题名");
  EXPECT_EQ(firstCharacters("ab", 40), "ab");
}

// The GBK table every build must read and write alike: glibc's, as the
// Linux build's iconv has it (tests/fixtures/gbk_table.txt, one line per lead
// byte). Code page 936 on Windows is the system's own table; wherever both
// define a character they must agree, both ways, and each build must define
// exactly what the file lists (on Windows the code page's user-defined
// areas are refused), so that a document reads alike on both systems and
// the file cannot drift from the Linux build's table.
TEST(Gbk, EveryCharacterTheTableDefinesConvertsAsTheTableSays) {
  const std::string table = test::readFile(test::fixture("gbk_table.txt"));
  ASSERT_FALSE(table.empty());
  std::size_t lines = 0, agreed = 0, onlyTable = 0, onlyHere = 0;
  std::size_t at = 0;
  while (at < table.size()) {
    std::size_t end = table.find('\n', at);
    if (end == std::string::npos) end = table.size();
    const std::string_view line(table.data() + at, end - at);
    at = end + 1;
    if (line.empty() || line[0] == '#') continue;
    ++lines;
    const int lead = std::stoi(std::string(line.substr(0, 2)), nullptr, 16);
    std::size_t pos = 3;
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      ASSERT_LT(pos, line.size()) << "line of lead " << lead << " ends early";
      const std::size_t start = pos;
      const char32_t listed = nextCodePoint(line, pos);
      const std::string listedUtf8(line.substr(start, pos - start));
      const std::string code{static_cast<char>(lead), static_cast<char>(trail)};
      SCOPED_TRACE(::testing::Message() << std::hex << std::uppercase << lead << trail);
      const auto decoded = gbkToUtf8(code);
      if (listed == 0xFFFD) {
        if (decoded) ++onlyHere;
        continue;
      }
      if (!decoded) {
        ++onlyTable;
        continue;
      }
      EXPECT_EQ(*decoded, listedUtf8);
      EXPECT_EQ(utf8ToGbk(listedUtf8).value_or("none"), code);
      ++agreed;
    }
  }
  EXPECT_EQ(lines, 126u);
  EXPECT_GT(agreed, 21000u);
  // 0x80 is the euro sign in both tables; 0xFF is no character.
  EXPECT_EQ(gbkToUtf8("\x80").value_or("none"), "€");
  EXPECT_FALSE(gbkToUtf8("\xFF").has_value());
  EXPECT_EQ(onlyTable, 0u);
  EXPECT_EQ(onlyHere, 0u);
}
