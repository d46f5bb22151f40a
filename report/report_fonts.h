#pragma once
// The faces the layout names, mapped onto installed faces. Every Latin face is
// paired with a Simplified Chinese face, so Chinese text in a Latin item never
// falls back to a face chosen by the locale (which may draw Japanese forms).
#include <QFont>
#include <QStringList>
#include <span>

#include "report/report_model.h"

namespace velmora::report {

struct FaceSubstitution {
  const char16_t* layoutFace;  // as the layout names it
  QStringList faces;           // installed faces, in order of preference
};

// The one substitution table.
std::span<const FaceSubstitution> faceSubstitutions();

// Registers the table with Qt's font matching; idempotent. Called before any
// report font is resolved.
void registerReportFonts();

// The Chinese faces the table pairs with the layout's faces.
QStringList chineseFaces();

// The font of an item at its point size (fractional sizes kept), resolved
// through the table.
QFont reportFont(const FontSpec& style);

}  // namespace velmora::report
