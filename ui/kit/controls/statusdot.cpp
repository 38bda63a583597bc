#include "ui/kit/controls/statusdot.h"

#include "ui/kit/paint/neusurface.h"
#include "ui/kit/text/typography.h"

#include <QPainter>

namespace brevik {

namespace {

constexpr qreal kLamp = 6;
constexpr qreal kSpacing = 4;
const QMargins kPadding(7, 3, 7, 3);
const NeuSurface kSurface = neuInset(8, 2);

QFont labelFont()
{
    return neuFont(10.5, QFont::Medium, FontDesign::rounded);
}

} // namespace

StatusDot::StatusDot(const QString &label, bool on, QWidget *parent)
    : QWidget(parent), m_label(labelFont(), label), m_on(on)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void StatusDot::setLabel(const QString &label)
{
    m_label.setText(label);
    updateGeometry();
    update();
}

void StatusDot::setOn(bool on)
{
    m_on = on;
    update();
}

QSize StatusDot::sizeHint() const
{
    const qreal width = kLamp + kSpacing + m_label.width();
    return {qCeil(width) + kPadding.left() + kPadding.right(),
            qCeil(std::max(m_label.height(), kLamp)) + kPadding.top() + kPadding.bottom()};
}

void StatusDot::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintSurface(painter);
    paintContent(painter);
}

void StatusDot::paintSurface(QPainter &painter) const
{
    m_relief.paintInset(painter, rect(), kSurface.radius, kSurface.distance, kSurface.fill);
}

void StatusDot::paintContent(QPainter &painter) const
{
    const qreal midY = QRectF(rect()).marginsRemoved(kPadding).center().y();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_on ? neuSuccess : neuDanger);
    painter.drawEllipse(QRectF(kPadding.left(), midY - kLamp / 2, kLamp, kLamp));
    m_label.draw(painter, kPadding.left() + kLamp + kSpacing, midY, neuTextSecondary);
}

} // namespace brevik
