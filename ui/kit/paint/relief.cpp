#include "ui/kit/paint/relief.h"

#include "ui/kit/paint/blur.h"
#include "ui/kit/palette/palette.h"

#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <cmath>

namespace brevik {

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

// A stretch of source pixels [s0, s1) drawn over the target points [t0, t1).
struct Span {
    qreal s0, s1, t0, t1;
};

// The three cells of one axis: the corner before, the stretched middle, the corner after.
std::array<Span, 3> axisCells(const PatchAxis &axis, qreal outerStart, qreal outerEnd, qreal dpr)
{
    const qreal image = axis.image();
    return {Span{0, qreal(axis.cornerBefore), outerStart, outerStart + axis.cornerBefore / dpr},
            Span{qreal(axis.cornerBefore), image - axis.cornerAfter,
                 outerStart + axis.cornerBefore / dpr, outerEnd - axis.cornerAfter / dpr},
            Span{image - axis.cornerAfter, image, outerEnd - axis.cornerAfter / dpr, outerEnd}};
}

// The parts of an unstretched span that lie outside the shape's own pixels.
QVarLengthArray<Span, 2> outsideShape(const Span &span, const PatchAxis &axis, qreal dpr)
{
    QVarLengthArray<Span, 2> parts;
    const qreal inside0 = axis.before;
    const qreal inside1 = axis.before + axis.shape;
    const auto clip = [&](qreal s0, qreal s1) {
        s0 = std::max(s0, span.s0);
        s1 = std::min(s1, span.s1);
        if (s1 > s0)
            parts.append({s0, s1, span.t0 + (s0 - span.s0) / dpr, span.t0 + (s1 - span.s0) / dpr});
    };
    clip(span.s0, inside0);
    clip(inside1, span.s1);
    return parts;
}

// Draws `pixmap` around `shape` as a nine-patch: corners as they are, sides and centre
// stretched, all in one call. A hollow patch (a shadow, clear where its shape is) skips
// what would only blend clear pixels: the centre, and the inner part of each side.
void drawNinePatch(QPainter &painter, const QRectF &shape, const ReliefPatch &patch)
{
    const QPixmap &pixmap = patch.pixmap;
    const PatchAxis &x = patch.x;
    const PatchAxis &y = patch.y;
    const bool hollow = patch.hollow;
    const qreal dpr = pixmap.devicePixelRatio();
    const QRectF outer =
        shape.adjusted(-x.before / dpr, -y.before / dpr, x.after / dpr, y.after / dpr);
    const std::array<Span, 3> columns = axisCells(x, outer.left(), outer.right(), dpr);
    const std::array<Span, 3> rows = axisCells(y, outer.top(), outer.bottom(), dpr);

    QVarLengthArray<QPainter::PixmapFragment, 16> fragments;
    const auto add = [&](const Span &cx, const Span &cy) {
        const qreal sw = cx.s1 - cx.s0, sh = cy.s1 - cy.s0;
        const qreal tw = cx.t1 - cx.t0, th = cy.t1 - cy.t0;
        if (sw <= 0 || sh <= 0 || tw <= 0 || th <= 0)
            return;
        // A fragment's scale maps source pixels to target points.
        fragments.append(QPainter::PixmapFragment::create(QPointF(cx.t0 + tw / 2, cy.t0 + th / 2),
                                                          QRectF(cx.s0, cy.s0, sw, sh), tw / sw,
                                                          th / sh));
    };
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            if (!hollow) {
                add(columns[col], rows[row]);
            } else if (row == 1 && col == 1) {
                continue;
            } else if (col == 1) {
                for (const Span &part : outsideShape(rows[row], y, dpr))
                    add(columns[col], part);
            } else if (row == 1) {
                for (const Span &part : outsideShape(columns[col], x, dpr))
                    add(part, rows[row]);
            } else {
                add(columns[col], rows[row]);
            }
        }
    }
    painter.drawPixmapFragments(fragments.constData(), int(fragments.size()), pixmap);
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

// Everything a patch depends on, as numbers: the memo's comparison and the cache's key.
void appendColor(ReliefInputs &inputs, const QColor &color)
{
    inputs.append(qreal(color.rgba()));
}

QString cacheKey(const char *kind, const ReliefInputs &inputs)
{
    QString key = QLatin1String(kind);
    for (qreal value : inputs)
        key += QLatin1Char(':') + QString::number(value);
    return key;
}

ReliefPatch shadowPatch(const QSizeF &size, qreal radius, std::span<const SoftShadow> shadows,
                        qreal dpr)
{
    const qreal reach = cornerReach(size, radius);
    const QMargins out = shadowReach(shadows);
    qreal inLeft = 0, inTop = 0, inRight = 0, inBottom = 0;
    for (const SoftShadow &s : shadows) {
        const qreal spread = blurReach(quantized(s.blur));
        inLeft = std::max(inLeft, spread + quantized(s.offset.x()));
        inRight = std::max(inRight, spread - quantized(s.offset.x()));
        inTop = std::max(inTop, spread + quantized(s.offset.y()));
        inBottom = std::max(inBottom, spread - quantized(s.offset.y()));
    }
    ReliefPatch patch;
    patch.hollow = true;
    patch.x =
        patchAxis(size.width(), out.left(), out.right(), reach + inLeft, reach + inRight, dpr);
    patch.y =
        patchAxis(size.height(), out.top(), out.bottom(), reach + inTop, reach + inBottom, dpr);

    ReliefInputs inputs{patch.x.exact ? size.width() : 0, patch.y.exact ? size.height() : 0, radius,
                        reach, dpr};
    for (const SoftShadow &s : shadows) {
        appendColor(inputs, s.color);
        inputs << quantized(s.blur) << quantized(s.offset.x()) << quantized(s.offset.y());
    }
    const QString key = cacheKey("neu-shadow", inputs);
    if (QPixmapCache::find(key, &patch.pixmap))
        return patch;

    const QSize imageSize(patch.x.image(), patch.y.image());
    const QPainterPath shape =
        shapePath(QRectF(patch.x.before, patch.y.before, patch.x.shape, patch.y.shape),
                  radius * dpr, reach * dpr);
    QImage image(imageSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter composer(&image);
    for (const SoftShadow &s : shadows) {
        const QPointF offset(quantized(s.offset.x()) * dpr, quantized(s.offset.y()) * dpr);
        composer.drawImage(
            0, 0,
            colouredLayer(paintedMask(imageSize, shape.translated(offset), Qt::NoPen),
                          blurSigma(quantized(s.blur)) * dpr, s.color));
    }
    // The shape's own area stays clear: the face is drawn by its owner, and a face drawn
    // half transparent must not show the shadow through it.
    composer.setRenderHint(QPainter::Antialiasing);
    composer.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    composer.fillPath(shape, Qt::black);
    composer.end();
    patch.pixmap = QPixmap::fromImage(std::move(image));
    patch.pixmap.setDevicePixelRatio(dpr);
    QPixmapCache::insert(key, patch.pixmap);
    return patch;
}

ReliefPatch insetPatch(const QSizeF &size, qreal radius, qreal distance, const QColor &fill,
                       qreal dpr)
{
    const qreal d = quantized(distance);
    const qreal reach = cornerReach(size, radius);
    // The strokes are 2.2 d wide, shifted 0.8 d and blurred by d: along a side their
    // drawing changes up to 0.8 d plus the blur's reach beyond the corner, across it up to
    // 1.9 d plus the reach inwards.
    const qreal corner = std::max(reach + 0.8 * d, 1.9 * d) + blurReach(d) + 1;
    ReliefPatch patch;
    patch.x = patchAxis(size.width(), 0, 0, corner, corner, dpr);
    patch.y = patchAxis(size.height(), 0, 0, corner, corner, dpr);

    const QColor darkShade = neuColor(neuDark, 0.85);
    const QColor lightShade = neuColor(neuLight, 0.95);
    ReliefInputs inputs{
        patch.x.exact ? size.width() : 0, patch.y.exact ? size.height() : 0, radius, reach, d, dpr};
    for (const QColor &color : {fill, darkShade, lightShade})
        appendColor(inputs, color);
    const QString key = cacheKey("neu-inset", inputs);
    if (QPixmapCache::find(key, &patch.pixmap))
        return patch;

    const QSize imageSize(patch.x.image(), patch.y.image());
    const QPainterPath shape =
        shapePath(QRectF(0, 0, imageSize.width(), imageSize.height()), radius * dpr, reach * dpr);
    QImage image(imageSize, QImage::Format_ARGB32_Premultiplied);
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
                       colouredLayer(paintedMask(imageSize, shape.translated(shift, shift), stroke),
                                     blurSigma(d) * dpr, darkShade));
    composer.drawImage(
        0, 0,
        colouredLayer(paintedMask(imageSize, shape.translated(-shift, -shift), stroke),
                      blurSigma(d) * dpr, lightShade));
    composer.end();
    patch.pixmap = QPixmap::fromImage(std::move(image));
    patch.pixmap.setDevicePixelRatio(dpr);
    QPixmapCache::insert(key, patch.pixmap);
    return patch;
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
    drawNinePatch(painter, rect, shadowPatch(rect.size(), radius, shadows, deviceRatio(painter)));
}

void paintInsetSurface(QPainter &painter, const QRectF &rect, qreal radius, qreal distance,
                       const QColor &fill)
{
    if (rect.isEmpty())
        return;
    drawNinePatch(painter, rect,
                  insetPatch(rect.size(), radius, distance, fill, deviceRatio(painter)));
}

void ReliefMemo::paintShadows(QPainter &painter, const QRectF &rect, qreal radius,
                              std::span<const SoftShadow> shadows)
{
    if (shadows.empty() || rect.isEmpty())
        return;
    const qreal dpr = deviceRatio(painter);
    ReliefInputs inputs{0, rect.width(), rect.height(), radius, dpr};
    for (const SoftShadow &s : shadows) {
        appendColor(inputs, s.color);
        inputs << s.blur << s.offset.x() << s.offset.y();
    }
    if (inputs != m_inputs) {
        m_patch = shadowPatch(rect.size(), radius, shadows, dpr);
        m_inputs = inputs;
    }
    drawNinePatch(painter, rect, m_patch);
}

void ReliefMemo::paintInset(QPainter &painter, const QRectF &rect, qreal radius, qreal distance,
                            const QColor &fill)
{
    if (rect.isEmpty())
        return;
    const qreal dpr = deviceRatio(painter);
    ReliefInputs inputs{1, rect.width(), rect.height(), radius, distance, dpr};
    // The shades inside come from the appearance, not from the fill.
    for (const QColor &color : {fill, neuColor(neuDark), neuColor(neuLight)})
        appendColor(inputs, color);
    if (inputs != m_inputs) {
        m_patch = insetPatch(rect.size(), radius, distance, fill, dpr);
        m_inputs = inputs;
    }
    drawNinePatch(painter, rect, m_patch);
}

void paintFace(QPainter &painter, const QRectF &rect, qreal radius, const QColor &fill)
{
    const bool antialiased = painter.testRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(neuShape(rect, radius), fill);
    painter.setRenderHint(QPainter::Antialiasing, antialiased);
}

} // namespace brevik
