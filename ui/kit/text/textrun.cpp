#include "ui/kit/text/textrun.h"

#include <QFontMetricsF>
#include <QPainter>

namespace brevik {

TextRun::TextRun(const QFont &font, const QString &text) : m_font(font)
{
    const QFontMetricsF metrics(font);
    m_height = metrics.height();
    m_ascent = metrics.ascent();
    m_descent = metrics.descent();
    m_shaped.setTextFormat(Qt::PlainText);
    m_shaped.setPerformanceHint(QStaticText::AggressiveCaching);
    setText(text);
}

void TextRun::setText(const QString &text)
{
    m_text = text;
    m_shaped.setText(text);
    m_shaped.prepare(QTransform(), m_font);
    m_width = QFontMetricsF(m_font).horizontalAdvance(text);
}

void TextRun::draw(QPainter &painter, qreal x, qreal midY, const QColor &color) const
{
    if (m_text.isEmpty())
        return;
    painter.setFont(m_font);
    painter.setPen(color);
    // A static text is placed by its top-left corner: its baseline is one ascent below.
    const qreal baseline = midY + (m_ascent - m_descent) / 2;
    painter.drawStaticText(QPointF(x, baseline - m_ascent), m_shaped);
}

} // namespace brevik
