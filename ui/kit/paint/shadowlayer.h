#pragma once

#include <QMargins>
#include <QPointer>
#include <QWidget>

namespace brevik {

// A widget whose shadows fall outside its own rectangle.
class ShadowCaster {
public:
    // Room the shadows need around the widget's rectangle, at their largest.
    virtual QMargins shadowMargins() const = 0;
    // Paints the shadows; the painter's origin is the widget's top-left corner.
    virtual void paintShadow(QPainter &painter) const = 0;

protected:
    ~ShadowCaster() = default;
};

class ShadowLayer;

// Gives a widget its shadows. A child widget is clipped to its own rectangle, so the
// shadows go to a companion: a sibling stacked right under the widget, as large as the
// widget plus its shadow margins, following it and invisible to the mouse. Layouts see
// only the widget, and shadows spill into their spacing as they do on a Mac; nothing of
// the shadow can catch a click meant for a neighbour. The layer is named "shadowLayer".
class CastShadow final {
public:
    CastShadow(QWidget *caster, const ShadowCaster *shadow);
    ~CastShadow();
    CastShadow(const CastShadow &) = delete;
    CastShadow &operator=(const CastShadow &) = delete;

    // Repaints the shadow after it changed (the widget repaints itself).
    void update();
    // Puts the layer in place at once, for a shadow cast only after the widget was placed
    // (a focus ring made when the keyboard first reaches its control).
    void place();
    QWidget *layer() const;

private:
    QPointer<ShadowLayer> m_layer;
};

} // namespace brevik
