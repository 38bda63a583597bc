#include "ui/kit/controls/neuchip.h"

#include "ui/kit/paint/neusurface.h"
#include "ui/kit/text/typography.h"

#include <QPainter>

namespace brevik {

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

NeuChip::NeuChip(const QString &text, NeuRole color, std::optional<Symbol> icon, QWidget *parent)
    : QWidget(parent), m_text(chipFont(), text), m_color(color), m_icon(icon)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void NeuChip::setText(const QString &text)
{
    m_text.setText(text);
    updateGeometry();
    update();
    announceChange(this, QAccessible::NameChanged);
}

void NeuChip::setColor(NeuRole color)
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
    const qreal iconSide = m_icon ? symbolBox({}, kIconSize).width() : 0;
    const qreal width = iconSide + (m_icon ? kSpacing : 0) + m_text.width();
    const qreal height = std::max(m_text.height(), iconSide);
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
    m_relief.paintInset(painter, rect(), kSurface.radius, kSurface.distance,
                        neuColor(kSurface.fill));
}

void NeuChip::paintContent(QPainter &painter) const
{
    const qreal midY = QRectF(rect()).marginsRemoved(kPadding).center().y();
    // A chip is read: its symbol and text both take the role's ink.
    const QColor ink = neuInk(m_color);
    qreal x = kPadding.left();
    if (m_icon) {
        const qreal side = symbolBox({}, kIconSize).width();
        paintSymbol(painter, *m_icon, QPointF(x + side / 2, midY), kIconSize, ink);
        x += side + kSpacing;
    }
    m_text.draw(painter, x, midY, ink);
}

AccessibleFacts NeuChip::accessibleFacts() const
{
    return readAs(QAccessible::StaticText, m_text.text());
}

} // namespace brevik
