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
          *error = QStringLiteral("“%1”的文字过长：打印需要超过 %2 页，无法打印").arg(unfinishedItem_).arg(kMaxSheetsPerPage);
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
    return static_cast<qsizetype>(kMaxSheetsPerPage + 1) * (static_cast<qsizetype>(px(kTallestSheetInches) / pitch) + 1);
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
    const QString text = fullText.left(kMaxSingleLineChars);
    if (it.rotation == 270) return drawVertical(it, text, font, at);
    const auto& lines = linesOf(it, text, font, false);
    for (const Line& l : lines) {
      if (l.runs.isEmpty()) continue;
      singles_.push_back(SingleLine{sheet_->ops.size(), &it, text, font});
      emitLine(l, at.x(), at.y(), font, it.name);
    }
  }

  // A single-line text may run past its cell over empty paper, as the
  // layout intends; one that would run over another text of the sheet or
  // past the printable edge is condensed, and set smaller if need be, to end
  // before it. The neighbours' left edges never move, so the order in which
  // texts are fitted does not matter.
  void fitSingleLines() {
    auto& ops = sheet_->ops;
    for (const SingleLine& s : singles_) {
      const QRectF box = std::get<TextOp>(ops[s.op]).box;
      double limit = px(kPrintableRightInches);
      for (std::size_t k = 0; k < ops.size(); ++k) {
        const auto* other = std::get_if<TextOp>(&ops[k]);
        if (!other || k == s.op || other->box.left() <= box.left() + kTouch) continue;
        if (other->box.top() >= box.bottom() - kTouch || other->box.bottom() <= box.top() + kTouch) continue;
        limit = std::min(limit, other->box.left());
      }
      if (box.right() > limit + kTouch) fitInto(s, limit - box.left());
    }
  }

  void fitInto(const SingleLine& s, double width) {
    TextOp& op = std::get<TextOp>(sheet_->ops[s.op]);
    if (width <= 0) return;
    const double scale = width / op.box.width();
    if (scale >= kMinCondense) {
      op.condense = scale;
      op.box.setWidth(width);
      return;
    }
    // Condensed as far as it goes it is still too wide: a smaller size,
    // estimated from the width and then stepped down until it fits.
    FontSpec font = s.font;
    double size = std::max(kMinFitSize, std::floor(s.font.size * scale / kMinCondense * 10) / 10);
    for (;;) {
      font.size = size;
      const auto& lines = linesOf(*s.item, s.text, font, false);
      if (lines.isEmpty() || lines.front().runs.isEmpty()) return;
      const Line& l = lines.front();
      const double condense = std::min(1.0, width / l.advance);
      if (condense >= kMinCondense) {
        TextOp fitted = lineOp(l, op.box.left(), op.box.top(), font, op.item);
        fitted.condense = condense;
        fitted.box.setWidth(l.advance * condense);
        op = std::move(fitted);
        return;
      }
      if (size <= kMinFitSize) {
        // Smaller would not be legible: what does not fit at the smallest
        // size, fully condensed, is dropped, as a cut cell drops its rest
        // (only table cells hold that much, the fields' limits never do).
        const QList<Line> cut = breakLines(s.text, font, width / kMinCondense, true, false, nullptr, 1);
        if (cut.isEmpty() || cut.front().runs.isEmpty()) return;
        TextOp fitted = lineOp(cut.front(), op.box.left(), op.box.top(), font, op.item);
        fitted.condense = kMinCondense;
        fitted.box.setWidth(cut.front().advance * kMinCondense);
        op = std::move(fitted);
        return;
      }
      size = std::max(kMinFitSize, size - 0.5);
    }
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
    const double pitch = kLinePitch * it.font.size * kPoint;
    const int fit = static_cast<int>(std::floor((height + 0.5) / pitch));
    int n = std::min<int>(fit, static_cast<int>(lines.size()) - first);
    if (n <= 0) return 0;
    for (int i = 0; i < n; ++i) emitLine(lines[first + i], at.x(), at.y() + i * pitch, it.font, it.name);
    return n;
  }

  // An uncut text continues where the previous sheet of this page stopped;
  // a finished one prints in full again when its page is repeated, as much
  // of it as its box holds, and stays finished: two texts of different
  // lengths on one page otherwise started each other again without end.
  void drawMemo(const Item& it, QPointF at, double height) {
    const auto& lines = linesOf(it, it.text, it.font, true);
    if (it.cut || finished_.count(&it)) {
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
      case ItemKind::Text:
        drawText(it, it.text, it.font, at);
        break;
      case ItemKind::Memo:
        drawMemo(it, at, px(it.height));
        break;
      case ItemKind::Line: {
        const QPointF end = at + (it.vertical ? QPointF(0, px(it.height)) : QPointF(px(it.width), 0));
        sheet_->ops.emplace_back(LineOp{QLineF(at, end), it.onePoint ? kPoint : 0.0});
        break;
      }
      case ItemKind::Frame:
        sheet_->ops.emplace_back(FrameOp{QRectF(at, QSizeF(px(it.width), px(it.height))), it.whiteFill, 1.5 * kPoint});
        break;
      case ItemKind::Picture:
        drawPicture(it, at, it.width, it.name);
        break;
      case ItemKind::PageNumber:
        drawText(it, QStringLiteral("-%1-").arg(sheet_->relative), it.font, at);
        break;
      case ItemKind::FlowArea:
        drawFlow(it);
        break;
      case ItemKind::PageReset:
      case ItemKind::Copy:
        break;
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
