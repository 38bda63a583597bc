#include "ui/kit/motion/spinner.h"

#include "ui/kit/palette/palette.h"

#include <QPainter>
#include <QVariantAnimation>

namespace brevik {

namespace {

constexpr int kSpokes = 12;

} // namespace

Spinner::Spinner(int side, QWidget *parent)
    : QWidget(parent), m_side(side), m_turn(new QVariantAnimation(this))
{
    setFixedSize(side, side);
    m_turn->setStartValue(0);
    m_turn->setEndValue(kSpokes);
    m_turn->setDuration(1000);
    m_turn->setLoopCount(-1);
    connect(m_turn, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        // The wheel moves in whole spokes: repaint only when the lit spoke changes.
        const int step = value.toInt() % kSpokes;
        if (step != m_step) {
            m_step = step;
            update();
        }
    });
}

bool Spinner::isSpinning() const
{
    return m_turn->state() == QAbstractAnimation::Running;
}

void Spinner::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(QRectF(rect()).center());
    const qreal outer = m_side / 2.0;
    QPen pen(neuColor(neuText), std::max(1.2, m_side / 10.0), Qt::SolidLine, Qt::RoundCap);
    for (int i = 0; i < kSpokes; ++i) {
        // The lit spoke is opaque; those behind it fade as a tail.
        const int age = (m_step - i + kSpokes) % kSpokes;
        pen.setColor(neuColor(neuText, 0.85 - 0.6 * age / (kSpokes - 1)));
        painter.setPen(pen);
        painter.save();
        painter.rotate(i * 360.0 / kSpokes);
        painter.drawLine(QPointF(0, -outer * 0.5), QPointF(0, -outer + pen.widthF() / 2));
        painter.restore();
    }
}

void Spinner::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_turn->start();
}

void Spinner::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_turn->stop();
}

AccessibleFacts Spinner::accessibleFacts() const
{
    // Something runs, with no telling how far it has come: its owner names what.
    AccessibleFacts facts = readAs(QAccessible::ProgressBar);
    facts.state.busy = true;
    return facts;
}

} // namespace brevik
