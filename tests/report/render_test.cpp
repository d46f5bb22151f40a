// The printed sheets, read back from the PDF with poppler: placement, the
// sheet sequence, page numbers, continuation, cut cells and marks.
#include <gtest/gtest.h>

#include <QRawFont>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <map>

#include "bench/maximal_record.h"
#include "record/gbk.h"
#include "report/report_fill.h"
#include "report/report_pdf.h"
#include "report/report_render.h"
#include "report_test_support.h"

namespace velmora::test {
namespace {

constexpr double kTolerance = 0.03;  // inches

class Rendered : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    state_ = new FormState(openedFixture("sample.xdx"));
    informal_ = new std::vector<PageText>(pdfText(pdfOf(state_->record(), false)));
  }
  static void TearDownTestSuite() {
    delete informal_;
    delete state_;
  }
  static inline FormState* state_ = nullptr;
  static inline std::vector<PageText>* informal_ = nullptr;
};

// Labels and field values stand where the layout puts them: the first
// character starts at the item's left edge, and its box lies in the line
// that starts at the item's top.
TEST_F(Rendered, TextsStandAtTheirItems) {
  struct Case {
    int sheet;  // 1-based
    const char* text;
    double x, y, size;
  } cases[] = {
      {1, "编号", 0.7, 1.28, 10},
      {1, "课  题  名  称", 1.5, 3.82, 15},
      {1, "区域推进中小学", 3.1, 3.8, 15},
      {1, "Velmora领导小组办公室", 2.7, 8.8, 15},
      {1, "123456789012", 5.8, 1.3, 10},
      {2, "申请者的承诺与成果使用授权", 3.1, 0.6, 15},
      {2, "一、申请者郑重承诺", 0.8, 0.9, 12},
      {3, "一、数据表", 0.9, 0.25, 12},
      {3, "负责人姓名", 0.98, 1.7, 11},
      {3, "王晓燕", 1.9, 1.7, 11},
      {3, "11010819750312002X", 6.4, 2.05, 11},
      {3, "预计完成时间", 3.9, 10.45, 11},
      {4, "发表刊物或出版单位", 4.9, 1.5, 11},
      {5, "四、课题设计论证", 0.9, 0.54, 15},
      {7, "主要阶段性成果", 3.2, 0.8, 12},
      {8, "国际合作与交流", 1.55, 3.7, 11},
      {9, "第二推荐人意见", 1.0, 6.1, 11},
      {10, "十一、省级Korvane领导小组办公室意见", 0.9, 5.44, 15},
      {11, "课题设计论证活页", 3.2, 0.64, 22},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.sheet) + " " + c.text);
    const auto box = (*informal_)[c.sheet - 1].find(QString::fromUtf8(c.text));
    ASSERT_TRUE(box.has_value());
    EXPECT_NEAR(box->left(), c.x, kTolerance);
    const double lineHeight = c.size * report::kLinePitch / 72.0;
    EXPECT_GT(box->center().y(), c.y);
    EXPECT_LT(box->center().y(), c.y + lineHeight);
  }
}

TEST_F(Rendered, SheetSequenceAndPageNumbers) {
  const auto sheets = sheetsOf(state_->record(), false);
  QStringList pages;
  for (const auto& s : sheets) pages << s.page;
  EXPECT_EQ(pages, (QStringList{"Page1", "Page2", "Page4", "Page5", "Page6", "Page7", "Page8", "Page9", "Page10",
                                "Page11", "Page14"}));
  ASSERT_EQ(informal_->size(), 11u);
  // The cover and the commitment print no number; from Page4 on "-2-" onwards.
  for (std::size_t i = 0; i < informal_->size(); ++i) {
    const auto number = (*informal_)[i].find(QStringLiteral("-%1-").arg(i));
    if (i < 2) {
      EXPECT_FALSE(number.has_value()) << i;
    } else {
      ASSERT_TRUE(number.has_value()) << i;
      EXPECT_NEAR(number->left(), 7.4, kTolerance);
      EXPECT_NEAR(number->top(), 10.85, 0.08);
    }
  }
}

TEST_F(Rendered, InformalMarkOnEverySheetButTheCommitment) {
  const QString mark = QStringLiteral("非正式文档 仅供个人校对");
  for (std::size_t i = 0; i < informal_->size(); ++i) EXPECT_EQ((*informal_)[i].contains(mark), i != 1) << i;
  const auto formal = pdfText(pdfOf(state_->record(), true));
  for (std::size_t i = 0; i < formal.size(); ++i) EXPECT_FALSE(formal[i].contains(mark)) << i;
}

// Formal: the watermark under everything on the cover and the data pages,
// the banner on the text pages; informal: no picture at all.
TEST_F(Rendered, FormalSheetsCarryWatermarkAndBanner) {
  auto pictures = [](const report::Sheet& s) {
    std::vector<std::pair<std::size_t, double>> out;  // op index, width in inches
    for (std::size_t i = 0; i < s.ops.size(); ++i)
      if (auto* img = std::get_if<report::ImageOp>(&s.ops[i])) out.push_back({i, img->rect.width() / 1200.0});
    return out;
  };
  const auto formal = sheetsOf(state_->record(), true);
  const std::map<QString, std::vector<double>> expected = {
      {"Page1", {3.5}}, {"Page2", {}},          {"Page4", {3.5}},      {"Page5", {3.5}},
      {"Page6", {3.4, 3.4}}, {"Page7", {3.4, 3.4}}, {"Page8", {3.5}}, {"Page9", {3.5}},
      {"Page10", {3.5}}, {"Page11", {3.5}},    {"Page14", {3.4, 3.4}},
  };
  for (const auto& s : formal) {
    SCOPED_TRACE(s.page.toStdString());
    const auto found = pictures(s);
    std::vector<double> widths;
    for (const auto& [at, w] : found) widths.push_back(std::round(w * 10) / 10);
    EXPECT_EQ(widths, expected.at(s.page));
    if (!found.empty() && widths.front() == 3.5) { EXPECT_LE(found.front().first, s.page == "Page9" ? 1u : 0u); }
  }
  for (const auto& s : sheetsOf(state_->record(), false)) EXPECT_TRUE(pictures(s).empty()) << s.page.toStdString();
}

// A design argument of two and a half areas runs over three sheets of Page6;
// the later numbers rise by two.
TEST(RenderedContinuation, LongDesignArgumentGivesThreeSheets) {
  // Lines per area: from the text's top (1.65 in) to the area's foot (10.4 in).
  const double pitch = 11 * report::kLinePitch / 72.0;
  const int perArea = static_cast<int>((10.4 - 1.65 + 0.5 / 1200) / pitch);
  Record rec = openedFixture("sample.xdx").record();
  rec.setLines(Field::ProjectReasoning, numberedLines(perArea * 5 / 2));
  const auto sheets = sheetsOf(rec, false);
  ASSERT_EQ(sheets.size(), 13u);
  for (int i : {4, 5, 6}) EXPECT_EQ(sheets[i].page, "Page6");
  EXPECT_EQ(sheets[7].page, "Page7");
  const auto text = pdfText(report::pdfBytes(sheets));
  ASSERT_EQ(text.size(), 13u);
  // Heading and guidance only on the first; frame mark and number on all.
  EXPECT_TRUE(text[4].contains(u"四、课题设计论证"));
  for (int i : {5, 6}) {
    EXPECT_FALSE(text[i].contains(u"四、课题设计论证")) << i;
    EXPECT_FALSE(text[i].contains(u"本课题的研究目标")) << i;
  }
  for (int i : {4, 5, 6}) {
    EXPECT_TRUE(text[i].contains(u"非正式文档")) << i;
    EXPECT_TRUE(text[i].contains(QStringLiteral("-%1-").arg(i))) << i;
  }
  EXPECT_TRUE(text[12].contains(u"-12-"));
  // The text goes on where it stopped, in its own column, down to the area's foot.
  const QString firstOfSecond = QStringLiteral("第%1行").arg(perArea + 1);
  EXPECT_TRUE(text[4].contains(QStringLiteral("第%1行课题").arg(perArea)));
  EXPECT_FALSE(text[4].contains(firstOfSecond + "课题"));
  const auto cont = text[5].find(firstOfSecond + "课题");
  ASSERT_TRUE(cont.has_value());
  EXPECT_NEAR(cont->left(), 1.0, kTolerance);
  EXPECT_GE(cont->top(), 0.5);
  const auto last = text[5].find(QStringLiteral("第%1行课题").arg(2 * perArea));
  ASSERT_TRUE(last.has_value());
  EXPECT_LT(last->bottom(), 10.45);
  EXPECT_GT(last->bottom(), 10.4 - 2 * pitch);
  EXPECT_TRUE(text[6].contains(QStringLiteral("第%1行课题").arg(perArea * 5 / 2)));
}

TEST(RenderedContinuation, EmptyDesignArgumentGivesOneSheet) {
  Record rec = openedFixture("sample.xdx").record();
  rec.setLines(Field::ProjectReasoning, {});
  const auto sheets = sheetsOf(rec, false);
  EXPECT_EQ(std::count_if(sheets.begin(), sheets.end(), [](const auto& s) { return s.page == "Page6"; }), 1);
}

// A recommendation longer than its box gives a second sheet of Page10 on
// which it continues and every other item, tuijian2 included, is drawn again.
TEST(RenderedContinuation, LongRecommendationRepeatsItsPage) {
  Record rec = openedFixture("sample.xdx").record();
  rec.setLines(Field::FirstRecommendation, numberedLines(30));
  rec.setLines(Field::SecondRecommendation, {"第二推荐人同意推荐"});
  const auto sheets = sheetsOf(rec, false);
  ASSERT_EQ(sheets.size(), 12u);
  EXPECT_EQ(sheets[8].page, "Page10");
  EXPECT_EQ(sheets[9].page, "Page10");
  const auto text = pdfText(report::pdfBytes(sheets));
  for (int i : {8, 9}) {
    EXPECT_TRUE(text[i].contains(u"第二推荐人同意推荐")) << i;
    EXPECT_TRUE(text[i].contains(u"九、推荐人意见")) << i;
  }
  EXPECT_TRUE(text[8].contains(u"第1行课题"));
  EXPECT_FALSE(text[9].contains(u"第1行课题"));
  EXPECT_TRUE(text[9].contains(u"第30行课题"));
  const auto cont = text[9].find(u"行课题");
  ASSERT_TRUE(cont.has_value());
  EXPECT_NEAR(cont->top(), 1.8, 0.1);
}

// Blank lines after the last written line of an uncut text have nothing to
// print: a text that fills its box and ends in line breaks makes no further
// sheet, while one more written line does.
TEST(RenderedContinuation, TrailingBlankLinesMakeNoSheet) {
  // Lines in tuijian1's box: 3.6 in at one line per 1.1 times 10 pt.
  const int fit = static_cast<int>((3.6 + 0.5 / 1200) / (10 * report::kLinePitch / 72.0));
  struct Case {
    int written, blank;
    std::size_t sheets;
  } cases[] = {{fit, 0, 11u}, {fit, 1, 11u}, {fit, 3, 11u}, {fit - 1, 2, 11u}, {fit + 1, 0, 12u}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.written) + " + " + std::to_string(c.blank));
    Record rec = openedFixture("sample.xdx").record();
    std::vector<std::string> lines = numberedLines(c.written);
    lines.insert(lines.end(), static_cast<std::size_t>(c.blank), std::string());
    rec.setLines(Field::FirstRecommendation, lines);
    EXPECT_EQ(sheetsOf(rec, false).size(), c.sheets);
  }
}

// Two recommendations of different lengths: the shorter, once finished,
// prints in full again on the further sheets but makes none of its own (they
// restarted each other, and printing stopped only at a thousand sheets). The
// longest texts the window takes, nothing but line breaks, all print.
TEST(RenderedContinuation, FinishedTextsDoNotRepeatTheirPage) {
  const int fit = static_cast<int>((3.6 + 0.5 / 1200) / (10 * report::kLinePitch / 72.0));
  auto blankLines = [](int bytes) {  // a line break counts two bytes of the limit
    std::vector<std::string> lines(static_cast<std::size_t>(bytes / 2), std::string());
    lines.back() = "末";
    return lines;
  };
  struct Case {
    const char* label;
    std::vector<std::string> first, second;
    int page10Sheets;
  } cases[] = {
      {"60 and 30 lines", numberedLines(60), numberedLines(30), (60 + fit - 1) / fit},
      {"30 and 60 lines", numberedLines(30), numberedLines(60), (60 + fit - 1) / fit},
      {"the longest texts", blankLines(1100), blankLines(1000), (550 + fit - 1) / fit},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    Record rec = openedFixture("sample.xdx").record();
    rec.setLines(Field::FirstRecommendation, c.first);
    rec.setLines(Field::SecondRecommendation, c.second);
    rec.setLines(Field::AnonymousSheet, blankLines(11100));
    rec.setLines(Field::ProjectReasoning, blankLines(8050));
    QString error;
    const auto sheets = report::generateSheets(report::filledReport(rec, false), {}, &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_EQ(std::count_if(sheets.begin(), sheets.end(), [](const auto& s) { return s.page == "Page10"; }),
              c.page10Sheets);
  }
}

// The lines a text printed on its item, sheet after sheet, joined.
QString printedText(const std::vector<report::Sheet>& sheets, const QString& item, QStringList* lines = nullptr) {
  QString all;
  for (const auto& sheet : sheets)
    for (const auto& op : sheet.ops)
      if (const auto* t = std::get_if<report::TextOp>(&op); t && t->item == item) {
        all += t->text;
        if (lines) lines->append(t->text);
      }
  return all;
}

// Long paragraphs are laid out a piece at a time and a word too long for any
// line is broken anywhere: every character prints once, in order; words of a
// paragraph of many pieces are never split; a word of 300 000 characters
// fills every line.
TEST(RenderedContinuation, LongParagraphsPrintEveryCharacterOnce) {
  QString words;
  for (int i = 0; words.size() < 60000; ++i) words += QStringLiteral("word%1 ").arg(i % 997);
  words.chop(1);
  const QString word(300000, u'x');
  struct Case {
    const char* label;
    QString text;
    bool wholeWords;
  } cases[] = {
      {"60 000 characters of words", words, true},
      {"one word of 300 000 characters", word, false},
      {"a word between words", QStringLiteral("开头 ") + QString(5000, u'y') + QStringLiteral(" 结尾"), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    Record rec = openedFixture("sample.xdx").record();
    rec.setLines(Field::ProjectAnalyze, {c.text.toStdString()});
    QString error;
    const auto sheets = report::generateSheets(report::filledReport(rec, false), {}, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    QStringList lines;
    EXPECT_TRUE(printedText(sheets, QStringLiteral("ProjectAnalyze"), &lines) == c.text);
    ASSERT_GT(lines.size(), 2);
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
      if (c.wholeWords) {
        EXPECT_TRUE(lines[i].endsWith(u' ')) << i << ": " << lines[i].toStdString();
      } else if (lines[i].startsWith(u'x') && lines[i + 1].startsWith(u'x')) {
        EXPECT_EQ(lines[i].size(), lines[0].size()) << i;
      }
    }
  }
}

// A cut cell prints the lines that fit its box and nothing else; a single-line
// cell runs on past its column over empty paper.
TEST(RenderedCells, CutCellsAndRunningLines) {
  Record rec = openedFixture("sample.xdx").record();
  rec.setCell(Field::Production, 0, 0, "甲乙丙丁戊己庚辛壬癸子丑寅卯辰巳午未申酉戌亥天地玄黄宇宙洪荒日月盈昃辰宿列张寒来暑往秋收冬藏");
  rec.setCell(Field::MainActor, 0, 5, "比较教育学与课程理论");
  rec.setCell(Field::MainActor, 0, 6, "");
  const auto sheets = sheetsOf(rec, false);
  EXPECT_EQ(sheets.size(), 11u);
  const auto text = pdfText(report::pdfBytes(sheets));
  // 1.9 in at 10 pt takes 13 characters a line; 0.4 in holds two lines.
  EXPECT_TRUE(text[3].contains(u"甲乙丙丁戊己庚辛壬癸子丑寅"));
  EXPECT_TRUE(text[3].contains(u"卯辰巳午未申酉戌亥天地玄黄"));
  EXPECT_FALSE(text[3].contains(u"宇宙洪荒"));
  const auto start = text[2].find(u"比较教育学");
  const auto end = text[2].find(u"课程理论");
  ASSERT_TRUE(start && end);
  EXPECT_NEAR(start->left(), 3.9, kTolerance);
  EXPECT_NEAR(end->top(), start->top(), 0.01);  // one line
  EXPECT_GT(end->right(), 3.9 + 0.8);           // past the column's right edge
}

// The largest application: nothing is printed past the printable edge or
// over another text, on any sheet, in the PDF as in the sheets.
TEST(RenderedSheets, NothingOffTheSheetOrOverANeighbour) {
  const auto sheets = sheetsOf(bench::maximalRecord(), false);
  const double edge = report::kPrintableRightInches * report::kLayoutDpi;
  const double touch = report::kLayoutDpi / 100;
  for (const report::Sheet& sheet : sheets) {
    std::vector<const report::TextOp*> texts;
    for (const report::DrawOp& op : sheet.ops)
      if (const auto* t = std::get_if<report::TextOp>(&op)) texts.push_back(t);
    for (std::size_t i = 0; i < texts.size(); ++i) {
      EXPECT_LE(texts[i]->box.right(), edge) << sheet.page.toStdString() << " " << texts[i]->item.toStdString();
      for (std::size_t k = i + 1; k < texts.size(); ++k) {
        if (texts[i]->item == texts[k]->item) continue;  // the lines of one item
        const QRectF both = texts[i]->box.intersected(texts[k]->box);
        EXPECT_FALSE(both.width() > touch && both.height() > touch)
            << sheet.page.toStdString() << ": " << texts[i]->item.toStdString() << " over "
            << texts[k]->item.toStdString();
      }
    }
  }
  // The glyphs as they come out of the PDF.
  const auto pages = pdfText(report::pdfBytes(sheets));
  ASSERT_EQ(pages.size(), sheets.size());
  for (std::size_t p = 0; p < pages.size(); ++p)
    for (std::size_t c = 0; c < pages[p].boxes.size(); ++c)
      EXPECT_LE(pages[p].boxes[c].right(), report::kPrintableRightInches + 0.005)
          << "sheet " << p + 1 << " character " << pages[p].chars.mid(static_cast<qsizetype>(c), 1).toStdString();
}

// A text that fits, or runs over empty paper, prints as laid out; one that
// would run over its neighbour is condensed to end before it, one too long
// for that is set smaller too, and of one too long even at the smallest size
// what does not fit is dropped.
TEST(RenderedCells, RunningTextsStopBeforeTheirNeighbour) {
  struct Case {
    const char* name;
    std::string text, neighbour;
    bool condensed, smaller;
    std::string printed;
  } cases[] = {
      {"fits", "比较教育", "本科", false, false, "比较教育"},
      {"over empty paper", "比较教育学与课程理论", "", false, false, "比较教育学与课程理论"},
      {"condensed", "比较教育学与课程理论", "本科", true, false, "比较教育学与课程理论"},
      {"smaller", "比较教育学与课程理论比较教育", "本科", true, true, "比较教育学与课程理论比较教育"},
      // 0.95 in to the neighbour hold 16 characters of 7 pt at 60 %.
      {"cut", "比较教育学与课程理论比较教育学与课程理论比较教育学与课程理论", "本科", true, true,
       "比较教育学与课程理论比较教育学与"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Record rec = openedFixture("sample.xdx").record();
    rec.setCell(Field::MainActor, 0, 5, c.text);
    rec.setCell(Field::MainActor, 0, 6, c.neighbour);
    const auto sheets = sheetsOf(rec, false);
    const report::TextOp* cell = nullptr;
    for (const report::DrawOp& op : sheets[2].ops)
      if (const auto* t = std::get_if<report::TextOp>(&op); t && t->item == u"MainActor16") cell = t;
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->text, QString::fromStdString(c.printed));
    EXPECT_EQ(cell->condense < 1.0, c.condensed);
    EXPECT_GE(cell->condense, 0.6);
    const double points = cell->box.height() / report::kLinePitch / (report::kLayoutDpi / 72);
    EXPECT_EQ(points < 10.0 - 1e-9, c.smaller) << points;
    EXPECT_GE(points, 7.0);
    // The neighbour, 学历, starts at 4.85 in.
    if (!c.neighbour.empty()) {
      EXPECT_LE(cell->box.right(), 4.85 * report::kLayoutDpi + report::kLayoutDpi / 100);
    }
  }
}

// Each face of the layout prints in its own installed face: "仿宋_GB2312"
// in a Kai face, the Song and Hei faces in the Noto CJK SC faces.
TEST(RenderedText, FacesOfTheLayout) {
  struct Case {
    const char* item;  // a fixed text's first characters
    const char* family;
  } cases[] = {
      {"申请者（签章）", "AR PL UKai CN"}, {"年     月", "AR PL UKai CN"},
      {"申请者的承诺与成果使用授权", "Noto Sans CJK SC"}, {"一、", "Noto Serif CJK SC"},
  };
  const auto sheets = sheetsOf(openedFixture("sample.xdx").record(), false);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.item);
    QStringList families;
    for (const report::DrawOp& op : sheets[1].ops)
      if (const auto* t = std::get_if<report::TextOp>(&op); t && t->text.startsWith(QString::fromUtf8(c.item)))
        for (const QGlyphRun& run : t->runs) families << run.rawFont().familyName();
    ASSERT_FALSE(families.isEmpty());
    EXPECT_TRUE(families.contains(QString::fromLatin1(c.family))) << families.join(u',').toStdString();
  }
}

// The Kai face holds every character the layout sets in "仿宋_GB2312" and
// every hanzi of GB 2312 (rows 16 to 87), so nothing of it falls back.
TEST(RenderedText, KaiFaceCoversItsTexts) {
  QFont font(QStringLiteral("AR PL UKai CN"));
  font.setPixelSize(48);
  const QRawFont raw = QRawFont::fromFont(font);
  ASSERT_EQ(raw.familyName(), QStringLiteral("AR PL UKai CN"));
  QString texts;
  const report::Report layout = report::loadReport();
  for (const report::Page& page : layout.pages)
    for (const report::Item& it : page.items)
      if (it.font.face == u"仿宋_GB2312") texts += it.text;
  ASSERT_GT(texts.size(), 10);
  QByteArray gb2312;
  for (int row = 0xB0; row <= 0xF7; ++row)
    for (int cell = 0xA1; cell <= 0xFE; ++cell) {
      if (row == 0xD7 && cell > 0xF9) continue;  // row 55 ends at 89
      gb2312 += static_cast<char>(row);
      gb2312 += static_cast<char>(cell);
    }
  const std::optional<std::string> hanzi = gbkToUtf8(gb2312.toStdString());
  ASSERT_TRUE(hanzi);
  texts += QString::fromStdString(*hanzi);
  QString missing;
  for (const QChar ch : texts)
    if (!ch.isSpace() && !raw.supportsCharacter(ch)) missing += ch;
  EXPECT_TRUE(missing.isEmpty()) << missing.toStdString();
}

// Text copied out of the PDF is the text that was printed, also for the
// ideographs whose glyphs the faces share with radicals.
TEST(RenderedText, IdeographsCopyOutUnchanged) {
  Record rec = openedFixture("sample.xdx").record();
  const std::string mixed = "文化直骨长门风马鬼龙";
  rec.setText(Field::Department, mixed);        // 宋体 on the cover
  rec.setText(Field::Bank, mixed);        // Arial with its Chinese partner
  const auto text = pdfText(pdfOf(rec, false));
  EXPECT_TRUE(text[0].contains(QString::fromStdString(mixed)));
  EXPECT_TRUE(text[7].contains(QString::fromStdString(mixed)));
  for (const auto& page : text)
    for (QChar c : page.chars) EXPECT_FALSE(c.unicode() >= 0x2E80 && c.unicode() <= 0x2FDF) << int(c.unicode());
  EXPECT_EQ(report::unifiedIdeograph(0x2F42), U'文');
  EXPECT_EQ(report::unifiedIdeograph(U'文'), U'文');
}

// Two generations of the same record give the same sheets, operation by
// operation, and every generation uses its own resolution, not the screen's.
TEST(RenderedSheets, GenerationIsRepeatable) {
  const Record rec = openedFixture("sample.xdx").record();
  const auto a = sheetsOf(rec, false), b = sheetsOf(rec, false);
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) EXPECT_EQ(report::describeSheet(a[i]), report::describeSheet(b[i]));
  const QString cover = report::describeSheet(a[0]);
  EXPECT_TRUE(cover.contains(u"Noto Serif CJK SC 250.000")) << "15 pt at 1200 dpi";
}

}  // namespace
}  // namespace velmora::test
