#include "ui/kit/controls/plainbutton.h"

#include "ui/kit/paint/focusring.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>

namespace brevik {

namespace {

constexpr qreal kSpacing = 4;
// The ring keeps a little room around the label, which has none of its own.
constexpr qreal kRingPad = 3;
constexpr qreal kRingRadius = 6;

} // namespace

PlainButton::PlainButton(const QFont &font, qreal symbolSize, NeuRole color, QWidget *parent)
    : QAbstractButton(parent), m_text(font), m_symbolSize(symbolSize), m_color(color)
{
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
}

void PlainButton::setLabel(const QString &text, std::optional<Symbol> symbol)
{
    setText(text);
    m_text.setText(text);
    m_symbol = symbol;
    updateGeometry();
    update();
}

QSize PlainButton::sizeHint() const
{
    const qreal side = m_symbol ? symbolBox({}, m_symbolSize).width() : 0;
    const qreal width = side + (m_symbol ? kSpacing : 0) + m_text.width();
    return {qCeil(width), qCeil(std::max(m_text.height(), side))};
}

void PlainButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintContent(painter);
}

void PlainButton::paintContent(QPainter &painter) const
{
    const qreal midY = height() / 2.0;
    const qreal side = m_symbol ? symbolBox({}, m_symbolSize).width() : 0;
    const QColor ink = neuInk(m_color);
    painter.setOpacity(isDown() ? 0.55 : m_hovering ? 0.75 : 1);
    if (m_symbol)
        paintSymbol(painter, *m_symbol, QPointF(side / 2, midY), m_symbolSize, ink);
    m_text.draw(painter, side + (m_symbol ? kSpacing : 0), midY, ink);
}

QMargins PlainButton::shadowMargins() const
{
    const int pad = qCeil(kRingPad);
    return focusRingMargins() + QMargins(pad, pad, pad, pad);
}

void PlainButton::paintShadow(QPainter &painter) const
{
    if (m_ring.shown())
        paintFocusRing(painter, QRectF(rect()).adjusted(-kRingPad, -kRingPad, kRingPad, kRingPad),
                       kRingRadius);
}

void PlainButton::enterEvent(QEnterEvent *event)
{
    QAbstractButton::enterEvent(event);
    m_hovering = true;
    update();
}

void PlainButton::leaveEvent(QEvent *event)
{
    QAbstractButton::leaveEvent(event);
    m_hovering = false;
    update();
}

void PlainButton::focusInEvent(QFocusEvent *event)
{
    QAbstractButton::focusInEvent(event);
    m_ring.focusIn(*event);
}

void PlainButton::focusOutEvent(QFocusEvent *event)
{
    QAbstractButton::focusOutEvent(event);
    m_ring.focusOut();
}

void PlainButton::keyPressEvent(QKeyEvent *event)
{
    // Return presses a button as Space does.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && isEnabled() &&
        !event->isAutoRepeat()) {
        animateClick();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

} // namespace brevik
