#pragma once
// The two marks of a formal document, drawn by the program: the diagonal
// watermark of the cover and data pages, and the banner of the text pages.
#include <QImage>

namespace velmora::report {

// 313 x 320 pixels: "Velmora课题" in light grey outlined characters running
// from the lower left to the upper right, on a transparent ground.
const QImage& watermarkImage();
// 926 x 85 pixels: the same words on one horizontal line.
const QImage& bannerImage();

}  // namespace velmora::report
