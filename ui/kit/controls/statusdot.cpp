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
    : QWidget(parent), m_label(labelFont(), label), m_on(on), m_onWord(tr("开")),
      m_offWord(tr("关"))
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void StatusDot::setLabel(const QString &label)
{
    m_label.setText(label);
    updateGeometry();
    update();
    announceChange(this, QAccessible::NameChanged);
}

void StatusDot::setOn(bool on)
{
    if (on == m_on)
        return;
    m_on = on;
    update();
    announceChange(this, QAccessible::NameChanged);
}

void StatusDot::setStateWords(const QString &on, const QString &off)
{
    m_onWord = on;
    m_offWord = off;
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
    m_relief.paintInset(painter, rect(), kSurface.radius, kSurface.distance,
                        neuColor(kSurface.fill));
}

void StatusDot::paintContent(QPainter &painter) const
{
    const qreal midY = QRectF(rect()).marginsRemoved(kPadding).center().y();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(neuColor(m_on ? neuSuccess : neuDanger));
    painter.drawEllipse(QRectF(kPadding.left(), midY - kLamp / 2, kLamp, kLamp));
    m_label.draw(painter, kPadding.left() + kLamp + kSpacing, midY, neuInk(neuTextSecondary));
}

AccessibleFacts StatusDot::accessibleFacts() const
{
    return readAs(QAccessible::StaticText,
                  tr("%1：%2", "a lamp's label, then its state")
                      .arg(m_label.text(), m_on ? m_onWord : m_offWord));
}

} // namespace brevik
