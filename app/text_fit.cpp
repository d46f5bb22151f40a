#include "app/text_fit.h"

#include "record/characters.h"
#include "record/gbk.h"
#include "record/record.h"

namespace velmora {
namespace {

bool isLineSeparator(char32_t c) {
  return c == U'\n' || c == U'\r' || c == U'\f' || c == U'\v' || c == 0x85 || c == 0x2028 || c == 0x2029;
}

// Spaces a PDF or a word processor sets between words: no-break, thin, en,
// em and the like. The ideographic space is a character of GBK and stays.
bool isTypographicSpace(char32_t c) { return c != U' ' && c != 0x3000 && QChar::category(c) == QChar::Separator_Space; }

bool holdsGbk(const QString& s) { return canEncodeGbk(s.toStdString()); }

// One character with the combining marks that follow it, so that "e" with a
// combining acute becomes the "é" GBK holds.
qsizetype clusterEnd(const QString& text, qsizetype i) {
  auto step = [&](qsizetype at) { return text.at(at).isHighSurrogate() && at + 1 < text.size() ? 2 : 1; };
  i += step(i);
  while (i < text.size()) {
    const char32_t c = QChar::surrogateToUcs4(text.at(i), i + 1 < text.size() ? text.at(i + 1) : QChar());
    const char32_t u = text.at(i).isHighSurrogate() ? c : text.at(i).unicode();
    const auto cat = QChar::category(u);
    if (cat != QChar::Mark_NonSpacing && cat != QChar::Mark_SpacingCombining && cat != QChar::Mark_Enclosing) break;
    i += step(i);
  }
  return i;
}

char32_t firstCodePoint(const QString& s) {
  if (s.size() > 1 && s.at(0).isHighSurrogate() && s.at(1).isLowSurrogate())
    return QChar::surrogateToUcs4(s.at(0), s.at(1));
  return s.isEmpty() ? 0 : s.at(0).unicode();
}

}  // namespace

InputNotices& InputNotices::instance() {
  static InputNotices notices;
  return notices;
}

QString plainFormOf(const QString& text, bool multiLine) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype end = clusterEnd(text, i);
    const QString piece = text.mid(i, end - i);
    const char32_t c = firstCodePoint(piece);
    i = end;
    if (isLineSeparator(c)) {
      if (c == U'\r' && i < text.size() && text.at(i) == QLatin1Char('\n')) ++i;  // CR LF is one break
      if (multiLine)
        out += QLatin1Char('\n');
      else if (i < text.size())
        out += QLatin1Char(' ');  // lines joined; the break that ends the text goes
      continue;
    }
    if (isTypographicSpace(c)) {
      out += QLatin1Char(' ');
      continue;
    }
    if (holdsGbk(piece)) {
      out += piece;
      continue;
    }
    const QString compatible = piece.normalized(QString::NormalizationForm_KC);
    out += compatible != piece && holdsGbk(compatible) ? compatible : piece;
  }
  return out;
}

std::size_t fieldBytes(const QString& text) { return limitedBytes(text.toStdString()); }

std::size_t plainTextBytes(QStringView text) {
  std::size_t bytes = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    switch (c) {
      case QChar::Nbsp:
        bytes += 1;  // a blank in the plain text
        break;
      case u'\n':
      case QChar::ParagraphSeparator:
      case QChar::LineSeparator:
      case 0xfdd0:  // the start and end of a frame, which plain text has as breaks
      case 0xfdd1:
        bytes += 2;  // a line break: a carriage return and a line feed
        break;
      default:
        // One byte for ASCII and the euro sign (0x80 in code page 936), two
        // for any other character; a surrogate pair is one character, and a
        // surrogate alone the '?' it becomes in UTF-8.
        if (c < 0x80 || c == 0x20AC) {
          bytes += 1;
        } else if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
          bytes += 2;
          ++i;
        } else {
          bytes += QChar::isSurrogate(c) ? 1 : 2;
        }
    }
  }
  return bytes;
}

QString fittingInsertion(const QString& remaining, const QString& insert, int byteLimit, Allowed allowed,
                         bool multiLine) {
  return fittingInsertion(fieldBytes(remaining), insert, byteLimit, allowed, multiLine);
}

QString fittingInsertion(std::size_t usedBytes, const QString& insert, int byteLimit, Allowed allowed, bool multiLine) {
  const QString plain = plainFormOf(insert, multiLine);
  std::size_t used = usedBytes;
  QString out;
  int dropped = 0;
  const std::size_t budget = byteLimit > 0 ? static_cast<std::size_t>(byteLimit) : SIZE_MAX;
  for (qsizetype i = 0; i < plain.size();) {
    const qsizetype len = plain.at(i).isHighSurrogate() && i + 1 < plain.size() ? 2 : 1;
    const QString ch = plain.mid(i, len);
    i += len;
    const char32_t c = firstCodePoint(ch);
    if (!fieldTakes(c) || !holdsGbk(ch)) {
      ++dropped;
      continue;
    }
    if (allowed != Allowed::Anything && (len != 1 || !isAllowed(allowed, ch.at(0).unicode()))) continue;
    const std::size_t b = fieldBytes(ch);
    if (used + b > budget) break;
    used += b;
    out += ch;
  }
  if (dropped > 0) emit InputNotices::instance().charactersDropped(dropped);
  return out;
}

}  // namespace velmora
