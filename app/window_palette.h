#pragma once
#include <QPalette>

namespace velmora {

// The light palette the window keeps under any desktop theme: the form's
// navy, maroon, blue and red texts need a light ground to be read.
QPalette lightWindowPalette();

}  // namespace velmora
