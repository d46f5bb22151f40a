#include "report/report_fonts.h"

#include <array>

namespace velmora::report {
namespace {

const QString kSerifSc = QStringLiteral("Noto Serif CJK SC");
const QString kSansSc = QStringLiteral("Noto Sans CJK SC");

}  // namespace

std::span<const FaceSubstitution> faceSubstitutions() {
  static const std::array<FaceSubstitution, 6> table{{
      // The Chinese faces take their digits and Latin letters from a Latin
      // face: runs of digits alone, shaped in the CJK faces, come out as
      // glyphs that the PDF's character map cannot name, so they would not
      // copy out of the file.
      {u"宋体", {QStringLiteral("Liberation Serif"), kSerifSc}},
      {u"黑体", {QStringLiteral("Liberation Sans"), kSansSc}},
      // No FangSong face is installed; the serif face is the closest design.
      {u"仿宋_GB2312", {QStringLiteral("Liberation Serif"), kSerifSc}},
      {u"Times New Roman", {QStringLiteral("Liberation Serif"), kSerifSc}},
      {u"Arial", {QStringLiteral("Liberation Sans"), kSansSc}},
      {u"Monotype Corsiva", {QStringLiteral("Z003"), kSerifSc}},
  }};
  return table;
}

void registerReportFonts() {
  static const bool done = [] {
    for (const auto& s : faceSubstitutions()) {
      const QString face = QString::fromUtf16(s.layoutFace);
      // Ours first, whatever another part of the program registered before.
      QStringList list = s.faces;
      for (const QString& other : QFont::substitutes(face))
        if (!list.contains(other)) list << other;
      QFont::removeSubstitutions(face);
      QFont::insertSubstitutions(face, list);
    }
    return true;
  }();
  (void)done;
}

QStringList chineseFaces() { return {kSerifSc, kSansSc}; }

QFont reportFont(const FontSpec& style) {
  registerReportFonts();
  QFont f;
  QStringList families;
  for (const auto& s : faceSubstitutions())
    if (style.face == QString::fromUtf16(s.layoutFace)) families = s.faces;
  if (families.isEmpty()) families = {style.face, kSerifSc};
  // The list itself resolves the font: the first face for what it holds,
  // the paired Chinese face for the rest.
  f.setFamilies(families);
  f.setPointSizeF(style.size);
  f.setBold(style.bold);
  f.setItalic(style.italic);
  f.setKerning(false);
  f.setHintingPreference(QFont::PreferNoHinting);
  f.setStyleStrategy(QFont::PreferOutline);
  return f;
}

}  // namespace velmora::report
