#pragma once

#include <QEasingCurve>
#include <QObject>

#include <functional>

class QVariantAnimation;

namespace brevik {

// Every transition of the style kit lasts 0.28 s on the same ease-in-out curve.
inline constexpr int kNeuTransitionMs = 280;
QEasingCurve neuEaseInOut();

// One animated value with its one animation, restarted from wherever the value is when
// a new target comes; each step goes to `onChange` (which repaints the one widget
// concerned).
class AnimatedValue final {
public:
    AnimatedValue(QObject *owner, qreal initial, std::function<void()> onChange);
    ~AnimatedValue();
    AnimatedValue(const AnimatedValue &) = delete;
    AnimatedValue &operator=(const AnimatedValue &) = delete;

    qreal value() const { return m_value; }
    qreal target() const { return m_target; }
    void animateTo(qreal target);
    void jumpTo(qreal target);

private:
    QVariantAnimation *m_animation; // a child of the owner, deleted with this value
    qreal m_value;
    qreal m_target;
    std::function<void()> m_onChange;
};

} // namespace brevik
