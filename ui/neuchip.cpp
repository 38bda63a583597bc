#include "ui/neuchip.h"

#include "ui/neusurface.h"
#include "ui/typography.h"

#include <QFontMetricsF>
#include <QPainter>

namespace {

constexpr qreal kIconSize = 9;
constexpr qreal kSpacing = 4;
const QMargins kPadding(9, 4, 9, 4);
const NeuSurface kSurface = neuInset(9, 2.5);

QFont chipFont()
{
    return neuFont(10.5, QFont::DemiBold, FontDesign::rounded);
}

} // namespace

NeuChip::NeuChip(const QString &text, const QColor &color, std::optional<Symbol> icon,
                 QWidget *parent)
    : QWidget(parent), m_text(text), m_color(color), m_icon(icon)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void NeuChip::setText(const QString &text)
{
    m_text = text;
    updateGeometry();
    update();
}

void NeuChip::setColor(const QColor &color)
{
    m_color = color;
    update();
}

void NeuChip::setIcon(std::optional<Symbol> icon)
{
    m_icon = icon;
    updateGeometry();
    update();
}

QSize NeuChip::sizeHint() const
{
    const QFontMetricsF metrics(chipFont());
    const qreal iconSide = m_icon ? symbolBox({}, kIconSize).width() : 0;
    const qreal width = iconSide + (m_icon ? kSpacing : 0) + metrics.horizontalAdvance(m_text);
    const qreal height = std::max(metrics.height(), iconSide);
    return {qCeil(width) + kPadding.left() + kPadding.right(),
            qCeil(height) + kPadding.top() + kPadding.bottom()};
}

void NeuChip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintSurface(painter);
    paintContent(painter);
}

void NeuChip::paintSurface(QPainter &painter) const
{
    ::paintSurface(painter, rect(), kSurface);
}

void NeuChip::paintContent(QPainter &painter) const
{
    const QFont font = chipFont();
    const QFontMetricsF metrics(font);
    const qreal midY = QRectF(rect()).marginsRemoved(kPadding).center().y();
    qreal x = kPadding.left();
    if (m_icon) {
        const qreal side = symbolBox({}, kIconSize).width();
        paintSymbol(painter, *m_icon, QPointF(x + side / 2, midY), kIconSize, m_color);
        x += side + kSpacing;
    }
    painter.setFont(font);
    painter.setPen(m_color);
    painter.drawText(QPointF(x, midY + (metrics.ascent() - metrics.descent()) / 2), m_text);
}
