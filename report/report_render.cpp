#include "report/report_render.h"

#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QTextLayout>
#include <cmath>
#include <limits>
#include <map>
#include <set>

#include "report/report_fonts.h"
#include "report/report_images.h"

namespace velmora::report {
namespace {

constexpr double kPoint = kLayoutDpi / 72.0;  // layout units per point
// No layout page is taller than this (inches).
constexpr double kTallestSheetInches = 14.0;
// A single-line text that would run over another text or off the sheet is
// condensed down to this horizontal scale, then set smaller down to
// kMinFitSize points.
constexpr double kMinCondense = 0.6;
constexpr double kMinFitSize = 7.0;
// Wrapped within its cell, a text is set no smaller than this.
constexpr double kMinWrapSize = 6.5;
// A fitted text keeps this far from rules, frames and other texts.
constexpr double kClear = kPoint;
// Boxes that overlap by less than this (0.01 in) touch, they do not overlap.
constexpr double kTouch = kLayoutDpi / 100.0;

double px(double inches) { return inches * kLayoutDpi; }

// The layout device: every font is resolved and every text measured at
// 1200 dpi here, never against a screen, so sheets do not depend on the
// display the program runs on.
QPaintDevice* layoutDevice() {
  static QImage device = [] {
    QImage img(1, 1, QImage::Format_ARGB32_Premultiplied);
    const int dotsPerMeter = static_cast<int>(std::lround(kLayoutDpi / 0.0254));
    img.setDotsPerMeterX(dotsPerMeter);
    img.setDotsPerMeterY(dotsPerMeter);
    return img;
  }();
  return &device;
}

struct Line {
  QList<QGlyphRun> runs;
  double ascent = 0;
  double advance = 0;
  QString text;
};

QString singleLine(QString s) {
  s.replace(u'\r', QString()).replace(u'\n', u' ');
  return s;
}

// A run of this many characters without a place to break is no word of any
// language: such a text is broken anywhere, as Chinese text is (the window's
// fields do the same). Looking for the end of a megabyte "word" on every
// line made laying it out quadratic.
constexpr qsizetype kLongestWord = 512;
// Paragraphs are laid out this many characters at a time, so that shaping
// and breaking a text of many megabytes costs no more memory than a page.
constexpr qsizetype kLayoutChunk = 8192;

bool hasLongWord(QStringView para) {
  qsizetype run = 0;
  for (QChar c : para) {
    if (c.isSpace() || c.unicode() >= 0x2E80) {
      run = 0;
    } else if (++run >= kLongestWord) {
      return true;
    }
  }
  return false;
}

// Appends the lines of one laid-out piece of text; returns the number of
// characters they cover. `keepLast` false leaves out a last line that may
// have been ended by the end of the piece rather than by the width.
qsizetype takeLines(const QString& piece, const QFont& font, double width, QTextOption::WrapMode mode, bool justify,
                    bool keepLast, qsizetype maxLines, QList<Line>& lines) {
  QTextLayout layout(piece, font, layoutDevice());
  QTextOption opt;
  opt.setWrapMode(mode);
  opt.setAlignment(justify ? Qt::AlignJustify : Qt::AlignLeft);
  layout.setTextOption(opt);
  layout.beginLayout();
  for (QTextLine tl = layout.createLine(); tl.isValid(); tl = layout.createLine()) {
    tl.setLineWidth(mode == QTextOption::NoWrap ? 1e9 : width);
    tl.setPosition(QPointF(0, 0));
  }
  layout.endLayout();
  int count = layout.lineCount();
  if (!keepLast && count > 1) --count;
  qsizetype covered = 0;
  for (int i = 0; i < count && lines.size() < maxLines; ++i) {
    QTextLine tl = layout.lineAt(i);
    Line l;
    l.runs = tl.glyphRuns();
    l.ascent = tl.ascent();
    l.advance = tl.naturalTextWidth();
    l.text = piece.mid(tl.textStart(), tl.textLength());
    covered = tl.textStart() + tl.textLength();
    lines.append(std::move(l));
  }
  return covered;
}

// The lines of one paragraph, no more than `maxLines`; `complete` tells
// whether they are all of them.
QList<Line> layoutParagraph(const QString& para, const QFont& font, double width, bool wrap, bool justify,
                            qsizetype maxLines, bool* complete = nullptr) {
  QList<Line> lines;
  if (complete) *complete = true;
  if (!wrap) {
    takeLines(para, font, width, QTextOption::NoWrap, justify, true, maxLines, lines);
    return lines;
  }
  const auto mode = hasLongWord(para) ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere;
  qsizetype start = 0;
  while (start < para.size()) {
    if (lines.size() >= maxLines) {
      if (complete) *complete = false;
      break;
    }
    const bool last = para.size() - start <= kLayoutChunk;
    // A line is broken by what comes before its end only, so every line but
    // the piece's last comes out as in a layout of the whole paragraph.
    const qsizetype covered =
        takeLines(para.mid(start, kLayoutChunk), font, width, mode, justify, last, maxLines, lines);
    if (last || covered <= 0) break;
    start += covered;
  }
  return lines;
}

// Laid-out paragraphs by their text and everything their layout depends on.
struct LayoutKey {
  QString text, face;
  double size;
  bool bold, italic;
  double width;  // -1: not wrapped
  bool justify;
  bool operator<(const LayoutKey& o) const {
    return std::tie(text, face, size, bold, italic, width, justify) <
           std::tie(o.text, o.face, o.size, o.bold, o.italic, o.width, o.justify);
  }
};
using LayoutCache = std::map<LayoutKey, QList<Line>>;

// The most characters of a single-line text that are laid out. Nothing
// beyond them could be printed: condensed to 60 % at 7 pt, fewer than 700
// of the narrowest characters fill the 8.1 inches left of the printable edge.
constexpr qsizetype kMaxSingleLineChars = 2048;

// The lines of a text, no more than `maxLines`; with a cache, each distinct
// paragraph is shaped once (texts repeat: copies, sheets of a page rendered
// again, equal lines).
QList<Line> breakLines(const QString& text, const FontSpec& style, double width, bool wrap, bool justify,
                       LayoutCache* cache = nullptr, qsizetype maxLines = std::numeric_limits<qsizetype>::max()) {
  QList<Line> lines;
  const QFont font = reportFont(style);
  auto add = [&](const QString& para) {
    if (para.isEmpty()) {
      lines.append(Line{});
      return;
    }
    const qsizetype room = maxLines - lines.size();
    if (!cache) {
      lines += layoutParagraph(para, font, width, wrap, justify, room);
      return;
    }
    const LayoutKey key{para, style.face, style.size, style.bold, style.italic, wrap ? width : -1, justify};
    auto found = cache->find(key);
    if (found != cache->end()) {
      lines += found->second.mid(0, room);
      return;
    }
    bool complete = true;
    QList<Line> laid = layoutParagraph(para, font, width, wrap, justify, room, &complete);
    lines += laid;
    // A paragraph cut short by the budget is not kept: another budget would cut it elsewhere.
    if (complete) cache->emplace(key, std::move(laid));
  };
  if (!wrap) {
    add(singleLine(text.left(kMaxSingleLineChars)));
    return lines;
  }
  // Paragraph by paragraph, and only as far as lines are wanted: a text of
  // millions of line breaks is never split up whole.
  for (qsizetype from = 0; from <= text.size() && lines.size() < maxLines;) {
    qsizetype end = text.indexOf(u'\n', from);
    if (end < 0) end = text.size();
    QString para = text.mid(from, end - from);
    para.remove(u'\r');
    from = end + 1;
    add(para);
  }
  return lines;
}

class Generator {
  // A single-line text drawn on the current sheet: its operation and what
  // it was laid out from.
  struct SingleLine {
    std::size_t op;
    const Item* item;
    QString text;
    FontSpec font;
    bool truncated;  // longer than any line can print
  };

 public:
  explicit Generator(const Report& r) : report_(r) {}

  std::vector<Sheet> run(const std::function<void(int)>& onSheet, QString* error) {
    std::vector<Sheet> sheets;
    int relative = 1;
    const Page* page = report_.findPage(report_.first);
    int repeat = 0;
    while (page) {
      Sheet sheet;
      sheet.page = page->name;
      sheet.absolute = static_cast<int>(sheets.size()) + 1;
      sheet.relative = relative;
      for (const Item& it : page->items)
        if (it.kind == ItemKind::PageReset) sheet.relative = it.resetValue;
      relative = sheet.relative + 1;
      if (onSheet) onSheet(sheet.absolute);
      unfinished_ = false;
      page_ = page;
      sheet_ = &sheet;
      singles_.clear();
      for (const Item& it : page->items) drawItem(it, QPointF(0, 0));
      fitSingleLines();
      sheets.push_back(std::move(sheet));
      if (unfinished_ && ++repeat >= kMaxSheetsPerPage) {
        // Never cut silently: a text that long is refused as a whole.
        if (error)
          *error = QStringLiteral("“%1”的文字过长：打印需要超过 %2 页，无法打印")
                       .arg(unfinishedItem_)
                       .arg(kMaxSheetsPerPage);
        return {};
      }
      if (unfinished_) continue;
      repeat = 0;
      progress_.clear();
      finished_.clear();
      page = page->next.isEmpty() ? nullptr : report_.findPage(page->next);
    }
    return sheets;
  }

 private:
  const QList<Line>& linesOf(const Item& it, const QString& text, const FontSpec& font, bool wrap) {
    const Key key{text, font.face, font.size, font.bold, font.italic, wrap ? it.width : -1, it.justify};
    auto found = cache_.find(key);
    if (found != cache_.end()) return found->second;
    return cache_.emplace(key, breakLines(text, font, px(it.width), wrap, it.justify, &paragraphs_, maxLines(font)))
        .first->second;
  }

  // More lines than the limit of sheets can hold, on sheets of any height:
  // a text is laid out no further than it can be printed, and one that runs
  // past them is refused by the sheet count.
  static qsizetype maxLines(const FontSpec& font) {
    const double pitch = kLinePitch * std::max(1.0, font.size) * kPoint;
    return static_cast<qsizetype>(kMaxSheetsPerPage + 1) *
           (static_cast<qsizetype>(px(kTallestSheetInches) / pitch) + 1);
  }

  static TextOp lineOp(const Line& l, double left, double top, const FontSpec& font, const QString& item) {
    const double em = font.size * kPoint;
    TextOp op;
    op.origin = QPointF(left, top + kBaseline * em - l.ascent);
    op.runs = l.runs;
    op.text = l.text;
    op.box = QRectF(left, top, l.advance, kLinePitch * em);
    op.item = item;
    return op;
  }

  void emitLine(const Line& l, double left, double top, const FontSpec& font, const QString& item) {
    if (l.runs.isEmpty()) return;
    sheet_->ops.emplace_back(lineOp(l, left, top, font, item));
  }

  void drawText(const Item& it, const QString& fullText, const FontSpec& font, QPointF at) {
    if (fullText.isEmpty()) return;
    // A single line shows no more than fits the sheet: a cell of megabytes
    // costs what its first characters cost.
    const QString text = singleLine(fullText.left(kMaxSingleLineChars));
    if (it.rotation == 270) return drawVertical(it, text, font, at);
    const auto& lines = linesOf(it, text, font, false);
    for (const Line& l : lines) {
      if (l.runs.isEmpty()) continue;
      singles_.push_back(SingleLine{sheet_->ops.size(), &it, text, font, fullText.size() > kMaxSingleLineChars});
      emitLine(l, at.x(), at.y(), font, it.name);
    }
  }

  // A single-line text may run past its item's width over empty paper, as
  // the layout intends; one that would run over another text, a rule, the
  // frame or the printable edge is fitted into its cell instead: the room up
  // to the first of them right of it, and between the rules above and below
  // it, kept 1 pt clear of each (a rule through a name makes it unreadable).
  // Left edges never move, so the order in which texts are fitted does not
  // matter.
  void fitSingleLines() {
    auto& ops = sheet_->ops;
    if (singles_.empty()) return;
    // What stands in a line's way, gathered once a sheet: the texts' boxes,
    // and the uprights (vertical rules, frame sides) as x with a y span.
    struct Upright {
      double x, edge, y0, y1;  // its middle, the side a text meets, its span
    };
    std::vector<std::pair<std::size_t, QRectF>> texts;
    std::vector<Upright> uprights;
    for (std::size_t k = 0; k < ops.size(); ++k) {
      if (const auto* t = std::get_if<TextOp>(&ops[k])) {
        texts.emplace_back(k, t->box);
      } else if (const auto* line = std::get_if<LineOp>(&ops[k])) {
        const QLineF& l = line->line;
        if (l.x1() == l.x2())
          uprights.push_back({l.x1(), l.x1() - line->width / 2, std::min(l.y1(), l.y2()), std::max(l.y1(), l.y2())});
      } else if (const auto* frame = std::get_if<FrameOp>(&ops[k])) {
        for (double x : {frame->rect.left(), frame->rect.right()})
          uprights.push_back({x, x - frame->width / 2, frame->rect.top(), frame->rect.bottom()});
      }
    }
    struct Fitted {
      std::size_t op;
      std::vector<TextOp> lines;
    };
    std::vector<Fitted> fitted;
    for (const SingleLine& s : singles_) {
      const QRectF box = std::get<TextOp>(ops[s.op]).box;
      const double top = box.top() + kTouch, bottom = box.bottom() - kTouch;
      const double from = box.left() + kTouch;
      double limit = px(kPrintableRightInches);
      for (const auto& [k, other] : texts)
        if (k != s.op && other.left() > from && other.top() < bottom && other.bottom() > top)
          limit = std::min(limit, other.left());
      for (const Upright& u : uprights)
        if (u.x > from && u.y0 < bottom && u.y1 > top) limit = std::min(limit, u.edge);
      limit -= kClear;
      if (box.right() <= limit && !s.truncated) continue;
      Fitted f{s.op, fitInto(s, limit - box.left(), cellBand(s.op, box, limit))};
      if (!f.lines.empty()) fitted.push_back(std::move(f));
    }
    if (fitted.empty()) return;
    // The extra lines of a wrapped text follow its first, in drawing order.
    std::vector<DrawOp> out;
    out.reserve(ops.size() + fitted.size() * 2);
    auto next = fitted.begin();
    for (std::size_t k = 0; k < ops.size(); ++k) {
      if (next == fitted.end() || next->op != k) {
        out.push_back(std::move(ops[k]));
        continue;
      }
      for (TextOp& line : next->lines) out.emplace_back(std::move(line));
      ++next;
    }
    ops = std::move(out);
  }

  // The height a text may wrap into: from the nearest rule, frame side or
  // text above its line to the nearest below, within the width it may take.
  std::pair<double, double> cellBand(std::size_t self, const QRectF& box, double limit) const {
    const double centre = box.center().y();
    double top = -1, bottom = -1;
    auto take = [&](double y) {
      if (y <= centre)
        top = std::max(top, y);
      else if (bottom < 0 || y < bottom)
        bottom = y;
    };
    auto over = [&](double x0, double x1) { return std::min(x0, x1) < limit && std::max(x0, x1) > box.left(); };
    const auto& ops = sheet_->ops;
    for (std::size_t k = 0; k < ops.size(); ++k) {
      if (const auto* other = std::get_if<TextOp>(&ops[k])) {
        if (k == self || !over(other->box.left(), other->box.right())) continue;
        if (other->box.bottom() <= centre)
          take(other->box.bottom());
        else if (other->box.top() >= centre)
          take(other->box.top());
      } else if (const auto* line = std::get_if<LineOp>(&ops[k])) {
        const QLineF& l = line->line;
        if (l.y1() == l.y2() && over(l.x1(), l.x2())) take(l.y1() + (l.y1() <= centre ? 1 : -1) * line->width / 2);
      } else if (const auto* frame = std::get_if<FrameOp>(&ops[k])) {
        if (!over(frame->rect.left(), frame->rect.right())) continue;
        const double half = frame->width / 2;
        take(frame->rect.top() + (frame->rect.top() <= centre ? half : -half));
        take(frame->rect.bottom() + (frame->rect.bottom() <= centre ? half : -half));
      }
    }
    // Nothing above or below: the line's own height.
    return {top < 0 ? box.top() : std::min(top, box.top()) + kClear,
            bottom < 0 ? box.bottom() : std::max(bottom, box.bottom()) - kClear};
  }

  // A text fitted into `width` and the band [first, second]: condensed, then
  // smaller, then wrapped onto as many lines as the band holds at a legible
  // size; what still does not fit ends in "…" and the sheet names it.
  std::vector<TextOp> fitInto(const SingleLine& s, double width, std::pair<double, double> band) {
    const TextOp& op = std::get<TextOp>(sheet_->ops[s.op]);
    if (width <= 0) return {};
    const QPointF at = op.box.topLeft();
    if (!s.truncated) {
      // One line, condensed and, if need be, set smaller.
      FontSpec font = s.font;
      for (double size = s.font.size; size >= kMinFitSize - 1e-9;) {
        font.size = size;
        const auto& lines = linesOf(*s.item, s.text, font, false);
        if (lines.isEmpty() || lines.front().runs.isEmpty()) return {};
        const double condense = std::min(1.0, width / lines.front().advance);
        if (condense >= kMinCondense) return {placed(lines.front(), at, font, op.item, condense, width)};
        if (size <= kMinFitSize) break;
        // Estimated from the width, then stepped down until it fits.
        size = std::max(kMinFitSize, std::min(size - 0.5, std::floor(size * condense / kMinCondense * 10) / 10));
      }
      // Wrapped: the fewest lines at the largest size the band holds.
      const double room = band.second - band.first;
      for (int n = 2;; ++n) {
        font.size = std::min(s.font.size, std::floor(room / (n * kLinePitch * kPoint) * 10) / 10);
        if (font.size < kMinWrapSize) break;
        for (double condense : {1.0, 0.9, 0.8, 0.7, kMinCondense}) {
          const QList<Line> lines = breakLines(s.text, font, width / condense, true, false, &paragraphs_, n + 1);
          if (lines.size() > n) continue;
          return stacked(lines, at.x(), band, font, op.item, width);
        }
      }
    }
    // Cut: as many lines as the band holds at the smallest size, the last
    // one ending in an ellipsis.
    const double room = band.second - band.first;
    FontSpec font = s.font;
    font.size = kMinWrapSize;
    const int n = std::max(1, static_cast<int>(std::floor(room / (kLinePitch * kMinWrapSize * kPoint))));
    if (n == 1) font.size = std::min(s.font.size, kMinFitSize);
    QList<Line> lines = breakLines(s.text, font, width / kMinCondense, true, false, &paragraphs_, n);
    if (lines.isEmpty()) return {};
    lines.back() = withEllipsis(lines.back().text, font, width / kMinCondense);
    sheet_->incomplete.push_back(s.item->title.isEmpty() ? s.item->name : s.item->title);
    return stacked(lines, at.x(), n == 1 ? std::pair{op.box.top(), op.box.bottom()} : band, font, op.item, width);
  }

  // `text` shortened until it and a closing "…" fit `width` on one line.
  Line withEllipsis(QString text, const FontSpec& font, double width) {
    static const QString kEllipsis = QStringLiteral("…");
    for (;;) {
      const QList<Line> one = breakLines(text + kEllipsis, font, 0, false, false, &paragraphs_, 1);
      if (text.isEmpty() || (!one.isEmpty() && one.front().advance <= width))
        return one.isEmpty() ? Line{} : one.front();
      text.chop(text.size() >= 2 && text[text.size() - 1].isLowSurrogate() ? 2 : 1);
    }
  }

  TextOp placed(const Line& l, QPointF at, const FontSpec& font, const QString& item, double condense, double width) {
    TextOp t = lineOp(l, at.x(), at.y(), font, item);
    // Callers pass a scale of at most 1: a line is never widened.
    t.condense = std::min(condense, width / std::max(1.0, l.advance));
    t.box.setWidth(l.advance * t.condense);
    return t;
  }

  // Lines one under another, centred in the band, all condensed alike.
  std::vector<TextOp> stacked(const QList<Line>& lines, double left, std::pair<double, double> band,
                              const FontSpec& font, const QString& item, double width) {
    double widest = 1;
    for (const Line& l : lines) widest = std::max(widest, l.advance);
    const double condense = std::min(1.0, width / widest);
    const double pitch = kLinePitch * font.size * kPoint;
    const double top = band.first + std::max(0.0, (band.second - band.first - pitch * lines.size()) / 2);
    std::vector<TextOp> out;
    for (qsizetype i = 0; i < lines.size(); ++i) {
      if (lines[i].runs.isEmpty()) continue;
      out.push_back(placed(lines[i], QPointF(left, top + pitch * i), font, item, condense, width));
    }
    return out;
  }

  // Upright characters stacked downwards, each centred in a column one font
  // size wide; blanks and Latin characters take half a font size.
  void drawVertical(const Item& it, const QString& text, const FontSpec& font, QPointF at) {
    const double em = font.size * kPoint;
    double y = at.y();
    for (const QChar ch : text) {
      const auto lines = breakLines(QString(ch), font, 0, false, false, &paragraphs_);
      const bool wide = ch.unicode() >= 0x2E80;
      if (!lines.isEmpty() && ch != u' ') {
        const Line& l = lines.front();
        emitLine(l, at.x() + (em - l.advance) / 2, y, font, it.name);
      }
      y += wide ? em : em / 2;
    }
  }

  // A multi-line text: prints its lines from `first` while they fit
  // `height`; returns the number of lines printed.
  int drawLines(const Item& it, const QList<Line>& lines, int first, QPointF at, double height) {
    return drawLines(it, it.font, lines, first, at, height);
  }
  int drawLines(const Item& it, const FontSpec& font, const QList<Line>& lines, int first, QPointF at, double height) {
    const int n = std::min<int>(linesIn(height, font), static_cast<int>(lines.size()) - first);
    if (n <= 0) return 0;
    const double pitch = kLinePitch * font.size * kPoint;
    for (int i = 0; i < n; ++i) emitLine(lines[first + i], at.x(), at.y() + i * pitch, font, it.name);
    return n;
  }
  static int linesIn(double height, const FontSpec& font) {
    return static_cast<int>(std::floor((height + 0.5) / (kLinePitch * font.size * kPoint)));
  }

  // A cell that drops what its box cannot hold: a text longer than the box
  // is set smaller, down to the smallest legible size, so that it prints
  // whole; only what does not fit even then is dropped, its last line
  // ending in "…" and the sheet naming it.
  void drawCut(const Item& it, QPointF at, double height) {
    // Some cells' boxes reach a little past the rule under them: the lines
    // end 1 pt above the first rule or frame side that crosses the box.
    const double left = at.x(), right = at.x() + px(it.width);
    for (const DrawOp& op : sheet_->ops) {
      double y = -1, x0 = 0, x1 = 0;
      if (const auto* line = std::get_if<LineOp>(&op); line && line->line.y1() == line->line.y2()) {
        y = line->line.y1() - line->width / 2;
        x0 = line->line.x1(), x1 = line->line.x2();
      } else if (const auto* frame = std::get_if<FrameOp>(&op)) {
        y = frame->rect.bottom() - frame->width / 2;
        x0 = frame->rect.left(), x1 = frame->rect.right();
      }
      if (y > at.y() + kTouch && y < at.y() + height + kClear && std::min(x0, x1) < right && std::max(x0, x1) > left)
        height = y - kClear - at.y();
    }
    // Blank lines at the end hold nothing to print.
    QStringView text(it.text);
    while (!text.isEmpty() && (text.back() == u'\n' || text.back() == u'\r')) text.chop(1);
    // No more lines are laid out than the box could show, and one: a cell
    // of megabytes costs what its first lines cost.
    auto layout = [&](const FontSpec& font) {
      return breakLines(text.toString(), font, px(it.width), true, it.justify, &paragraphs_, linesIn(height, font) + 1);
    };
    FontSpec font = it.font;
    for (;;) {
      const QList<Line> lines = layout(font);
      if (lines.size() <= linesIn(height, font)) {
        drawLines(it, font, lines, 0, at, height);
        return;
      }
      if (font.size <= kMinWrapSize) break;
      font.size = std::max(kMinWrapSize, font.size - 0.5);
    }
    const int n = std::max(1, linesIn(height, font));
    QList<Line> lines = layout(font).mid(0, n);
    lines.back() = withEllipsis(lines.back().text, font, px(it.width));
    drawLines(it, font, lines, 0, at, std::max(height, n * kLinePitch * font.size * kPoint));
    sheet_->incomplete.push_back(it.title.isEmpty() ? it.name : it.title);
  }

  // An uncut text continues where the previous sheet of this page stopped;
  // a finished one prints in full again when its page is repeated, as much
  // of it as its box holds, and stays finished: two texts of different
  // lengths on one page otherwise started each other again without end.
  void drawMemo(const Item& it, QPointF at, double height) {
    if (it.cut) return drawCut(it, at, height);
    const auto& lines = linesOf(it, it.text, it.font, true);
    if (finished_.count(&it)) {
      drawLines(it, lines, 0, at, height);
      return;
    }
    // Blank lines at the end hold nothing to print: they never make a sheet
    // of their own.
    int total = static_cast<int>(lines.size());
    while (total > 0 && lines[total - 1].runs.isEmpty()) --total;
    const int first = progress_[&it];
    int n = std::min(drawLines(it, lines, first, at, height), total - first);
    // A box lower than one line still moves the text on, one line a sheet.
    if (n == 0 && first < total) {
      emitLine(lines[first], at.x(), at.y(), it.font, it.name);
      n = 1;
    }
    if (first + n < total) {
      progress_[&it] = first + n;
      unfinished_ = true;
      unfinishedItem_ = it.name;
    } else {
      progress_[&it] = 0;
      finished_.insert(&it);
    }
  }

  void drawFlow(const Item& area) {
    const QPointF origin(px(area.left), px(area.top));
    const double bottom = px(area.top + area.height);
    // The growing text: the block's multi-line item without the cut flag.
    const Item* growing = nullptr;
    for (const Item& b : area.block)
      if (b.kind == ItemKind::Memo && !b.cut) growing = &b;
    const bool continuing = growing && progress_[growing] > 0;
    for (const Item& b : area.block) {
      if (continuing && &b != growing) continue;  // only the text runs on
      if (&b == growing) {
        const QPointF at = origin + QPointF(px(b.left), px(b.top));
        // The item grows downwards with its text, down to the area's bottom edge.
        drawMemo(b, at, std::max(px(b.height), bottom - at.y()));
      } else {
        drawItem(b, origin);
      }
    }
  }

  void drawItem(const Item& it, QPointF offset) {
    const QPointF at = offset + QPointF(px(it.left), px(it.top));
    if (it.kind == ItemKind::Copy) {
      const Item* src = report_.resolveSource(*page_, it);
      if (!src || !src->visible) return;
      if (src->kind == ItemKind::Picture)
        drawPicture(*src, at, it.width > 0 ? it.width : src->width, it.name);
      else
        drawText(*src, src->text, src->font, at);
      return;
    }
    if (!it.visible) return;
    switch (it.kind) {
      case ItemKind::Text: drawText(it, it.text, it.font, at); break;
      case ItemKind::Memo: drawMemo(it, at, px(it.height)); break;
      case ItemKind::Line: {
        const QPointF end = at + (it.vertical ? QPointF(0, px(it.height)) : QPointF(px(it.width), 0));
        sheet_->ops.emplace_back(LineOp{QLineF(at, end), it.onePoint ? kPoint : 0.0});
        break;
      }
      case ItemKind::Frame:
        sheet_->ops.emplace_back(FrameOp{QRectF(at, QSizeF(px(it.width), px(it.height))), it.whiteFill, 1.5 * kPoint});
        break;
      case ItemKind::Picture: drawPicture(it, at, it.width, it.name); break;
      case ItemKind::PageNumber: drawText(it, QStringLiteral("-%1-").arg(sheet_->relative), it.font, at); break;
      case ItemKind::FlowArea: drawFlow(it); break;
      case ItemKind::PageReset:
      case ItemKind::Copy: break;
    }
  }

  // The bitmap at the item's width; its height follows the bitmap's proportions.
  void drawPicture(const Item& it, QPointF at, double widthInches, const QString& name) {
    const QImage& img = it.picture == Picture::Watermark ? watermarkImage() : bannerImage();
    const double w = px(widthInches);
    sheet_->ops.emplace_back(ImageOp{QRectF(at, QSizeF(w, w * img.height() / img.width())), img, name});
  }

  struct Key {
    QString text, face;
    double size;
    bool bold, italic;
    double width;
    bool justify;
    bool operator<(const Key& o) const {
      return std::tie(text, face, size, bold, italic, width, justify) <
             std::tie(o.text, o.face, o.size, o.bold, o.italic, o.width, o.justify);
    }
  };

  const Report& report_;
  const Page* page_ = nullptr;
  std::vector<SingleLine> singles_;
  Sheet* sheet_ = nullptr;
  bool unfinished_ = false;
  QString unfinishedItem_;
  std::map<const Item*, int> progress_;
  std::set<const Item*> finished_;
  std::map<Key, QList<Line>> cache_;
  LayoutCache paragraphs_;
};

}  // namespace

std::vector<Sheet> generateSheets(const Report& report, const std::function<void(int)>& onSheet, QString* error) {
  return Generator(report).run(onSheet, error);
}

}  // namespace velmora::report
