#pragma once
#include <QFont>

namespace velmora {

// Maps the faces the window's layout names ("宋体", "黑体", "新宋体",
// "MS Sans Serif") onto installed faces; call once before any widget exists.
void registerWindowFonts();

// A font of the layout: face name, size in pixels, bold.
QFont windowFont(const char* face, int pixels, bool bold = false);

}  // namespace velmora
