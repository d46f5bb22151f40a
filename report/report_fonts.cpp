#include "report/report_fonts.h"

#include <array>

namespace velmora::report {
namespace {

const QString kSerifSc = QStringLiteral("Noto Serif CJK SC");
const QString kSansSc = QStringLiteral("Noto Sans CJK SC");
// A Kai face in Simplified forms covering GBK (fonts-arphic-ukai), the
// closest Debian has to FangSong.
const QString kKaiCn = QStringLiteral("AR PL UKai CN");

#ifdef _WIN32
// Windows' own faces: SimSun (宋体), SimHei (黑体) and FangSong (仿宋) on
// Chinese Windows, Microsoft YaHei on every Windows since 7 for the
// Chinese text where those are missing (another language's Windows without
// its supplemental Chinese fonts). Debian's faces after Windows' own, for
// Wine, which has neither: the Latin ones before any Chinese face, so that
// digits keep a Latin face there too.
const QString kSimSun = QStringLiteral("SimSun");
const QString kSimHei = QStringLiteral("SimHei");
const QString kFangSong = QStringLiteral("FangSong");
const QString kYaHei = QStringLiteral("Microsoft YaHei");
const QString kTimes = QStringLiteral("Times New Roman");
const QString kArial = QStringLiteral("Arial");
const QString kSerif = QStringLiteral("Liberation Serif");
const QString kSans = QStringLiteral("Liberation Sans");
#endif

}  // namespace

std::span<const FaceSubstitution> faceSubstitutions() {
  // The Chinese faces take their digits and Latin letters from a Latin
  // face: runs of digits alone, shaped in the CJK faces, come out as glyphs
  // that the PDF's character map cannot name, so they would not copy out of
  // the file.
#ifdef _WIN32
  static const std::array<FaceSubstitution, 6> table{{
      {u"宋体", {kTimes, kSerif, kSimSun, kYaHei, kSerifSc}},
      {u"黑体", {kArial, kSans, kSimHei, kYaHei, kSansSc}},
      {u"仿宋_GB2312", {kTimes, kSerif, kFangSong, kSimSun, kYaHei, kKaiCn, kSerifSc}},
      {u"Times New Roman", {kTimes, kSerif, kSimSun, kYaHei, kSerifSc}},
      {u"Arial", {kArial, kSans, kYaHei, kSansSc}},
      {u"Monotype Corsiva", {QStringLiteral("Monotype Corsiva"), kTimes, kSerif, kSimSun, kYaHei, kSerifSc}},
  }};
#else
  static const std::array<FaceSubstitution, 6> table{{
      {u"宋体", {QStringLiteral("Liberation Serif"), kSerifSc}},
      {u"黑体", {QStringLiteral("Liberation Sans"), kSansSc}},
      {u"仿宋_GB2312", {QStringLiteral("Liberation Serif"), kKaiCn, kSerifSc}},
      {u"Times New Roman", {QStringLiteral("Liberation Serif"), kSerifSc}},
      {u"Arial", {QStringLiteral("Liberation Sans"), kSansSc}},
      {u"Monotype Corsiva", {QStringLiteral("Z003"), kSerifSc}},
  }};
#endif
  return table;
}

QStringList chineseFaces() {
#ifdef _WIN32
  return {kSimSun, kSimHei, kFangSong, kYaHei, kSerifSc, kSansSc, kKaiCn};
#else
  return {kSerifSc, kSansSc, kKaiCn};
#endif
}

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
