#include "ui/kit/text/fittext.h"

#include <QFontMetricsF>
#include <QPainter>

namespace brevik {

FitText::FitText(const QFont &font, NeuRole color, qreal leastScale, QWidget *parent)
    : QWidget(parent), m_font(font), m_color(color), m_leastScale(leastScale)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void FitText::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    updateGeometry();
    update();
    announceChange(this, QAccessible::NameChanged);
}

qreal FitText::scale() const
{
    const qreal natural = QFontMetricsF(m_font).horizontalAdvance(m_text);
    if (natural <= width() || natural <= 0)
        return 1;
    return std::max(m_leastScale, width() / natural);
}

QSize FitText::sizeHint() const
{
    const QFontMetricsF metrics(m_font);
    return {qCeil(metrics.horizontalAdvance(m_text)), qCeil(metrics.height())};
}

QSize FitText::minimumSizeHint() const
{
    return {0, sizeHint().height()};
}

void FitText::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QFont font = m_font;
    const qreal s = scale();
    font.setPointSizeF(m_font.pointSizeF() * s);
    const QFontMetricsF metrics(font);
    painter.setFont(font);
    painter.setPen(neuInk(m_color));
    const QString shown = metrics.elidedText(m_text, Qt::ElideRight, width());
    // Shrunk text keeps the line's middle.
    const qreal baseline = height() / 2.0 + (metrics.ascent() - metrics.descent()) / 2;
    painter.drawText(QPointF(0, baseline), shown);
}

AccessibleFacts FitText::accessibleFacts() const
{
    return readAs(QAccessible::StaticText, m_text);
}

} // namespace brevik
