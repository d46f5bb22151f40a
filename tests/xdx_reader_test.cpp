#include <gtest/gtest.h>

#include <chrono>

#include "document/xdx_reader.h"
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
std::string value(const ReadResult& r, Field f) { return content(r).values[index(f)]; }
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
  for (const auto& c : cases) EXPECT_EQ(content(readXdxFile(fixture(c.file))).shape, c.shape) << c.file;
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
  for (const char* file : {"mixed-element.xdx", "comment-element.xdx", "entity-ref.xdx", "external-entity.xdx"})
    EXPECT_EQ(error(readXdxFile(fixture(file))), kNotSingleTextMessage) << file;
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
  for (const auto& c : cases) EXPECT_NE(error(readXdxFile(c.path)).find(c.contains), std::string::npos) << c.path;
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
