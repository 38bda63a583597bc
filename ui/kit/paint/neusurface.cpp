#include "ui/kit/paint/neusurface.h"

namespace brevik {

NeuSurface neuRaised(qreal radius, qreal distance)
{
    return {.radius = radius, .distance = distance, .inset = false, .fill = neuBg};
}

NeuSurface neuInset(qreal radius, qreal distance, NeuRole fill)
{
    return {.radius = radius, .distance = distance, .inset = true, .fill = fill};
}

std::array<SoftShadow, 2> raisedShadows(qreal distance)
{
    // Painted in this order: the light one lies under the dark one where they meet.
    return {SoftShadow{neuColor(neuLight, 0.95), distance, QPointF(-distance, -distance)},
            SoftShadow{neuColor(neuDark, 0.95), distance, QPointF(distance, distance)}};
}

QMargins shadowMargins(const NeuSurface &surface)
{
    if (surface.inset)
        return {};
    return shadowReach(raisedShadows(surface.distance));
}

void paintSurfaceShadows(QPainter &painter, const QRectF &shape, const NeuSurface &surface)
{
    if (!surface.inset)
        paintShadows(painter, shape, surface.radius, raisedShadows(surface.distance));
}

void paintSurface(QPainter &painter, const QRectF &shape, const NeuSurface &surface)
{
    if (surface.inset)
        paintInsetSurface(painter, shape, surface.radius, surface.distance, neuColor(surface.fill));
    else
        paintFace(painter, shape, surface.radius, neuColor(surface.fill));
}

} // namespace brevik
