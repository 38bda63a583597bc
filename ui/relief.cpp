#include "ui/relief.h"

#include "ui/blur.h"
#include "ui/palette.h"

#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>

#include <algorithm>
#include <cmath>

namespace {

// Animated depths pass through every value between two stops; cached drawings are keyed
// at an eighth of a point so that an animation reuses a handful of them.
qreal quantized(qreal value)
{
    return std::round(value * 8) / 8;
}

// How far along each side a continuous corner reaches: a little beyond the radius,
// and never past the middle of the shorter side.
qreal cornerReach(const QSizeF &size, qreal radius)
{
    const qreal half = std::min(size.width(), size.height()) / 2;
    return std::min(1.28 * std::max(radius, 0.0), half);
}

QPainterPath shapePath(const QRectF &r, qreal radius, qreal reach)
{
    QPainterPath path;
    if (radius <= 0 || reach <= 0) {
        path.addRect(r);
        return path;
    }
    // One cubic per corner, its handles placed so that the curve passes the 45° point of
    // a circular arc of `radius`; with the reach equal to the radius it is that arc.
    const qreal k = std::clamp((0.29289 * radius / reach - 0.125) / 0.375, 0.0, 1.0) * reach;
    const qreal l = r.left(), t = r.top(), rt = r.right(), b = r.bottom();
    path.moveTo(l + reach, t);
    path.lineTo(rt - reach, t);
    path.cubicTo(rt - k, t, rt, t + k, rt, t + reach);
    path.lineTo(rt, b - reach);
    path.cubicTo(rt, b - k, rt - k, b, rt - reach, b);
    path.lineTo(l + reach, b);
    path.cubicTo(l + k, b, l, b - k, l, b - reach);
    path.lineTo(l, t + reach);
    path.cubicTo(l, t + k, l + k, t, l + reach, t);
    path.closeSubpath();
    return path;
}

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

// `inBefore`/`inAfter`: how far from each end of the side the drawing still changes
// along it (the corner, widened by the blur and the offsets).
PatchAxis patchAxis(qreal length, qreal outBefore, qreal outAfter, qreal inBefore, qreal inAfter,
                    qreal dpr)
{
    PatchAxis axis;
    axis.before = qCeil(outBefore * dpr);
    axis.after = qCeil(outAfter * dpr);
    const int cornerIn = qCeil(inBefore * dpr);
    const int cornerOut = qCeil(inAfter * dpr);
    const int stretchable = cornerIn + cornerOut + 2;
    const int target = qRound(length * dpr);
    if (target < stretchable) {
        axis.exact = true;
        axis.shape = target;
        axis.cornerBefore = axis.image();
        axis.cornerAfter = 0;
    } else {
        axis.shape = stretchable;
        axis.cornerBefore = axis.before + cornerIn;
        axis.cornerAfter = axis.after + cornerOut;
    }
    return axis;
}

// Draws `pixmap` around `shape` as a nine-patch: corners as they are, sides and centre
// stretched, all in one call.
void drawNinePatch(QPainter &painter, const QRectF &shape, const QPixmap &pixmap,
                   const PatchAxis &x, const PatchAxis &y, bool withCentre)
{
    const qreal dpr = pixmap.devicePixelRatio();
    const QRectF outer =
        shape.adjusted(-x.before / dpr, -y.before / dpr, x.after / dpr, y.after / dpr);
    const qreal sx[4] = {0, qreal(x.cornerBefore), qreal(x.image() - x.cornerAfter),
                         qreal(x.image())};
    const qreal sy[4] = {0, qreal(y.cornerBefore), qreal(y.image() - y.cornerAfter),
                         qreal(y.image())};
    const qreal tx[4] = {outer.left(), outer.left() + sx[1] / dpr,
                         outer.right() - x.cornerAfter / dpr, outer.right()};
    const qreal ty[4] = {outer.top(), outer.top() + sy[1] / dpr,
                         outer.bottom() - y.cornerAfter / dpr, outer.bottom()};

    QPainter::PixmapFragment fragments[9];
    int count = 0;
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            if (row == 1 && col == 1 && !withCentre)
                continue;
            const QRectF source(sx[col], sy[row], sx[col + 1] - sx[col], sy[row + 1] - sy[row]);
            const qreal width = tx[col + 1] - tx[col];
            const qreal height = ty[row + 1] - ty[row];
            if (source.width() <= 0 || source.height() <= 0 || width <= 0 || height <= 0)
                continue;
            // A fragment's scale maps source pixels to target points.
            fragments[count++] = QPainter::PixmapFragment::create(
                QPointF(tx[col] + width / 2, ty[row] + height / 2), source, width / source.width(),
                height / source.height());
        }
    }
    painter.drawPixmapFragments(fragments, count, pixmap);
}

qreal deviceRatio(const QPainter &painter)
{
    return painter.device() ? painter.device()->devicePixelRatio() : 1.0;
}

QImage paintedMask(const QSize &size, const QPainterPath &path, const QPen &pen)
{
    QImage mask(size, QImage::Format_Alpha8);
    mask.fill(0);
    QPainter painter(&mask);
    painter.setRenderHint(QPainter::Antialiasing);
    if (pen.style() == Qt::NoPen)
        painter.fillPath(path, Qt::black);
    else
        painter.strokePath(path, pen);
    return mask;
}

// `mask` blurred and coloured, ready to be laid over another image.
QImage colouredLayer(QImage mask, qreal sigma, const QColor &color)
{
    gaussianBlurAlpha(mask, sigma);
    QImage layer(mask.size(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(color);
    QPainter painter(&layer);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    painter.drawImage(0, 0, mask);
    return layer;
}

QString shadowKey(const QSizeF &exact, qreal radius, qreal reach,
                  std::span<const SoftShadow> shadows, qreal dpr)
{
    QString key = QStringLiteral("neu-shadow:%1:%2:%3:%4:%5")
                      .arg(exact.width())
                      .arg(exact.height())
                      .arg(radius)
                      .arg(reach)
                      .arg(dpr);
    for (const SoftShadow &s : shadows) {
        key += QStringLiteral(":%1,%2,%3,%4")
                   .arg(s.color.rgba(), 8, 16)
                   .arg(quantized(s.blur))
                   .arg(quantized(s.offset.x()))
                   .arg(quantized(s.offset.y()));
    }
    return key;
}

} // namespace

QPainterPath neuShape(const QRectF &rect, qreal radius)
{
    return shapePath(rect, radius, cornerReach(rect.size(), radius));
}

QMargins shadowReach(std::span<const SoftShadow> shadows)
{
    qreal left = 0, top = 0, right = 0, bottom = 0;
    for (const SoftShadow &s : shadows) {
        const qreal spread = blurReach(s.blur);
        left = std::max(left, spread - s.offset.x());
        right = std::max(right, spread + s.offset.x());
        top = std::max(top, spread - s.offset.y());
        bottom = std::max(bottom, spread + s.offset.y());
    }
    return {qCeil(left), qCeil(top), qCeil(right), qCeil(bottom)};
}

void paintShadows(QPainter &painter, const QRectF &rect, qreal radius,
                  std::span<const SoftShadow> shadows)
{
    if (shadows.empty() || rect.isEmpty())
        return;
    const qreal dpr = deviceRatio(painter);
    const qreal reach = cornerReach(rect.size(), radius);
    const QMargins out = shadowReach(shadows);
    qreal inLeft = 0, inTop = 0, inRight = 0, inBottom = 0;
    for (const SoftShadow &s : shadows) {
        const qreal spread = blurReach(quantized(s.blur));
        inLeft = std::max(inLeft, spread + quantized(s.offset.x()));
        inRight = std::max(inRight, spread - quantized(s.offset.x()));
        inTop = std::max(inTop, spread + quantized(s.offset.y()));
        inBottom = std::max(inBottom, spread - quantized(s.offset.y()));
    }
    const PatchAxis x =
        patchAxis(rect.width(), out.left(), out.right(), reach + inLeft, reach + inRight, dpr);
    const PatchAxis y =
        patchAxis(rect.height(), out.top(), out.bottom(), reach + inTop, reach + inBottom, dpr);

    const QSizeF exact(x.exact ? rect.width() : 0, y.exact ? rect.height() : 0);
    const QString key = shadowKey(exact, radius, reach, shadows, dpr);
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        const QSize size(x.image(), y.image());
        const QPainterPath shape =
            shapePath(QRectF(x.before, y.before, x.shape, y.shape), radius * dpr, reach * dpr);
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter composer(&image);
        for (const SoftShadow &s : shadows) {
            const QPointF offset(quantized(s.offset.x()) * dpr, quantized(s.offset.y()) * dpr);
            composer.drawImage(0, 0,
                               colouredLayer(paintedMask(size, shape.translated(offset), Qt::NoPen),
                                             blurSigma(quantized(s.blur)) * dpr, s.color));
        }
        // The shape's own area stays clear: the face is drawn by its owner, and a face
        // drawn half transparent must not show the shadow through it.
        composer.setRenderHint(QPainter::Antialiasing);
        composer.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        composer.fillPath(shape, Qt::black);
        composer.end();
        pixmap = QPixmap::fromImage(std::move(image));
        pixmap.setDevicePixelRatio(dpr);
        QPixmapCache::insert(key, pixmap);
    }
    drawNinePatch(painter, rect, pixmap, x, y, false);
}

void paintInsetSurface(QPainter &painter, const QRectF &rect, qreal radius, qreal distance,
                       const QColor &fill)
{
    if (rect.isEmpty())
        return;
    const qreal dpr = deviceRatio(painter);
    const qreal d = quantized(distance);
    const qreal reach = cornerReach(rect.size(), radius);
    // The strokes are 2.2 d wide, shifted 0.8 d and blurred by d: along a side their
    // drawing changes up to 0.8 d plus the blur's reach beyond the corner, across it up to
    // 1.9 d plus the reach inwards.
    const qreal corner = std::max(reach + 0.8 * d, 1.9 * d) + blurReach(d) + 1;
    const PatchAxis x = patchAxis(rect.width(), 0, 0, corner, corner, dpr);
    const PatchAxis y = patchAxis(rect.height(), 0, 0, corner, corner, dpr);

    const QSizeF exact(x.exact ? rect.width() : 0, y.exact ? rect.height() : 0);
    const QString key = QStringLiteral("neu-inset:%1:%2:%3:%4:%5:%6:%7")
                            .arg(exact.width())
                            .arg(exact.height())
                            .arg(radius)
                            .arg(reach)
                            .arg(d)
                            .arg(fill.rgba(), 8, 16)
                            .arg(dpr);
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        const QSize size(x.image(), y.image());
        const QPainterPath shape =
            shapePath(QRectF(0, 0, size.width(), size.height()), radius * dpr, reach * dpr);
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter composer(&image);
        composer.setRenderHint(QPainter::Antialiasing);
        composer.fillPath(shape, fill);

        QPen stroke(Qt::black, 2.2 * d * dpr, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        stroke.setMiterLimit(10);
        const qreal shift = 0.8 * d * dpr;
        // Source-atop keeps each layer inside the filled shape.
        composer.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        composer.drawImage(0, 0,
                           colouredLayer(paintedMask(size, shape.translated(shift, shift), stroke),
                                         blurSigma(d) * dpr, withOpacity(neuDark, 0.85)));
        composer.drawImage(
            0, 0,
            colouredLayer(paintedMask(size, shape.translated(-shift, -shift), stroke),
                          blurSigma(d) * dpr, withOpacity(neuLight, 0.95)));
        composer.end();
        pixmap = QPixmap::fromImage(std::move(image));
        pixmap.setDevicePixelRatio(dpr);
        QPixmapCache::insert(key, pixmap);
    }
    drawNinePatch(painter, rect, pixmap, x, y, true);
}

void paintFace(QPainter &painter, const QRectF &rect, qreal radius, const QColor &fill)
{
    const bool antialiased = painter.testRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(neuShape(rect, radius), fill);
    painter.setRenderHint(QPainter::Antialiasing, antialiased);
}
