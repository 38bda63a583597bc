#include "ui/kit/motion/motion.h"

#include <QPointF>
#include <QVariantAnimation>

namespace brevik {

QEasingCurve neuEaseInOut()
{
    // The standard ease-in-out timing curve, control points (0.42, 0) and (0.58, 1).
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.42, 0), QPointF(0.58, 1), QPointF(1, 1));
    return curve;
}

AnimatedValue::AnimatedValue(QObject *owner, qreal initial, std::function<void()> onChange)
    : m_animation(new QVariantAnimation(owner)), m_value(initial), m_target(initial),
      m_onChange(std::move(onChange))
{
    m_animation->setDuration(kNeuTransitionMs);
    m_animation->setEasingCurve(neuEaseInOut());
    QObject::connect(m_animation, &QVariantAnimation::valueChanged, owner,
                     [this](const QVariant &value) {
                         m_value = value.toReal();
                         m_onChange();
                     });
}

AnimatedValue::~AnimatedValue()
{
    // The value usually lives inside its owner and goes first; its animation must not
    // outlive it and step a value that is gone.
    delete m_animation;
}

void AnimatedValue::animateTo(qreal target)
{
    if (qFuzzyCompare(target + 1, m_target + 1))
        return;
    m_target = target;
    m_animation->stop();
    if (qFuzzyCompare(target + 1, m_value + 1))
        return;
    m_animation->setStartValue(m_value);
    m_animation->setEndValue(target);
    m_animation->start();
}

void AnimatedValue::jumpTo(qreal target)
{
    m_animation->stop();
    m_target = target;
    m_value = target;
    m_onChange();
}

} // namespace brevik
