#include "ui/kit/controls/neubadge.h"

#include "ui/kit/paint/relief.h"

#include <QPainter>

#include <array>

namespace brevik {

namespace {

constexpr qreal kSymbolSize = 17;

// Softer and closer than a card's: blur 4, offset 3, at 90%.
std::array<SoftShadow, 2> shadows()
{
    return {SoftShadow{neuColor(neuLight, 0.9), 4, QPointF(-3, -3)},
            SoftShadow{neuColor(neuDark, 0.9), 4, QPointF(3, 3)}};
}

} // namespace

NeuBadge::NeuBadge(int diameter, Symbol symbol, NeuRole color, QWidget *parent)
    : QWidget(parent), m_diameter(diameter), m_symbol(symbol), m_color(color)
{
    setFixedSize(diameter, diameter);
}

void NeuBadge::setSymbol(Symbol symbol, NeuRole color)
{
    m_symbol = symbol;
    m_color = color;
    update();
}

QMargins NeuBadge::shadowMargins() const
{
    return shadowReach(shadows());
}

void NeuBadge::paintShadow(QPainter &painter) const
{
    m_relief.paintShadows(painter, rect(), m_diameter / 2.0, shadows());
}

void NeuBadge::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintSurface(painter);
    paintContent(painter);
}

void NeuBadge::paintSurface(QPainter &painter) const
{
    paintFace(painter, rect(), m_diameter / 2.0, neuColor(neuBg));
}

void NeuBadge::paintContent(QPainter &painter) const
{
    paintSymbol(painter, m_symbol, QRectF(rect()).center(), kSymbolSize, neuColor(m_color));
}

AccessibleFacts NeuBadge::accessibleFacts() const
{
    // Its colour means what its owner names; unnamed, it only decorates.
    return spokenName().isEmpty() ? decoration() : readAs(QAccessible::Graphic);
}

} // namespace brevik
