#include "report/report_fonts.h"

#include <array>

namespace velmora::report {
namespace {

const QString kSerifSc = QStringLiteral("Noto Serif CJK SC");
const QString kSansSc = QStringLiteral("Noto Sans CJK SC");
// A Kai face in Simplified forms covering GBK (fonts-arphic-ukai), the
// closest Debian has to FangSong.
const QString kKaiCn = QStringLiteral("AR PL UKai CN");

}  // namespace

std::span<const FaceSubstitution> faceSubstitutions() {
  static const std::array<FaceSubstitution, 6> table{{
      // The Chinese faces take their digits and Latin letters from a Latin
      // face: runs of digits alone, shaped in the CJK faces, come out as
      // glyphs that the PDF's character map cannot name, so they would not
      // copy out of the file.
      {u"宋体", {QStringLiteral("Liberation Serif"), kSerifSc}},
      {u"黑体", {QStringLiteral("Liberation Sans"), kSansSc}},
      {u"仿宋_GB2312", {QStringLiteral("Liberation Serif"), kKaiCn, kSerifSc}},
      {u"Times New Roman", {QStringLiteral("Liberation Serif"), kSerifSc}},
      {u"Arial", {QStringLiteral("Liberation Sans"), kSansSc}},
      {u"Monotype Corsiva", {QStringLiteral("Z003"), kSerifSc}},
  }};
  return table;
}

QStringList chineseFaces() { return {kSerifSc, kSansSc, kKaiCn}; }

QFont reportFont(const FontSpec& style) {
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
