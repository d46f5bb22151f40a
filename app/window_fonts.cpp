#include "app/window_fonts.h"

#include <QStringList>

namespace velmora {

void registerWindowFonts() {
  // Serif Chinese faces for the Song styles, sans for Hei and the dialog face;
  // Latin text in the dialog face keeps a Latin design.
  const QString serifSc = QStringLiteral("Noto Serif CJK SC");
  const QString sansSc = QStringLiteral("Noto Sans CJK SC");
#ifdef _WIN32
  // Chinese Windows has 宋体, 新宋体 and 黑体 under these names; any Windows
  // since 7 has Microsoft YaHei for the Chinese text where they are missing.
  // Debian's faces last, for Wine.
  const QString yaHei = QStringLiteral("Microsoft YaHei");
  QFont::insertSubstitutions(QStringLiteral("宋体"), {QStringLiteral("SimSun"), yaHei, serifSc});
  QFont::insertSubstitutions(QStringLiteral("新宋体"),
                             {QStringLiteral("NSimSun"), QStringLiteral("SimSun"), yaHei, serifSc});
  QFont::insertSubstitutions(QStringLiteral("黑体"), {QStringLiteral("SimHei"), yaHei, sansSc});
  QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), {QStringLiteral("Microsoft Sans Serif"), yaHei, sansSc});
#else
  QFont::insertSubstitutions(QStringLiteral("宋体"), {serifSc, sansSc});
  QFont::insertSubstitutions(QStringLiteral("新宋体"), {serifSc, sansSc});
  QFont::insertSubstitutions(QStringLiteral("黑体"), {sansSc});
  QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), {QStringLiteral("Liberation Sans"), sansSc});
#endif
}

QFont windowFont(const char* face, int pixels, bool bold) {
  QFont f(QString::fromUtf8(face));
  f.setPixelSize(pixels);
  f.setBold(bold);
  return f;
}

}  // namespace velmora
