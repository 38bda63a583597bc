#pragma once

#include <QtGlobal>

class QImage;

namespace brevik {

// Blurs an 8-bit alpha image in place with a Gaussian of standard deviation `sigma`
// (pixels), approximated by three successive box blurs in each direction. Pixels beyond
// the edges count as transparent, so the image needs room for the blur's reach.
void gaussianBlurAlpha(QImage &alpha, qreal sigma);

} // namespace brevik
