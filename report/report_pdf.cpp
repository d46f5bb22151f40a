#include "report/report_pdf.h"

#include <QBuffer>
#include <QHash>
#include <QPainter>
#include <QPdfWriter>
#include <QRawFont>
#include <QRegularExpression>
#include <QFile>
#include <QFileInfo>
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

struct Edit {
  qsizetype pos;
  qsizetype length;
  QByteArray replacement;
};

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
  for (qsizetype i = 0; i + 4 <= hex.size(); i += 4) s += QChar(static_cast<char16_t>(hex.mid(i, 4).toUInt(nullptr, 16)));
  const auto ucs = s.toUcs4();
  return ucs.isEmpty() ? 0 : ucs.front();
}

// Parses the bfchar and bfrange entries of a character map into code -> character.
std::map<uint, char32_t> parseCMap(const QByteArray& body) {
  std::map<uint, char32_t> out;
  static const QRegularExpression block(QStringLiteral(
      R"((\d+)\s+begin(bfrange|bfchar)(.*?)end\2)"), QRegularExpression::DotMatchesEverythingOption);
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
    for (; it != map.end() && n < 100; ++it, ++n)
      chunk += '<' + hex4(it->first) + "> <" + utf16Hex(it->second) + ">\n";
    out += QByteArray::number(n) + " beginbfchar\n" + chunk + "endbfchar\n";
  }
  return out;
}

struct Object {
  qsizetype start = 0, end = 0;  // from "N 0 obj" to after "endobj"
};

}  // namespace

char32_t unifiedIdeograph(char32_t c) {
  if (!isRadical(c)) return c;
  auto found = radicalTable().constFind(c);
  if (found != radicalTable().constEnd()) return *found;
  const QString nfkc = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_KC);
  const auto ucs = nfkc.toUcs4();
  return ucs.size() == 1 ? ucs.front() : c;
}

QByteArray restoreIdeographs(const QByteArray& pdf) {
  // The cross-reference table Qt writes: "xref\n0 N\n" and N entries of 20 bytes.
  const qsizetype sx = pdf.lastIndexOf("startxref");
  if (sx < 0) return pdf;
  bool ok = false;
  const qsizetype xrefPos = pdf.mid(sx + 9).trimmed().split('\n').value(0).trimmed().toLongLong(&ok);
  if (!ok || !pdf.mid(xrefPos).startsWith("xref")) return pdf;
  const qsizetype headerEnd = pdf.indexOf('\n', pdf.indexOf('\n', xrefPos) + 1);
  const QList<QByteArray> head = pdf.mid(xrefPos, headerEnd - xrefPos).split('\n');
  const QList<QByteArray> range = head.value(1).trimmed().split(' ');
  if (range.size() != 2 || range[0] != "0") return pdf;
  const int count = range[1].toInt();
  std::vector<qsizetype> offsets(count, -1);
  for (int i = 0; i < count; ++i) {
    const QByteArray entry = pdf.mid(headerEnd + 1 + i * 20, 20);
    if (entry.size() < 18) return pdf;
    if (entry[17] == 'n') offsets[i] = entry.left(10).toLongLong();
  }
  const qsizetype tableEnd = headerEnd + 1 + count * 20;
  std::map<int, Object> objects;
  for (int i = 1; i < count; ++i) {
    if (offsets[i] < 0) continue;
    const qsizetype end = pdf.indexOf("endobj", offsets[i]);
    if (end < 0) return pdf;
    objects[i] = {offsets[i], end + 6};
  }
  auto body = [&](int n) { return pdf.mid(objects[n].start, objects[n].end - objects[n].start); };

  std::vector<Edit> edits;
  // Character maps: uncompressed streams holding "begincmap".
  for (const auto& [num, obj] : objects) {
    const QByteArray o = body(num);
    if (!o.contains("begincmap")) continue;
    const qsizetype s = o.indexOf("stream\n"), e = o.indexOf("endstream");
    const qsizetype dict = o.indexOf("<<"), dictEnd = o.indexOf(">>", dict);
    if (s < 0 || e < 0 || dict < 0 || dictEnd > s || o.left(dictEnd).contains("/Filter")) continue;
    const QByteArray stream = o.mid(s + 7, e - s - 7);
    std::map<uint, char32_t> map = parseCMap(stream);
    bool changed = false;
    for (auto& [code, ch] : map) {
      const char32_t fixed = unifiedIdeograph(ch);
      if (fixed != ch) ch = fixed, changed = true;
    }
    if (!changed) continue;
    const qsizetype cs = stream.indexOf("endcodespacerange"), ce = stream.indexOf("endcmap");
    if (cs < 0 || ce < 0) continue;
    const qsizetype entriesStart = cs + qstrlen("endcodespacerange\n");
    QByteArray newStream = stream.left(entriesStart) + writeCMapEntries(map) + stream.mid(ce);
    edits.push_back({obj.start + s + 7, e - s - 7, newStream});
    edits.push_back({obj.start + dict, dictEnd + 2 - dict, "<< /Length " + QByteArray::number(newStream.size()) + " >>"});
  }
  // Subset tags: a CID font's /FontDescriptor carries "/FontName /TAG+Name";
  // its /BaseFont and that of the Type0 font above it get the same name.
  static const QRegularExpression descRef(QStringLiteral(R"(/FontDescriptor (\d+) 0 R)"));
  static const QRegularExpression fontName(QStringLiteral(R"(/FontName /([A-Z]{6}\+[^\s/>]+))"));
  static const QRegularExpression baseFont(QStringLiteral(R"(/BaseFont /([^\s/>]+))"));
  static const QRegularExpression descendant(QStringLiteral(R"(/DescendantFonts \[(\d+) 0 R\])"));
  std::map<int, QByteArray> taggedName;  // CID font object -> tagged name
  for (const auto& [num, obj] : objects) {
    const QString o = QString::fromLatin1(body(num).left(600));
    if (!o.contains(u"/CIDFontType2")) continue;
    const auto d = descRef.match(o);
    if (!d.hasMatch() || !objects.count(d.captured(1).toInt())) continue;
    const auto fn = fontName.match(QString::fromLatin1(body(d.captured(1).toInt()).left(600)));
    if (fn.hasMatch()) taggedName[num] = fn.captured(1).toLatin1();
  }
  auto retag = [&](int num, const QByteArray& tagged) {
    const QString o = QString::fromLatin1(body(num).left(600));
    const auto b = baseFont.match(o);
    if (!b.hasMatch() || b.captured(1).toLatin1() == tagged) return;
    edits.push_back({objects[num].start + b.capturedStart(1), b.capturedLength(1), tagged});
  };
  for (const auto& [num, obj] : objects) {
    const QString o = QString::fromLatin1(body(num).left(600));
    const auto d = descendant.match(o);
    if (d.hasMatch() && taggedName.count(d.captured(1).toInt())) retag(num, taggedName[d.captured(1).toInt()]);
  }
  for (const auto& [num, tagged] : taggedName) retag(num, tagged);
  if (edits.empty()) return pdf;

  std::sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.pos < b.pos; });
  QByteArray out;
  out.reserve(pdf.size() + 4096);
  qsizetype at = 0;
  std::vector<std::pair<qsizetype, qsizetype>> shifts;  // old position -> growth before it
  qsizetype growth = 0;
  for (const Edit& e : edits) {
    out += pdf.mid(at, e.pos - at);
    out += e.replacement;
    at = e.pos + e.length;
    growth += e.replacement.size() - e.length;
    shifts.push_back({at, growth});
  }
  auto moved = [&](qsizetype old) {
    qsizetype g = 0;
    for (const auto& [pos, total] : shifts)
      if (pos <= old) g = total;
    return old + g;
  };
  out += pdf.mid(at, xrefPos - at);
  QByteArray table = "xref\n0 " + QByteArray::number(count) + "\n";
  for (int i = 0; i < count; ++i) {
    if (offsets[i] < 0)
      table += pdf.mid(headerEnd + 1 + i * 20, 20);
    else
      table += QByteArray::number(moved(offsets[i])).rightJustified(10, '0') + " 00000 n \n";
  }
  const qsizetype newXref = out.size();
  out += table;
  // The trailer follows the table; only its startxref value changes.
  QByteArray trailer = pdf.mid(tableEnd, sx - tableEnd);
  out += trailer + "startxref\n" + QByteArray::number(newXref) + "\n%%EOF\n";
  return out;
}

QByteArray pdfBytes(const std::vector<Sheet>& sheets, const QPageSize& pageSize) {
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
    for (std::size_t i = 0; i < sheets.size(); ++i) {
      if (i) writer.newPage();
      drawSheet(painter, sheets[i], 1.0);
    }
  }
  return restoreIdeographs(buffer.data());
}

bool writePdf(const std::vector<Sheet>& sheets, const QString& path, QString* error, const QPageSize& pageSize) {
  // A FIFO or a device is written into as it is; QSaveFile would rename a
  // regular file over it.
  if (const QFileInfo info(path); info.exists() && !info.isFile() && !info.isDir()) {
    QFile direct(path);
    if (!direct.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || direct.write(pdfBytes(sheets, pageSize)) < 0) {
      if (error) *error = direct.errorString();
      return false;
    }
    return true;
  }
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(pdfBytes(sheets, pageSize)) < 0 || !file.commit()) {
    if (error) *error = file.errorString();
    return false;
  }
  return true;
}

}  // namespace velmora::report
