#include "report/report_model.h"

#include <QFile>
#include <QXmlStreamReader>
#include <map>
#include <stdexcept>

// Resources of a static library must be registered by name, outside any namespace.
static void initReportResource() { Q_INIT_RESOURCE(report); }

namespace velmora::report {
namespace {

[[noreturn]] void fail(const QXmlStreamReader& xml, const QString& what) {
  throw std::runtime_error(QStringLiteral("report1.xml:%1: %2").arg(xml.lineNumber()).arg(what).toStdString());
}

double number(const QXmlStreamReader& xml, const char* name, double fallback = 0) {
  const QLatin1String attr(name);
  const auto a = xml.attributes();
  if (!a.hasAttribute(attr)) return fallback;
  bool ok = false;
  double v = a.value(attr).toDouble(&ok);
  if (!ok) fail(xml, QStringLiteral("bad number in %1").arg(attr));
  return v;
}

bool flag(const QXmlStreamReader& xml, const char* name, bool fallback) {
  const QLatin1String attr(name);
  const auto a = xml.attributes();
  if (!a.hasAttribute(attr)) return fallback;
  return a.value(attr) == u"1";
}

FontSpec fontOf(const QXmlStreamReader& xml, const FontSpec& base = {}) {
  FontSpec f = base;
  const auto a = xml.attributes();
  if (a.hasAttribute(QLatin1String("font"))) f.face = a.value(QLatin1String("font")).toString();
  f.size = number(xml, "size", f.size);
  f.bold = flag(xml, "bold", f.bold);
  f.italic = flag(xml, "italic", f.italic);
  return f;
}

// Names for the items that carry none (fixed texts, rules, frames): kind and
// ordinal, unique within the page.
class Namer {
 public:
  QString next(const QString& prefix) { return prefix + QString::number(++count_[prefix]); }

 private:
  std::map<QString, int> count_;
};

Item readItem(QXmlStreamReader& xml, Namer& namer);

// A table's items: table name + row + column, both counted from 1.
void readGrid(QXmlStreamReader& xml, std::vector<Item>& out) {
  const QString table = xml.attributes().value(QLatin1String("table")).toString();
  std::vector<double> tops;
  const auto a = xml.attributes();
  if (a.hasAttribute(QLatin1String("tops"))) {
    for (const auto& t : a.value(QLatin1String("tops")).toString().split(u' ', Qt::SkipEmptyParts))
      tops.push_back(t.toDouble());
  } else {
    const double top = number(xml, "top"), pitch = number(xml, "pitch");
    const int rows = static_cast<int>(number(xml, "rows"));
    for (int r = 0; r < rows; ++r) tops.push_back(top + pitch * r);
  }
  // The first printed column (OutlayGrid and OutlayGrid2 print column 3 only).
  const int firstColumn = static_cast<int>(number(xml, "columns", 1));
  struct Column {
    Item proto;
    double dy, width2;
  };
  std::vector<Column> columns;
  while (xml.readNextStartElement()) {
    if (xml.name() != u"col") fail(xml, QStringLiteral("unexpected <%1> in grid").arg(xml.name()));
    Column c;
    c.proto.kind = xml.attributes().value(QLatin1String("kind")) == u"memo" ? ItemKind::Memo : ItemKind::Text;
    c.proto.left = number(xml, "x");
    c.proto.width = number(xml, "w");
    c.proto.height = number(xml, "h");
    c.proto.font = fontOf(xml);
    c.proto.cut = c.proto.kind == ItemKind::Memo;  // table cells print what fits
    c.dy = number(xml, "dy");
    c.width2 = number(xml, "w2", c.proto.width);
    columns.push_back(c);
    xml.skipCurrentElement();
  }
  for (std::size_t r = 0; r < tops.size(); ++r) {
    for (std::size_t c = 0; c < columns.size(); ++c) {
      Item it = columns[c].proto;
      it.name = table + QString::number(r + 1) + QString::number(firstColumn + c);
      it.top = tops[r] + columns[c].dy;
      if (r == 1) it.width = columns[c].width2;
      out.push_back(std::move(it));
    }
  }
}

void readItems(QXmlStreamReader& xml, std::vector<Item>& out, Namer& namer) {
  while (xml.readNextStartElement()) {
    if (xml.name() == u"grid")
      readGrid(xml, out);
    else
      out.push_back(readItem(xml, namer));
  }
}

Item readItem(QXmlStreamReader& xml, Namer& namer) {
  Item it;
  const QStringView tag = xml.name();
  const auto a = xml.attributes();
  it.left = number(xml, "x");
  it.top = number(xml, "y");
  it.width = number(xml, "w");
  it.height = number(xml, "h");
  it.visible = flag(xml, "visible", true);
  it.font = fontOf(xml);
  QString prefix;
  if (tag == u"text") {
    it.kind = ItemKind::Text;
    it.rotation = static_cast<int>(number(xml, "rotation"));
    prefix = QStringLiteral("Text");
  } else if (tag == u"memo") {
    it.kind = ItemKind::Memo;
    it.cut = flag(xml, "cut", false);
    it.justify = a.value(QLatin1String("justify")) == u"both";
    prefix = QStringLiteral("Memo");
  } else if (tag == u"hline" || tag == u"vline") {
    it.kind = ItemKind::Line;
    it.vertical = tag == u"vline";
    (it.vertical ? it.height : it.width) = number(xml, "len");
    it.onePoint = a.value(QLatin1String("weight")) == u"1pt";
    prefix = QStringLiteral("Line");
  } else if (tag == u"frame") {
    it.kind = ItemKind::Frame;
    it.whiteFill = a.value(QLatin1String("fill")) == u"white";
    prefix = QStringLiteral("Frame");
  } else if (tag == u"picture") {
    it.kind = ItemKind::Picture;
    const auto image = a.value(QLatin1String("image"));
    it.picture = image == u"watermark" ? Picture::Watermark : image == u"banner" ? Picture::Banner : Picture::None;
    if (it.picture == Picture::None) fail(xml, QStringLiteral("unknown image"));
    prefix = QStringLiteral("Picture");
  } else if (tag == u"copy") {
    it.kind = ItemKind::Copy;
    it.source = a.value(QLatin1String("source")).toString();
    prefix = QStringLiteral("Copy");
  } else if (tag == u"pagenumber") {
    it.kind = ItemKind::PageNumber;
    prefix = QStringLiteral("PageNumber");
  } else if (tag == u"pagereset") {
    it.kind = ItemKind::PageReset;
    it.resetValue = static_cast<int>(number(xml, "value"));
    it.visible = false;
    prefix = QStringLiteral("PageReset");
  } else if (tag == u"flow") {
    it.kind = ItemKind::FlowArea;
    it.blockHeight = number(xml, "blockheight");
    prefix = QStringLiteral("Flow");
  } else {
    fail(xml, QStringLiteral("unknown item <%1>").arg(tag));
  }
  it.name = a.hasAttribute(QLatin1String("name")) ? a.value(QLatin1String("name")).toString() : namer.next(prefix);
  if (it.kind == ItemKind::FlowArea)
    readItems(xml, it.block, namer);
  else if (it.kind == ItemKind::Text || it.kind == ItemKind::Memo)
    it.text = xml.readElementText();
  else
    xml.skipCurrentElement();
  return it;
}

template <typename P>
auto* findPageIn(P& pages, const QString& reportName, QStringView name) {
  // "Report1.Page4" names the page of a report; the report must be this one.
  const qsizetype dot = name.indexOf(u'.');
  if (dot >= 0) {
    if (name.left(dot).compare(reportName, Qt::CaseInsensitive) != 0) return static_cast<decltype(&pages[0])>(nullptr);
    name = name.mid(dot + 1);
  }
  for (auto& p : pages)
    if (name.compare(p.name, Qt::CaseInsensitive) == 0) return &p;
  return static_cast<decltype(&pages[0])>(nullptr);
}

template <typename I>
auto* findItemIn(I& items, QStringView name) {
  for (auto& it : items) {
    if (name.compare(it.name, Qt::CaseInsensitive) == 0) return &it;
    if (it.kind == ItemKind::FlowArea)
      if (auto* inner = findItemIn(it.block, name)) return inner;
  }
  return static_cast<decltype(&items[0])>(nullptr);
}

}  // namespace

Page* Report::findPage(QStringView n) { return findPageIn(pages, name, n); }
const Page* Report::findPage(QStringView n) const { return findPageIn(pages, name, n); }
Item* Report::findItem(Page& page, QStringView n) { return findItemIn(page.items, n); }
const Item* Report::findItem(const Page& page, QStringView n) { return findItemIn(page.items, n); }

const Item* Report::resolveSource(const Page& page, const Item& copy) const {
  const qsizetype dot = copy.source.indexOf(u'.');
  if (dot < 0) return findItem(page, copy.source);
  const Page* other = findPage(QStringView(copy.source).left(dot));
  return other ? findItem(*other, QStringView(copy.source).mid(dot + 1)) : nullptr;
}

Report parseReport(const QByteArray& bytes) {
  QXmlStreamReader xml(bytes);
  Report report;
  if (!xml.readNextStartElement() || xml.name() != u"report") fail(xml, QStringLiteral("no <report>"));
  report.name = xml.attributes().value(QLatin1String("name")).toString();
  report.first = xml.attributes().value(QLatin1String("first")).toString();
  while (xml.readNextStartElement()) {
    if (xml.name() != u"page") fail(xml, QStringLiteral("unexpected <%1>").arg(xml.name()));
    Page page;
    page.name = xml.attributes().value(QLatin1String("name")).toString();
    page.next = xml.attributes().value(QLatin1String("next")).toString();
    Namer namer;
    readItems(xml, page.items, namer);
    report.pages.push_back(std::move(page));
  }
  if (xml.hasError()) fail(xml, xml.errorString());
  // Every copy must name an item of the same kind family that exists.
  for (const Page& p : report.pages)
    for (const Item& it : p.items)
      if (it.kind == ItemKind::Copy && !report.resolveSource(p, it))
        throw std::runtime_error(("report1.xml: copy without source in " + p.name + ": " + it.source).toStdString());
  if (!report.findPage(report.first)) throw std::runtime_error("report1.xml: no first page");
  return report;
}

Report loadReport() {
  // Parsed once; every working copy starts from this stored definition.
  static const Report stored = [] {
    initReportResource();
    QFile f(QStringLiteral(":/velmora/report1.xml"));
    if (!f.open(QIODevice::ReadOnly)) throw std::runtime_error("report1.xml missing from the program");
    return parseReport(f.readAll());
  }();
  return stored;
}

}  // namespace velmora::report
