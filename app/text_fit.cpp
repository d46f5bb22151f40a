#include "app/text_fit.h"

#include "record/gbk.h"
#include "record/record.h"

namespace velmora {
namespace {

// Control characters other than tab and line break cannot be stored in an
// XML document: a text holding one could be saved but never opened again.
// DEL could be, but no key types it and no form wants it.
bool isStorable(QChar c) {
  return (c.unicode() >= 0x20 && c.unicode() != 0x7f) || c == QLatin1Char('\t') || c == QLatin1Char('\n');
}

}  // namespace

std::size_t fieldBytes(const QString& text) { return limitedBytes(text.toStdString()); }

QString fittingInsertion(const QString& remaining, const QString& insert, int byteLimit, Allowed allowed,
                         bool multiLine) {
  std::size_t used = fieldBytes(remaining);
  QString out;
  std::size_t budget = byteLimit > 0 ? static_cast<std::size_t>(byteLimit) : SIZE_MAX;
  for (int i = 0; i < insert.size();) {
    int len = insert.at(i).isHighSurrogate() && i + 1 < insert.size() ? 2 : 1;
    QString ch = insert.mid(i, len);
    i += len;
    if (ch == QLatin1String("\r")) continue;
    if (ch == QLatin1String("\n") && !multiLine) continue;
    if (len == 1 && !isStorable(ch.at(0))) continue;
    if (allowed != Allowed::Anything && (len != 1 || !isAllowed(allowed, ch.at(0).unicode()))) continue;
    if (!canEncodeGbk(ch.toStdString())) continue;
    std::size_t b = fieldBytes(ch);
    if (used + b > budget) break;
    used += b;
    out += ch;
  }
  return out;
}

}  // namespace velmora
