#include "ui/kit/controls/neulogo.h"

#include "ui/kit/paint/neusurface.h"
#include "ui/kit/symbols/symbols.h"

#include <QPainter>

#include <array>

namespace brevik {

namespace {

std::array<SoftShadow, 2> discShadows(qreal size)
{
    const qreal blur = 0.12 * size;
    const qreal offset = 0.09 * size;
    return {SoftShadow{neuColor(neuLight, 0.95), blur, QPointF(-offset, -offset)},
            SoftShadow{neuColor(neuDark, 0.95), blur, QPointF(offset, offset)}};
}

} // namespace

NeuLogo::Layout NeuLogo::layoutFor(qreal size)
{
    const QPointF center(size / 2, size / 2);
    return {.disc = QRectF(0, 0, size, size),
            .wifiCenter = center + QPointF(0, -0.03 * size),
            .wifiSize = 0.4 * size,
            .badgeCenter = center + QPointF(0.2 * size, 0.22 * size),
            .badgeSize = 0.3 * size};
}

NeuLogo::NeuLogo(qreal size, QWidget *parent) : QWidget(parent), m_size(size)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void NeuLogo::setLogoSize(qreal size)
{
    m_size = size;
    updateGeometry();
    update();
    m_shadow.update();
}

QSize NeuLogo::sizeHint() const
{
    return {qCeil(m_size), qCeil(m_size)};
}

QMargins NeuLogo::shadowMargins() const
{
    return shadowReach(discShadows(m_size));
}

void NeuLogo::paintShadow(QPainter &painter) const
{
    m_relief.paintShadows(painter, layoutFor(m_size).disc, m_size / 2, discShadows(m_size));
}

void NeuLogo::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintSurface(painter);
    paintContent(painter);
}

void NeuLogo::paintSurface(QPainter &painter) const
{
    paintFace(painter, layoutFor(m_size).disc, m_size / 2, neuColor(neuBg));
}

void NeuLogo::paintContent(QPainter &painter) const
{
    const Layout layout = layoutFor(m_size);
    paintSymbol(painter, Symbol::wifi, layout.wifiCenter, layout.wifiSize, neuColor(neuAccentDeep));
    paintSymbolGlow(painter, Symbol::checkmarkShieldFill, layout.badgeCenter, layout.badgeSize,
                    neuColor(neuBg), 2);
    paintSymbol(painter, Symbol::checkmarkShieldFill, layout.badgeCenter, layout.badgeSize,
                neuColor(neuSuccess));
}

AccessibleFacts NeuLogo::accessibleFacts() const
{
    // The application's name stands beside it.
    return decoration();
}

} // namespace brevik
