#include "ui/kit/controls/plainbutton.h"

#include <QFocusEvent>
#include <QPainter>

namespace brevik {

namespace {

constexpr qreal kSpacing = 4;

} // namespace

PlainButton::PlainButton(const QFont &font, qreal symbolSize, const QColor &color, QWidget *parent)
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
    painter.setOpacity(isDown() ? 0.55 : m_hovering ? 0.75 : 1);
    if (m_symbol)
        paintSymbol(painter, *m_symbol, QPointF(side / 2, midY), m_symbolSize, m_color);
    m_text.draw(painter, side + (m_symbol ? kSpacing : 0), midY, m_color);
    if (m_keyboardFocus) {
        painter.setOpacity(0.5);
        painter.drawLine(QPointF(0, height() - 0.5), QPointF(width(), height() - 0.5));
    }
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
    m_keyboardFocus =
        event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    update();
}

void PlainButton::focusOutEvent(QFocusEvent *event)
{
    QAbstractButton::focusOutEvent(event);
    m_keyboardFocus = false;
    update();
}

} // namespace brevik
