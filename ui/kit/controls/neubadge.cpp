#include "ui/kit/controls/neubadge.h"

#include "ui/kit/paint/relief.h"

#include <QPainter>

#include <array>

namespace brevik {

namespace {

constexpr qreal kSymbolSize = 17;

// Softer and closer than a card's: blur 4, offset 3, at 90%.
const std::array<SoftShadow, 2> kShadows{
    SoftShadow{withOpacity(neuLight, 0.9), 4, QPointF(-3, -3)},
    SoftShadow{withOpacity(neuDark, 0.9), 4, QPointF(3, 3)},
};

} // namespace

NeuBadge::NeuBadge(int diameter, Symbol symbol, const QColor &color, QWidget *parent)
    : QWidget(parent), m_diameter(diameter), m_symbol(symbol), m_color(color)
{
    setFixedSize(diameter, diameter);
}

void NeuBadge::setSymbol(Symbol symbol, const QColor &color)
{
    m_symbol = symbol;
    m_color = color;
    update();
}

QMargins NeuBadge::shadowMargins() const
{
    return shadowReach(kShadows);
}

void NeuBadge::paintShadow(QPainter &painter) const
{
    m_relief.paintShadows(painter, rect(), m_diameter / 2.0, kShadows);
}

void NeuBadge::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintSurface(painter);
    paintContent(painter);
}

void NeuBadge::paintSurface(QPainter &painter) const
{
    paintFace(painter, rect(), m_diameter / 2.0, neuBg);
}

void NeuBadge::paintContent(QPainter &painter) const
{
    paintSymbol(painter, m_symbol, QRectF(rect()).center(), kSymbolSize, m_color);
}

} // namespace brevik
