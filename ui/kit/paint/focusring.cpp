#include "ui/kit/paint/focusring.h"

#include "ui/kit/paint/relief.h"
#include "ui/kit/palette/palette.h"

#include <QPainter>

#include <array>

namespace brevik {

namespace {

constexpr qreal kGlowBlur = 2.5;
constexpr qreal kLineGap = 1.5; // from the shape's edge to the middle of the line
constexpr qreal kLineWidth = 2;

std::array<SoftShadow, 1> glow()
{
    return {SoftShadow{neuColor(neuAccent, 0.6), kGlowBlur, QPointF()}};
}

} // namespace

QMargins focusRingMargins()
{
    return shadowReach(glow());
}

void paintFocusRing(QPainter &painter, const QRectF &shape, qreal radius)
{
    paintShadows(painter, shape, radius, glow());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(neuColor(neuAccent, 0.9), kLineWidth));
    painter.setBrush(Qt::NoBrush);
    const QRectF line = shape.adjusted(-kLineGap, -kLineGap, kLineGap, kLineGap);
    painter.drawPath(neuShape(line, radius + kLineGap));
    painter.restore();
}

} // namespace brevik
