#include "report/report_pdf.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFWriter.hh>

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QPainter>
#include <QPdfWriter>
#include <QRawFont>
#include <QRegularExpression>
#include <QSaveFile>
#include <algorithm>
#include <map>

#include "report/report_fonts.h"

namespace velmora::report {
namespace {

constexpr char32_t kRadicalsFirst = 0x2E80;  // CJK Radicals Supplement
constexpr char32_t kRadicalsLast = 0x2FDF;   // end of the Kangxi Radicals

bool isRadical(char32_t c) { return c >= kRadicalsFirst && c <= kRadicalsLast; }

// Radical -> ideograph, found by the glyphs the two Chinese faces share.
const QHash<char32_t, char32_t>& radicalTable() {
  static const QHash<char32_t, char32_t> table = [] {
    QHash<char32_t, char32_t> t;
    for (const QString& face : chineseFaces()) {
      QFont font(face);
      font.setPixelSize(48);
      const QRawFont raw = QRawFont::fromFont(font);
      if (!raw.isValid()) continue;
      QHash<quint32, QList<char32_t>> radicalsOfGlyph;  // radicals may share a glyph
      for (char32_t r = kRadicalsFirst; r <= kRadicalsLast; ++r) {
        const QString s = QString::fromUcs4(&r, 1);
        const auto g = raw.glyphIndexesForString(s);
        if (!g.isEmpty() && g[0] != 0) radicalsOfGlyph[g[0]].append(r);
      }
      QString ideographs;
      for (char32_t c = 0x3400; c <= 0x9FFF; ++c)
        if (c < 0x4DC0 || c >= 0x4E00) ideographs += QString::fromUcs4(&c, 1);
      const auto glyphs = raw.glyphIndexesForString(ideographs);
      for (qsizetype i = 0; i < glyphs.size() && i < ideographs.size(); ++i) {
        auto found = radicalsOfGlyph.constFind(glyphs[i]);
        if (found == radicalsOfGlyph.constEnd()) continue;
        for (char32_t r : *found)
          if (!t.contains(r)) t.insert(r, ideographs[i].unicode());
      }
    }
    return t;
  }();
  return table;
}

QByteArray hex4(uint v) { return QByteArray::number(v, 16).toUpper().rightJustified(4, '0'); }

// UTF-16 hex of a code point, as a character map writes it.
QByteArray utf16Hex(char32_t c) {
  const QString s = QString::fromUcs4(&c, 1);
  QByteArray out;
  for (QChar ch : s) out += hex4(ch.unicode());
  return out;
}

char32_t fromUtf16Hex(const QByteArray& hex) {
  QString s;
  for (qsizetype i = 0; i + 4 <= hex.size(); i += 4)
    s += QChar(static_cast<char16_t>(hex.mid(i, 4).toUInt(nullptr, 16)));
  const auto ucs = s.toUcs4();
  return ucs.isEmpty() ? 0 : ucs.front();
}

// Parses the bfchar and bfrange entries of a character map into code -> character.
std::map<uint, char32_t> parseCMap(const QByteArray& body) {
  std::map<uint, char32_t> out;
  static const QRegularExpression block(QStringLiteral(R"((\d+)\s+begin(bfrange|bfchar)(.*?)end\2)"),
                                        QRegularExpression::DotMatchesEverythingOption);
  static const QRegularExpression hexTok(QStringLiteral(R"(<([0-9A-Fa-f]+)>|\[|\])"));
  const QString text = QString::fromLatin1(body);
  for (auto m = block.globalMatch(text); m.hasNext();) {
    const auto b = m.next();
    const bool range = b.captured(2) == u"bfrange";
    // Tokens: hex strings and brackets.
    QList<QString> toks;
    for (auto t = hexTok.globalMatch(b.captured(3)); t.hasNext();) {
      const auto tm = t.next();
      toks << (tm.captured(1).isEmpty() ? tm.captured(0) : tm.captured(1));
    }
    qsizetype i = 0;
    while (i < toks.size()) {
      if (!range) {
        if (i + 1 >= toks.size()) break;
        out[toks[i].toUInt(nullptr, 16)] = fromUtf16Hex(toks[i + 1].toLatin1());
        i += 2;
        continue;
      }
      if (i + 2 >= toks.size()) break;
      const uint lo = toks[i].toUInt(nullptr, 16), hi = toks[i + 1].toUInt(nullptr, 16);
      if (toks[i + 2] == u"[") {
        i += 3;
        for (uint c = lo; i < toks.size() && toks[i] != u"]"; ++i, ++c) out[c] = fromUtf16Hex(toks[i].toLatin1());
        ++i;
      } else {
        const char32_t start = fromUtf16Hex(toks[i + 2].toLatin1());
        for (uint c = lo; c <= hi; ++c) out[c] = start + (c - lo);
        i += 3;
      }
    }
  }
  return out;
}

QByteArray writeCMapEntries(const std::map<uint, char32_t>& map) {
  QByteArray out;
  auto it = map.begin();
  while (it != map.end()) {
    QByteArray chunk;
    int n = 0;
    for (; it != map.end() && n < 100; ++it, ++n) chunk += '<' + hex4(it->first) + "> <" + utf16Hex(it->second) + ">\n";
    out += QByteArray::number(n) + " beginbfchar\n" + chunk + "endbfchar\n";
  }
  return out;
}

}  // namespace

char32_t unifiedIdeograph(char32_t c) {
  if (!isRadical(c)) return c;
  auto found = radicalTable().constFind(c);
  if (found != radicalTable().constEnd()) return *found;
  const QString nfkc = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_KC);
  const auto ucs = nfkc.toUcs4();
  return ucs.size() == 1 ? ucs.front() : c;
}

QByteArray restoreIdeographs(const QByteArray& pdf, int* rewritten) {
  if (rewritten) *rewritten = 0;
  try {
    QPDF doc;
    doc.setSuppressWarnings(true);
    doc.processMemoryFile("report", pdf.constData(), static_cast<size_t>(pdf.size()));
    int changes = 0;
    for (QPDFObjectHandle font : doc.getAllObjects()) {
      if (!font.isDictionary() || !font.getKey("/Type").isNameAndEquals("/Font") ||
          !font.getKey("/Subtype").isNameAndEquals("/Type0"))
        continue;
      // The character map, read whatever filter it was written with.
      if (QPDFObjectHandle map = font.getKey("/ToUnicode"); map.isStream()) {
        const std::shared_ptr<Buffer> data = map.getStreamData(qpdf_dl_generalized);
        const QByteArray stream(reinterpret_cast<const char*>(data->getBuffer()),
                                static_cast<qsizetype>(data->getSize()));
        std::map<uint, char32_t> entries = parseCMap(stream);
        bool changed = false;
        for (auto& [code, ch] : entries) {
          const char32_t fixed = unifiedIdeograph(ch);
          if (fixed != ch) ch = fixed, changed = true;
        }
        const qsizetype cs = stream.indexOf("endcodespacerange"), ce = stream.indexOf("endcmap");
        if (changed && cs >= 0 && ce > cs) {
          const qsizetype entriesStart = cs + qstrlen("endcodespacerange\n");
          const QByteArray fixed = stream.left(entriesStart) + writeCMapEntries(entries) + stream.mid(ce);
          map.replaceStreamData(fixed.toStdString(), QPDFObjectHandle::newNull(), QPDFObjectHandle::newNull());
          ++changes;
        }
      }
      // Subset tags: the descriptor's /FontName carries "TAG+Name"; the CID
      // font and the Type0 font above it get the same name.
      QPDFObjectHandle cid = font.getKey("/DescendantFonts");
      if (!cid.isArray() || cid.getArrayNItems() < 1) continue;
      cid = cid.getArrayItem(0);
      QPDFObjectHandle name = cid.getKey("/FontDescriptor").getKey("/FontName");
      if (!name.isName() || name.getName().find('+') != 7) continue;
      for (QPDFObjectHandle f : {font, cid}) {
        if (f.getKey("/BaseFont").isNameAndEquals(name.getName())) continue;
        f.replaceKey("/BaseFont", QPDFObjectHandle::newName(name.getName()));
        ++changes;
      }
    }
    if (rewritten) *rewritten = changes;
    if (changes == 0) return pdf;
    QPDFWriter writer(doc);
    writer.setOutputMemory();
    // Streams go out as Qt wrote them: inflating and deflating the embedded
    // fonts again would cost more than everything else here.
    writer.setStreamDataMode(qpdf_s_preserve);
    // The same sheets give the same bytes.
    writer.setDeterministicID(true);
    writer.write();
    const std::shared_ptr<Buffer> out = writer.getBufferSharedPointer();
    return QByteArray(reinterpret_cast<const char*>(out->getBuffer()), static_cast<qsizetype>(out->getSize()));
  } catch (const std::exception&) {
    // A file qpdf cannot read is no PDF of ours: left as it is.
    if (rewritten) *rewritten = 0;
    return pdf;
  }
}

bool drawSheets(QPagedPaintDevice& device, QPainter& painter, const std::vector<Sheet>& sheets,
                const Placement& placement, const std::function<void(std::size_t)>& onSheet) {
  const double unitsPerInch = device.logicalDpiX();
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    if (onSheet) onSheet(i);
    if (i && !device.newPage()) return false;
    painter.save();
    painter.translate(placement.offset * unitsPerInch);
    drawSheet(painter, sheets[i], placement.scale * unitsPerInch / kLayoutDpi);
    painter.restore();
  }
  return true;
}

QByteArray pdfBytes(const std::vector<Sheet>& sheets, const QPageSize& pageSize, const Placement& placement) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(static_cast<int>(kLayoutDpi));
    writer.setPageSize(pageSize);
    writer.setPageOrientation(QPageLayout::Portrait);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setCreator(QStringLiteral("Velmora课题申报系统（个人版）"));
    writer.setTitle(QStringLiteral("课题申请·评审书"));
    QPainter painter(&writer);
    drawSheets(writer, painter, sheets, placement);
  }
  return restoreIdeographs(buffer.data());
}

bool writePdf(const std::vector<Sheet>& sheets, const QString& path, QString* error, const QPageSize& pageSize,
              const Placement& placement) {
  // A FIFO or a device is written into as it is; QSaveFile would rename a
  // regular file over it.
  if (const QFileInfo info(path); info.exists() && !info.isFile() && !info.isDir()) {
    QFile direct(path);
    if (!direct.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        direct.write(pdfBytes(sheets, pageSize, placement)) < 0) {
      if (error) *error = direct.errorString();
      return false;
    }
    return true;
  }
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(pdfBytes(sheets, pageSize, placement)) < 0 || !file.commit()) {
    if (error) *error = file.errorString();
    return false;
  }
  return true;
}

}  // namespace velmora::report
