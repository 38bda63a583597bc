#include "ui/kit/controls/keyboardring.h"

#include <QFocusEvent>

namespace brevik {

KeyboardRing::KeyboardRing(QWidget *control, const ShadowCaster *shadow)
    : m_control(control), m_shadow(shadow)
{
}

bool KeyboardRing::broughtByKeyboard(const QFocusEvent &event)
{
    return event.reason() == Qt::TabFocusReason || event.reason() == Qt::BacktabFocusReason;
}

void KeyboardRing::focusIn(const QFocusEvent &event)
{
    m_shown = broughtByKeyboard(event);
    if (m_shown && !m_layer) {
        m_layer = std::make_unique<CastShadow>(m_control, m_shadow);
        m_layer->place();
    }
    if (m_layer)
        m_layer->update();
}

void KeyboardRing::focusOut()
{
    m_shown = false;
    if (m_layer)
        m_layer->update();
}

} // namespace brevik
