#pragma once
#include <QPalette>

namespace velmora {

// The light palette the window keeps under any desktop theme: the form's
// navy, maroon, blue and red texts need a light ground to be read.
QPalette lightWindowPalette();

// Draws every widget in Qt's Fusion style, on every system and desktop: the
// form's frames, the read-only look of its lists and its fields' heights
// are made for it, and Windows' own style would draw the lists' arrows and
// frames its own way. Called once the application exists.
void useWindowStyle();

}  // namespace velmora
