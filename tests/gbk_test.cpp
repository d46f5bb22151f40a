#include <gtest/gtest.h>

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
