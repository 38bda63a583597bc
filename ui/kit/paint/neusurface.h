#pragma once

#include "ui/kit/paint/relief.h"
#include "ui/kit/palette/palette.h"

#include <QMargins>
#include <QRectF>

#include <array>

class QPainter;

namespace brevik {

// A shape-filling background, raised (lit from the top-left, casting a dark shadow to the
// bottom-right) or pressed in (the same two shadows inside the shape).
struct NeuSurface {
    qreal radius = 18;
    qreal distance = 6;
    bool inset = false;
    NeuRole fill = neuBg;
};

NeuSurface neuRaised(qreal radius = 18, qreal distance = 6);
NeuSurface neuInset(qreal radius = 14, qreal distance = 5, NeuRole fill = neuBg);

// The two shadows a raised surface casts at `distance`: dark below-right, light
// above-left, each blurred by the distance, in the current appearance.
std::array<SoftShadow, 2> raisedShadows(qreal distance);

// Room a raised surface's shadows need around its shape; none for a pressed-in one.
QMargins shadowMargins(const NeuSurface &surface);

// The shadows a raised surface casts around `shape` (nothing for a pressed-in one).
void paintSurfaceShadows(QPainter &painter, const QRectF &shape, const NeuSurface &surface);
// The surface inside `shape`: the face of a raised one, or the pressed-in relief.
void paintSurface(QPainter &painter, const QRectF &shape, const NeuSurface &surface);

} // namespace brevik
