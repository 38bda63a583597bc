#pragma once

#include <QMargins>
#include <QRectF>

class QPainter;

namespace brevik {

// The ring a control wears while the keyboard is on it, in the relief's own manner: a soft
// glow of the accent around the shape, and a thin accent line just outside its edge. Drawn
// outside the shape only, so it sits in the control's shadow layer and never covers a label.

// Room the ring needs around the shape.
QMargins focusRingMargins();
void paintFocusRing(QPainter &painter, const QRectF &shape, qreal radius);

} // namespace brevik
