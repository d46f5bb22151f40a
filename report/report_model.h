#pragma once
// The report layout as data: pages and their items, loaded from the
// definition carried inside the program (report1.xml). Filling changes only
// texts and visibility of a working copy; the stored definition never changes.
#include <QString>
#include <QStringView>
#include <memory>
#include <vector>

namespace velmora::report {

// Positions and sizes are inches from the sheet's top-left corner.
struct FontSpec {
  QString face = QStringLiteral("宋体");
  double size = 11.0;  // points
  bool bold = false;
  bool italic = false;
  bool operator==(const FontSpec&) const = default;
};

enum class ItemKind {
  Text,        // one line, not cut at its width
  Memo,        // multi-line text, wrapped at its width
  Line,        // a rule, horizontal or vertical
  Frame,       // a 1.5 pt rectangle, filled white or not
  Picture,     // a bitmap drawn at the item's width
  Copy,        // draws its source's content at its own position
  PageNumber,  // "-N-"
  PageReset,   // invisible: gives its sheet a relative page number
  FlowArea     // a region whose block may run over several sheets
};

enum class Picture { None, Watermark, Banner };

struct Item {
  QString name;
  ItemKind kind = ItemKind::Text;
  double left = 0, top = 0, width = 0, height = 0;
  bool visible = true;

  FontSpec font;
  QString text;
  QString title;         // text, memo: whose value it prints, as a message names it ("课题名称")
  bool justify = false;  // memo: both edges
  bool cut = false;      // memo: drop what does not fit the height
  int rotation = 0;      // text: 0 or 270

  bool vertical = false;   // line: vertical, its length in `height`, else in `width`
  bool onePoint = false;   // line: 1 pt, otherwise the device's thinnest line
  bool whiteFill = false;  // frame

  Picture picture = Picture::None;

  QString source;      // copy: "PageN.Item" or "Item" on the same page
  int resetValue = 0;  // page-number reset

  double blockHeight = 0;   // flow area: the block's stored height
  std::vector<Item> block;  // flow area: the block's items, relative to the area
};

struct Page {
  QString name;
  QString next;  // empty: the report ends after this page
  std::vector<Item> items;
};

class Report {
 public:
  QString name;
  QString first;
  std::vector<Page> pages;

  // By page name ("Page4") or full name ("Report1.Page4"), without regard to case.
  Page* findPage(QStringView name);
  const Page* findPage(QStringView name) const;
  // An item of the page, flow-area blocks included, without regard to case.
  static Item* findItem(Page& page, QStringView name);
  static const Item* findItem(const Page& page, QStringView name);
  // A copy item's source: "PageN.Item" or an item of `page`.
  const Item* resolveSource(const Page& page, const Item& copy) const;
};

// The stored layout, parsed from the program's resource. Throws
// std::runtime_error when the definition is broken (a build defect).
Report loadReport();
// The same from a definition text (for tests of the loader).
Report parseReport(const QByteArray& xml);

}  // namespace velmora::report
