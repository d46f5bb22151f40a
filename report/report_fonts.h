#pragma once
// The faces the layout names, mapped onto installed faces. Every Latin face is
// paired with a Simplified Chinese face, so Chinese text in a Latin item never
// falls back to a face chosen by the locale (which may draw Japanese forms).
//
// The table is the report's alone: a report font lists its faces itself
// (QFont::setFamilies), and Qt's process-wide substitutions are never
// touched here. Those belong to the window (app/window_fonts.cpp), which
// maps the same names ("宋体", "黑体") onto other faces for the screen.
#include <QFont>
#include <QStringList>
#include <span>

#include "report/report_model.h"

namespace velmora::report {

struct FaceSubstitution {
  const char16_t* layoutFace;  // as the layout names it
  QStringList faces;           // installed faces, in order of preference
};

// The report's substitution table.
std::span<const FaceSubstitution> faceSubstitutions();

// The Chinese faces the table pairs with the layout's faces.
QStringList chineseFaces();

// The font of an item at its point size (fractional sizes kept), resolved
// through the table.
QFont reportFont(const FontSpec& style);

}  // namespace velmora::report
