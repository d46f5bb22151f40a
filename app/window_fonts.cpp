#include "app/window_fonts.h"

#include <QStringList>

namespace velmora {

void registerWindowFonts() {
  // Serif Chinese faces for the Song styles, sans for Hei and the dialog face;
  // Latin text in the dialog face keeps a Latin design.
  const QString serifSc = QStringLiteral("Noto Serif CJK SC");
  const QString sansSc = QStringLiteral("Noto Sans CJK SC");
  QFont::insertSubstitutions(QStringLiteral("宋体"), {serifSc, sansSc});
  QFont::insertSubstitutions(QStringLiteral("新宋体"), {serifSc, sansSc});
  QFont::insertSubstitutions(QStringLiteral("黑体"), {sansSc});
  QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), {QStringLiteral("Liberation Sans"), sansSc});
}

QFont windowFont(const char* face, int pixels, bool bold) {
  QFont f(QString::fromUtf8(face));
  f.setPixelSize(pixels);
  f.setBold(bold);
  return f;
}

}  // namespace velmora
