// The printed sheets, read back from the PDF with poppler: placement, the
// sheet sequence, page numbers, continuation, cut cells and marks.
#include <gtest/gtest.h>

#include <poppler-qt6.h>
#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QRawFont>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <map>
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

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
      {"Page1", {3.5}},      {"Page2", {}},         {"Page4", {3.5}},       {"Page5", {3.5}},
      {"Page6", {3.4, 3.4}}, {"Page7", {3.4, 3.4}}, {"Page8", {3.5}},       {"Page9", {3.5}},
      {"Page10", {3.5}},     {"Page11", {3.5}},     {"Page14", {3.4, 3.4}},
  };
  for (const auto& s : formal) {
    SCOPED_TRACE(s.page.toStdString());
    const auto found = pictures(s);
    std::vector<double> widths;
    for (const auto& [at, w] : found) widths.push_back(std::round(w * 10) / 10);
    EXPECT_EQ(widths, expected.at(s.page));
    if (!found.empty() && widths.front() == 3.5) {
      EXPECT_LE(found.front().first, s.page == "Page9" ? 1u : 0u);
    }
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

// Every vertical rule and side of a frame of a sheet, as segments.
std::vector<QLineF> uprights(const report::Sheet& sheet) {
  std::vector<QLineF> found;
  for (const report::DrawOp& op : sheet.ops) {
    if (const auto* l = std::get_if<report::LineOp>(&op); l && l->line.x1() == l->line.x2()) found.push_back(l->line);
    if (const auto* f = std::get_if<report::FrameOp>(&op)) {
      found.emplace_back(f->rect.topLeft(), f->rect.bottomLeft());
      found.emplace_back(f->rect.topRight(), f->rect.bottomRight());
    }
  }
  return found;
}

// The largest application and one of realistic entries: no text on any
// sheet is struck by a rule or a side of the frame, neither as laid out nor
// as its glyphs come out of the PDF.
TEST(RenderedSheets, NoTextCrossesARuleOrTheFrame) {
  Record realistic = openedFixture("sample.xdx").record();
  realistic.setCell(Field::MainActor, 0, 0, "欧阳晓燕");
  realistic.setCell(Field::MainActor, 0, 8, "华东师范大学课程与教学研究所教育学部");
  realistic.setCell(Field::Production, 0, 0, "区域推进中小学学习共同体建设的理论与实践研究——以海淀区为例");
  realistic.setCell(Field::ResearchedProject, 0, 2, "教育部人文社会科学重点研究基地重大项目");
  const double touch = report::kLayoutDpi / 100;
  for (const auto& [name, record] : {std::pair{"maximal", bench::maximalRecord()}, std::pair{"realistic", realistic}}) {
    SCOPED_TRACE(name);
    const auto sheets = sheetsOf(record, false);
    const auto pages = pdfText(report::pdfBytes(sheets));
    ASSERT_EQ(pages.size(), sheets.size());
    for (std::size_t s = 0; s < sheets.size(); ++s) {
      const auto rules = uprights(sheets[s]);
      for (const report::DrawOp& op : sheets[s].ops) {
        const auto* t = std::get_if<report::TextOp>(&op);
        if (!t) continue;
        for (const QLineF& r : rules) {
          const bool across = r.x1() > t->box.left() + touch && r.x1() < t->box.right() - touch;
          const bool beside =
              std::min(r.y1(), r.y2()) < t->box.bottom() - touch && std::max(r.y1(), r.y2()) > t->box.top() + touch;
          EXPECT_FALSE(across && beside) << "sheet " << s + 1 << " " << t->item.toStdString() << " \""
                                         << t->text.left(12).toStdString() << "\" at x " << r.x1() / report::kLayoutDpi;
        }
      }
      // The glyphs as poppler finds them: no character box holds a rule.
      // Poppler's boxes are the face's whole height, ascent to descent; the
      // ink of a character fills the middle three fifths of it.
      for (std::size_t c = 0; c < pages[s].boxes.size(); ++c) {
        const QRectF box = pages[s].boxes[c];
        const QRectF g = box.adjusted(0, box.height() / 5, 0, -box.height() / 5);
        for (const QLineF& r : rules) {
          const double x = r.x1() / report::kLayoutDpi;
          const bool across = x > g.left() + 0.005 && x < g.right() - 0.005;
          const bool beside = std::min(r.y1(), r.y2()) / report::kLayoutDpi < g.bottom() - 0.01 &&
                              std::max(r.y1(), r.y2()) / report::kLayoutDpi > g.top() + 0.01;
          EXPECT_FALSE(across && beside) << "sheet " << s + 1 << " character " << g.left() << ".." << g.right() << " "
                                         << g.top() << ".." << g.bottom() << " "
                                         << pages[s].chars.mid(static_cast<qsizetype>(c), 1).toStdString() << " at x "
                                         << x;
        }
      }
    }
  }
}

// The operations of one item on a sheet, in drawing order.
std::vector<const report::TextOp*> opsOf(const report::Sheet& sheet, QStringView item) {
  std::vector<const report::TextOp*> found;
  for (const report::DrawOp& op : sheet.ops)
    if (const auto* t = std::get_if<report::TextOp>(&op); t && t->item == item) found.push_back(t);
  return found;
}

QString joined(const std::vector<const report::TextOp*>& ops) {
  QString text;
  for (const auto* t : ops) text += t->text;
  return text;
}

double pointsOf(const report::TextOp& op) { return op.box.height() / report::kLinePitch / (report::kLayoutDpi / 72); }

// A cell that drops what its box cannot hold sets a long text smaller so
// that it prints whole; only what does not fit at 6.5 pt is dropped, the
// last line ending in "…", and the sheet names the cell.
TEST(RenderedCells, CutCellsPrintWholeOrSayTheyAreCut) {
  const std::string title =
      "甲乙丙丁戊己庚辛壬癸子丑寅卯辰巳午未申酉戌亥天地玄黄宇宙洪荒日月盈昃辰宿列张寒来暑往秋收冬藏";
  std::string endless;
  for (int i = 0; i < 4; ++i) endless += title;
  struct Case {
    const char* name;
    std::string text;
    bool smaller, cut;
  } cases[] = {
      {"fits at its size", "学习共同体的理论与实践", false, false},
      {"a realistic book title", "区域推进中小学学习共同体建设的理论与实践研究——以海淀区为例", true, false},
      {"52 characters", title, true, false},
      {"208 characters", endless, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Record rec = openedFixture("sample.xdx").record();
    rec.setCell(Field::Production, 0, 0, c.text);
    const auto sheets = sheetsOf(rec, false);
    ASSERT_EQ(sheets.size(), 11u);
    const auto ops = opsOf(sheets[3], u"Production11");
    ASSERT_FALSE(ops.empty());
    const QString printed = joined(ops);
    const QString text = QString::fromStdString(c.text);
    if (c.cut) {
      EXPECT_TRUE(printed.endsWith(u'…')) << printed.toStdString();
      EXPECT_TRUE(text.startsWith(printed.chopped(1)));
      EXPECT_GT(printed.size(), 60);
      EXPECT_EQ(report::incompleteNotice(sheets),
                QStringLiteral("打印时未能完整显示：研究成果第1行“成果名称”（第 4 页）"));
    } else {
      EXPECT_EQ(printed, text);
      EXPECT_TRUE(sheets[3].incomplete.empty());
      EXPECT_TRUE(report::incompleteNotice(sheets).isEmpty());
    }
    // The cell's box: 1.9 in wide from 0.95 in, from 1.82 in down to the
    // row's rule at 2.2 in, which the lines keep 1 pt clear of.
    for (const auto* op : ops) {
      EXPECT_EQ(pointsOf(*op) < 10.0 - 1e-9, c.smaller) << pointsOf(*op);
      EXPECT_GE(pointsOf(*op), 6.5);
      EXPECT_LE(op->box.right(), (0.95 + 1.9) * report::kLayoutDpi);
      EXPECT_LE(op->box.bottom(), 2.2 * report::kLayoutDpi - report::kLayoutDpi / 72 + 1);
    }
    const auto pdf = pdfText(report::pdfBytes(sheets));
    EXPECT_TRUE(pdf[3].contains(printed)) << printed.toStdString();
  }
}

// A single-line cell runs on past its item's width while nothing is in the
// way; one that would run over its neighbour or the column's rule is fitted
// into its cell, kept 1 pt clear of the rule: condensed, then smaller, then
// wrapped onto as many lines as the row holds (6.5 pt at the least), and of
// one too long even for that what does not fit is dropped behind "…".
TEST(RenderedCells, RunningTextsStayInTheirCell) {
  const std::string specialty = "比较教育学与课程理论";
  struct Case {
    const char* name;
    std::string text, neighbour;
    std::size_t lines;
    bool condensed, smaller, cut;
  } cases[] = {
      {"fits", "比较教育", "本科", 1, false, false, false},
      {"over the rule, nothing beside", specialty, "", 1, true, false, false},
      {"condensed", specialty, "本科", 1, true, false, false},
      {"smaller", specialty + "比较教育", "本科", 1, true, true, false},
      {"wrapped", specialty + specialty + specialty, "本科", 3, true, true, false},
      {"cut", specialty + specialty + specialty + specialty + specialty + specialty, "本科", 3, true, true, true},
  };
  const double rule = 4.8 * report::kLayoutDpi, clear = report::kLayoutDpi / 72;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Record rec = openedFixture("sample.xdx").record();
    rec.setCell(Field::MainActor, 0, 5, c.text);
    rec.setCell(Field::MainActor, 0, 6, c.neighbour);
    const auto sheets = sheetsOf(rec, false);
    const auto ops = opsOf(sheets[2], u"MainActor16");
    ASSERT_EQ(ops.size(), c.lines);
    const QString printed = joined(ops);
    if (c.cut) {
      EXPECT_TRUE(printed.endsWith(u'…'));
      EXPECT_TRUE(QString::fromStdString(c.text).startsWith(printed.chopped(1)));
      EXPECT_EQ(report::incompleteNotice(sheets),
                QStringLiteral("打印时未能完整显示：主要参加者第1行“研究专长”（第 3 页）"));
    } else {
      EXPECT_EQ(printed, QString::fromStdString(c.text));
      EXPECT_TRUE(report::incompleteNotice(sheets).isEmpty());
    }
    for (const auto* op : ops) {
      EXPECT_EQ(op->condense < 1.0, c.condensed);
      EXPECT_GE(op->condense, 0.6);
      EXPECT_EQ(pointsOf(*op) < 10.0 - 1e-9, c.smaller) << pointsOf(*op);
      EXPECT_GE(pointsOf(*op), c.lines > 1 ? 6.5 : 7.0);
      EXPECT_NEAR(op->box.left(), 3.9 * report::kLayoutDpi, 1);
      EXPECT_LE(op->box.right(), rule - clear + 1);
      // The row lies between the rules at 4.8 and 5.15 in.
      EXPECT_GE(op->box.top(), 4.8 * report::kLayoutDpi + clear - 1);
      EXPECT_LE(op->box.bottom(), 5.15 * report::kLayoutDpi - clear + 1);
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
      {"申请者（签章）", "AR PL UKai CN"},
      {"年     月", "AR PL UKai CN"},
      {"申请者的承诺与成果使用授权", "Noto Sans CJK SC"},
      {"一、", "Noto Serif CJK SC"},
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
  rec.setText(Field::Department, mixed);  // 宋体 on the cover
  rec.setText(Field::Bank, mixed);        // Arial with its Chinese partner
  const auto text = pdfText(pdfOf(rec, false));
  EXPECT_TRUE(text[0].contains(QString::fromStdString(mixed)));
  EXPECT_TRUE(text[7].contains(QString::fromStdString(mixed)));
  for (const auto& page : text)
    for (QChar c : page.chars) EXPECT_FALSE(c.unicode() >= 0x2E80 && c.unicode() <= 0x2FDF) << int(c.unicode());
  EXPECT_EQ(report::unifiedIdeograph(0x2F42), U'文');
  EXPECT_EQ(report::unifiedIdeograph(U'文'), U'文');
}

// The PDF as Qt writes it, before its character maps are restored.
QByteArray qtPdf(const QString& text) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    QPainter painter(&writer);
    QFont font(QStringLiteral("Noto Serif CJK SC"));
    font.setPointSize(12);
    painter.setFont(font);
    painter.drawText(QPointF(100, 300), text);
  }
  return buffer.data();
}

// The text of a PDF's first page as poppler copies it out, radicals and all.
QString copiedText(const QByteArray& pdf) {
  const std::unique_ptr<Poppler::Document> doc = Poppler::Document::loadFromData(pdf);
  if (!doc || doc->numPages() < 1) return {};
  QString text = doc->page(0)->text(QRectF());
  text.remove(QRegularExpression(QStringLiteral("\\s")));
  return text;
}

// `pdf` written again by qpdf with every stream compressed, as a later Qt
// might write its character maps.
QByteArray compressed(const QByteArray& pdf) {
  QPDF doc;
  doc.processMemoryFile("qt", pdf.constData(), static_cast<size_t>(pdf.size()));
  QPDFWriter writer(doc);
  writer.setOutputMemory();
  writer.setStreamDataMode(qpdf_s_compress);
  writer.write();
  const auto out = writer.getBufferSharedPointer();
  return QByteArray(reinterpret_cast<const char*>(out->getBuffer()), static_cast<qsizetype>(out->getSize()));
}

// The rewriting finds the character maps it is there to mend, whether Qt
// leaves them plain or they come compressed; mended, the text copies out as
// it was drawn, and a second pass finds nothing left to mend.
TEST(RenderedText, CharacterMapsAreFoundAndMended) {
  const QString text = QStringLiteral("非正式文档文化直骨长门风马鬼龙");
  const QByteArray plain = qtPdf(text);
  ASSERT_TRUE(copiedText(plain).contains(QChar(0x2F42))) << "Qt's own map gives the radical ⽂";
  for (const auto& [name, pdf] : {std::pair{"as Qt writes it", plain}, std::pair{"compressed", compressed(plain)}}) {
    SCOPED_TRACE(name);
    int rewritten = 0;
    const QByteArray mended = report::restoreIdeographs(pdf, &rewritten);
    EXPECT_GE(rewritten, 1);
    EXPECT_EQ(copiedText(mended).toStdString(), text.toStdString());
    int again = -1;
    EXPECT_EQ(report::restoreIdeographs(mended, &again), mended);
    EXPECT_EQ(again, 0);
  }
  int none = -1;
  EXPECT_EQ(report::restoreIdeographs("no PDF at all", &none), QByteArray("no PDF at all"));
  EXPECT_EQ(none, 0);
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
