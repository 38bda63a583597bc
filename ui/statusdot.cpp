#include "ui/statusdot.h"

#include "ui/neusurface.h"
#include "ui/typography.h"

#include <QFontMetricsF>
#include <QPainter>

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
    : QWidget(parent), m_label(label), m_on(on)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void StatusDot::setLabel(const QString &label)
{
    m_label = label;
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
    const QFontMetricsF metrics(labelFont());
    const qreal width = kLamp + kSpacing + metrics.horizontalAdvance(m_label);
    return {qCeil(width) + kPadding.left() + kPadding.right(),
            qCeil(std::max(metrics.height(), kLamp)) + kPadding.top() + kPadding.bottom()};
}

void StatusDot::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintSurface(painter);
    paintContent(painter);
}

void StatusDot::paintSurface(QPainter &painter) const
{
    ::paintSurface(painter, rect(), kSurface);
}

void StatusDot::paintContent(QPainter &painter) const
{
    const QFont font = labelFont();
    const QFontMetricsF metrics(font);
    const qreal midY = QRectF(rect()).marginsRemoved(kPadding).center().y();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_on ? neuSuccess : neuDanger);
    painter.drawEllipse(QRectF(kPadding.left(), midY - kLamp / 2, kLamp, kLamp));
    painter.setFont(font);
    painter.setPen(neuTextSecondary);
    painter.drawText(QPointF(kPadding.left() + kLamp + kSpacing,
                             midY + (metrics.ascent() - metrics.descent()) / 2),
                     m_label);
}
