#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "format/xdx_reader.h"
#ifdef _WIN32
#include "format/windows_system.h"
#endif
#include "record/gbk.h"
#include "test_support.h"

using namespace velmora;
using namespace velmora::test;
using Shape = DocumentContent::Shape;

namespace {
const DocumentContent& content(const ReadResult& r) {
  static DocumentContent none;
  if (auto* c = std::get_if<DocumentContent>(&r)) return *c;
  ADD_FAILURE() << "read failed: " << std::get<ReadError>(r).message;
  return none;
}
std::string error(const ReadResult& r) {
  if (auto* e = std::get_if<ReadError>(&r)) return e->message;
  ADD_FAILURE() << "read did not fail";
  return {};
}
std::string value(const ReadResult& r, Field f) {
  const DocumentContent& c = content(r);
  return c.values.empty() ? std::string() : c.values[index(f)];
}
// The last part of a path, a folder's with its slash.
std::string lastPart(const std::string& path) { return path.substr(path.rfind('/', path.size() - 2) + 1); }
// The end of a document: rows that add bytes to one document differ there.
std::string ending(std::string_view bytes) {
  return "ending " + rowName(bytes.substr(bytes.size() - std::min<std::size_t>(bytes.size(), 16)));
}
}  // namespace

TEST(XdxReader, OpensEveryDeclaredEncoding) {
  struct Case {
    const char* file;
    const char* projectName;
  } cases[] = {
      {"utf8.xdx", "统一码文档"},
      {"utf16.xdx", "十六位文档"},
      {"gb18030.xdx", "扩展?字"},  // a character GBK cannot hold
      {"sample.xdx", "区域推进中小学学习共同体建设的实践研究"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
#ifdef _WIN32
    // Wine lacks code page 54936, which every Windows has.
    if (std::string_view(c.file) == "gb18030.xdx" && !::IsValidCodePage(54936)) continue;
#endif
    auto r = readXdxFile(fixture(c.file));
    EXPECT_EQ(content(r).shape, Shape::Complete) << c.file;
    EXPECT_EQ(value(r, Field::ProjectName), c.projectName) << c.file;
  }
}

TEST(XdxReader, ShapesOfDocumentsWithoutContent) {
  struct Case {
    const char* file;
    Shape shape;
  } cases[] = {
      {"empty-root.xdx", Shape::EmptyRoot},
      {"wrong-version.xdx", Shape::WrongVersion},
      {"no-ver.xdx", Shape::WrongVersion},
      {"only-ver.xdx", Shape::Complete},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(content(readXdxFile(fixture(c.file))).shape, c.shape) << c.file;
  }
}

TEST(XdxReader, RootNameOrderExtrasCdataAndFirstOfAName) {
  auto r = readXdxFile(fixture("reordered.xdx"));
  EXPECT_EQ(value(r, Field::ProjectName), "A&B 课题");
  EXPECT_EQ(value(r, Field::Presider), "赵六");
  const auto& rows = content(r).rows[index(Field::OutlayGrid)];
  EXPECT_EQ(rows[0], "");
  EXPECT_EQ(rows[1], "2,数据采集费,500");
  EXPECT_EQ(content(r).rows[index(Field::OutlayGrid2)][0], "");
  EXPECT_EQ(value(r, Field::KeyWord), "");
}

TEST(XdxReader, RefusesElementsWithoutASingleText) {
  for (const char* file : {"mixed-element.xdx", "comment-element.xdx", "entity-ref.xdx", "external-entity.xdx"}) {
    SCOPED_TRACE(file);
    EXPECT_EQ(error(readXdxFile(fixture(file))), kNotSingleTextMessage) << file;
  }
}

TEST(XdxReader, ParseErrorGivesReasonLineAndSourceExcerpt) {
  std::string msg = error(readXdxFile(fixture("malformed.xdx")));
  EXPECT_NE(msg.find("Opening and ending tag mismatch"), std::string::npos) << msg;
  EXPECT_NE(msg.find("\nLine: 4\n<ProjectName>未闭合的课题名称</Presider>"), std::string::npos) << msg;

  std::string longLine = "<?xml version=\"1.0\"?>\n<a>" + std::string(100, 'x') + "</b>";
  msg = error(readXdxBytes(longLine));
  auto excerpt = msg.substr(msg.rfind('\n') + 1);
  EXPECT_EQ(excerpt, "<a>" + std::string(37, 'x'));
  EXPECT_NE(msg.find("\nLine: 2\n"), std::string::npos);
}

TEST(XdxReader, BrokenAndMissingFilesAreErrors) {
  TempDir dir;
  struct Case {
    std::string path;
    const char* contains;
  } cases[] = {
      {fixture("truncated.xdx"), "Line:"},
      {dir.path("missing.xdx"), "No such file"},
      {dir.path(""), "Is a directory"},
      {fixture("CMakeLists.txt.not-there"), "No such file"},
  };
  writeFile(dir.path("binary.xdx"), std::string("\x00\x01\x02garbage", 10));
  for (const auto& c : cases) {
    SCOPED_TRACE(lastPart(c.path));
    EXPECT_NE(error(readXdxFile(c.path)).find(c.contains), std::string::npos) << c.path;
  }
  EXPECT_NE(error(readXdxFile(dir.path("binary.xdx"))).find("Line:"), std::string::npos);
}

TEST(XdxReader, NeverReadsOutsideTheFile) {
  // An external DTD on a closed port would hang or fail loudly if fetched; it
  // is simply not loaded, and the document reads as usual.
  auto r = readXdxFile(fixture("external-dtd.xdx"));
  EXPECT_EQ(value(r, Field::ProjectName), "外部");
}

TEST(XdxReader, EntityExpansionIsBounded) {
  auto start = std::chrono::steady_clock::now();
  auto r = readXdxFile(fixture("entity-bomb.xdx"));
  auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ASSERT_TRUE(std::holds_alternative<ReadError>(r));
  EXPECT_LT(seconds, 5.0);
}

TEST(XdxReader, DeepNestingFailsCleanly) {
  std::string deep = "<?xml version=\"1.0\"?><XMLPackage><ver>VL2011v1.0</ver>";
  for (int i = 0; i < 100000; ++i) deep += "<d>";
  EXPECT_NE(error(readXdxBytes(deep)).find("Line: 1"), std::string::npos);
}

TEST(XdxReader, OversizedInputIsRefusedBeforeParsing) {
  std::string huge(kMaxDocumentBytes + 1, ' ');
  EXPECT_NE(error(readXdxBytes(huge)).find("文件过大"), std::string::npos);
}

TEST(XdxReader, GbkLabelsDecodeWithTheGbkTable) {
  // "·" (A1A4) and the dash at A1AA differ between GB2312 and GBK; read as
  // GBK they come back as the very bytes the document held.
  // 丂 (8140) is GBK's alone: a label of GB2312 read strictly refused it.
  const std::string name = gbk("买买提") + "\xA1\xA4" + gbk("艾力") + "\xA1\xAA" + gbk("丂");
  for (const char* label : {"GB2312", "gb2312", "x-gbk", "windows-936", "CP936", "GBK", "EUC-CN", "euc-cn", "EUCCN",
                            "x-euc-cn", "csGB2312", "chinese", "MS936"}) {
    SCOPED_TRACE(label);
    std::string doc = "<?xml version=\"1.0\" encoding=\"" + std::string(label) +
                      "\"?>\n<XMLPackage><ver>VL2011v1.0</ver><Presider>" + name + "</Presider></XMLPackage>\n";
    auto r = readXdxBytes(doc);
    EXPECT_EQ(value(r, Field::Presider), "买买提\u00B7艾力\u2014丂") << label;
    EXPECT_EQ(utf8ToGbk(value(r, Field::Presider)), name) << label;
  }
}

TEST(XdxReader, ElementsAreMatchedByTheirNameAsWritten) {
  struct Case {
    const char* body;
    Shape shape;
    const char* projectName;
  } cases[] = {
      // A prefixed element is not the element of that local name.
      {R"(<a:ver xmlns:a="u">VL2011v1.0</a:ver>)", Shape::WrongVersion, ""},
      {R"(<ver>VL2011v1.0</ver><p:ProjectName xmlns:p="u">前缀</p:ProjectName>)", Shape::Complete, ""},
      {R"(<ver>VL2011v1.0</ver><p:ProjectName xmlns:p="u">前缀</p:ProjectName><ProjectName>本名</ProjectName>)",
       Shape::Complete, "本名"},
      // A default namespace leaves the name as it is.
      {R"(<ver xmlns="u">VL2011v1.0</ver><ProjectName xmlns="u">默认</ProjectName>)", Shape::Complete, "默认"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(rowName(c.body, 80));
    auto r = readXdxBytes(document(c.body));
    EXPECT_EQ(content(r).shape, c.shape) << c.body;
    if (c.shape == Shape::Complete) {
      EXPECT_EQ(value(r, Field::ProjectName), c.projectName) << c.body;
    }
  }
  // A table's rows are found the same way.
  auto r = readXdxBytes(
      document(R"(<ver>VL2011v1.0</ver><MainActor><m:MainActor1 xmlns:m="u">a,b</m:MainActor1></MainActor>)"));
  EXPECT_EQ(content(r).rows[index(Field::MainActor)][0], "");
}

TEST(XdxReader, NothingMayFollowTheRootElement) {
  using namespace std::string_literals;
  const std::string whole = document("<ver>VL2011v1.0</ver>");
  struct Case {
    std::string bytes;
    int line;  // 0: the document opens
  } cases[] = {
      {whole, 0},
      {whole + "<!-- 注释 -->\n  \n", 0},
      {whole + "\0junk<<"s, 3},
      {whole + "\n\n\0"s, 5},
      {whole + "\0"s, 3},
      // UTF-16: NUL bytes belong to the characters; only a NUL character counts.
      {readFile(fixture("utf16.xdx")), 0},
      {readFile(fixture("utf16.xdx")) + "\0\0j\0"s, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "row " << &c - cases << ", " << ending(c.bytes));
    auto r = readXdxBytes(c.bytes);
    if (c.line == 0) {
      EXPECT_EQ(content(r).shape, Shape::Complete) << c.bytes;
      continue;
    }
    const auto* e = std::get_if<ReadError>(&r);
    ASSERT_NE(e, nullptr) << c.bytes;
    EXPECT_EQ(e->reason, "Extra content at the end of the document");
    EXPECT_EQ(e->line, c.line);
    EXPECT_EQ(e->message, e->reason + "\nLine: " + std::to_string(c.line) + "\n" + e->excerpt);
  }
}

TEST(XdxReader, ErrorsTellWhereTheyStopped) {
  auto parse = readXdxFile(fixture("malformed.xdx"));
  const auto& e = std::get<ReadError>(parse);
  EXPECT_EQ(e.line, 4);
  EXPECT_EQ(e.excerpt, "<ProjectName>未闭合的课题名称</Presider>");
  EXPECT_EQ(e.reason.rfind("Opening and ending tag mismatch", 0), 0u) << e.reason;

  struct Case {
    std::string body;
    std::string element;
  } cases[] = {
      {"<ver>VL2011v1.0<b/></ver>", "ver"},
      {"<ver>VL2011v1.0</ver><PASSBY><!-- x -->1</PASSBY>", "PASSBY"},
      {"<ver>VL2011v1.0</ver><Nation>汉<b/></Nation>", "Nation"},
      {"<ver>VL2011v1.0</ver><OutlayGrid><OutlayGrid2>a<i/></OutlayGrid2></OutlayGrid>", "OutlayGrid2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.element);
    auto r = readXdxBytes(document(c.body));
    const auto* err = std::get_if<ReadError>(&r);
    ASSERT_NE(err, nullptr) << c.body;
    EXPECT_EQ(err->message, kNotSingleTextMessage);
    EXPECT_EQ(err->element, c.element);
    EXPECT_EQ(err->line, 0);
  }
}

// A broken document is quoted where it stopped in every width and byte
// order its first bytes tell, with a byte-order mark and without.
TEST(XdxReader, ErrorsQuoteTheLineInEveryEncodingOfTheMarkup) {
  const std::string text = "<?xml version=\"1.0\"?>\n<a>\n<b>text</c>\n</a>";
  auto wide = [&](std::size_t width, bool bigEndian, bool mark) {
    std::string out;
    auto unit = [&](char32_t c) {
      for (std::size_t b = 0; b < width; ++b) {
        const std::size_t shift = 8 * (bigEndian ? width - 1 - b : b);
        out.push_back(static_cast<char>((c >> shift) & 0xFF));
      }
    };
    if (mark) unit(0xFEFF);
    for (char c : text) unit(static_cast<unsigned char>(c));
    return out;
  };
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"UTF-8 with a mark", "\xEF\xBB\xBF" + text},
      {"UTF-16LE with a mark", wide(2, false, true)},
      {"UTF-16BE with a mark", wide(2, true, true)},
      {"UTF-16LE", wide(2, false, false)},
      {"UTF-16BE", wide(2, true, false)},
#ifndef _WIN32
      // The libxml2 built for Windows has no converter for UCS-4 and refuses
      // such a document as an encoding it does not support.
      {"UCS-4BE", wide(4, true, false)},
#endif
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto r = readXdxBytes(c.bytes);
    const auto* err = std::get_if<ReadError>(&r);
    ASSERT_NE(err, nullptr);
    EXPECT_EQ(err->line, 3) << err->reason;
    EXPECT_EQ(err->excerpt, "<b>text</c>") << err->reason;
  }
}

TEST(XdxReader, EveryGbkCharacterReadsAsGbkText) {
  // The reader trusts a GBK document's characters without converting them
  // back; this holds for every two-byte sequence the GBK table decodes.
  std::string all;
  for (int lead = 0x81; lead <= 0xFE; ++lead)
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
      if (trail != 0x7F && gbkToUtf8(pair)) all += pair;
    }
  ASSERT_GT(all.size(), 2u * 21000);
  for (const char* label : {"GBK", "GB2312", "cp936"}) {
    SCOPED_TRACE(label);
    const std::string doc = "<?xml version=\"1.0\" encoding=\"" + std::string(label) +
                            "\"?>\n<XMLPackage><ver>VL2011v1.0</ver><Nation>" + all + "</Nation></XMLPackage>";
    const std::string text = value(readXdxBytes(doc), Field::Nation);
    EXPECT_EQ(text, gbkToUtf8(all)) << label;
    EXPECT_TRUE(canEncodeGbk(text)) << label;
  }
  // A character reference may name anything: it is turned into GBK text.
  auto r = readXdxBytes(document("<ver>VL2011v1.0</ver><Nation>&#x1F600;&#27721;</Nation>"));
  EXPECT_EQ(value(r, Field::Nation), "?汉");
}

// The values are gathered while the document is parsed: each is the text of
// the first element of its name (a table's rows under the table's first
// element), whatever follows or surrounds it; an element holding anything
// but one text refuses the document only when it is the one read.
TEST(XdxReader, EachValueIsTheFirstElementOfItsExactName) {
  const std::string dtd = "<?xml version=\"1.0\"?>\n<!DOCTYPE XMLPackage [<!ENTITY e \"t<b>u</b>\">]>\n<XMLPackage>";
  struct Case {
    std::string bytes;
    Shape shape;
    std::string projectName;  // or the element refused, when `refused`
    std::string firstActorRow;
    bool refused = false;
  } cases[] = {
      // Rows are named by the table and their number as written.
      {document("<ver>VL2011v1.0</ver><MainActor><MainActor01>零</MainActor01><MainActor1>一</MainActor1></MainActor>"),
       Shape::Complete, "", "一"},
      {document("<ver>VL2011v1.0</ver><MainActor><MainActor0>零</MainActor0><MainActor16>末</MainActor16></MainActor>"),
       Shape::Complete, "", ""},
      // Only the first element of a table holds its rows; a row of another
      // table's name is no row of this one.
      {document("<ver>VL2011v1.0</ver><MainActor><Production1>x</Production1></MainActor>"
                "<MainActor><MainActor1>二</MainActor1></MainActor>"),
       Shape::Complete, "", ""},
      // Text around the rows of a table, and elements the format does not
      // know, are passed over; a value inside them is no value.
      {document("<ver>VL2011v1.0</ver><MainActor>文字<MainActor1>一</MainActor1><!-- c --></MainActor>"
                "<Other><ProjectName>内</ProjectName></Other><ProjectName>外</ProjectName>"),
       Shape::Complete, "外", "一"},
      // An entity of the document type is never substituted: a value holding
      // one is refused, one in an element not read is not.
      {dtd + "<ver>VL2011v1.0</ver><ProjectName>&e;</ProjectName></XMLPackage>", Shape::Complete, "ProjectName", "",
       true},
      {dtd + "<ver>VL2011v1.0</ver><Other>&e;&e;</Other><ProjectName>名</ProjectName></XMLPackage>", Shape::Complete,
       "名", ""},
      // A refused element later of the same name is not the one read.
      {document("<ver>VL2011v1.0</ver><ProjectName>前</ProjectName><ProjectName>后<b/></ProjectName>"), Shape::Complete,
       "前", ""},
      {document("<ver>VL2011v1.0</ver><MainActor><MainActor1>一<i/></MainActor1></MainActor>"), Shape::Complete,
       "MainActor1", "", true},
      // The root holds nothing but blanks, or something.
      {document(" \n\t "), Shape::EmptyRoot, "", ""},
      {document("<!-- c -->"), Shape::WrongVersion, "", ""},
      {document("&#x20;"), Shape::EmptyRoot, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "row " << &c - cases);
    const ReadResult r = readXdxBytes(c.bytes);
    if (c.refused) {
      const auto* e = std::get_if<ReadError>(&r);
      ASSERT_NE(e, nullptr);
      EXPECT_EQ(e->message, kNotSingleTextMessage);
      EXPECT_EQ(e->element, c.projectName);
      continue;
    }
    const DocumentContent& got = content(r);
    EXPECT_EQ(got.shape, c.shape);
    if (c.shape != Shape::Complete) continue;
    EXPECT_EQ(got.values[index(Field::ProjectName)], c.projectName);
    EXPECT_EQ(got.rows[index(Field::MainActor)][0], c.firstActorRow);
  }
}
