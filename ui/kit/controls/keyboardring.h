#pragma once

#include "ui/kit/paint/shadowlayer.h"

#include <memory>

class QFocusEvent;

namespace brevik {

// Whether a control wears its focus ring: it has the focus, and the keyboard brought it (a
// click gives focus without a ring, as on a Mac). The ring is drawn by the control's
// paintShadow() on a layer of its own, made the first time the keyboard arrives: most
// controls never wear a ring.
class KeyboardRing final {
public:
    KeyboardRing(QWidget *control, const ShadowCaster *shadow);

    bool shown() const { return m_shown; }
    void focusIn(const QFocusEvent &event);
    void focusOut();

    // Whether the focus came by Tab or Shift-Tab.
    static bool broughtByKeyboard(const QFocusEvent &event);

private:
    QWidget *m_control;
    const ShadowCaster *m_shadow;
    bool m_shown = false;
    std::unique_ptr<CastShadow> m_layer;
};

} // namespace brevik
