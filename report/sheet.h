#pragma once
// A generated sheet: our own list of drawing operations, laid out once
// against the layout device (1200 dots per inch). Output to the preview, the
// printer and PDF draws this same list with only a scale; nothing is shaped
// or broken into lines again at output time.
#include <QGlyphRun>
#include <QImage>
#include <QLineF>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <variant>
#include <vector>

class QPainter;

namespace velmora::report {

// Layout units per inch. Sheets hold positions in these units.
inline constexpr double kLayoutDpi = 1200.0;
// No text is printed right of this line (inches from the sheet's left edge).
// The layout is 8.5 in wide, but A4, the paper of most printers here, is
// 8.27 in, and printers leave about 0.17 in (4.2 mm) at the edge unprinted.
inline constexpr double kPrintableRightInches = 8.1;

// Positioned glyphs of one line of text; `text` is what they spell.
struct TextOp {
  QPointF origin;  // the line's layout origin; glyph positions are relative to it
  QList<QGlyphRun> runs;
  QString text;
  QRectF box;             // the line's box (left, top, advance width, line height)
  QString item;           // name of the layout item it came from
  double condense = 1.0;  // horizontal scale about the origin (1: as laid out)
};
// A rule; width 0 is the device's thinnest line.
struct LineOp {
  QLineF line;
  double width = 0;
};
// A rectangle with a 1.5 pt border, optionally filled white first.
struct FrameOp {
  QRectF rect;
  bool whiteFill = false;
  double width = 0;
};
struct ImageOp {
  QRectF rect;
  QImage image;
  QString item;
};

using DrawOp = std::variant<TextOp, LineOp, FrameOp, ImageOp>;

struct Sheet {
  QString page;      // the layout page it was rendered from
  int absolute = 0;  // 1 for the first sheet of the run
  int relative = 0;  // the printed page number
  std::vector<DrawOp> ops;
  // The texts this sheet could not show whole (by the titles of their
  // fields), each ending in "…" where it was cut.
  std::vector<QString> incomplete;
};

// "打印时未能完整显示：课题名称（第 3 页）、…", naming every text a sheet
// shows cut by its absolute sheet number; empty when every text is whole.
QString incompleteNotice(const std::vector<Sheet>& sheets);

// Draws a sheet with its top-left corner at the painter's origin; `scale` is
// device units per layout unit (device dpi / 1200).
void drawSheet(QPainter& painter, const Sheet& sheet, double scale);

// A plain description of every operation (kind, position, glyphs, text), for
// comparing two generations exactly.
QString describeSheet(const Sheet& sheet);

}  // namespace velmora::report
