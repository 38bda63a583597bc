#pragma once

#include <QColor>
#include <QMargins>
#include <QPainterPath>
#include <QPixmap>
#include <QPointF>
#include <QRectF>
#include <QVarLengthArray>

#include <span>

class QPainter;

namespace brevik {

// A blur radius is taken as the Gaussian's standard deviation, as the Mac's shadows and
// blurs take it (CSS takes twice that); three of them hold all but a fraction of a grey
// level.
constexpr qreal blurSigma(qreal blur)
{
    return blur;
}
constexpr qreal blurReach(qreal blur)
{
    return 3 * blurSigma(blur);
}

// One soft shadow cast by a shape: its colour (with opacity), blur radius and offset.
struct SoftShadow {
    QColor color;
    qreal blur = 0;
    QPointF offset;
};

// The rounded rectangle every surface has: corners of `radius` on the continuous curve,
// easing into the straight sides instead of meeting them at a sharp change of curvature.
// A radius of half the shorter side gives a capsule or a circle.
QPainterPath neuShape(const QRectF &rect, qreal radius);

// How far `shadows` reach beyond the shape on each side, in whole points.
QMargins shadowReach(std::span<const SoftShadow> shadows);

// The shadows that the shape `rect` casts, painted in list order, with the shape itself
// left clear. Each combination of radius, shadows, device pixel ratio and (for shapes too
// small to stretch) size is blurred once and then drawn stretched as a nine-patch.
void paintShadows(QPainter &painter, const QRectF &rect, qreal radius,
                  std::span<const SoftShadow> shadows);

// A pressed-in surface: the shape filled with `fill`, with an inner shadow of neuDark at
// the top-left and of neuLight at the bottom-right, both `distance` deep. Cached like the
// shadows.
void paintInsetSurface(QPainter &painter, const QRectF &rect, qreal radius, qreal distance,
                       const QColor &fill);

// The plain face of a raised surface.
void paintFace(QPainter &painter, const QRectF &rect, qreal radius, const QColor &fill);

// One axis of a nine-patch, in device pixels: the image's extent beyond the shape on
// both sides, the shape's extent in the image, and the corner cells measured from the
// image's edges. A shape too short to stretch is drawn at its own length (one cell).
struct PatchAxis {
    int before = 0;
    int after = 0;
    int shape = 0;
    int cornerBefore = 0;
    int cornerAfter = 0;
    bool exact = false;

    int image() const { return before + shape + after; }
};

// A blurred drawing and how to stretch it around a shape. Hollow: clear where the shape
// is (a shadow), so that part is not drawn at all.
struct ReliefPatch {
    QPixmap pixmap;
    PatchAxis x;
    PatchAxis y;
    bool hollow = false;
};

using ReliefInputs = QVarLengthArray<qreal, 16>;

// The drawing one widget used last. An unchanged surface is blitted without building a
// cache key or looking it up; identical surfaces of different widgets still share one
// blurred drawing through the cache.
class ReliefMemo {
public:
    void paintShadows(QPainter &painter, const QRectF &rect, qreal radius,
                      std::span<const SoftShadow> shadows);
    void paintInset(QPainter &painter, const QRectF &rect, qreal radius, qreal distance,
                    const QColor &fill);

private:
    ReliefInputs m_inputs;
    ReliefPatch m_patch;
};

} // namespace brevik
