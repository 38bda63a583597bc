#include "ui/kit/symbols/symbolview.h"

#include <QPainter>

namespace brevik {

SymbolView::SymbolView(Symbol symbol, qreal size, NeuRole color, QWidget *parent)
    : QWidget(parent), m_symbol(symbol), m_size(size), m_color(color)
{
    setFixedSize(sizeHint());
}

void SymbolView::setSymbol(Symbol symbol, NeuRole color)
{
    if (symbol == m_symbol && color == m_color)
        return;
    m_symbol = symbol;
    m_color = color;
    update();
}

QSize SymbolView::sizeHint() const
{
    const int side = qCeil(symbolBox({}, m_size).width());
    return {side, side};
}

void SymbolView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintSymbol(painter, m_symbol, QRectF(rect()).center(), m_size, neuColor(m_color));
}

AccessibleFacts SymbolView::accessibleFacts() const
{
    // A symbol beside words that say the same only decorates; where it stands alone its
    // owner names what it means.
    return spokenName().isEmpty() ? decoration() : readAs(QAccessible::Graphic);
}

} // namespace brevik
